#include "swf/SwfColor.h"

#include "swf/SwfBitWriter.h"

void CSwfColor::Write(CSwfBitWriter& writer) const {
    writer.WriteU8(m_nRed);
    writer.WriteU8(m_nGreen);
    writer.WriteU8(m_nBlue);
    if (m_bHasAlpha) {
        writer.WriteU8(m_nAlpha);
    }
}
