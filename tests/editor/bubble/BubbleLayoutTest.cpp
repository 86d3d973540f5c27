#include <gtest/gtest.h>

#include <functional>

#include "editor/bubble/BubbleColors.h"
#include "editor/bubble/BubbleFont.h"
#include "editor/bubble/BubbleLayout.h"
#include "editor/bubble/BubbleLines.h"
#include "tests/editor/bubble/BubbleTestSupport.h"

namespace {

using TLines = std::vector<std::u16string>;

TLines Drawn(const std::vector<SBubbleLine>& lines) {
    TLines out;
    for (const auto& line : lines) {
        out.push_back(line.text);
    }
    return out;
}

TEST(BubbleEdgeCases, GeometryColoursAndLines) {
    const SRect rcBubble{0, 0, 120, 60};  // Z = 60 / 6 = 10
    struct SCase {
        const char* what;
        std::function<void()> check;
    };
    const SCase cases[] = {
        {"tip straight below: horizontal base of 2Z about the centre",
         [&] {
             const auto p = PointerTriangle(rcBubble, 60, 30, {60, 190});
             EXPECT_EQ(p[0], (SBubblePoint{60, 190}));
             EXPECT_EQ(p[1], (SBubblePoint{50, 30}));
             EXPECT_EQ(p[2], (SBubblePoint{70, 30}));
         }},
        {"tip straight to the right: vertical base",
         [&] {
             const auto p = PointerTriangle(rcBubble, 60, 30, {300, 30});
             EXPECT_EQ(p[1], (SBubblePoint{60, 20}));
             EXPECT_EQ(p[2], (SBubblePoint{60, 40}));
         }},
        {"tip as far beside as below: vertical base",
         [&] {
             const auto p = PointerTriangle(rcBubble, 60, 30, {100, 70});
             EXPECT_EQ(p[1].x, 60);
         }},
        {"underline thickness",
         [] {
             EXPECT_EQ(UnderlineThickness(38, 700), 3);
             EXPECT_EQ(UnderlineThickness(42, 400), 3);
             EXPECT_EQ(UnderlineThickness(20, 400), 1);
         }},
        {"white bubble arrow colours",
         [] {
             const SArrowColors c = ArrowColors({255, 255, 255});
             EXPECT_EQ(c.arrow, (SRgb{207, 207, 207}));
             EXPECT_EQ(c.dark, (SRgb{155, 155, 155}));
             EXPECT_EQ(c.light, (SRgb{254, 255, 255}));
         }},
        {"dark bubble arrow colours",
         [] {
             const SArrowColors c = ArrowColors({0, 128, 40});
             EXPECT_EQ(c.arrow, (SRgb{96, 80, 136}));
             EXPECT_EQ(c.dark, (SRgb{0, 28, 0}));
             EXPECT_EQ(c.light, (SRgb{100, 228, 140}));
         }},
        {"plaque frame for an M of 12 pixels",
         [] {
             const SRect text{100, 50, 200, 80};
             const SPlaqueFrame plaque = PlaqueFrame(text, 12);
             EXPECT_EQ(plaque.f, 6);
             EXPECT_EQ(plaque.rcInner, (SRect{94, 45, 206, 85}));
             EXPECT_EQ(plaque.rcOuter, (SRect{88, 39, 212, 91}));
         }},
        {"A, line break, line break, B in split form",
         [] {
             EXPECT_EQ(SplitBubbleText(u"A\n\nB"), (TLines{u"A", u" ", u"B"}));
         }},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        c.check();
    }
}

TEST(BubbleLines, SplitForms) {
    struct SCase {
        const char* what;
        std::u16string text;
        TLines lines;
    };
    const std::u16string longLine(kMaxSplitLineLength + 5, u'x');
    const SCase cases[] = {
        {"empty text", u"", {}},
        {"carriage return and line feed end one line", u"A\r\nB\r\n", {u"A", u"B"}},
        {"an empty line between CR LF pairs shows a space", u"A\r\n\r\nB", {u"A", u" ", u"B"}},
        {"a tab ends a line but not the next one", u"A\tB", {u"A", u"B"}},
        {"text ends at its terminator", std::u16string(u"A\nB\0C", 5), {u"A", u"B"}},
        {"a long line continues on the next",
         longLine,
         {std::u16string(kMaxSplitLineLength, u'x'), u"xxxxx"}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(SplitBubbleText(c.text), c.lines);
    }
}

TEST(BubbleLines, DisplayLinesDropOneTrailingSpace) {
    CFrameRecord frame;
    frame.m_pFormat = EncodeBubbleLines({u"one ", u"two  ", u""});
    frame.m_bCountedLines = 1;
    const auto counted = BubbleDisplayLines(frame);
    ASSERT_EQ(counted.size(), 3u);
    EXPECT_EQ(Drawn(counted), (TLines{u"one", u"two ", u""}));
    // Counted lines are measured as stored, split lines without the space.
    EXPECT_EQ(counted[0].measure, u"one ");

    frame.m_bCountedLines = 0;
    frame.m_pText = u"one \ntwo";
    const auto split = BubbleDisplayLines(frame);
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[0].measure, u"one");
}

TEST(BubbleLines, DamagedCountedListStaysInsideTheBlock) {
    struct SCase {
        const char* what;
        std::u16string format;
        TLines lines;
    };
    const SCase cases[] = {
        {"count longer than the block", std::u16string{5, u'a', u'b'}, {u"ab"}},
        {"no end marker", std::u16string{1, u'a', 7999, 1, u'b'}, {u"a", u"", u"b"}},
        {"end marker stops before later lines", std::u16string{1, u'a', 8000, 1, u'b'}, {u"a"}},
        {"a count of 0 ends the list", std::u16string{1, u'a', 0, 1, u'b'}, {u"a"}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        CFrameRecord frame;
        frame.m_pFormat = c.format;
        frame.m_bCountedLines = 1;
        EXPECT_EQ(Drawn(BubbleDisplayLines(frame)), c.lines);
    }
    CFrameRecord many;
    many.m_pFormat = std::u16string(5000, kLineEmpty);
    many.m_bCountedLines = 1;
    EXPECT_EQ(BubbleDisplayLines(many).size(), kMaxBubbleLines);
}

TEST(BubbleLines, TextWaitingForLayoutShowsItsTypedLines) {
    CFrameRecord frame;
    frame.m_pFormat = UnlaidBubbleLines();
    frame.m_bCountedLines = 1;
    frame.m_pText = u"typed\ntext";
    EXPECT_EQ(Drawn(BubbleDisplayLines(frame)), (TLines{u"typed", u"text"}));
}

class BubbleLayoutTest : public CBubbleTest {};

TEST_F(BubbleLayoutTest, TextBlockIsCentredOnTheBubblePosition) {
    auto project = TestProject();
    CFrameInfo& frame = AddBubbleFrame(*project, {u"Hello", u"wide world line"});
    const CBubbleLayout layout = LayoutBubble(*project, frame, ViewOf(*project));
    ASSERT_EQ(layout.lines.size(), 2u);
    EXPECT_GT(layout.widths[1], layout.widths[0]);
    EXPECT_EQ(layout.W, layout.widths[1]);
    EXPECT_EQ(layout.rcText.left, 160 - layout.W / 2);
    EXPECT_EQ(layout.rcText.top, 100 - layout.H * 2 / 2);
    EXPECT_EQ(layout.rcText.bottom - layout.rcText.top, 2 * layout.H);
    EXPECT_GE(layout.H, layout.nLineHeight);
    EXPECT_EQ(layout.nShadowOffset, layout.Mw / 24 + 1);
    // Round bubbles grow by an M across and an eighth of it up and down.
    EXPECT_EQ(layout.rcBubble.left, layout.rcText.left - layout.Mw);
    EXPECT_EQ(layout.rcBubble.top, layout.rcText.top - layout.Mh / 8);
    // Lines align within the block.
    EXPECT_EQ(layout.LineX(0, kAlignLeft), layout.rcText.left);
    EXPECT_EQ(layout.LineX(0, kAlignRight), 160 + layout.W / 2 - layout.widths[0]);
    EXPECT_EQ(layout.LineX(0, kAlignCentre), 160 - layout.widths[0] / 2);
}

TEST_F(BubbleLayoutTest, PositionFollowsThePanOrigin) {
    auto project = TestProject();
    CFrameInfo& frame = AddBubbleFrame(*project, {u"Pan"});
    frame.m_nPanX = 40;
    frame.m_nPanY = 10;
    frame.m_nPointerX = 200;
    frame.m_nPointerY = 190;
    SBubbleView view = ViewOf(*project);
    view.nPanOriginX = 100;
    view.nPanOriginY = 30;
    const CBubbleLayout layout = LayoutBubble(*project, frame, view);
    EXPECT_EQ(layout.cx, 160 + 40 - 100);
    EXPECT_EQ(layout.cy, 100 + 10 - 30);
    ASSERT_TRUE(layout.bPointer);
    EXPECT_EQ(layout.pointer[0], (SBubblePoint{140, 170}));
}

TEST_F(BubbleLayoutTest, FontHeightFollowsTheShownSize) {
    SBubbleView view{640, 400, 320, 200};
    EXPECT_EQ(ScaledFontHeight(-16, view), -32);
    view = {200, 150, 320, 200};  // 0.625 and 0.75: mean 0.6875
    EXPECT_EQ(ScaledFontHeight(-17, view), -11);
    EXPECT_EQ(ScaledFontHeight(17, view), 11);

    auto project = TestProject();
    CFrameInfo& frame = AddBubbleFrame(*project, {u"Scale"});
    const CBubbleLayout full = LayoutBubble(*project, frame, ViewOf(*project));
    SBubbleView half = ViewOf(*project);
    half.nShownWidth /= 2;
    half.nShownHeight /= 2;
    const CBubbleLayout small = LayoutBubble(*project, frame, half);
    EXPECT_LT(small.W, full.W);
    EXPECT_NEAR(small.nLineHeight * 2, full.nLineHeight, 2);
}

TEST_F(BubbleLayoutTest, PositiveHeightIsTheCellHeight) {
    auto project = TestProject();
    CFrameInfo& frame = AddBubbleFrame(*project, {u"Cell"});
    frame.m_pFont = TestFont("Arial", 30);
    const CBubbleLayout cell = LayoutBubble(*project, frame, ViewOf(*project));
    EXPECT_NEAR(cell.nLineHeight, 30, 1);
    frame.m_pFont = TestFont("Arial", -30);
    const CBubbleLayout character = LayoutBubble(*project, frame, ViewOf(*project));
    EXPECT_GT(character.nLineHeight, 31);
}

TEST_F(BubbleLayoutTest, NavigationRowAndTargets) {
    auto project = TestProject();
    AddBubbleFrame(*project, {u"first"});
    CFrameInfo& deleted = AddBubbleFrame(*project, {u"deleted"});
    deleted.m_bDeleted = 1;
    AddPlainFrame(*project);
    CFrameInfo& frame =
        AddBubbleFrame(*project, {u"A first line much longer than the last", u"short"});
    frame.m_bNavigation = 1;
    SBubbleView view = ViewOf(*project);

    CBubbleLayout layout = LayoutBubble(*project, frame, view);
    const SBubbleNavigation& nav = layout.navigation;
    ASSERT_TRUE(nav.bShown);
    EXPECT_TRUE(nav.bPrevious);
    EXPECT_EQ(nav.nPreviousTarget, 1);  // the deleted bubble is passed over
    EXPECT_EQ(nav.nNextTarget, 5);
    // Room beside the buttons: they share the last line.
    EXPECT_EQ(layout.rcText.bottom - layout.rcText.top, 2 * layout.H);
    EXPECT_EQ(nav.nRowY, layout.rcText.bottom - layout.H / 2);
    EXPECT_EQ(nav.rcNext.right, layout.rcText.right);
    EXPECT_EQ(nav.rcNext.left, static_cast<int32_t>(layout.rcText.right - 7 * layout.u));
    EXPECT_EQ(nav.rcPrevious.left, layout.rcText.left);

    // A short last line leaves no room: the buttons get a row of their own.
    frame.m_pFormat = EncodeBubbleLines({u"Hi"});
    frame.m_bFrameGoto = 1;
    frame.m_nFrameGotoFrame = 2;
    layout = LayoutBubble(*project, frame, view);
    EXPECT_GE(layout.W, layout.pFont->Width(u"MMM"));
    EXPECT_EQ(layout.rcText.bottom - layout.rcText.top, 2 * layout.H);
    EXPECT_EQ(layout.navigation.nRowY, layout.rcText.bottom - layout.H / 2);
    EXPECT_EQ(layout.navigation.nNextTarget, 2);

    // No buttons in a video export; no previous button without an earlier bubble.
    view.bVideoExport = true;
    EXPECT_FALSE(LayoutBubble(*project, frame, view).navigation.bShown);
    view.bVideoExport = false;
    project->FirstFrame()->m_pFormat.reset();
    EXPECT_FALSE(LayoutBubble(*project, frame, view).navigation.bPrevious);
}

TEST_F(BubbleLayoutTest, TextTallerThanThePictureIsCutAtALine) {
    auto project = TestProject();
    CFrameInfo& frame = AddBubbleFrame(*project, TLines(200, u"line"));
    const CBubbleLayout layout = LayoutBubble(*project, frame, ViewOf(*project));
    ASSERT_GT(layout.H, 0);
    EXPECT_EQ(layout.lines.size(), static_cast<std::size_t>(kTestHeight / layout.H));
    EXPECT_EQ(layout.nCutLines, 200 - layout.lines.size());
    EXPECT_GE(layout.rcText.top, 0);
    EXPECT_LE(layout.rcText.bottom, kTestHeight);
}

TEST_F(BubbleLayoutTest, PlaquesHaveNoPointer) {
    auto project = TestProject();
    CFrameInfo& frame = AddBubbleFrame(*project, {u"Plaque"}, kBubblePlaque);
    frame.m_nPointerX = 10;
    frame.m_nPointerY = 10;
    const CBubbleLayout layout = LayoutBubble(*project, frame, ViewOf(*project));
    EXPECT_FALSE(layout.bPointer);
    EXPECT_EQ(layout.rcBubble, layout.rcText);
}

TEST_F(BubbleLayoutTest, DamagedFontOrStyleStillLaysOut) {
    auto project = TestProject();
    CFrameInfo& frame = AddBubbleFrame(*project, {u"Odd"});
    frame.m_nBubbleStyle = 200;
    frame.m_pFont = TestFont("", 0);
    CBubbleLayout layout = LayoutBubble(*project, frame, ViewOf(*project));
    EXPECT_EQ(layout.nStyle, kBubbleRound);
    frame.m_pFont = TestFont("No Such Face", -2000000000);
    layout = LayoutBubble(*project, frame, ViewOf(*project));
    EXPECT_LE(layout.lines.size(), 1u);
}

}  // namespace
