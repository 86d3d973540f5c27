// An SWF colour: RGB, or RGBA when `m_bHasAlpha` is set.
#pragma once

#include <cstdint>

class CSwfBitWriter;

class CSwfColor {
public:
    CSwfColor() = default;
    CSwfColor(uint8_t r, uint8_t g, uint8_t b) : m_nRed(r), m_nGreen(g), m_nBlue(b) {}
    CSwfColor(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
        : m_nRed(r), m_nGreen(g), m_nBlue(b), m_nAlpha(a), m_bHasAlpha(true) {}

    void Write(CSwfBitWriter& writer) const;

    uint8_t m_nRed = 0;
    uint8_t m_nGreen = 0;
    uint8_t m_nBlue = 0;
    uint8_t m_nAlpha = 255;
    bool m_bHasAlpha = false;
};

// The colour of a 0x00BBGGRR value, with alpha.
inline CSwfColor SwfColorFromRef(uint32_t colorref, uint8_t alpha = 255) {
    return CSwfColor(uint8_t(colorref), uint8_t(colorref >> 8), uint8_t(colorref >> 16), alpha);
}
