#include "editor/bubble/BubbleLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "editor/bubble/BubbleFont.h"
#include "project/model/DemoProject.h"
#include "project/model/TalkBubble.h"

namespace {

constexpr double kNavigationSquare = 7.0;  // the side of a button, in units u

SRect Grown(const SRect& rc, int32_t dx, int32_t dy) {
    return {rc.left - dx, rc.top - dy, rc.right + dx, rc.bottom + dy};
}

// The nearest earlier frame, not deleted, that shows a talk bubble; 0 when there is none.
int32_t PreviousBubbleFrame(const CDemoProject& project, const CFrameInfo& frame) {
    for (const CFrameInfo* p = frame.m_pPrev; p != nullptr; p = p->m_pPrev) {
        if (p->m_bDeleted == 0 && p->HasTalkBubble()) {
            return static_cast<int32_t>(project.IndexOf(p) + 1);
        }
    }
    return 0;
}

SRect BubbleRectangle(const SRect& rcText, uint8_t nStyle, int32_t Mw, int32_t Mh) {
    switch (nStyle) {
        case kBubbleRound:
        case kBubbleSquare:
            return Grown(rcText, Mw, Mh / 8);
        case kBubbleHeading:
        case kBubblePanel:
        case kBubblePanelTransparent:
            return Grown(rcText, Mw / 2, Mh / 8);
        default:
            return rcText;
    }
}

}  // namespace

int32_t CBubbleLayout::LineX(std::size_t i, uint8_t nAlign) const {
    const int32_t w = i < widths.size() ? widths[i] : 0;
    switch (nAlign) {
        case kAlignLeft:
            return cx - W / 2;
        case kAlignRight:
            return cx + W / 2 - w;
        default:
            return cx - w / 2;
    }
}

int32_t ScaledFontHeight(int32_t nHeight, const SBubbleView& view) {
    if (view.nRecordedWidth <= 0 || view.nRecordedHeight <= 0) {
        return nHeight;
    }
    const double ratio = (static_cast<double>(view.nShownWidth) / view.nRecordedWidth +
                          static_cast<double>(view.nShownHeight) / view.nRecordedHeight) *
                         0.5;
    // A damaged size cannot push the height outside its stored range.
    const double scaled = std::trunc(ratio * nHeight);
    return static_cast<int32_t>(std::clamp(scaled, -2147483647.0, 2147483647.0));
}

std::array<SBubblePoint, 3> PointerTriangle(const SRect& rcBubble, int32_t cx, int32_t cy,
                                            SBubblePoint tip) {
    const int32_t Z = std::min(rcBubble.right - rcBubble.left, rcBubble.bottom - rcBubble.top) / 6;
    // A tip more above or below than beside gets a horizontal base, else a vertical one.
    if (std::abs(static_cast<int64_t>(cx) - tip.x) < std::abs(static_cast<int64_t>(cy) - tip.y)) {
        return {tip, SBubblePoint{cx - Z, cy}, SBubblePoint{cx + Z, cy}};
    }
    return {tip, SBubblePoint{cx, cy - Z}, SBubblePoint{cx, cy + Z}};
}

SPlaqueFrame PlaqueFrame(const SRect& rcText, int32_t Mw) {
    SPlaqueFrame plaque;
    plaque.f = Mw * 5 / 12 + 1;
    plaque.rcInner = Grown(Grown(rcText, 0, 3), plaque.f, plaque.f / 6 + 1);
    plaque.rcOuter = Grown(plaque.rcInner, plaque.f, plaque.f);
    return plaque;
}

