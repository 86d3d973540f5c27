// The SWF MATRIX: optional scale and rotate/skew pairs in 16.16 fixed point and a translation.
// A default-constructed matrix is empty and writes as the single byte 0.
#pragma once

#include <cstdint>

class CSwfBitWriter;
class CSwfRect;

class CSwfMatrix {
public:
    CSwfMatrix() = default;
    CSwfMatrix(bool hasScale, int32_t scaleX, int32_t scaleY, bool hasRotate, int32_t rotateSkew0,
               int32_t rotateSkew1, int32_t translateX, int32_t translateY);

    void Write(CSwfBitWriter& writer) const;

    bool m_bHasScale = false;
    int m_nScaleBits = 0;
    int32_t m_nScaleX = 0;
    int32_t m_nScaleY = 0;
    bool m_bHasRotate = false;
    int m_nRotateBits = 0;
    int32_t m_nRotateSkew0 = 0;
    int32_t m_nRotateSkew1 = 0;
    int m_nTranslateBits = 0;
    int32_t m_nTranslateX = 0;
    int32_t m_nTranslateY = 0;
    bool m_bEmpty = true;
};

// The placement matrix of a display object: rotated (degrees in 16.16) about the centre of its
// bounds and scaled, then translated. The scale applies to the centre's correction too, so only
// an unscaled object keeps its centre in place; callers that scale about a point add their own
// offset.
CSwfMatrix CentredTransform(const CSwfRect& bounds, int32_t translateX, int32_t translateY,
                            int32_t rotation16, int32_t scaleX16, int32_t scaleY16);
