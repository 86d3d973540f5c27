// The names under which the editor lists talk-bubble styles, hotspot styles, frame effects, URL
// targets and image hotspot sizes. The index in each list is the value stored in a frame.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::array<std::string_view, 7> kBubbleStyleNames = {
    "Round Bubble", "Square Bubble",      "Heading", "Panel", "Panel Transparent",
    "Plaque",       "Plaque Transparent "};

inline constexpr std::array<std::string_view, 13> kHotspotStyleNames = {
    "Ripple",      "Glow",          "Pulse", "Enlarge",   "Oval",  "Oblong",     "Zoom Oval",
    "Zoom Oblong", "Mouse Hotspot", "Shade", "Highlight", "Image", "Flash Movie"};

inline constexpr std::array<std::string_view, 9> kFrameEffectNames = {"None",
                                                                      "Fade-in",
                                                                      "Fade-out",
                                                                      "Sweeping Highlight",
                                                                      "Cross fade",
                                                                      "Transitional Fades Start",
                                                                      "Transitional Fades Stop",
                                                                      "Zoom to Region   Alt+X",
                                                                      "Zoom Out"};

// The targets offered in the "Target:" lists; any other text may be typed.
inline constexpr std::array<std::string_view, 7> kUrlTargets = {
    "_blank", "_top", "_self", "_parent", "_level0", "_level1", ""};

// The name of a stored value, or an empty view for a value outside the list.
std::string_view BubbleStyleName(uint8_t nStyle);
std::string_view HotspotStyleName(uint8_t nStyle);
std::string_view FrameEffectName(uint8_t nEffect);
// "10%" to "100%" for size choices 0 to 9; a custom size shows the hotspot's own size "%dx%d".
std::string ImageSizeName(int16_t nSizeMode, int32_t nWidth, int32_t nHeight);
