#include "swf/SwfShapeRecords.h"

#include <algorithm>

#include "swf/SwfBitWriter.h"
#include "swf/SwfValueBits.h"

namespace {

// Edge records store their bit count minus 2 in 4 bits, so 2 is the smallest count they can
// carry; an edge with only zero deltas would otherwise ask for 1.
constexpr int kMinEdgeBits = 2;

}  // namespace

CSwfStyleChangeRecord::CSwfStyleChangeRecord(bool hasLineStyle, bool hasFillStyle1,
                                             bool hasFillStyle0, bool hasMoveTo, int32_t moveX,
                                             int32_t moveY, uint32_t fillStyle0,
                                             uint32_t fillStyle1, uint32_t lineStyle)
    : m_bHasLineStyle(hasLineStyle),
      m_bHasFillStyle1(hasFillStyle1),
      m_bHasFillStyle0(hasFillStyle0),
      m_bHasMoveTo(hasMoveTo),
      m_nMoveBits(SignedBits({moveX, moveY})),
      m_nMoveX(moveX),
      m_nMoveY(moveY),
      m_nFillStyle0(fillStyle0),
      m_nFillStyle1(fillStyle1),
      m_nLineStyle(lineStyle) {}

void CSwfStyleChangeRecord::Write(CSwfBitWriter& writer) const {
    writer.WriteBits(0, 1);
    writer.WriteBits(0, 1);
    writer.WriteBits(m_bHasLineStyle, 1);
    writer.WriteBits(m_bHasFillStyle1, 1);
    writer.WriteBits(m_bHasFillStyle0, 1);
    writer.WriteBits(m_bHasMoveTo, 1);
    if (m_bHasMoveTo) {
        writer.WriteBits(m_nMoveBits, 5);
        writer.WriteBits(m_nMoveX, m_nMoveBits);
        writer.WriteBits(m_nMoveY, m_nMoveBits);
    }
    if (m_bHasFillStyle0) {
        writer.WriteBits(m_nFillStyle0, m_nFillBits);
    }
    if (m_bHasFillStyle1) {
        writer.WriteBits(m_nFillStyle1, m_nFillBits);
    }
    if (m_bHasLineStyle) {
        writer.WriteBits(m_nLineStyle, m_nLineBits);
    }
}

CSwfStraightEdgeRecord::CSwfStraightEdgeRecord(int32_t dx, int32_t dy)
    : m_nBits(std::max(kMinEdgeBits, SignedBits({dx, dy}))),
      m_bGeneralLine(dx != 0 && dy != 0),
      m_bVerticalLine(dx == 0),
      m_nDeltaX(dx),
      m_nDeltaY(dy) {}

void CSwfStraightEdgeRecord::Write(CSwfBitWriter& writer) const {
    writer.WriteBits(1, 1);
    writer.WriteBits(1, 1);
    writer.WriteBits(m_nBits - 2, 4);
    writer.WriteBits(m_bGeneralLine, 1);
    if (m_bGeneralLine) {
        writer.WriteBits(m_nDeltaX, m_nBits);
        writer.WriteBits(m_nDeltaY, m_nBits);
        return;
    }
    writer.WriteBits(m_bVerticalLine, 1);
    writer.WriteBits(m_bVerticalLine ? m_nDeltaY : m_nDeltaX, m_nBits);
}

CSwfCurvedEdgeRecord::CSwfCurvedEdgeRecord(int32_t controlDx, int32_t controlDy, int32_t anchorDx,
                                           int32_t anchorDy)
    : m_nBits(std::max(kMinEdgeBits, SignedBits({controlDx, controlDy, anchorDx, anchorDy}))),
      m_nControlDeltaX(controlDx),
      m_nControlDeltaY(controlDy),
      m_nAnchorDeltaX(anchorDx),
      m_nAnchorDeltaY(anchorDy) {}

void CSwfCurvedEdgeRecord::Write(CSwfBitWriter& writer) const {
    writer.WriteBits(1, 1);
    writer.WriteBits(0, 1);
    writer.WriteBits(m_nBits - 2, 4);
    writer.WriteBits(m_nControlDeltaX, m_nBits);
    writer.WriteBits(m_nControlDeltaY, m_nBits);
    writer.WriteBits(m_nAnchorDeltaX, m_nBits);
    writer.WriteBits(m_nAnchorDeltaY, m_nBits);
}

void CSwfEndShapeRecord::Write(CSwfBitWriter& writer) const {
    writer.WriteBits(0, 6);
    writer.Align();
}
