#include "publish/BubbleSprite.h"

#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <string>
#include <vector>

#include "editor/bubble/BubbleColors.h"
#include "editor/bubble/BubbleFont.h"
#include "project/model/DemoProject.h"
#include "project/model/FrameInfo.h"
#include "project/model/TalkBubble.h"
#include "publish/BubbleGlyphs.h"
#include "publish/PublishContext.h"
#include "publish/PublishSettings.h"
#include "swf/SwfAction.h"
#include "swf/SwfButton.h"
#include "swf/SwfEditText.h"
#include "swf/SwfFont.h"
#include "swf/SwfMovie.h"
#include "swf/SwfShapeObject.h"

namespace {

constexpr int kPanelAlpha = 160;
constexpr int kPlaqueAlpha = 215;
constexpr int kFirstFadeAlpha = 51;
constexpr int kSquareCorner = 6;
constexpr double kNavigationSquare = 7.0;
// Text boxes reach this far beyond a line, in units: the player keeps a 2-pixel gutter inside a
// text field, so a box 2 pixels above the line puts the text where the preview draws it.
constexpr int32_t kTextMarginX = 100;
constexpr int32_t kTextMarginY = 40;

CSwfColor Color(SRgb c, int alpha = 255) {
    return {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b), uint8_t(alpha)};
}

// What a bubble draws in one step, in the order it is placed (lowest first).
struct SPiece {
    CSwfObject* pObject;
    int nFullAlpha;  // the alpha the piece is drawn at once the fade is over
};

class CBubbleBuilder {
public:
    CBubbleBuilder(SPublishContext& c, const CFrameRecord& look, const CBubbleLayout& layout,
                   CSwfFont* pFont)
        : m_c(c), m_look(look), m_layout(layout), m_tw(c.geometry.nTwips), m_pFont(pFont) {}

    std::vector<SPiece> Pieces() {
        switch (m_layout.nStyle) {
            case kBubbleRound:
            case kBubbleSquare:
                RoundBody();
                break;
            case kBubblePanel:
            case kBubblePanelTransparent:
                Panel();
                break;
            case kBubblePlaque:
            case kBubblePlaqueTransparent:
                Plaque();
                break;
            default:
                break;
        }
        Text();
        return std::move(m_pieces);
    }
    CSwfFont* Font() const { return m_pFont; }

private:
    int32_t U(double pixels) const { return int32_t(pixels * m_tw); }
    // The centre of pixel column or row `p`, where the preview's one-pixel lines run.
    int32_t Mid(int32_t p) const { return p * m_tw + m_tw / 2; }

    template <class T>
    T& Add(std::unique_ptr<T> object, int alpha = 255) {
        T& kept = m_c.Keep(std::move(object));
        m_pieces.push_back({&kept, alpha});
        return kept;
    }

    SRgb Bubble() const { return RgbOfColorValue(m_look.m_crBubble); }

    void Outlined(CSwfShapeObject& shape, SRgb line) {
        shape.SetLineWidth(m_tw);
        shape.SetLineColor(Color(line));
    }

    void RoundBody() {
        const SRect& t = m_layout.rcText;
        const SRect body{t.left - m_layout.Mw, t.top - m_layout.Mh / 4, t.right + m_layout.Mw,
                         t.bottom + m_layout.Mh / 4};
        const int corner = m_layout.nStyle == kBubbleRound ? 3 * m_layout.Mw : kSquareCorner;
        auto rounded = [&](const SRect& rc, SRgb line) -> CSwfRoundRect& {
            auto shape = std::make_unique<CSwfRoundRect>(
                Mid(rc.left), Mid(rc.top), Mid(rc.right - 1), Mid(rc.bottom - 1), U(corner / 2.0));
            shape->SetFillColor(Color(Bubble()));
            Outlined(*shape, line);
            return Add(std::move(shape));
        };
        rounded(body, {0, 0, 0});
        if (m_layout.bPointer) {
            auto pointer = std::make_unique<CSwfPath>(PointerPoints());
            pointer->SetFillColor(Color(Bubble()));
            Outlined(*pointer, {0, 0, 0});
            Add(std::move(pointer));
            // The body again, a pixel smaller and outlined in its own colour, hides the pointer's
            // base inside it.
            rounded({body.left + 1, body.top + 1, body.right - 1, body.bottom - 1}, Bubble());
        }
    }

