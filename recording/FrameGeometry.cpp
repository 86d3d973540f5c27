#include "recording/FrameGeometry.h"

#include <algorithm>

namespace {
constexpr int32_t kEdgeGrip = 10;
}  // namespace

int32_t FrameHitCode(int32_t x, int32_t y, const SRect& frame) {
    int32_t hit = kHitInside;
    if (x < frame.left + kEdgeGrip) {
        hit += kHitLeft;
    }
    if (x > frame.right - kEdgeGrip) {
        hit += kHitRight;
    }
    if (y < frame.top + kEdgeGrip) {
        hit += kHitTop;
    }
    if (y > frame.bottom - kEdgeGrip) {
        hit += kHitBottom;
    }
    return hit;
}

bool HitMovesLeft(int32_t hit) {
    return hit == kHitLeft || hit == kHitTopLeft || hit == kHitBottomLeft;
}
bool HitMovesRight(int32_t hit) {
    return hit == kHitRight || hit == kHitTopRight || hit == kHitBottomRight;
}
bool HitMovesTop(int32_t hit) {
    return hit == kHitTop || hit == kHitTopLeft || hit == kHitTopRight;
}
bool HitMovesBottom(int32_t hit) {
    return hit == kHitBottom || hit == kHitBottomLeft || hit == kHitBottomRight;
}

SRect ResizeFrame(const SRect& start, int32_t hit, int32_t dx, int32_t dy) {
    SRect r = start;
    if (HitMovesLeft(hit)) {
        r.left = std::min(start.left + dx, start.right - kMinFrameSize);
    } else if (HitMovesRight(hit)) {
        r.right = std::max(start.right + dx, start.left + kMinFrameSize);
    }
    if (HitMovesTop(hit)) {
        r.top = std::min(start.top + dy, start.bottom - kMinFrameSize);
    } else if (HitMovesBottom(hit)) {
        r.bottom = std::max(start.bottom + dy, start.top + kMinFrameSize);
    }
    return r;
}

SRect RoundFrameWidth(const SRect& frame, int32_t hit) {
    static constexpr int32_t kChange[4] = {0, -1, 2, 1};
    const int32_t inner = frame.right - frame.left - 2 * kFrameBorder;
    const int32_t change = kChange[((inner % 4) + 4) % 4];
    SRect r = frame;
    if (HitMovesLeft(hit)) {
        r.left -= change;
    } else {
        r.right += change;
    }
    return r;
}

SRect InitialFrame(int32_t width, int32_t height) {
    const int32_t left = width * 20 / 100;
    const int32_t top = height * 20 / 100;
    return RoundFrameWidth({left, top, width - left, height - top}, kHitInside);
}

SRect ClampFrameToScreen(const SRect& frame, const SRect& screen) {
    SRect r = frame;
    r.right = std::min(r.right, screen.right);
    r.bottom = std::min(r.bottom, screen.bottom);
    if (r.right - r.left < 32) {
        r.left = r.right - 120;
    }
    if (r.bottom - r.top < 32) {
        r.top = r.bottom - 120;
    }
    // A frame left or above the screen would capture pixels that are not there.
    r.left = std::max(r.left, screen.left);
    r.top = std::max(r.top, screen.top);
    r.right = std::max(r.right, r.left + kMinFrameSize);
    r.bottom = std::max(r.bottom, r.top + kMinFrameSize);
    return r;
}
