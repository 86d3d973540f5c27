#include "project/stream/PixelCoding.h"

#include <zlib.h>

#include <algorithm>

namespace {

constexpr size_t kDeflatePiece = 256'000;
constexpr uint64_t kMaxDeflateRatio = 1032;

void PutRun(uint32_t crColour, uint32_t nExtra, std::vector<uint8_t>& out) {
    if (nExtra > 0) {
        out.push_back(static_cast<uint8_t>(0x80 | (nExtra >> 8)));
        out.push_back(static_cast<uint8_t>(nExtra & 0xFF));
    }
    out.push_back(static_cast<uint8_t>((crColour >> 17) & 0x7F));
    out.push_back(static_cast<uint8_t>(crColour & 0xFF));
    out.push_back(static_cast<uint8_t>((crColour >> 8) & 0xFF));
}

uint32_t Expand15(uint16_t k) {
    uint32_t b = ((k & 0x1Fu) << 3) | 7;
    uint32_t g = (((k >> 5) & 0x1Fu) << 3) | 7;
    uint32_t r = (((k >> 10) & 0x1Fu) << 3) | 7;
    return (r << 16) | (g << 8) | b;
}

}  // namespace

void AppendRle24(std::span<const uint32_t> pixels, std::vector<uint8_t>& out) {
    if (pixels.empty()) {
        return;
    }
    uint32_t c = pixels[0] & 0xFFFFFF;
    uint32_t t = 0;
    for (size_t i = 1; i < pixels.size(); ++i) {
        uint32_t v = pixels[i] & 0xFFFFFF;
        if (v == c) {
            if (t == kMaxRunPrefix - 1) {
                out.push_back(0xFF);
                out.push_back(0xFF);
                t = 0;
            } else {
                ++t;
            }
        } else {
            PutRun(c, t, out);
            c = v;
            t = 0;
        }
    }
    PutRun(c, t, out);
}

bool AppendZlibPixels(std::span<const uint32_t> pixels, std::vector<uint8_t>& out) {
    std::vector<uint8_t> raw(pixels.size() * 4);
    for (size_t i = 0; i < pixels.size(); ++i) {
        PutU32(raw.data() + 4 * i, pixels[i] & 0xFFFFFF);
    }
    z_stream z{};
    if (deflateInit(&z, 1) != Z_OK) {
        return false;
    }
    size_t nLengthAt = out.size();
    out.resize(nLengthAt + 4 + deflateBound(&z, static_cast<uLong>(raw.size())) + 64);
    z.next_out = out.data() + nLengthAt + 4;
    z.avail_out = static_cast<uInt>(out.size() - nLengthAt - 4);
    size_t nDone = 0;
    int rc = Z_OK;
    do {
        size_t nPiece = std::min(kDeflatePiece, raw.size() - nDone);
        z.next_in = raw.data() + nDone;
        z.avail_in = static_cast<uInt>(nPiece);
        nDone += nPiece;
        rc = deflate(&z, nDone == raw.size() ? Z_FINISH : Z_NO_FLUSH);
    } while (rc == Z_OK && nDone < raw.size());
    bool bOk = rc == Z_STREAM_END;
    uint32_t nCompressed = static_cast<uint32_t>(z.total_out);
    deflateEnd(&z);
    if (!bOk) {
        out.resize(nLengthAt);
        return false;
    }
    PutU32(out.data() + nLengthAt, nCompressed);
    out.resize(nLengthAt + 4 + nCompressed);
    return true;
}

void CPixelDecoder::BeginRect(CByteReader& reader, uint64_t nPixels) {
    m_pReader = &reader;
    m_nRepeat = 0;
    m_crColour = 0;
    if (m_Coding == EPixelCoding::Zlib32) {
        InflateRect(nPixels);
    }
}

void CPixelDecoder::SkipRect(CByteReader& reader, uint64_t nPixels) {
    m_pReader = &reader;
    m_nRepeat = 0;
    m_crColour = 0;
    if (m_Coding == EPixelCoding::Zlib32) {
        uint32_t nLength = 0;
        if (!reader.U32(nLength) || !reader.Skip(nLength)) {
            m_bDamaged = true;
        }
        return;
    }
    uint64_t nCovered = 0;
    uint32_t crColour = 0;
    uint64_t nRepeat = 0;
    while (nCovered < nPixels) {
        if (!ReadRun(crColour, nRepeat)) {
            m_bDamaged = true;
            return;
        }
        nCovered += 1 + nRepeat;
    }
}

