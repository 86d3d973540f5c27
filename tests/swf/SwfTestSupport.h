// Helpers shared by the SWF writer's tests: expected bytes written as bit strings, the bytes of
// a written tag, and a reader that decodes DefineShape3 records back into numbers.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "swf/SwfBitWriter.h"

class CSwfTag;

// "0 1 00010 ..." → bytes, most significant bit first, the last byte padded with zeros. Spaces
// and '|' are ignored.
std::vector<uint8_t> Bits(std::string_view bits);
// "46 57 53" → bytes.
std::vector<uint8_t> Hex(std::string_view hex);
std::string ToHex(const std::vector<uint8_t>& bytes);

// The complete record (header and body) the tag writes.
std::vector<uint8_t> TagBytes(CSwfTag& tag);
std::vector<uint8_t> ReadFileBytes(const std::string& path);

class CBitReader {
public:
    explicit CBitReader(const std::vector<uint8_t>& bytes, size_t start = 0)
        : m_bytes(bytes), m_nBit(start * 8) {}
    uint32_t U(int count);
    int32_t S(int count);
    uint32_t U8() { return Aligned(1); }
    uint32_t U16() { return Aligned(2); }
    uint32_t U32() { return Aligned(4); }
    void Align() { m_nBit = (m_nBit + 7) / 8 * 8; }
    size_t BytePos() const { return m_nBit / 8; }
    bool Overrun() const { return m_bOverrun; }

private:
    uint32_t Aligned(int bytes);

    const std::vector<uint8_t>& m_bytes;
    size_t m_nBit;
    bool m_bOverrun = false;
};

struct SDecodedMatrix {
    bool hasScale = false;
    int32_t scaleX = 0, scaleY = 0;
    bool hasRotate = false;
    int32_t rotate0 = 0, rotate1 = 0;
    int32_t translateX = 0, translateY = 0;
};

struct SDecodedFill {
    uint8_t type = 0;
    uint32_t rgba = 0;  // 0xRRGGBBAA for solid fills
    uint16_t bitmapId = 0;
    SDecodedMatrix matrix;
    std::vector<std::pair<uint8_t, uint32_t>> gradient;
};

struct SDecodedEdge {
    char kind;               // 'H' horizontal, 'V' vertical, 'L' general line, 'C' curve
    int32_t dx, dy;          // straight delta, or curve control delta
    int32_t ax = 0, ay = 0;  // curve anchor delta
    bool operator==(const SDecodedEdge&) const = default;
};

struct SDecodedShape {
    uint16_t code = 0;
    uint16_t id = 0;
    int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    std::vector<SDecodedFill> fills;
    std::vector<std::pair<uint16_t, uint32_t>> lines;  // width, 0xRRGGBBAA
    int fillBits = 0, lineBits = 0;
    int styleChanges = 0;
    int32_t moveX = 0, moveY = 0;
    uint32_t fill0 = 0, fill1 = 0, line = 0;
    std::vector<SDecodedEdge> edges;
    bool ok = false;  // the whole tag decoded and ended exactly at its length
};

std::ostream& operator<<(std::ostream& os, const SDecodedEdge& e);

// Decodes a complete DefineShape3 record.
SDecodedShape DecodeShape(const std::vector<uint8_t>& record);

#include "swf/SwfProgress.h"

// Records every progress call and cancels once `m_nCancelAfter` percentages have been reported.
class CRecordingProgress : public ISwfProgress {
public:
    void Begin(std::string_view caption) override { m_captions.emplace_back(caption); }
    void Set(double percent) override {
        m_percents.push_back(percent);
        ++m_nSteps;
    }
    bool IsCancelled() override { return m_nCancelAfter >= 0 && m_nSteps > m_nCancelAfter; }
    void End() override { ++m_nEnds; }

    int m_nCancelAfter = -1;
    int m_nSteps = 0;
    int m_nEnds = 0;
    std::vector<std::string> m_captions;
    std::vector<double> m_percents;
};

// Reads the fields of an uncompressed file header.
struct SFileHeader {
    std::string signature;
    int version = 0;
    uint32_t length = 0;
    int32_t width = 0, height = 0;
    int rate = 0;
    uint16_t frames = 0;
    size_t headerSize = 0;
};
SFileHeader ReadFileHeader(const std::vector<uint8_t>& file);
