// The stored layout of the frame image stream: the header at the start of the record data, the
// entries of the picture offset table and the head of each record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "project/store/ByteReader.h"

constexpr int kStreamVersionMajor = 7;
constexpr int kStreamVersionMinor = 47;
constexpr size_t kStreamHeaderSize = 22;
constexpr size_t kOldStreamHeaderSize = 20;
// Streams from this version on (major x 100 + minor) carry the two flag bytes.
constexpr int kFirstFlaggedVersion = 665;
constexpr uint8_t kHeaderFlagZlib = 0x01;

// The first 64-bit table entry carries this top byte; it tells a 64-bit table from a 32-bit one.
constexpr uint64_t kWideTableMarker = 0xFF00'0000'0000'0000ull;
constexpr uint64_t kWideTableOffsetMask = 0x00FF'FFFF'FFFF'FFFFull;

enum EStreamRecordType : uint8_t {
    kRecordOldPixels = 1,  // what a rectangle held before this picture
    kRecordNewPixels = 2,  // what it holds in this picture
    kRecordCursor = 3,     // time increment and the area under the cursor, cursor drawn in
    kRecordTick = 4,       // time increment only
};

struct SStreamHeader {
    int nVersion = 0;  // major x 100 + minor
    bool bZlibPixels = false;
    int nWidth = 0;
    int nHeight = 0;
    size_t nSize = 0;  // bytes the header takes
};

std::array<uint8_t, kStreamHeaderSize> EncodeStreamHeader(int nWidth, int nHeight,
                                                          bool bZlibPixels);
// False when the data does not start with a stream signature and a readable size.
bool ParseStreamHeader(std::span<const uint8_t> data, SStreamHeader& header);

// The 8 stored bytes of a 64-bit table entry; the first entry of a table carries the marker.
std::array<uint8_t, 8> EncodeTableEntry(uint64_t nOffset, bool bFirst);

// A rectangle as stored: left, right, top, bottom, all inclusive.
struct SStreamRect {
    int16_t nLeft = 0;
    int16_t nRight = 0;
    int16_t nTop = 0;
    int16_t nBottom = 0;

    bool Valid() const { return nRight >= nLeft && nBottom >= nTop; }
    int Width() const { return nRight - nLeft + 1; }
    int Height() const { return nBottom - nTop + 1; }
    uint64_t PixelCount() const {
        return Valid() ? static_cast<uint64_t>(Width()) * static_cast<uint64_t>(Height()) : 0;
    }
};

// The part of a record before its pixels.
struct SStreamRecordHead {
    uint8_t nType = 0;
    uint16_t nIncrement = 0;  // types 3 and 4
    SStreamRect rect;         // types 1 to 3
};

enum class ERecordRead { Ok, End, UnknownType, Truncated };

// Reads the type byte and the fields before the pixels. Any result but Ok ends the picture.
ERecordRead ReadRecordHead(CByteReader& reader, SStreamRecordHead& head);