void CPixelDecoder::InflateRect(uint64_t nPixels) {
    m_Inflated.clear();
    m_nInflatedPos = 0;
    uint32_t nLength = 0;
    if (!m_pReader->U32(nLength)) {
        m_bDamaged = true;
        return;
    }
    if (nLength > kMaxZlibRectBytes || nLength > m_pReader->Remaining()) {
        m_bDamaged = true;
        m_pReader->Skip(nLength);
        return;
    }
    const uint8_t* pIn = m_pReader->Current();
    m_pReader->Skip(nLength);

    // Deflate never shrinks data by more than about 1:1032, so a rectangle that claims more
    // pixels than its bytes can hold is refused before anything is allocated for it.
    const uint64_t nWanted = nPixels * 4;
    if (nWanted > static_cast<uint64_t>(nLength) * kMaxDeflateRatio + 64) {
        m_bDamaged = true;
        return;
    }
    m_Inflated.resize(static_cast<size_t>(nWanted));
    uLongf nGot = static_cast<uLongf>(nWanted);
    uLong nUsed = nLength;
    int rc = uncompress2(m_Inflated.data(), &nGot, pIn, &nUsed);
    if (rc != Z_OK || nGot != nWanted) {
        m_bDamaged = true;
        m_Inflated.clear();
    }
}

bool CPixelDecoder::ReadRun(uint32_t& crColour, uint64_t& nRepeat) {
    CByteReader& r = *m_pReader;
    nRepeat = 0;
    if (m_Coding == EPixelCoding::Rle15) {
        uint16_t token = 0;
        while (r.U16(token)) {
            if ((token & 0x8000) == 0) {
                crColour = Expand15(token);
                return true;
            }
            nRepeat += token & 0x7FFF;
        }
        return false;
    }
    uint8_t b = 0;
    while (r.U8(b)) {
        if ((b & 0x80) != 0) {
            uint8_t lo = 0;
            if (!r.U8(lo)) {
                return false;
            }
            nRepeat += (static_cast<uint32_t>(b & 0x7F) << 8) | lo;
            continue;
        }
        uint8_t blue = 0;
        uint8_t green = 0;
        if (!r.U8(blue) || !r.U8(green)) {
            return false;
        }
        crColour = (static_cast<uint32_t>(b) << 17) | (static_cast<uint32_t>(green) << 8) | blue;
        return true;
    }
    return false;
}

void CPixelDecoder::SkipPixels(uint64_t n) {
    if (m_Coding == EPixelCoding::Zlib32) {
        const uint64_t nTo = m_nInflatedPos + 4 * n;
        m_bDamaged = m_bDamaged || nTo > m_Inflated.size();
        m_nInflatedPos = static_cast<size_t>(std::min<uint64_t>(m_Inflated.size(), nTo));
        return;
    }
    while (n > 0) {
        const uint64_t nTaken = std::min(n, m_nRepeat);
        m_nRepeat -= nTaken;
        n -= nTaken;
        if (n == 0) {
            break;
        }
        if (m_pReader == nullptr || !ReadRun(m_crColour, m_nRepeat)) {
            m_bDamaged = true;
            m_nRepeat = 0;
            return;
        }
        --n;
    }
}

uint32_t CPixelDecoder::DecodeRun() {
    if (m_Coding == EPixelCoding::Zlib32) {
        if (m_nInflatedPos + 4 > m_Inflated.size()) {
            return 0;
        }
        const uint8_t* p = m_Inflated.data() + m_nInflatedPos;
        m_nInflatedPos += 4;
        return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
    }
    if (m_pReader == nullptr || !ReadRun(m_crColour, m_nRepeat)) {
        // The data ended inside the rectangle.
        m_bDamaged = true;
        m_crColour = 0;
        m_nRepeat = 0;
        return 0;
    }
    return m_crColour;
}
