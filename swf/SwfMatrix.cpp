#include "swf/SwfMatrix.h"

#include "swf/SwfBitWriter.h"
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
