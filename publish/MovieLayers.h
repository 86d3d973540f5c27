// The layers the publisher places its objects on, lowest first, and the sprite properties its
// scripts set.
#pragma once

#include <cstdint>

inline constexpr uint16_t kLayerPicture = 1;
inline constexpr uint16_t kLayerTransition = 65501;
inline constexpr uint16_t kLayerControl = 65502;
inline constexpr uint16_t kLayerSyncMarker = 65503;

enum : int { kPropX = 0, kPropY = 1, kPropXScale = 2, kPropYScale = 3, kPropHighQuality = 16 };
