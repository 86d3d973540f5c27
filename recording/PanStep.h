// The glide of a pan recording's capture rectangle after the mouse cursor. Resting in the middle
// 80 % of the rectangle never starts a move; once moving, the rectangle goes on until the cursor
// is within its middle half. The speed grows by one pixel a step toward a target that grows with
// the cursor's distance, brakes ahead of the screen's edges and decays when the cursor is back.
#pragma once

#include <cstdint>

#include "imaging/Rect.h"

class CPanStep {
public:
    // One step: moves the origin (x0, y0) of the w × h capture after the cursor (screen
    // coordinates) inside `screen` (right and bottom exclusive). The origin never goes below 0
    // nor beyond the screen.
    void Step(int32_t cursorX, int32_t cursorY, int32_t& x0, int32_t& y0, int32_t w, int32_t h,
              const SRect& screen);

    int32_t m_nVx = 0;
    int32_t m_nVy = 0;
    bool m_bMx = false;
    bool m_bMy = false;
};
