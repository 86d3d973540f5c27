#include "editor/OverlayDrag.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int32_t kMinHotspotSize = 4;

bool Near(int32_t x, int32_t y, int32_t hx, int32_t hy, int32_t nTolerance) {
    return std::abs(x - hx) <= nTolerance && std::abs(y - hy) <= nTolerance;
}

bool Inside(const SRect& rc, int32_t x, int32_t y) {
    return x >= std::min(rc.left, rc.right) && x < std::max(rc.left, rc.right) &&
           y >= std::min(rc.top, rc.bottom) && y < std::max(rc.top, rc.bottom);
}

}  // namespace

EDragPart HitTestOverlays(const CFrameRecord& frame, const std::optional<CBubbleLayout>& layout,
                          int32_t x, int32_t y, int32_t nTolerance, bool bShift) {
    if (layout && layout->bPointer &&
        Near(x, y, layout->pointer[0].x, layout->pointer[0].y, nTolerance)) {
        return EDragPart::kPointerTip;
    }
    if (frame.HasHotspot()) {
        const SRect& rc = frame.m_rcHotspot;
        if (Near(x, y, rc.left, rc.top, nTolerance)) {
            return EDragPart::kHotspotTopLeft;
        }
        if (Near(x, y, rc.right, rc.top, nTolerance)) {
            return EDragPart::kHotspotTopRight;
        }
        if (Near(x, y, rc.left, rc.bottom, nTolerance)) {
            return EDragPart::kHotspotBottomLeft;
        }
        if (Near(x, y, rc.right, rc.bottom, nTolerance)) {
            return EDragPart::kHotspotBottomRight;
        }
    }
    const bool bOnBubble = layout && Inside(layout->rcBubble, x, y);
    const bool bOnHotspot = frame.HasHotspot() && Inside(frame.m_rcHotspot, x, y);
    if (bOnHotspot && (frame.m_bHotspotOverText != 0 || !bOnBubble)) {
        return EDragPart::kHotspot;
    }
    if (bOnBubble) {
        return bShift ? EDragPart::kNewPointer : EDragPart::kBubble;
    }
    return EDragPart::kNone;
}

CFrameRecord DragOverlay(const CFrameRecord& start, EDragPart part, int32_t x0, int32_t y0,
                         int32_t dx, int32_t dy) {
    CFrameRecord r = start;
    SRect& rc = r.m_rcHotspot;
    switch (part) {
        case EDragPart::kNone:
            break;
        case EDragPart::kBubble:
            r.m_nBubbleX += dx;
            r.m_nBubbleY += dy;
            break;
        case EDragPart::kPointerTip:
            r.m_nPointerX += dx;
            r.m_nPointerY += dy;
            break;
        case EDragPart::kNewPointer:
            // The preview shows a frame at its own pan origin, so picture and frame coordinates
            // agree.
            r.m_nPointerX = x0 + dx;
            r.m_nPointerY = y0 + dy;
            break;
        case EDragPart::kHotspot:
            rc = {rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy};
            break;
        case EDragPart::kHotspotTopLeft:
            rc.left = std::min(rc.left + dx, rc.right - kMinHotspotSize);
            rc.top = std::min(rc.top + dy, rc.bottom - kMinHotspotSize);
            break;
        case EDragPart::kHotspotTopRight:
            rc.right = std::max(rc.right + dx, rc.left + kMinHotspotSize);
            rc.top = std::min(rc.top + dy, rc.bottom - kMinHotspotSize);
            break;
        case EDragPart::kHotspotBottomLeft:
            rc.left = std::min(rc.left + dx, rc.right - kMinHotspotSize);
            rc.bottom = std::max(rc.bottom + dy, rc.top + kMinHotspotSize);
            break;
        case EDragPart::kHotspotBottomRight:
            rc.right = std::max(rc.right + dx, rc.left + kMinHotspotSize);
            rc.bottom = std::max(rc.bottom + dy, rc.top + kMinHotspotSize);
            break;
    }
    const bool bHotspotPart = part == EDragPart::kHotspot || part == EDragPart::kHotspotTopLeft ||
                              part == EDragPart::kHotspotTopRight ||
                              part == EDragPart::kHotspotBottomLeft ||
                              part == EDragPart::kHotspotBottomRight;
    if (bHotspotPart) {
        r.m_bHotspotRectExact = 1;
    }
    return r;
}
