#include "publish/BubbleGlyphs.h"

#include <QPainterPath>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <set>
#include <vector>

#include "editor/bubble/BubbleFont.h"
#include "swf/SwfFont.h"

namespace {

int32_t Unit(qreal v) {
    return int32_t(std::lround(v));
}

struct SPoint {
    qreal x = 0;
    qreal y = 0;
};

SPoint Mid(SPoint a, SPoint b) {
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

void AddQuad(std::vector<SSwfGlyph::SStep>& steps, SPoint control, SPoint to) {
    steps.push_back({SSwfGlyph::kCurve, Unit(control.x), Unit(control.y), Unit(to.x), Unit(to.y)});
}

// A cubic as two quadratic halves; exact for the cubics Qt makes of a quadratic outline.
void AddCubic(std::vector<SSwfGlyph::SStep>& steps, SPoint p0, SPoint p1, SPoint p2, SPoint p3) {
    const SPoint a = Mid(p0, p1), b = Mid(p1, p2), c = Mid(p2, p3);
    const SPoint d = Mid(a, b), e = Mid(b, c), m = Mid(d, e);
    auto control = [](SPoint q0, SPoint q1, SPoint q2, SPoint q3) {
        return SPoint{(3 * (q1.x + q2.x) - q0.x - q3.x) / 4, (3 * (q1.y + q2.y) - q0.y - q3.y) / 4};
    };
    AddQuad(steps, control(p0, a, d, m), m);
    AddQuad(steps, control(m, e, c, p3), p3);
}

// The path's contours as glyph steps, each contour closed back to its start.
std::vector<SSwfGlyph::SStep> Steps(const QPainterPath& path) {
    std::vector<SSwfGlyph::SStep> steps;
    SPoint start, at;
    auto close = [&] {
        if (!steps.empty() && (Unit(at.x) != Unit(start.x) || Unit(at.y) != Unit(start.y))) {
            steps.push_back({SSwfGlyph::kLine, 0, 0, Unit(start.x), Unit(start.y)});
        }
    };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const SPoint p{e.x, e.y};
        if (e.isMoveTo()) {
            close();
            steps.push_back({SSwfGlyph::kMove, 0, 0, Unit(p.x), Unit(p.y)});
            start = at = p;
        } else if (e.isLineTo()) {
            steps.push_back({SSwfGlyph::kLine, 0, 0, Unit(p.x), Unit(p.y)});
            at = p;
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            const QPainterPath::Element c2 = path.elementAt(i + 1);
            const QPainterPath::Element to = path.elementAt(i + 2);
            AddCubic(steps, at, p, {c2.x, c2.y}, {to.x, to.y});
            at = {to.x, to.y};
            i += 2;
        }
    }
    close();
    return steps;
}

}  // namespace

std::vector<SSwfGlyph> GlyphsOf(const CBubbleFont& font, std::u16string_view text) {
    const std::set<char16_t> codes(text.begin(), text.end());
    std::vector<SSwfGlyph> glyphs;
    for (char16_t code : codes) {
        // Halves of surrogate pairs and control characters draw nothing on one line.
        if (code < 0x20 || (code >= 0xD800 && code <= 0xDFFF)) {
            continue;
        }
        QPainterPath path;
        qreal advance = 0;
        if (!font.Outline(code, kSwfFontEm, &path, &advance)) {
            continue;
        }
        glyphs.push_back(
            {code, int16_t(std::min<qreal>(std::lround(advance), INT16_MAX)), Steps(path)});
    }
    return glyphs;
}

std::unique_ptr<CSwfFont> MakeEmbeddedFont(const CBubbleFont& font, const std::string& name,
                                           bool italic, bool bold, std::u16string_view text) {
    if (!font.IsValid()) {
        return std::make_unique<CSwfFont>(name, italic, bold);
    }
    std::vector<SSwfGlyph> glyphs = GlyphsOf(font, text);
    // The player finds a field's font by its name, so fonts with other glyphs need other names;
    // a name made from the glyphs keeps equal fonts equal and the movie the same every publish.
    uint32_t digest = 2166136261u;
    auto mix = [&digest](uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) {
            digest = (digest ^ ((value >> shift) & 0xFF)) * 16777619u;
        }
    };
    for (const SSwfGlyph& glyph : glyphs) {
        mix(glyph.code);
        mix(uint32_t(glyph.advance));
        mix(uint32_t(glyph.steps.size()));
    }
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, " %08x", digest);
    auto result = std::make_unique<CSwfFont>(name + suffix, italic, bold);
    qreal ascent = 0, descent = 0, leading = 0;
    font.Metrics(kSwfFontEm, &ascent, &descent, &leading);
    result->SetGlyphs(std::move(glyphs),
                      {uint16_t(Unit(ascent)), uint16_t(Unit(descent)), int16_t(Unit(leading))});
    return result;
}
