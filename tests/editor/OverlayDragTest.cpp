// What a press on the preview takes hold of, and how a drag changes the frame record.
#include <gtest/gtest.h>

#include "editor/OverlayDrag.h"

namespace {

CFrameRecord FrameWithHotspot(SRect rc) {
    CFrameRecord frame;
    frame.m_bHotspot = 1;
    frame.m_rcHotspot = rc;
    frame.m_nPointerX = -1;
    return frame;
}

CBubbleLayout BubbleAt(SRect rcBubble) {
    CBubbleLayout layout;
    layout.rcBubble = rcBubble;
    return layout;
}

TEST(OverlayDrag, PressFindsHandlesBeforeBodiesAndHonoursTheStacking) {
    CFrameRecord frame = FrameWithHotspot({100, 100, 200, 160});
    std::optional<CBubbleLayout> layout = BubbleAt({150, 130, 260, 190});
    layout->bPointer = true;
    layout->pointer[0] = {40, 40};
    const struct {
        int32_t x, y;
        uint8_t bOverText;
        EDragPart expected;
    } cases[] = {
        {42, 38, 1, EDragPart::kPointerTip},
        {102, 98, 1, EDragPart::kHotspotTopLeft},
        {199, 161, 1, EDragPart::kHotspotBottomRight},
        {120, 120, 1, EDragPart::kHotspot},
        // Where bubble and hotspot overlap, the one drawn on top is taken.
        {170, 150, 1, EDragPart::kHotspot},
        {170, 150, 0, EDragPart::kBubble},
        {240, 180, 1, EDragPart::kBubble},
        {10, 300, 1, EDragPart::kNone},
    };
    for (const auto& c : cases) {
        frame.m_bHotspotOverText = c.bOverText;
        EXPECT_EQ(HitTestOverlays(frame, layout, c.x, c.y, 4, false), c.expected)
            << c.x << "," << c.y;
    }
    EXPECT_EQ(HitTestOverlays(frame, layout, 240, 180, 4, true), EDragPart::kNewPointer);
    // Without a hotspot or bubble nothing is taken.
    frame.m_bHotspot = 0;
    EXPECT_EQ(HitTestOverlays(frame, std::nullopt, 120, 120, 4, false), EDragPart::kNone);
}

TEST(OverlayDrag, DragsMoveAndSizeWithoutTurningTheHotspotInsideOut) {
    const CFrameRecord start = [] {
        CFrameRecord f = FrameWithHotspot({100, 100, 200, 160});
        f.m_bHotspotRectExact = 0;
        f.m_nBubbleX = 50;
        f.m_nBubbleY = 60;
        return f;
    }();
    const CFrameRecord moved = DragOverlay(start, EDragPart::kHotspot, 0, 0, 15, -5);
    EXPECT_EQ(moved.m_rcHotspot, (SRect{115, 95, 215, 155}));
    EXPECT_EQ(moved.m_bHotspotRectExact, 1);
    // A corner pulled past the opposite one stops short of it.
    const CFrameRecord squeezed =
        DragOverlay(start, EDragPart::kHotspotBottomRight, 0, 0, -300, -300);
    EXPECT_EQ(squeezed.m_rcHotspot, (SRect{100, 100, 104, 104}));
    const CFrameRecord grown = DragOverlay(start, EDragPart::kHotspotTopLeft, 0, 0, -20, -30);
    EXPECT_EQ(grown.m_rcHotspot, (SRect{80, 70, 200, 160}));
    const CFrameRecord bubble = DragOverlay(start, EDragPart::kBubble, 0, 0, 7, 9);
    EXPECT_EQ(bubble.m_nBubbleX, 57);
    EXPECT_EQ(bubble.m_nBubbleY, 69);
    EXPECT_EQ(bubble.m_rcHotspot, start.m_rcHotspot);
    EXPECT_EQ(bubble.m_bHotspotRectExact, 0);
    const CFrameRecord pointer = DragOverlay(start, EDragPart::kNewPointer, 60, 70, 100, -40);
    EXPECT_EQ(pointer.m_nPointerX, 160);
    EXPECT_EQ(pointer.m_nPointerY, 30);
}

}  // namespace
