#include "publish/controlbar/BarFaces.h"

#include <algorithm>

#include "swf/SwfShapeObject.h"

bool RoundFace(EBarStyle style) {
    return style == kBarGlassoRound || style == kBarVistaRound || style == kBarVistaGlass;
}

bool GlossyFace(EBarStyle style) {
    return style == kBarGlassoSquare || style == kBarGlassoRound || style == kBarVistaGlass;
}

bool OutlinedFace(EBarStyle style) {
    return style != kBarVistaPlain;
}

uint32_t Lighter(uint32_t color, int percent) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int c = int((color >> shift) & 0xFF);
        out |= uint32_t(c + (255 - c) * percent / 100) << shift;
    }
    return out;
}

std::unique_ptr<CSwfShapeObject> MakeFace(const SFaceLook& look, int32_t x1, int32_t y1, int32_t x2,
                                          int32_t y2, uint32_t fill) {
    std::unique_ptr<CSwfShapeObject> face;
    if (RoundFace(look.style)) {
        const int32_t d = std::min(x2 - x1, y2 - y1);
        const int32_t cx = (x1 + x2) / 2;
        const int32_t cy = (y1 + y2) / 2;
        face = std::make_unique<CSwfEllipse>(cx - d / 2, cy - d / 2, cx + d / 2, cy + d / 2);
    } else {
        const int32_t radius =
            look.style == kBarClassic ? look.nBevel * look.nTwips : 3 * look.nTwips;
        face = std::make_unique<CSwfRoundRect>(x1, y1, x2, y2, radius);
    }
    if (GlossyFace(look.style)) {
        face->SetRadialGradient(SwfColorFromRef(Lighter(fill, 55)), SwfColorFromRef(fill));
    } else {
        face->SetFillColor(SwfColorFromRef(fill));
    }
    const uint32_t edge = look.colors[1];
    if (OutlinedFace(look.style)) {
        face->SetLineColor(SwfColorFromRef(edge));
        face->SetLineWidth(look.style == kBarVistaBordered ? 2 * look.nTwips : look.nTwips);
    } else {
        face->SetLineWidth(0);
    }
    return face;
}
