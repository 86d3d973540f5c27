#include "swf/SwfFontGlyphs.h"

#include <algorithm>
#include <climits>
#include <memory>

#include "swf/SwfBitWriter.h"
#include "swf/SwfRect.h"
#include "swf/SwfShapeRecords.h"

namespace {

// A glyph's SHAPE: one fill bit, no line bits, the contours filled with style 1, the end record.
std::vector<uint8_t> GlyphShape(const SSwfGlyph& glyph) {
    CSwfBitWriter shape;
    shape.WriteBits(1, 4);
    shape.WriteBits(0, 4);
    int32_t x = 0;
    int32_t y = 0;
    bool styled = false;
    for (const SSwfGlyph::SStep& step : glyph.steps) {
        switch (step.kind) {
            case SSwfGlyph::kMove: {
                CSwfStyleChangeRecord move(false, false, !styled, true, step.x, step.y, 1, 0, 0);
                move.SetFillBits(1);
                move.Write(shape);
                styled = true;
                break;
            }
            case SSwfGlyph::kLine:
                if (step.x != x || step.y != y) {
                    CSwfStraightEdgeRecord(step.x - x, step.y - y).Write(shape);
                }
                break;
            case SSwfGlyph::kCurve:
                CSwfCurvedEdgeRecord(step.cx - x, step.cy - y, step.x - step.cx, step.y - step.cy)
                    .Write(shape);
                break;
        }
        x = step.x;
        y = step.y;
    }
    CSwfEndShapeRecord().Write(shape);
    shape.Align();
    return shape.Bytes();
}

CSwfRect GlyphBounds(const SSwfGlyph& glyph) {
    if (glyph.steps.empty()) {
        return {};
    }
    int32_t x1 = INT32_MAX, y1 = INT32_MAX, x2 = INT32_MIN, y2 = INT32_MIN;
    for (const SSwfGlyph::SStep& step : glyph.steps) {
        x1 = std::min(x1, step.x);
        y1 = std::min(y1, step.y);
        x2 = std::max(x2, step.x);
        y2 = std::max(y2, step.y);
    }
    return {x1, y1, x2, y2};
}

size_t ShapesLength(const std::vector<std::vector<uint8_t>>& shapes) {
    size_t length = 0;
    for (const auto& shape : shapes) {
        length += shape.size();
    }
    return length;
}

std::vector<std::vector<uint8_t>> Shapes(const std::vector<SSwfGlyph>& glyphs) {
    std::vector<std::vector<uint8_t>> shapes;
    shapes.reserve(glyphs.size());
    for (const SSwfGlyph& glyph : glyphs) {
        shapes.push_back(GlyphShape(glyph));
    }
    return shapes;
}

}  // namespace

SSwfGlyphTable BuildGlyphTable(const std::vector<SSwfGlyph>& glyphs,
                               const SSwfFontMetrics& metrics) {
    const std::vector<std::vector<uint8_t>> shapes = Shapes(glyphs);
    SSwfGlyphTable table;
    // The code table offset, the last offset written, counts the offset table too.
    table.bWideOffsets = ShapesLength(shapes) + 2 * (glyphs.size() + 1) > 0xFFFF;
    const bool wide = table.bWideOffsets;
    CSwfBitWriter body;
    body.WriteU16(uint32_t(glyphs.size()));
    // Offsets count from the start of the offset table; the code table follows the shapes. A
    // font without glyphs has neither.
    if (!glyphs.empty()) {
        size_t offset = (wide ? 4 : 2) * (glyphs.size() + 1);
        for (const auto& shape : shapes) {
            wide ? body.WriteU32(uint32_t(offset)) : body.WriteU16(uint32_t(offset));
            offset += shape.size();
        }
        wide ? body.WriteU32(uint32_t(offset)) : body.WriteU16(uint32_t(offset));
    }
    for (const auto& shape : shapes) {
        for (uint8_t byte : shape) {
            body.WriteU8(byte);
        }
    }
    for (const SSwfGlyph& glyph : glyphs) {
        body.WriteU16(glyph.code);
    }
    body.WriteU16(metrics.ascent);
    body.WriteU16(metrics.descent);
    body.WriteU16(uint16_t(metrics.leading));
    for (const SSwfGlyph& glyph : glyphs) {
        body.WriteU16(uint16_t(glyph.advance));
    }
    for (const SSwfGlyph& glyph : glyphs) {
        GlyphBounds(glyph).Write(body);
    }
    body.WriteU16(0);  // kerning
    table.bytes = body.Bytes();
    return table;
}
