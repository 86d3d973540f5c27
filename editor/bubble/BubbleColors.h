// The colours a bubble derives from its stored colours (Windows colour values, red in the low
// byte): plaque bevels and the navigation arrows.
#pragma once

#include <cstdint>

struct SRgb {
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const SRgb&, const SRgb&) = default;
};

SRgb RgbOfColorValue(int32_t crColor);

// Each channel raised by k (255 at most) or, for negative k, lowered (0 at least).
SRgb Shifted(SRgb color, int k);

struct SArrowColors {
    SRgb arrow;
    SRgb dark;
    SRgb light;
};

// The three colours of the navigation arrows on a bubble of colour `bubble`; none of them equals
// the bubble colour, so the arrows can be told from the body around them.
SArrowColors ArrowColors(SRgb bubble);
