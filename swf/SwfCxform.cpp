#include "swf/SwfCxform.h"

#include "swf/SwfBitWriter.h"
#include "swf/SwfValueBits.h"

CSwfCxform CSwfCxform::Rgb(bool hasAddTerms, bool hasMultTerms, int32_t multR, int32_t multG,
                           int32_t multB, int32_t addR, int32_t addG, int32_t addB) {
    CSwfCxform c;
    c.m_bHasAddTerms = hasAddTerms;
    c.m_bHasMultTerms = hasMultTerms;
    c.m_aMult[0] = multR;
    c.m_aMult[1] = multG;
    c.m_aMult[2] = multB;
    c.m_aAdd[0] = addR;
    c.m_aAdd[1] = addG;
    c.m_aAdd[2] = addB;
    c.m_nBits = SignedBits({multR, multG, multB, addR, addG, addB});
    return c;
}

CSwfCxform CSwfCxform::Rgba(bool hasAddTerms, bool hasMultTerms, int32_t multR, int32_t multG,
                            int32_t multB, int32_t multA, int32_t addR, int32_t addG, int32_t addB,
                            int32_t addA) {
    CSwfCxform c = Rgb(hasAddTerms, hasMultTerms, multR, multG, multB, addR, addG, addB);
    c.m_bWithAlpha = true;
    c.m_aMult[3] = multA;
    c.m_aAdd[3] = addA;
    c.m_nBits = SignedBits({multR, multG, multB, multA, addR, addG, addB, addA});
    return c;
}

void CSwfCxform::Write(CSwfBitWriter& writer) const {
    const int terms = m_bWithAlpha ? 4 : 3;
    writer.WriteBits(m_bHasAddTerms ? 1 : 0, 1);
    writer.WriteBits(m_bHasMultTerms ? 1 : 0, 1);
    writer.WriteBits(m_nBits, 4);
    if (m_bHasMultTerms) {
        for (int i = 0; i < terms; ++i) {
            writer.WriteBits(m_aMult[i], m_nBits);
        }
    }
    if (m_bHasAddTerms) {
        for (int i = 0; i < terms; ++i) {
            writer.WriteBits(m_aAdd[i], m_nBits);
        }
    }
    writer.Align();
}
