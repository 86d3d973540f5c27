// The glyph outlines of an embedded font: what DefineFont2 carries so that the player draws text
// with the shapes and advances it was laid out with, not with a system font of its own.
#pragma once

#include <cstdint>
#include <vector>

class CSwfBitWriter;

// One glyph in font units (an em square of 1024, y down, the baseline at 0). Steps are absolute
// points; a move starts a new contour.
struct SSwfGlyph {
    enum EStep : uint8_t { kMove, kLine, kCurve };
    struct SStep {
        EStep kind = kMove;
        int32_t cx = 0;  // control point of a curve
        int32_t cy = 0;
        int32_t x = 0;
        int32_t y = 0;
    };

    uint16_t code = 0;  // UTF-16 code unit
    int16_t advance = 0;
    std::vector<SStep> steps;
};

struct SSwfFontMetrics {
    uint16_t ascent = 0;
    uint16_t descent = 0;
    int16_t leading = 0;
};

inline constexpr int32_t kSwfFontEm = 1024;

// The part of a DefineFont2 body from the glyph count to the end: the glyph count, the offset
// table, the shapes, the code table and the layout (metrics, advances, bounds, no kerning).
// `glyphs` must be sorted by code. Offsets are 32-bit when the shapes need it, which the font's
// flag byte must say.
struct SSwfGlyphTable {
    bool bWideOffsets = false;
    std::vector<uint8_t> bytes;
};
SSwfGlyphTable BuildGlyphTable(const std::vector<SSwfGlyph>& glyphs,
                               const SSwfFontMetrics& metrics);
