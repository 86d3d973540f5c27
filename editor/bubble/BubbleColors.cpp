#include "editor/bubble/BubbleColors.h"

#include <algorithm>

namespace {

int Clamp(int channel) {
    return std::clamp(channel, 0, 255);
}

SRgb Apart(SRgb derived, SRgb bubble) {
    if (derived == bubble) {
        derived.r = derived.r == 255 ? 254 : derived.r + 1;
    }
    return derived;
}

int ArrowChannel(int channel) {
    return channel >= 128 ? channel - 48 : channel + 96;
}

}  // namespace

SRgb RgbOfColorValue(int32_t crColor) {
    const auto value = static_cast<uint32_t>(crColor);
    return {static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
            static_cast<int>((value >> 16) & 0xFF)};
}

SRgb Shifted(SRgb color, int k) {
    return {Clamp(color.r + k), Clamp(color.g + k), Clamp(color.b + k)};
}

SArrowColors ArrowColors(SRgb bubble) {
    const SRgb arrow{ArrowChannel(bubble.r), ArrowChannel(bubble.g), ArrowChannel(bubble.b)};
    return {Apart(arrow, bubble), Apart(Shifted(bubble, -100), bubble),
            Apart(Shifted(bubble, 100), bubble)};
}
