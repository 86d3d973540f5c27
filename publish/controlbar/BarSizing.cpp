#include "publish/controlbar/BarSizing.h"

#include <algorithm>

namespace {

constexpr const char* kStyleNames[kBarStyleCount] = {
    "Classic",     "Glasso Square",  "Glasso Round", "Vista Square",
    "Vista Round", "Vista Bordered", "Vista Plain",  "Vista Glass"};

constexpr int32_t kStyledHeight = 29;

SBarSize SizeRow(int32_t width, EBarStyle style) {
    SBarSize s;
    s.style = style;
    int32_t h = width / 7;
    h += h & 1;
    h = std::clamp(h, 13, 23);
    if (style != kBarClassic) {
        h = kStyledHeight;
    }
    s.nHeight = h;
    s.nSymbol = h - 6;
    s.nButton = std::min(s.nSymbol + s.nSymbol / 2, width / 8);
    s.nBevel = s.nButton < 5 ? 0 : 2;
    s.nSymbol = std::min(s.nSymbol, s.nButton);
    return s;
}

}  // namespace

const char* BarStyleName(int32_t style) {
    return kStyleNames[BarStyleOf(style)];
}

EBarStyle BarStyleOf(int32_t stored) {
    return stored >= 0 && stored < kBarStyleCount ? EBarStyle(stored) : kDefaultBarStyle;
}

SBarSize SizeBar(int32_t width, EBarStyle style, bool bar) {
    if (!bar) {
        return {};
    }
    width = std::max(width, 1);
    SBarSize s = SizeRow(width, style);
    if (width - 8 * s.nButton < 2 * s.nButton && style != kBarClassic) {
        s = SizeRow(width, kBarClassic);
        s.nExtraRow = s.nHeight;
    }
    return s;
}

STimeDisplay TimeDisplayFor(double seconds) {
    if (seconds >= 3600) {
        return {"0:00:00", 50, true, true};
    }
    if (seconds >= 600) {
        return {"00:00", 43, false, true};
    }
    return {"0:00", 32, false, false};
}
