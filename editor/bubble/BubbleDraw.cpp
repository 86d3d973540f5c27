#include "editor/bubble/BubbleDraw.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <vector>

#include "editor/bubble/BubbleColors.h"
#include "editor/bubble/BubbleFont.h"
#include "project/model/DemoProject.h"

namespace {

constexpr int kPanelOpacity = 160;
constexpr int kPlaqueOpacity = 215;
constexpr int kSquareCorner = 6;

QColor ToQColor(SRgb c) {
    return QColor(c.r, c.g, c.b);
}

QColor ColorOf(int32_t crColor) {
    return ToQColor(RgbOfColorValue(crColor));
}

QRect ToQRect(const SRect& rc) {
    return QRect(QPoint(rc.left, rc.top), QPoint(rc.right - 1, rc.bottom - 1));
}

bool Contains(const SRect& rc, int32_t x, int32_t y) {
    return x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom;
}

QPolygonF PointerPolygon(const CBubbleLayout& layout) {
    QPolygonF polygon;
    for (const SBubblePoint& p : layout.pointer) {
        polygon << QPointF(p.x + 0.5, p.y + 0.5);
    }
    return polygon;
}

// A rounded rectangle outlined one pixel wide, as wide as the rectangle's right and bottom edges
// exclude.
void RoundedBody(QPainter& painter, const SRect& rc, int corner, const QColor& outline,
                 const QColor& fill) {
    painter.setPen(QPen(outline, 1));
    painter.setBrush(fill);
    const QRectF box(rc.left + 0.5, rc.top + 0.5, rc.right - rc.left - 1, rc.bottom - rc.top - 1);
    painter.drawRoundedRect(box, corner / 2.0, corner / 2.0);
}

void DrawRoundBody(QPainter& painter, const CBubbleLayout& layout, const QColor& bubble) {
    const SRect& t = layout.rcText;
    const SRect body{t.left - layout.Mw, t.top - layout.Mh / 4, t.right + layout.Mw,
                     t.bottom + layout.Mh / 4};
    const int corner = layout.nStyle == kBubbleRound ? 3 * layout.Mw : kSquareCorner;
    painter.setRenderHint(QPainter::Antialiasing, true);
    RoundedBody(painter, body, corner, Qt::black, bubble);
    if (layout.bPointer) {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(bubble);
        painter.drawPolygon(PointerPolygon(layout));
        // The body again, a pixel smaller, hides the pointer's base inside it.
        const SRect inner{body.left + 1, body.top + 1, body.right - 1, body.bottom - 1};
        RoundedBody(painter, inner, corner, bubble, bubble);
    }
}

// Styles 3 and 4: a panel over the picture, with the pointer when its tip lies outside it.
void DrawPanel(QPainter& painter, const CBubbleLayout& layout, const QColor& bubble) {
    const SRect& b = layout.rcBubble;
    const QRect panel = QRect(QPoint(b.left, b.top - 3), QPoint(b.right - 1, b.bottom + 2))
                            .intersected(QRect(0, 0, layout.nShownWidth, layout.nShownHeight));
    QPainterPath path;
    path.addRect(panel);
    const SBubblePoint& tip = layout.pointer[0];
    if (layout.bPointer && !panel.contains(tip.x, tip.y)) {
        QPainterPath pointer;
        pointer.addPolygon(PointerPolygon(layout));
        pointer.closeSubpath();
        path = path.united(pointer);
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (layout.nStyle == kBubblePanelTransparent) {
        painter.setOpacity(kPanelOpacity / 255.0);
    }
    painter.fillPath(path, bubble);
    painter.setOpacity(1.0);
}

void FillQuad(QPainter& painter, const QPoint& a, const QPoint& b, const QPoint& c, const QPoint& d,
              const QColor& color) {
    painter.setPen(QPen(color, 1));
    painter.setBrush(color);
    const QPoint points[] = {a, b, c, d};
    painter.drawPolygon(points, 4);
}

void DrawPlaque(QPainter& painter, const CBubbleLayout& layout, int32_t crBubble) {
    const SPlaqueFrame plaque = PlaqueFrame(layout.rcText, layout.Mw);
    const SRect& inner = plaque.rcInner;
    const SRect& outer = plaque.rcOuter;
    const SRgb bubble = RgbOfColorValue(crBubble);
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (layout.nStyle == kBubblePlaqueTransparent) {
        painter.setOpacity(kPlaqueOpacity / 255.0);
    }
    painter.fillRect(ToQRect(inner), ToQColor(bubble));
    painter.setOpacity(1.0);
    const QPoint oTL(outer.left, outer.top), oTR(outer.right - 1, outer.top),
        oBL(outer.left, outer.bottom - 1), oBR(outer.right - 1, outer.bottom - 1);
    const QPoint iTL(inner.left, inner.top), iTR(inner.right - 1, inner.top),
        iBL(inner.left, inner.bottom - 1), iBR(inner.right - 1, inner.bottom - 1);
    FillQuad(painter, oTL, iTL, iBL, oBL, ToQColor(Shifted(bubble, 15)));
    FillQuad(painter, oTL, iTL, iTR, oTR, ToQColor(Shifted(bubble, 30)));
    FillQuad(painter, oTR, iTR, iBR, oBR, ToQColor(Shifted(bubble, -15)));
    FillQuad(painter, oBL, iBL, iBR, oBR, ToQColor(Shifted(bubble, -30)));
}

void DrawUnderline(QPainter& painter, const CBubbleLayout& layout, int x, int y, int w,
                   const QColor& color) {
    const int t = layout.nUnderlineThickness;
    painter.fillRect(QRect(x, y + layout.nUnderlineOffset - t / 2, w, t), color);
}

void DrawText(QPainter& painter, const CBubbleLayout& layout, const CFrameRecord& frame) {
    const CBubbleFont& font = *layout.pFont;
    // Text whose colour was never set (set without the editor) is drawn black.
    const QColor text = ColorOf(frame.m_crText == kColorNotSet ? 0 : frame.m_crText);
    const QColor shadow = ColorOf(frame.m_crShadow);
    const bool bUnderline = frame.m_bUnderline != 0;
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (std::size_t i = 0; i < layout.lines.size(); ++i) {
        const SBubbleLine& line = layout.lines[i];
        const int x = layout.LineX(i, frame.m_nTextAlign);
        const int y = layout.LineY(i);
        const int w = layout.widths[i];
        const bool bBar = bUnderline && !line.measure.empty();
        if (frame.m_bShadow != 0) {
            const int d = layout.nShadowOffset;
            font.Draw(painter, x + d, y + d, line.text, shadow);
            if (bBar) {
                DrawUnderline(painter, layout, x + d, y + d, w, shadow);
            }
        }
        if (bBar) {
            DrawUnderline(painter, layout, x, y, w, text);
        }
        font.Draw(painter, x, y, line.text, text);
    }
}

// Fills the 4-connected area of `from`-coloured pixels around the seed with `to`.
void FloodFill(QImage& image, QPoint seed, QRgb from, QRgb to) {
    if (!image.rect().contains(seed) || image.pixel(seed) != from || from == to) {
        return;
    }
    std::vector<QPoint> stack{seed};
    while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        if (!image.rect().contains(p) || image.pixel(p) != from) {
            continue;
        }
        image.setPixel(p, to);
        stack.push_back({p.x() + 1, p.y()});
        stack.push_back({p.x() - 1, p.y()});
        stack.push_back({p.x(), p.y() + 1});
        stack.push_back({p.x(), p.y() - 1});
    }
}

// One navigation arrow in a square of side 7u with its left edge at `left`: seven strokes in the
// three arrow colours, then the inside filled with the arrow colour. Drawn on a square of the
// bubble colour first, so that only the arrow itself reaches the picture.
void DrawArrow(QPainter& target, const CBubbleLayout& layout, double left, bool bPointsRight,
               SRgb bubble) {
    const double s = 7.0 * layout.u;
    const int side = static_cast<int>(std::ceil(s));
    if (side < 3) {
        return;
    }
    const double stroke = std::max(1.0, layout.u * 0.5);
    const SArrowColors colors = ArrowColors(bubble);
    const QRgb background = qRgb(bubble.r, bubble.g, bubble.b);
    QImage square(side, side, QImage::Format_RGB32);
    square.fill(background);

    const double a = stroke / 2.0 + 0.5;
    const double mid = s / 2.0;
    const double q = std::max(s / 6.0, stroke + 1.0);
    auto at = [&](double x, double y) { return QPointF(bPointsRight ? x : s - x, y); };
    const QPointF tip = at(s - a, mid), headTop = at(mid, a), headBottom = at(mid, s - a),
                  shaftTopIn = at(mid, mid - q), shaftTopOut = at(a, mid - q),
                  shaftBottomOut = at(a, mid + q), shaftBottomIn = at(mid, mid + q);
    struct SStroke {
        QPointF from;
        QPointF to;
        SRgb color;
    };
    const SStroke strokes[] = {
        {headTop, tip, colors.light},
        {tip, headBottom, colors.dark},
        {headBottom, shaftBottomIn, colors.arrow},
        {shaftBottomIn, shaftBottomOut, colors.dark},
        {shaftBottomOut, shaftTopOut, colors.light},
        {shaftTopOut, shaftTopIn, colors.light},
        {shaftTopIn, headTop, colors.arrow},
    };
    {
        QPainter painter(&square);
        painter.setRenderHint(QPainter::Antialiasing, false);
        for (const SStroke& line : strokes) {
            painter.setPen(
                QPen(ToQColor(line.color), stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawLine(line.from, line.to);
        }
    }
    const double inset = 2.0 * stroke + 1.0;
    const QPointF seed = at(s - a - inset, mid);
    FloodFill(square, seed.toPoint(), background,
              qRgb(colors.arrow.r, colors.arrow.g, colors.arrow.b));

    const int x0 = static_cast<int>(left);
    const int y0 = static_cast<int>(layout.navigation.nRowY - s / 2.0);
    QImage arrow = square.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < side; ++y) {
        auto* row = reinterpret_cast<QRgb*>(arrow.scanLine(y));
        for (int x = 0; x < side; ++x) {
            if ((row[x] & 0xFFFFFF) == (background & 0xFFFFFF)) {
                row[x] = 0;
            }
        }
    }
    target.drawImage(QPoint(x0, y0), arrow);
}

void DrawNavigation(QPainter& painter, const CBubbleLayout& layout, int32_t crBubble) {
    const SRgb bubble = RgbOfColorValue(crBubble);
    const double s = 7.0 * layout.u;
    DrawArrow(painter, layout, layout.rcText.right - s, true, bubble);
    if (layout.navigation.bPrevious) {
        DrawArrow(painter, layout, layout.rcText.left, false, bubble);
    }
}

}  // namespace

void DrawBubbleLayout(const CBubbleLayout& layout, const CFrameRecord& frame, QImage& surface) {
    if (!layout.pFont || !layout.pFont->IsValid() || surface.isNull()) {
        return;
    }
    QPainter painter(&surface);
    const QColor bubble = ColorOf(frame.m_crBubble);
    switch (layout.nStyle) {
        case kBubbleRound:
        case kBubbleSquare:
            DrawRoundBody(painter, layout, bubble);
            break;
        case kBubblePanel:
        case kBubblePanelTransparent:
            DrawPanel(painter, layout, bubble);
            break;
        case kBubblePlaque:
        case kBubblePlaqueTransparent:
            DrawPlaque(painter, layout, frame.m_crBubble);
            break;
        default:
            break;
    }
    DrawText(painter, layout, frame);
    if (layout.navigation.bShown) {
        DrawNavigation(painter, layout, frame.m_crBubble);
    }
}

CBubbleLayout DrawBubble(const CDemoProject& project, const CFrameInfo& frame,
                         const SBubbleView& view, QImage& surface) {
    CBubbleLayout layout = LayoutBubble(project, frame, view);
    DrawBubbleLayout(layout, frame, surface);
    return layout;
}

EBubbleHit HitTestBubble(const CBubbleLayout& layout, int32_t x, int32_t y) {
    const SBubbleNavigation& nav = layout.navigation;
    if (nav.bShown && Contains(nav.rcNext, x, y)) {
        return EBubbleHit::kNext;
    }
    if (nav.bShown && nav.bPrevious && Contains(nav.rcPrevious, x, y)) {
        return EBubbleHit::kPrevious;
    }
    return Contains(layout.rcBubble, x, y) ? EBubbleHit::kBubble : EBubbleHit::kNone;
}
