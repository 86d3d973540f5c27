#include "project/stream/PictureBlock.h"

#include <zlib.h>

#include "project/store/ByteReader.h"

namespace {

// Deflate shrinks data by at most about 1:1032; a block claiming more is damaged.
constexpr uint64_t kMaxDeflateRatio = 1032;

}  // namespace

std::vector<uint8_t> EncodePictureBlock(const CPixelPicture& picture) {
    const size_t nPixels = picture.m_Pixels.size();
    std::vector<uint8_t> raw(8 + 4 * nPixels);
    PutU32(raw.data(), static_cast<uint32_t>(picture.m_nWidth));
    PutU32(raw.data() + 4, static_cast<uint32_t>(picture.m_nHeight));
    for (size_t i = 0; i < nPixels; ++i) {
        PutU32(raw.data() + 8 + 4 * i, picture.m_Pixels[i]);
    }
    uLongf nCompressed = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> block(4 + nCompressed);
    if (compress2(block.data() + 4, &nCompressed, raw.data(), static_cast<uLong>(raw.size()), 1) !=
        Z_OK) {
        return {};
    }
    PutU32(block.data(), static_cast<uint32_t>(nCompressed));
    block.resize(4 + nCompressed);
    return block;
}

bool DecodePictureBlock(std::span<const uint8_t> block, CPixelPicture& picture) {
    CByteReader reader(block);
    uint32_t nLength = 0;
    if (!reader.U32(nLength) || nLength > reader.Remaining()) {
        return false;
    }
    const uint8_t* pIn = reader.Current();

    uint8_t head[8];
    uLongf nHead = sizeof head;
    uLong nUsed = nLength;
    int rc = uncompress2(head, &nHead, pIn, &nUsed);
    if ((rc != Z_OK && rc != Z_BUF_ERROR) || nHead != sizeof head) {
        return false;
    }
    CByteReader headReader(head);
    uint32_t nWidth = 0;
    uint32_t nHeight = 0;
    headReader.U32(nWidth);
    headReader.U32(nHeight);
    if (nWidth == 0 || nHeight == 0 || nWidth > 0x7FFF || nHeight > 0x7FFF) {
        return false;
    }
    const uint64_t nRaw = 8 + 4ull * nWidth * nHeight;
    if (nRaw > static_cast<uint64_t>(nLength) * kMaxDeflateRatio + 64) {
        return false;
    }
    std::vector<uint8_t> raw(static_cast<size_t>(nRaw));
    uLongf nGot = static_cast<uLongf>(nRaw);
    nUsed = nLength;
    rc = uncompress2(raw.data(), &nGot, pIn, &nUsed);
    if (rc != Z_OK || nGot != nRaw) {
        return false;
    }
    CPixelPicture result;
    result.m_nWidth = static_cast<int32_t>(nWidth);
    result.m_nHeight = static_cast<int32_t>(nHeight);
    result.m_Pixels.resize(static_cast<size_t>(nWidth) * nHeight);
    CByteReader pixels(std::span<const uint8_t>(raw).subspan(8));
    for (uint32_t& px : result.m_Pixels) {
        pixels.U32(px);
    }
    picture = std::move(result);
    return true;
}
