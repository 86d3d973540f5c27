#include <gtest/gtest.h>

#include <vector>

#include "project/model/BubbleAnimation.h"
#include "project/model/BubbleStyle.h"
#include "project/model/DemoProject.h"
#include "project/model/Hotspot.h"
#include "project/model/StyleNames.h"
#include "project/model/TalkBubble.h"

namespace {

CLogFont Font(const char* face, int32_t nHeight) {
    CLogFont font = CLogFont::Default();
    font.SetFaceName(face);
    font.m_nHeight = nHeight;
    return font;
}

class BubbleStyleTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_project.m_crDefaultText = 0x000011;
        m_project.m_crDefaultBubble = 0x000022;
        m_project.m_crDefaultShadow = 0x000033;
        m_project.m_bDefaultUnderline = 1;
        m_project.m_bDefaultShadow = 1;
        m_project.m_nDefaultBubbleStyle = kBubblePanel;
        m_project.m_CurrentFont = Font("Current", -20);
        for (int i = 0; i < 4; ++i) {
            m_project.AppendCapturedFrame();
        }
    }
    CDemoProject m_project;
};

TEST_F(BubbleStyleTest, FirstTextTakesTheProjectDefaults) {
    CFrameInfo& f = *m_project.FirstFrame();
    ApplyFirstText(f, m_project);
    EXPECT_EQ(f.m_nBubbleStyle, kBubblePanel);
    EXPECT_EQ(f.m_pFont, m_project.m_CurrentFont);
    EXPECT_EQ(f.m_crText, 0x000011);
    EXPECT_EQ(f.m_crBubble, 0x000022);
    EXPECT_EQ(f.m_crShadow, 0x000033);
    EXPECT_TRUE(f.m_bUnderline && f.m_bShadow);
}

TEST_F(BubbleStyleTest, FirstTextKeepsWhatTheFrameAlreadyHas) {
    CFrameInfo& f = *m_project.FirstFrame();
    f.m_nBubbleStyle = kBubbleHeading;
    f.m_pFont = Font("Own", -12);
    f.m_crText = 0x0000AA;
    f.m_crBubble = 0x0000BB;
    ApplyFirstText(f, m_project);
    EXPECT_EQ(f.m_nBubbleStyle, kBubbleHeading);
    EXPECT_EQ(f.m_pFont->FaceName(), "Own");
    EXPECT_EQ(f.m_crText, 0x0000AA);
    EXPECT_EQ(f.m_crBubble, 0x0000BB);
    EXPECT_FALSE(f.m_bUnderline);
}

TEST_F(BubbleStyleTest, TheDefaultStyleWinsOverEverything) {
    CFrameInfo& source = *m_project.FirstFrame();
    source.m_crText = 1;
    source.m_crBubble = 2;
    source.m_crShadow = 3;
    source.m_bShadow = 1;
    SetDefaultStyle(m_project, source, Font("Chosen", -30), true);
    ASSERT_TRUE(m_project.m_DefaultStyle);

    CFrameInfo& f = *m_project.LastFrame();
    f.m_pFont = Font("Own", -12);
    f.m_crText = 0x0000AA;
    ApplyFirstText(f, m_project);
    EXPECT_EQ(f.m_pFont->FaceName(), "Chosen");
    EXPECT_EQ((std::vector<int32_t>{f.m_crText, f.m_crBubble, f.m_crShadow}),
              (std::vector<int32_t>{1, 2, 3}));
    EXPECT_TRUE(f.m_bShadow);
    EXPECT_FALSE(f.m_bUnderline);

    SetDefaultStyle(m_project, source, Font("Chosen", -30), false);
    EXPECT_FALSE(m_project.m_DefaultStyle);
}

