#include "app/WindowPlacement.h"

#include <algorithm>

TWindowRect PlaceOnScreen(const TWindowRect& rect, const TWindowRect& screen) {
    auto [left, top, right, bottom] = rect;
    const auto [sLeft, sTop, sRight, sBottom] = screen;
    // Off the left or top edge: slide the whole window onto the screen.
    if (right < sLeft + kMinVisible) {
        right += sLeft - left;
        left = sLeft;
    }
    if (bottom < sTop + kMinVisible) {
        bottom += sTop - top;
        top = sTop;
    }
    right = std::min(right, sRight);
    bottom = std::min(bottom, sBottom);
    if (left > sRight - kMinVisible) {
        left = std::max(sLeft, sRight - kMoveInside);
    }
    if (top > sBottom - kMinVisible) {
        top = std::max(sTop, sBottom - kMoveInside);
    }
    if (right <= left) {
        right = sRight;
    }
    if (bottom <= top) {
        bottom = sBottom;
    }
    return {left, top, right, bottom};
}