    std::vector<SSwfPoint> PointerPoints() const {
        std::vector<SSwfPoint> points;
        for (const SBubblePoint& p : m_layout.pointer) {
            points.push_back({Mid(p.x), Mid(p.y)});
        }
        return points;
    }

    // The panel rectangle joined with the pointer when its tip lies outside, as one outline so
    // that a see-through panel is not darker where the two overlap.
    void Panel() {
        const SRect& b = m_layout.rcBubble;
        const QRect panel =
            QRect(QPoint(b.left, b.top - 3), QPoint(b.right - 1, b.bottom + 2))
                .intersected(QRect(0, 0, m_layout.nShownWidth, m_layout.nShownHeight));
        if (panel.isEmpty()) {
            return;
        }
        QPainterPath path;
        path.addRect(QRectF(panel.left(), panel.top(), panel.width(), panel.height()));
        const SBubblePoint& tip = m_layout.pointer[0];
        if (m_layout.bPointer && !panel.contains(tip.x, tip.y)) {
            QPolygonF triangle;
            for (const SBubblePoint& p : m_layout.pointer) {
                triangle << QPointF(p.x + 0.5, p.y + 0.5);
            }
            QPainterPath pointer;
            pointer.addPolygon(triangle);
            pointer.closeSubpath();
            path = path.united(pointer).simplified();
        }
        const int alpha = m_layout.nStyle == kBubblePanelTransparent ? kPanelAlpha : 255;
        for (const QPolygonF& polygon : path.toFillPolygons()) {
            std::vector<SSwfPoint> points;
            for (const QPointF& p : polygon) {
                points.push_back({U(p.x()), U(p.y())});
            }
            if (points.size() < 3) {
                continue;
            }
            auto shape = std::make_unique<CSwfPath>(points);
            shape->SetFillColor(Color(Bubble(), alpha));
            shape->SetLineWidth(0);
            Add(std::move(shape), alpha);
        }
    }

    void Plaque() {
        const SPlaqueFrame plaque = PlaqueFrame(m_layout.rcText, m_layout.Mw);
        const SRect& in = plaque.rcInner;
        const SRect& out = plaque.rcOuter;
        const int alpha = m_layout.nStyle == kBubblePlaqueTransparent ? kPlaqueAlpha : 255;
        auto inner = std::make_unique<CSwfRectangle>(U(in.left), U(in.top), U(in.right) - 1,
                                                     U(in.bottom) - 1);
        inner->SetFillColor(Color(Bubble(), alpha));
        inner->SetLineWidth(0);
        Add(std::move(inner), alpha);
        const SSwfPoint oTL{Mid(out.left), Mid(out.top)}, oTR{Mid(out.right - 1), Mid(out.top)},
            oBL{Mid(out.left), Mid(out.bottom - 1)}, oBR{Mid(out.right - 1), Mid(out.bottom - 1)};
        const SSwfPoint iTL{Mid(in.left), Mid(in.top)}, iTR{Mid(in.right - 1), Mid(in.top)},
            iBL{Mid(in.left), Mid(in.bottom - 1)}, iBR{Mid(in.right - 1), Mid(in.bottom - 1)};
        const struct {
            std::array<SSwfPoint, 4> corners;
            int shift;
        } bevels[] = {{{oTL, iTL, iBL, oBL}, 15},
                      {{oTL, iTL, iTR, oTR}, 30},
                      {{oTR, iTR, iBR, oBR}, -15},
                      {{oBL, iBL, iBR, oBR}, -30}};
        for (const auto& bevel : bevels) {
            const SRgb color = Shifted(Bubble(), bevel.shift);
            auto quad = std::make_unique<CSwfPath>(bevel.corners);
            quad->SetFillColor(Color(color));
            Outlined(*quad, color);
            Add(std::move(quad));
        }
    }

