#include "recording/PanStep.h"

#include <algorithm>
#include <cstdlib>

namespace {

// One axis of the step: c the cursor, o the origin, n the capture's size, [lo, hi) the screen.
void StepAxis(int32_t c, int32_t& o, int32_t n, int32_t inset, int32_t lo, int32_t hi, int32_t& v,
              bool& moving) {
    const int32_t zoneLow = o + inset;
    const int32_t zoneHigh = o + n - inset;
    int32_t target = 0;
    bool hasTarget = false;
    if (c < zoneLow) {
        target = -1 - (zoneLow - c) / 10;
        hasTarget = true;
    } else if (c > zoneHigh) {
        target = (c - zoneHigh) / 10 + 1;
        hasTarget = true;
    }
    if (hasTarget) {
        moving = true;
        v += v < target ? 1 : (v > target ? -1 : 0);
    }
    // The distance 1 + 2 + ... + (|v| - 1) that the decaying speed still covers.
    const int32_t speed = std::abs(v);
    const int32_t coast = (speed - 1) * speed / 2;
    if (v < 0 && o - lo <= coast) {
        v = -1 - std::abs(lo - o) / 10;
        moving = false;
    } else if (v > 0 && hi - (o + n) <= coast) {
        v = std::abs(hi - (o + n)) / 10 + 1;
        moving = false;
    }
    o += v;
    if (o > hi - n) {
        o = hi - n;
        v = 0;
    }
    if (o < std::max(lo, 0)) {
        o = std::max(lo, 0);
        v = 0;
    }
    if (!moving) {
        v += v > 0 ? -1 : (v < 0 ? 1 : 0);
    }
}

}  // namespace

void CPanStep::Step(int32_t cursorX, int32_t cursorY, int32_t& x0, int32_t& y0, int32_t w,
                    int32_t h, const SRect& screen) {
    const bool wide = m_bMx || m_bMy;
    m_bMx = false;
    m_bMy = false;
    StepAxis(cursorX, x0, w, wide ? w / 4 : w / 10, screen.left, screen.right, m_nVx, m_bMx);
    StepAxis(cursorY, y0, h, wide ? h / 4 : h / 10, screen.top, screen.bottom, m_nVy, m_bMy);
}
