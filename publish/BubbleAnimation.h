// The animation of a talk bubble as it appears and before it goes: per movie frame, the
// bubble's alpha, scale and offset from the channels of its animation settings.
//
// The movie reads the settings this way: channels 2p and 2p + 1 are the "in" and "out" effect of
// pair p (0 "Fade", 1 "Zoom", 2 "Slide Left / Right", 3 "Slide Top / Bottom", 4 "Fade in text",
// which the movie treats like "Fade"); a channel's second value switches it on, its third value
// is its speed (0 to 1000) and its fourth value its option (zoom from the bubble's own top-left
// corner; slide from the right or from the bottom; fade the other way round). The first two of the
// ten settings are the "in" and "out" durations in hundredths of a second.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/Rect.h"

struct CBubbleAnimation;

struct SBubbleMotion {
    int32_t nAlpha = 256;      // 8.8 multiplier
    int32_t nScale = 0x10000;  // 16.16
    int32_t nDx = 0;           // units
    int32_t nDy = 0;
};

struct SBubbleAnimationPlan {
    std::vector<SBubbleMotion> in;   // one entry per movie frame, from the bubble's first frame
    std::vector<SBubbleMotion> out;  // ending at the bubble's last frame
};

// `bubble` in movie pixels; `twips` units per pixel.
SBubbleAnimationPlan PlanBubbleAnimation(const CBubbleAnimation& settings, int32_t frameRate,
                                         const SRect& bubble, int32_t pictureWidth,
                                         int32_t pictureHeight, int32_t twips);
