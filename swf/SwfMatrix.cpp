#include "swf/SwfMatrix.h"

#include <cmath>

#include "swf/SwfBitWriter.h"
#include "swf/SwfRect.h"
#include "swf/SwfValueBits.h"

CSwfMatrix::CSwfMatrix(bool hasScale, int32_t scaleX, int32_t scaleY, bool hasRotate,
                       int32_t rotateSkew0, int32_t rotateSkew1, int32_t translateX,
                       int32_t translateY)
    : m_bHasScale(hasScale),
      m_nScaleBits(SignedBits({scaleX, scaleY})),
      m_nScaleX(scaleX),
      m_nScaleY(scaleY),
      m_bHasRotate(hasRotate),
      m_nRotateBits(SignedBits({rotateSkew0, rotateSkew1})),
      m_nRotateSkew0(rotateSkew0),
      m_nRotateSkew1(rotateSkew1),
      m_nTranslateBits(SignedBits({translateX, translateY})),
      m_nTranslateX(translateX),
      m_nTranslateY(translateY),
      m_bEmpty(false) {}

void CSwfMatrix::Write(CSwfBitWriter& writer) const {
    if (m_bEmpty) {
        writer.WriteU8(0);
        return;
    }
    writer.WriteBits(m_bHasScale ? 1 : 0, 1);
    if (m_bHasScale) {
        writer.WriteBits(m_nScaleBits, 5);
        writer.WriteBits(m_nScaleX, m_nScaleBits);
        writer.WriteBits(m_nScaleY, m_nScaleBits);
    }
    writer.WriteBits(m_bHasRotate ? 1 : 0, 1);
    if (m_bHasRotate) {
        writer.WriteBits(m_nRotateBits, 5);
        writer.WriteBits(m_nRotateSkew0, m_nRotateBits);
        writer.WriteBits(m_nRotateSkew1, m_nRotateBits);
    }
    writer.WriteBits(m_nTranslateBits, 5);
    writer.WriteBits(m_nTranslateX, m_nTranslateBits);
    writer.WriteBits(m_nTranslateY, m_nTranslateBits);
    writer.Align();
}

CSwfMatrix CentredTransform(const CSwfRect& bounds, int32_t translateX, int32_t translateY,
                            int32_t rotation16, int32_t scaleX16, int32_t scaleY16) {
    constexpr double kRadiansPerDegree = 0.017453292519943295;
    const double theta =
        static_cast<double>(static_cast<float>(rotation16 / 65536.0)) * kRadiansPerDegree;
    const double sx = static_cast<float>(scaleX16 / 65536.0);
    const double sy = static_cast<float>(scaleY16 / 65536.0);
    const double cx =
        static_cast<int32_t>((static_cast<double>(bounds.m_nXMin) + bounds.m_nXMax) / 2.0);
    const double cy =
        static_cast<int32_t>((static_cast<double>(bounds.m_nYMin) + bounds.m_nYMax) / 2.0);
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    auto trunc = [](double v) { return static_cast<int32_t>(v); };
    return CSwfMatrix(true, trunc(c * sx * 65536.0), trunc(c * sy * 65536.0), true,
                      trunc(sx * s * 65536.0), -trunc(s * sy * 65536.0),
                      translateX - trunc(sx * (c * cx - s * cy - cx)),
                      translateY - trunc(sy * (s * cx + c * cy - cy)));
}
