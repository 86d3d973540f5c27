// Where a talk bubble's lines, body, pointer and navigation buttons go on the shown picture. The
// editor's preview draws from it, and the publisher builds the bubble in the movie from the same
// text block, line positions and pointer, so both show the bubble in the same place.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "editor/bubble/BubbleLines.h"
#include "imaging/Rect.h"

class CBubbleFont;
class CDemoProject;
class CFrameInfo;

// The picture a bubble is laid out on.
struct SBubbleView {
    int32_t nShownWidth = 0;
    int32_t nShownHeight = 0;
    int32_t nRecordedWidth = 0;
    int32_t nRecordedHeight = 0;
    // The origin of the shown part of a pan recording's desktop picture.
    int32_t nPanOriginX = 0;
    int32_t nPanOriginY = 0;
    // A video export shows no navigation buttons.
    bool bVideoExport = false;
};

struct SBubblePoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const SBubblePoint&, const SBubblePoint&) = default;
};

struct SBubbleNavigation {
    bool bShown = false;
    bool bPrevious = false;       // an earlier frame has a talk bubble
    int32_t nRowY = 0;            // centre of the button row
    SRect rcPrevious;             // hit area of the previous button
    SRect rcNext;                 // hit area of the next button
    int32_t nPreviousTarget = 0;  // 1-based frame numbers
    int32_t nNextTarget = 0;
};

struct CBubbleLayout {
    uint8_t nStyle = 0;
    std::vector<SBubbleLine> lines;
    std::vector<int32_t> widths;  // measured width of each line
    int32_t W = 0;                // widest line
    int32_t H = 0;                // line height with the external leading
    int32_t nLineHeight = 0;      // a line's own height
    int32_t cx = 0;
    int32_t cy = 0;
    int32_t Mw = 0;
    int32_t Mh = 0;
    double u = 0;
    int32_t nSpaceWidth = 0;
    SRect rcText;    // the text block
    SRect rcBubble;  // the text block grown per style
    bool bPointer = false;
    std::array<SBubblePoint, 3> pointer{};  // tip, then the two base points
    int32_t nShadowOffset = 0;
    int32_t nUnderlineOffset = 0;  // below a line's top
    int32_t nUnderlineThickness = 0;
    int32_t nShownWidth = 0;
    int32_t nShownHeight = 0;
    // Lines the picture had no room for.
    std::size_t nCutLines = 0;
    SBubbleNavigation navigation;
    std::shared_ptr<const CBubbleFont> pFont;

    // The left end of line i for its alignment.
    int32_t LineX(std::size_t i, uint8_t nAlign) const;
    int32_t LineY(std::size_t i) const { return rcText.top + static_cast<int32_t>(i) * H; }
};

// The font height for the shown picture: the stored height scaled by the mean of the two ratios
// of shown to recorded size, truncated toward zero.
int32_t ScaledFontHeight(int32_t nHeight, const SBubbleView& view);

// The pointer's base points for a tip around the centre (cx, cy) of a bubble rectangle.
std::array<SBubblePoint, 3> PointerTriangle(const SRect& rcBubble, int32_t cx, int32_t cy,
                                            SBubblePoint tip);

// The frame of the plaque styles: width f = Mw x 5 / 12 + 1; the inner rectangle is the text
// block grown by 3 pixels vertically, then by f horizontally and f / 6 + 1 vertically; the outer
// one is the inner grown by f on every side.
struct SPlaqueFrame {
    int32_t f = 0;
    SRect rcInner;
    SRect rcOuter;
};
SPlaqueFrame PlaqueFrame(const SRect& rcText, int32_t Mw);

// Lays out the bubble of `frame`, which must have one.
CBubbleLayout LayoutBubble(const CDemoProject& project, const CFrameInfo& frame,
                           const SBubbleView& view);