    void Text() {
        if (!m_pFont) {
            std::u16string all;
            for (const SBubbleLine& line : m_layout.lines) {
                all += line.text;
            }
            m_pFont = &m_c.Keep(BubbleTextFont(m_c.project, m_look, *m_layout.pFont, all));
        }
        const SRgb text = RgbOfColorValue(m_look.m_crText == kColorNotSet ? 0 : m_look.m_crText);
        const SRgb shadow = RgbOfColorValue(m_look.m_crShadow);
        const int32_t d = std::max(1, m_layout.nShadowOffset);
        for (std::size_t i = 0; i < m_layout.lines.size(); ++i) {
            const int32_t x = m_layout.LineX(i, m_look.m_nTextAlign);
            const int32_t y = m_layout.LineY(i);
            const bool bar = m_look.m_bUnderline != 0 && !m_layout.lines[i].measure.empty();
            if (m_look.m_bShadow != 0) {
                Line(i, x + d, y + d, shadow, bar);
            }
            Line(i, x, y, text, bar);
        }
    }

    void Line(std::size_t i, int32_t x, int32_t y, SRgb color, bool bar) {
        const int32_t w = m_layout.widths[i];
        if (bar) {
            const int32_t t = std::max(1, m_layout.nUnderlineThickness);
            const int32_t top = y + m_layout.nUnderlineOffset - t / 2;
            auto underline = std::make_unique<CSwfRoundRect>(U(x), U(top), U(x + w) - 1,
                                                             U(top + t) - 1, U(t / 3.0));
            underline->SetFillColor(Color(color));
            underline->SetLineWidth(0);
            Add(std::move(underline));
        }
        if (m_layout.lines[i].text.empty()) {
            return;
        }
        auto field = std::make_unique<CSwfEditText>(
            U(x) - kTextMarginX, U(y) - kTextMarginY, U(x + w) + kTextMarginX,
            U(y + m_layout.nLineHeight) + kTextMarginY, m_layout.lines[i].text);
        field->SetFont(*m_pFont);
        field->SetFontHeight(
            uint16_t(std::clamp<double>(std::round(m_layout.pFont->PixelSize() * m_tw), 1, 65535)));
        field->SetTextColor(Color(color));
        field->SetEditable(false);
        field->SetAlignment(2);
        Add(std::move(field));
    }

    SPublishContext& m_c;
    const CFrameRecord& m_look;
    const CBubbleLayout& m_layout;
    const int32_t m_tw;
    std::vector<SPiece> m_pieces;
    CSwfFont* m_pFont = nullptr;
};

// The alpha of fade step k (1-based) of n towards `full`: from 51 up in equal steps.
int StepAlpha(uint32_t k, uint32_t n, int full) {
    if (n <= 1 || full <= kFirstFadeAlpha) {
        return full;
    }
    return kFirstFadeAlpha + (full - kFirstFadeAlpha) * int(k - 1) / int(n - 1);
}

}  // namespace

SBubbleView MovieBubbleView(const SPublishContext& context) {
    SBubbleView view;
    view.nShownWidth = context.geometry.nWidth;
    view.nShownHeight = context.geometry.nHeight;
    view.nRecordedWidth = std::max(1, context.project.m_nWidth);
    view.nRecordedHeight = std::max(1, context.project.m_nHeight);
    view.bVideoExport = context.settings.m_bVideoExport;
    return view;
}

std::unique_ptr<CSwfFont> BubbleTextFont(const CDemoProject& project, const CFrameRecord& look,
                                         const CBubbleFont& font, std::u16string_view text) {
    const CLogFont& stored = CTalkBubble(look).Font(project);
    return MakeEmbeddedFont(font, stored.FaceName(), stored.m_bItalic != 0, stored.m_nWeight == 700,
                            text);
}

