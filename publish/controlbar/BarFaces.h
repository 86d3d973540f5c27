// The faces of the bar's buttons in each look: flat rounded boxes for "Classic", glossy,
// round, bordered or plain ones for the styled looks, all in the scheme's colours.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "publish/controlbar/BarSizing.h"

class CSwfShapeObject;

struct SFaceLook {
    EBarStyle style = kBarClassic;
    std::array<uint32_t, 6> colors{};
    int32_t nTwips = 20;
    int32_t nBevel = 2;
};

bool RoundFace(EBarStyle style);
bool GlossyFace(EBarStyle style);
// Whether the look draws an outline in the Edge colour.
bool OutlinedFace(EBarStyle style);
// The colour between `color` and white, `percent` of the way to white (0x00BBGGRR).
uint32_t Lighter(uint32_t color, int percent);

// A face filling the box (x1, y1)-(x2, y2), in units.
std::unique_ptr<CSwfShapeObject> MakeFace(const SFaceLook& look, int32_t x1, int32_t y1, int32_t x2,
                                          int32_t y2, uint32_t fill);
