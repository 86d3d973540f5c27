// Puts a stored window rectangle back on the screen.
#pragma once

#include <array>
#include <cstdint>

// left, top, right, bottom
using TWindowRect = std::array<std::int32_t, 4>;

inline constexpr int kMinVisible = 32;
inline constexpr int kMoveInside = 120;

// The screen is (screenLeft, screenTop) to (screenRight, screenBottom). Right and bottom are
// clipped to the screen; a left or top edge that would leave fewer than 32 pixels visible moves
// to 120 pixels before the right or bottom edge. A window that lies left of or above the screen
// moves onto it keeping its size where it can.
TWindowRect PlaceOnScreen(const TWindowRect& rect, const TWindowRect& screen);
