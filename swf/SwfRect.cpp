#include "swf/SwfRect.h"

#include "swf/SwfBitWriter.h"
#include "swf/SwfValueBits.h"

void CSwfRect::Write(CSwfBitWriter& writer) const {
    const int n = SignedBits({m_nXMin, m_nXMax, m_nYMin, m_nYMax});
    writer.WriteBits(n, 5);
    writer.WriteBits(m_nXMin, n);
    writer.WriteBits(m_nXMax, n);
    writer.WriteBits(m_nYMin, n);
    writer.WriteBits(m_nYMax, n);
    writer.Align();
}
