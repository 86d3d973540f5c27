// The SWF colour transform, CXFORM (red, green, blue terms) or CXFORMWITHALPHA (with alpha
// terms). Multiply terms are 8.8 fixed point (256 = unchanged).
#pragma once

#include <cstdint>

class CSwfBitWriter;

class CSwfCxform {
public:
    // Writes only its flags, both 0, and the bit count 0.
    CSwfCxform() = default;
    static CSwfCxform Rgb(bool hasAddTerms, bool hasMultTerms, int32_t multR, int32_t multG,
                          int32_t multB, int32_t addR, int32_t addG, int32_t addB);
    static CSwfCxform Rgba(bool hasAddTerms, bool hasMultTerms, int32_t multR, int32_t multG,
                           int32_t multB, int32_t multA, int32_t addR, int32_t addG, int32_t addB,
                           int32_t addA);

    void Write(CSwfBitWriter& writer) const;

    bool m_bWithAlpha = false;
    bool m_bHasAddTerms = false;
    bool m_bHasMultTerms = false;
    int m_nBits = 0;
    // Red, green, blue, alpha.
    int32_t m_aMult[4] = {0, 0, 0, 0};
    int32_t m_aAdd[4] = {0, 0, 0, 0};
};