TEST_F(BubbleStyleTest, ApplyToAllReachesBubblesOfTheSameStyleOnly) {
    auto bubble = [](CFrameInfo& f, uint8_t nStyle) {
        f.m_pFormat = u"";
        f.m_nBubbleStyle = nStyle;
    };
    CFrameInfo& source = *m_project.FrameAt(0);
    CFrameInfo& sameNoFont = *m_project.FrameAt(1);
    CFrameInfo& otherStyle = *m_project.FrameAt(2);
    CFrameInfo& deleted = *m_project.FrameAt(3);
    CFrameInfo& sameWithFont = m_project.AppendCapturedFrame();
    CFrameInfo& noBubble = m_project.AppendCapturedFrame();
    bubble(source, kBubbleRound);
    bubble(sameNoFont, kBubbleRound);
    bubble(otherStyle, kBubbleSquare);
    bubble(deleted, kBubbleRound);
    deleted.m_bDeleted = 1;
    bubble(sameWithFont, kBubbleRound);
    sameWithFont.m_pFont = Font("Old", -9);
    source.m_crText = 0x0000AA;
    source.m_crShadow = 0x0000BB;
    source.m_crBubble = 0x0000CC;
    source.m_bUnderline = 1;

    // The source uses the project's current font: a frame without a font keeps none.
    ApplyStyleToAll(m_project, source);
    EXPECT_FALSE(sameNoFont.m_pFont);
    EXPECT_EQ(sameNoFont.m_crText, 0x0000AA);
    EXPECT_EQ(sameNoFont.m_crShadow, 0x0000BB);
    EXPECT_EQ(sameNoFont.m_crBubble, 0x0000CC);
    EXPECT_TRUE(sameNoFont.m_bUnderline);
    EXPECT_EQ(sameWithFont.m_pFont, m_project.m_CurrentFont);
    for (const CFrameInfo* p : {&otherStyle, &deleted, &noBubble}) {
        EXPECT_EQ(p->m_crText, kColorNotSet);
        EXPECT_FALSE(p->m_pFont);
    }

    // A source with a font of its own gives every such bubble that font.
    source.m_pFont = Font("Source", -14);
    ApplyStyleToAll(m_project, source);
    EXPECT_EQ(sameNoFont.m_pFont, source.m_pFont);
    EXPECT_EQ(sameWithFont.m_pFont, source.m_pFont);
    EXPECT_FALSE(otherStyle.m_pFont);
}

TEST(TalkBubble, ExistsWithLaidOutTextAndFallsBackToTheCurrentFont) {
    CDemoProject project;
    CFrameRecord f;
    f.m_pText = u"typed";
    EXPECT_FALSE(CTalkBubble::Of(f));
    f.m_pFormat = EncodeBubbleLines({u"typed"});
    ASSERT_TRUE(CTalkBubble::Of(f));
    const CTalkBubble bubble(f);
    EXPECT_EQ(bubble.Text(), u"typed");
    EXPECT_EQ(&bubble.Font(project), &project.m_CurrentFont);
    EXPECT_TRUE(bubble.IsTimed());
    f.m_pFont = CLogFont::Default();
    EXPECT_EQ(&bubble.Font(project), &*f.m_pFont);
}

