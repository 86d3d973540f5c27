// Moving and sizing a frame's overlays with the mouse: what a press on the picture takes hold
// of, and the frame record after the pointer has moved by a distance. Coordinates are pixels of
// the recorded picture.
#pragma once

#include <cstdint>
#include <optional>

#include "editor/bubble/BubbleLayout.h"
#include "project/model/FrameInfo.h"

enum class EDragPart {
    kNone,
    kPointerTip,
    kHotspotTopLeft,
    kHotspotTopRight,
    kHotspotBottomLeft,
    kHotspotBottomRight,
    kHotspot,
    kBubble,
    // A press on the bubble with Shift held gives it a pointer whose tip follows the mouse.
    kNewPointer,
};

// What a press at (x, y) takes hold of. Handles (pointer tip, hotspot corners) are found within
// nTolerance pixels; the bubble lies above the hotspot unless the hotspot is placed over text.
EDragPart HitTestOverlays(const CFrameRecord& frame, const std::optional<CBubbleLayout>& layout,
                          int32_t x, int32_t y, int32_t nTolerance, bool bShift);

// The record `start` with `part` moved by (dx, dy). The hotspot keeps at least 4 pixels in
// each direction; its rectangle is then used exactly as stored.
CFrameRecord DragOverlay(const CFrameRecord& start, EDragPart part, int32_t x0, int32_t y0,
                         int32_t dx, int32_t dy);