std::unique_ptr<CSwfMovie> BuildBubbleTimeline(SPublishContext& context, const CFrameRecord& look,
                                               const CBubbleLayout& layout,
                                               const SBubbleLook& how) {
    auto timeline = context.segments.Main().NewTimeline();
    timeline->SetFrameRate(context.segments.Main().FrameRate());
    const uint32_t first = how.bHidden ? 1 : 0;
    if (how.bHidden) {
        timeline->GetFrame(0).AddAction(CSwfAction::Stop());
    }
    if (!layout.pFont || !layout.pFont->IsValid()) {
        timeline->GetFrame(first).AddAction(CSwfAction::Stop());
        return timeline;
    }
    CBubbleBuilder builder(context, look, layout, how.pFont);
    const std::vector<SPiece> pieces = builder.Pieces();
    if (!how.pFont) {
        timeline->GetFrame(0).AddObject(*builder.Font());
    }
    const uint32_t steps = std::max<uint32_t>(1, how.nFade);
    for (uint32_t k = 1; k <= steps; ++k) {
        CSwfFrame& frame = timeline->GetFrame(first + k - 1);
        uint16_t layer = 1;
        for (const SPiece& piece : pieces) {
            if (k > 1) {
                frame.RemoveObject(*piece.pObject);
            }
            const int alpha = StepAlpha(k, steps, piece.nFullAlpha);
            // A shape's fill already carries its own alpha; the step scales it.
            const int multiplier = piece.nFullAlpha > 0 ? 256 * alpha / piece.nFullAlpha : 256;
            piece.pObject->SetColorTransform(false, steps > 1, 256, 256, 256, multiplier, 0, 0, 0,
                                             0);
            piece.pObject->SetLayer(layer++);
            frame.AddObject(*piece.pObject);
        }
    }
    timeline->GetFrame(first + steps - 1).AddAction(CSwfAction::Stop());
    return timeline;
}

CSwfButton& MakeNavigationButton(SPublishContext& context, const CFrameRecord& look,
                                 const CBubbleLayout& layout, bool next) {
    const int32_t tw = context.geometry.nTwips;
    const SBubbleNavigation& nav = layout.navigation;
    const SRect& area = next ? nav.rcNext : nav.rcPrevious;
    const double s = kNavigationSquare * layout.u;
    const double left = next ? layout.rcText.right - s : layout.rcText.left;
    const double top = nav.nRowY - s / 2.0;
    auto at = [&](double x, double y) {
        return SSwfPoint{int32_t((left + (next ? x : s - x)) * tw), int32_t((top + y) * tw)};
    };
    const double q = s / 6.0;
    // An arrow: the head's three corners and the shaft, pointing right for "next".
    const std::vector<SSwfPoint> arrow = {at(s, s / 2),     at(s / 2, s),     at(s / 2, s / 2 + q),
                                          at(0, s / 2 + q), at(0, s / 2 - q), at(s / 2, s / 2 - q),
                                          at(s / 2, 0)};
    const SArrowColors colors = ArrowColors(RgbOfColorValue(look.m_crBubble));
    auto picture = [&](SRgb fill, SRgb line) -> CSwfObject& {
        auto shape = std::make_unique<CSwfPath>(arrow);
        shape->SetFillColor(Color(fill));
        shape->SetLineWidth(tw);
        shape->SetLineColor(Color(line));
        return context.Keep(std::move(shape));
    };
    CSwfObject& up = picture(colors.arrow, colors.dark);
    CSwfObject& over = picture(colors.light, colors.dark);
    CSwfObject& down = picture(colors.dark, colors.dark);
    auto hit = std::make_unique<CSwfRectangle>(area.left * tw, area.top * tw, area.right * tw - 1,
                                               area.bottom * tw - 1);
    CSwfObject& hitArea = context.Keep(std::move(hit));
    auto button = std::make_unique<CSwfButton>(up, over, down, hitArea);
    return context.Keep(std::move(button));
}
