// The geometry of the capture-area frame window: which edge the mouse is on, resizing with a
// least size, the rounding of the capture width when a drag ends, the first frame and the clamp
// to the screen. Rectangles are window rectangles: right and bottom exclusive.
#pragma once

#include <cstdint>

#include "imaging/Rect.h"

inline constexpr int32_t kFrameBorder = 3;
// Two borders and 32 pixels of capture in each direction.
inline constexpr int32_t kMinFrameSize = 2 * kFrameBorder + 32;

// Where the mouse is on the frame: 1 left, 2 right, 3 top, 4 top-left, 5 top-right, 6 bottom,
// 7 bottom-left, 8 bottom-right, 0 inside.
enum EFrameHit : int32_t {
    kHitInside = 0,
    kHitLeft = 1,
    kHitRight = 2,
    kHitTop = 3,
    kHitTopLeft = 4,
    kHitTopRight = 5,
    kHitBottom = 6,
    kHitBottomLeft = 7,
    kHitBottomRight = 8,
};

int32_t FrameHitCode(int32_t x, int32_t y, const SRect& frame);
bool HitMovesLeft(int32_t hit);
bool HitMovesRight(int32_t hit);
bool HitMovesTop(int32_t hit);
bool HitMovesBottom(int32_t hit);

// The frame `start` resized by the mouse having moved (dx, dy) since the resize began: the edges
// named by `hit` follow; none comes nearer than kMinFrameSize to its opposite edge, which holds.
SRect ResizeFrame(const SRect& start, int32_t hit, int32_t dx, int32_t dy);

// At the end of a resize the capture width (frame width less two borders) becomes a multiple of
// 4: a remainder of 1 takes one pixel off, 2 adds two, 3 adds one. The change is made at the
// left edge when the resize was by a left edge, else at the right edge.
SRect RoundFrameWidth(const SRect& frame, int32_t hit);

// The frame over the middle of a desktop of width × height: 20 % margins, rounded as above.
SRect InitialFrame(int32_t width, int32_t height);

// A stored frame brought onto the screen: right and bottom not beyond it, left and top not
// before it; when less than 32 pixels would remain, the left (top) edge goes 120 pixels before
// the right (bottom) edge.
SRect ClampFrameToScreen(const SRect& frame, const SRect& screen);