TEST(TalkBubble, CountedLines) {
    struct SCase {
        const char* name;
        std::vector<std::u16string> lines;
        std::u16string format;
    };
    const SCase cases[] = {
        {"two lines",
         {u"ab", u"c"},
         u"\x0002"
         u"ab\x0001"
         u"c\x1F40"},
        {"empty line",
         {u"a", u"", u"b"},
         u"\x0001"
         u"a\x1F3F\x0001"
         u"b\x1F40"},
        {"no lines", {}, u"\x1F40"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(EncodeBubbleLines(c.lines), c.format) << c.name;
        EXPECT_EQ(DecodeBubbleLines(c.format, true), c.lines) << c.name;
    }
    // A line too long for one count is split; no unit of the result is 0.
    const std::u16string longLine(kMaxLineLength + 5, u'x');
    const std::u16string encoded = EncodeBubbleLines({longLine});
    EXPECT_EQ(encoded.find(u'\0'), std::u16string::npos);
    EXPECT_EQ(DecodeBubbleLines(encoded, true),
              (std::vector<std::u16string>{std::u16string(kMaxLineLength, u'x'), u"xxxxx"}));
    // A count that runs past the text keeps what is there.
    EXPECT_EQ(DecodeBubbleLines(u"\x0009"
                                u"abc",
                                true),
              (std::vector<std::u16string>{u"abc"}));
}

TEST(TalkBubble, OlderControlSeparatedLinesAndUnlaidText) {
    EXPECT_EQ(DecodeBubbleLines(u"one\r\ntwo\rthree", false),
              (std::vector<std::u16string>{u"one", u"two", u"three"}));
    EXPECT_EQ(DecodeBubbleLines(u"a\n\nb", false), (std::vector<std::u16string>{u"a", u"", u"b"}));

    CFrameRecord f;
    f.m_pFormat = UnlaidBubbleLines();
    f.m_bCountedLines = 1;
    EXPECT_TRUE(CTalkBubble(f).NeedsLayout());
    EXPECT_TRUE(CTalkBubble(f).Lines().empty());
    f.m_pFormat = EncodeBubbleLines({u"x"});
    EXPECT_FALSE(CTalkBubble(f).NeedsLayout());
}

TEST(Hotspot, SwitchingOnTakesTheDefaultsAndStaysInTheRecordedArea) {
    CDemoProject project;
    project.m_nWidth = 640;
    project.m_nHeight = 480;
    project.m_nDefaultHotspotStyle = kHotspotGlow;
    project.m_crDefaultHotspot = 0x00FF00;
    project.m_nDefaultHotspotThickness = 9;
    project.m_nDefaultHotspotLevel = 70;
    project.m_rcDefaultHotspot = {-10, 20, 700, 500};

    CFrameInfo& fresh = project.AppendCapturedFrame();
    CHotspot::SwitchOn(fresh, project);
    ASSERT_TRUE(CHotspot::Of(fresh));
    EXPECT_EQ(fresh.m_nHotspotStyle, kHotspotGlow);
    EXPECT_EQ(fresh.m_crHotspot, 0x00FF00);
    EXPECT_EQ(fresh.m_nHotspotThickness, 9);
    EXPECT_EQ(fresh.m_nHotspotLevel, 70);
    EXPECT_EQ(fresh.m_rcHotspot, (SRect{0, 20, 640, 480}));
    EXPECT_TRUE(CHotspot(fresh).WaitsForClick());

    CFrameInfo& styled = project.AppendCapturedFrame();
    styled.m_nHotspotStyle = kHotspotShade;
    styled.m_crHotspot = 0x123456;
    CHotspot::SwitchOn(styled, project);
    EXPECT_EQ(styled.m_nHotspotStyle, kHotspotShade);
    EXPECT_EQ(styled.m_crHotspot, 0x123456);
    EXPECT_TRUE(CHotspot(styled).UsesLevel());

    // An image hotspot is not clipped, and one with a picture keeps its rectangle.
    project.m_nDefaultHotspotStyle = kHotspotImage;
    CFrameInfo& image = project.AppendCapturedFrame();
    CHotspot::SwitchOn(image, project);
    EXPECT_EQ(image.m_rcHotspot, project.m_rcDefaultHotspot);
    CFrameInfo& picture = project.AppendCapturedFrame();
    picture.m_pszHotspotImage = "logo.png";
    picture.m_rcHotspot = {1, 2, 3, 4};
    CHotspot::SwitchOn(picture, project);
    EXPECT_EQ(picture.m_rcHotspot, (SRect{1, 2, 3, 4}));
}

TEST(Hotspot, SliderSetsTheStylesValueAndTheProjectDefault) {
    CDemoProject project;
    CFrameInfo& frame = project.AppendCapturedFrame();
    struct SCase {
        uint8_t nStyle;
        int nValue;
        uint8_t nThickness;
        uint8_t nLevel;
    };
    const SCase cases[] = {
        {kHotspotRipple, 30, 30, 80},
        {kHotspotShade, 40, 30, 40},
        {kHotspotHighlight, 0, 30, 1},
        {kHotspotGlow, 250, 100, 1},
    };
    for (const SCase& c : cases) {
        frame.m_nHotspotStyle = c.nStyle;
        CHotspot::SetSliderValue(frame, project, c.nValue);
        EXPECT_EQ(frame.m_nHotspotThickness, c.nThickness) << c.nValue;
        EXPECT_EQ(frame.m_nHotspotLevel, c.nLevel) << c.nValue;
        EXPECT_EQ(project.m_nDefaultHotspotThickness, c.nThickness);
        EXPECT_EQ(project.m_nDefaultHotspotLevel, c.nLevel);
    }
    CHotspot::SetShowMouse(frame, false);
    EXPECT_TRUE(frame.m_bMouseHidden && !frame.m_bShowMouse);
    CHotspot::SetShowMouse(frame, true);
    EXPECT_TRUE(!frame.m_bMouseHidden && frame.m_bShowMouse);
}

TEST(BubbleStyle, FontDialogColoursBecomeTheProjectDefaults) {
    CDemoProject project;
    CFrameInfo& frame = project.AppendCapturedFrame();
    SetBubbleTextColor(frame, project, 0x0000FF);
    SetBubbleColor(frame, project, 0x00FF00);
    SetBubbleShadowColor(frame, project, 0xFF0000);
    EXPECT_EQ(frame.m_crText, 0x0000FF);
    EXPECT_EQ(frame.m_crBubble, 0x00FF00);
    EXPECT_EQ(frame.m_crShadow, 0xFF0000);
    const CFrameInfo& next = project.AppendCapturedFrame();
    EXPECT_EQ(next.m_crBubble, 0x00FF00);
    EXPECT_EQ(next.m_crShadow, 0xFF0000);
    EXPECT_EQ(project.m_crDefaultText, 0x0000FF);
}

TEST(StyleNames, StoredValuesNameTheirListEntry) {
    EXPECT_EQ(BubbleStyleName(kBubblePlaqueTransparent), "Plaque Transparent ");
    EXPECT_EQ(BubbleStyleName(kNoStyle), "");
    EXPECT_EQ(HotspotStyleName(kHotspotFlashMovie), "Flash Movie");
    EXPECT_EQ(HotspotStyleName(13), "");
    EXPECT_EQ(FrameEffectName(kEffectZoomToRegion), "Zoom to Region   Alt+X");
    EXPECT_EQ(ImageSizeName(0, 0, 0), "10%");
    EXPECT_EQ(ImageSizeName(9, 0, 0), "100%");
    EXPECT_EQ(ImageSizeName(10, 320, 200), "320x200");
}

TEST(BubbleAnimation, EquivalenceIgnoresTheValuesThatDoNotShow) {
    CBubbleAnimation a;
    a.m_nSettings[9] = 4;
    a.m_Channels[3].m_nValues = {1, 2, 3, 4};
    a.m_Channels[3].m_fValue = 0.5f;
    a.m_nFurther = {7, 8, 9};

    struct SCase {
        const char* name;
        void (*change)(CBubbleAnimation&);
        bool bEquivalent;
    };
    const SCase cases[] = {
        {"same", [](CBubbleAnimation&) {}, true},
        {"first channel value", [](CBubbleAnimation& b) { b.m_Channels[3].m_nValues[0] = 0; },
         true},
        {"channel factor", [](CBubbleAnimation& b) { b.m_Channels[9].m_fValue = 2.0f; }, true},
        {"last further setting", [](CBubbleAnimation& b) { b.m_nFurther[2] = 0; }, true},
        {"a setting", [](CBubbleAnimation& b) { b.m_nSettings[9] = 0; }, false},
        {"second channel value", [](CBubbleAnimation& b) { b.m_Channels[0].m_nValues[1] = 1; },
         false},
        {"fourth channel value", [](CBubbleAnimation& b) { b.m_Channels[9].m_nValues[3] = 1; },
         false},
        {"second further setting", [](CBubbleAnimation& b) { b.m_nFurther[1] = 0; }, false},
    };
    for (const SCase& c : cases) {
        CBubbleAnimation b = a;
        c.change(b);
        EXPECT_EQ(a.IsEquivalent(b), c.bEquivalent) << c.name;
        EXPECT_EQ(b.IsEquivalent(a), c.bEquivalent) << c.name;
    }
}

}  // namespace
