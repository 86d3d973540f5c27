// The three ways the frame image stream stores the pixels of one rectangle (always in column
// order): 24-bit run-length runs, a zlib stream of 32-bit pixels, and the 15-bit run-length
// tokens of the oldest projects (read only).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "project/store/ByteReader.h"

enum class EPixelCoding { Rle24, Zlib32, Rle15 };

// The largest compressed rectangle a reader accepts.
constexpr uint32_t kMaxZlibRectBytes = 92'160'000;
// A run-length count prefix holds at most this many extra pixels.
constexpr uint32_t kMaxRunPrefix = 32'767;

// Appends the 24-bit run-length coding of `pixels` to `out`.
void AppendRle24(std::span<const uint32_t> pixels, std::vector<uint8_t>& out);

// Appends the 32-bit compressed length and the level-1 zlib stream of `pixels` (top byte
// cleared) to `out`. Returns false when zlib fails.
bool AppendZlibPixels(std::span<const uint32_t> pixels, std::vector<uint8_t>& out);

// Decodes the pixels of one rectangle after another from a reader positioned in a picture's
// records. A damaged rectangle never reads outside the data: missing pixels read as 0 and
// Damaged() turns true (also when the data ends inside a rectangle).
class CPixelDecoder {
public:
    explicit CPixelDecoder(EPixelCoding coding = EPixelCoding::Rle24) : m_Coding(coding) {}

    void SetCoding(EPixelCoding coding) { m_Coding = coding; }
    EPixelCoding Coding() const { return m_Coding; }

    // Starts a rectangle of `nPixels` pixels that will be read with NextPixel().
    void BeginRect(CByteReader& reader, uint64_t nPixels);
    // Reads and discards a whole rectangle of `nPixels` pixels; costs no more than its bytes.
    void SkipRect(CByteReader& reader, uint64_t nPixels);

    uint32_t NextPixel() {
        if (m_nRepeat > 0) {
            --m_nRepeat;
            return m_crColour;
        }
        return DecodeRun();
    }

    // Passes over the next `n` pixels of the rectangle being read.
    void SkipPixels(uint64_t n);

    bool Damaged() const { return m_bDamaged; }
    void ClearDamage() { m_bDamaged = false; }

private:
    uint32_t DecodeRun();
    // Reads one run of a run-length coding; false at the end of the data.
    bool ReadRun(uint32_t& crColour, uint64_t& nRepeat);
    void InflateRect(uint64_t nPixels);

    EPixelCoding m_Coding;
    CByteReader* m_pReader = nullptr;
    uint64_t m_nRepeat = 0;
    uint32_t m_crColour = 0;
    bool m_bDamaged = false;
    std::vector<uint8_t> m_Inflated;
    size_t m_nInflatedPos = 0;
};