CBubbleLayout LayoutBubble(const CDemoProject& project, const CFrameInfo& frame,
                           const SBubbleView& view) {
    CBubbleLayout layout;
    // A style the list does not know is drawn as the first one.
    layout.nStyle = frame.m_nBubbleStyle <= kBubblePlaqueTransparent
                        ? frame.m_nBubbleStyle
                        : static_cast<uint8_t>(kBubbleRound);
    layout.nShownWidth = view.nShownWidth;
    layout.nShownHeight = view.nShownHeight;
    const CLogFont& stored = CTalkBubble(frame).Font(project);
    auto pFont = std::make_shared<CBubbleFont>(stored, ScaledFontHeight(stored.m_nHeight, view));
    layout.pFont = pFont;
    const CBubbleFont& font = *pFont;

    layout.cx = frame.m_nBubbleX + frame.m_nPanX - view.nPanOriginX;
    layout.cy = frame.m_nBubbleY + frame.m_nPanY - view.nPanOriginY;
    layout.Mw = font.Width(u"M");
    layout.Mh = font.Height();
    layout.u = layout.Mh * 0.125;
    layout.nSpaceWidth = font.Width(u" ");
    layout.nLineHeight = font.Height();
    layout.H = font.Height() + font.ExternalLeading();
    layout.nShadowOffset = layout.Mw / 24 + 1;
    layout.nUnderlineOffset = layout.nLineHeight;
    layout.nUnderlineThickness = UnderlineThickness(layout.nLineHeight, font.Weight());

    const bool bNavigation = frame.m_bNavigation != 0 && !view.bVideoExport;
    layout.lines = BubbleDisplayLines(frame);
    // Lines beyond the picture's height are cut off whole, so none is drawn outside it.
    if (layout.H > 0 && view.nShownHeight > 0) {
        const std::size_t rows = static_cast<std::size_t>(view.nShownHeight / layout.H);
        const std::size_t room = std::max<std::size_t>(1, rows - (bNavigation && rows > 1 ? 1 : 0));
        if (layout.lines.size() > room) {
            layout.nCutLines = layout.lines.size() - room;
            layout.lines.resize(room);
        }
    }

    layout.W = bNavigation ? font.Width(u"MMM") : 0;
    for (const SBubbleLine& line : layout.lines) {
        const int32_t w = font.Width(line.measure);
        layout.widths.push_back(w);
        layout.W = std::max(layout.W, w);
    }
    const int32_t n = static_cast<int32_t>(layout.lines.size());
    SRect& rc = layout.rcText;
    rc.left = layout.cx - layout.W / 2;
    rc.top = layout.cy - layout.H * n / 2;
    rc.right = rc.left + layout.W;
    rc.bottom = rc.top + layout.H * n;

    if (bNavigation) {
        SBubbleNavigation& nav = layout.navigation;
        nav.bShown = true;
        const double square = kNavigationSquare * layout.u;
        const int32_t lastWidth = layout.widths.empty() ? 0 : layout.widths.back();
        const double room = (rc.right - square) - (rc.left + square) - 2.0 * layout.nSpaceWidth;
        if (layout.lines.empty() || room < lastWidth) {
            rc.bottom += layout.H;
        }
        nav.nRowY = rc.bottom - layout.H / 2;
        const int32_t half = layout.H / 2;
        nav.rcPrevious = {rc.left, nav.nRowY - half, static_cast<int32_t>(rc.left + square),
                          nav.nRowY + half};
        nav.rcNext = {static_cast<int32_t>(rc.right - square), nav.nRowY - half, rc.right,
                      nav.nRowY + half};
        nav.nPreviousTarget = PreviousBubbleFrame(project, frame);
        nav.bPrevious = nav.nPreviousTarget != 0;
        nav.nNextTarget = frame.m_bFrameGoto != 0
                              ? frame.m_nFrameGotoFrame
                              : static_cast<int32_t>(project.IndexOf(&frame) + 2);
    }

    layout.rcBubble = BubbleRectangle(rc, layout.nStyle, layout.Mw, layout.Mh);
    if (frame.m_nPointerX != kNoPointer && layout.nStyle != kBubblePlaque &&
        layout.nStyle != kBubblePlaqueTransparent) {
        layout.bPointer = true;
        const SBubblePoint tip{frame.m_nPointerX + frame.m_nPanX - view.nPanOriginX,
                               frame.m_nPointerY + frame.m_nPanY - view.nPanOriginY};
        layout.pointer = PointerTriangle(layout.rcBubble, layout.cx, layout.cy, tip);
    }
    return layout;
}
