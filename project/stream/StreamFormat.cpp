#include "project/stream/StreamFormat.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kSignature[] = "Quillomatic";
constexpr size_t kSignatureLetters = 11;
constexpr size_t kSignatureSize = 16;
// The size of a stream whose header holds no usable width or height.
constexpr int kUnreadableWidth = 1024;
constexpr int kUnreadableHeight = 768;

bool ReadDigits(const uint8_t* p, size_t n, int& value) {
    value = 0;
    for (size_t i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9') {
            return false;
        }
        value = value * 10 + (p[i] - '0');
    }
    return true;
}

}  // namespace

std::array<uint8_t, kStreamHeaderSize> EncodeStreamHeader(int nWidth, int nHeight,
                                                          bool bZlibPixels) {
    std::array<uint8_t, kStreamHeaderSize> header{};
    char signature[kSignatureSize + 1];
    std::snprintf(signature, sizeof signature, "%s%2.2d.%2.2d", kSignature, kStreamVersionMajor,
                  kStreamVersionMinor);
    std::memcpy(header.data(), signature, kSignatureSize);
    header[16] = bZlibPixels ? kHeaderFlagZlib : 0;
    header[17] = 0;
    PutU16(header.data() + 18, static_cast<uint16_t>(static_cast<int16_t>(nWidth)));
    PutU16(header.data() + 20, static_cast<uint16_t>(static_cast<int16_t>(nHeight)));
    return header;
}

bool ParseStreamHeader(std::span<const uint8_t> data, SStreamHeader& header) {
    if (data.size() < kOldStreamHeaderSize ||
        std::memcmp(data.data(), kSignature, kSignatureLetters) != 0) {
        return false;
    }
    // The version follows the letters as "MM.mm".
    const uint8_t* pVersion = data.data() + kSignatureLetters;
    int nMajor = 0;
    int nMinor = 0;
    if (!ReadDigits(pVersion, 2, nMajor) || pVersion[2] != '.' ||
        !ReadDigits(pVersion + 3, 2, nMinor)) {
        return false;
    }
    SStreamHeader result;
    result.nVersion = nMajor * 100 + nMinor;
    CByteReader reader(data);
    reader.Skip(kSignatureSize);
    if (result.nVersion >= kFirstFlaggedVersion) {
        uint8_t nFlags = 0;
        uint8_t nZero = 0;
        if (!reader.U8(nFlags) || !reader.U8(nZero)) {
            return false;
        }
        result.bZlibPixels = (nFlags & kHeaderFlagZlib) != 0;
    }
    int16_t nWidth = 0;
    int16_t nHeight = 0;
    if (!reader.S16(nWidth) || !reader.S16(nHeight)) {
        return false;
    }
    // A size that cannot be a recorded area is not read: the usual screen size stands in.
    const bool bSize = nWidth > 0 && nHeight > 0;
    result.nWidth = bSize ? nWidth : kUnreadableWidth;
    result.nHeight = bSize ? nHeight : kUnreadableHeight;
    result.nSize = reader.Position();
    header = result;
    return true;
}

std::array<uint8_t, 8> EncodeTableEntry(uint64_t nOffset, bool bFirst) {
    std::array<uint8_t, 8> entry{};
    PutU64(entry.data(), bFirst ? (nOffset & kWideTableOffsetMask) | kWideTableMarker : nOffset);
    return entry;
}

ERecordRead ReadRecordHead(CByteReader& reader, SStreamRecordHead& head) {
    head = SStreamRecordHead{};
    if (!reader.U8(head.nType)) {
        return ERecordRead::End;
    }
    if (head.nType < kRecordOldPixels || head.nType > kRecordTick) {
        return ERecordRead::UnknownType;
    }
    if (head.nType == kRecordCursor || head.nType == kRecordTick) {
        if (!reader.U16(head.nIncrement)) {
            return ERecordRead::Truncated;
        }
        if (head.nType == kRecordTick) {
            return ERecordRead::Ok;
        }
    }
    SStreamRect& rc = head.rect;
    if (!reader.S16(rc.nLeft) || !reader.S16(rc.nRight) || !reader.S16(rc.nTop) ||
        !reader.S16(rc.nBottom)) {
        return ERecordRead::Truncated;
    }
    return ERecordRead::Ok;
}
