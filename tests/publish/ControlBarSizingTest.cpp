// The control bar's sizes from the movie's width and look, the time display's first text from
// the movie's length, the start button's size, and the settings a project keeps for the bar.
#include <gtest/gtest.h>

#include "project/model/ProjectSettings.h"
#include "publish/PublishSettings.h"
#include "publish/controlbar/BarLayout.h"
#include "publish/controlbar/BarSizing.h"
#include "publish/controlbar/StartButton.h"
#include "publish/controlbar/StoredBarSettings.h"

TEST(ControlBarSizingTest, BarSizesFollowTheWidthAndTheLook) {
    struct SCase {
        const char* what;
        int32_t width;
        EBarStyle style;
        SBarSize expected;
    };
    const SCase cases[] = {
        {"narrowest bar", 90, kBarClassic, {13, 0, 10, 7, 2, kBarClassic}},
        {"wide classic", 700, kBarClassic, {23, 0, 25, 17, 2, kBarClassic}},
        {"wide styled", 700, kBarVistaGlass, {29, 0, 34, 23, 2, kBarVistaGlass}},
        {"odd seventh rounds up", 100, kBarClassic, {14, 0, 12, 8, 2, kBarClassic}},
        {"styled falls back to two classic rows",
         100,
         kBarGlassoRound,
         {14, 14, 12, 8, 2, kBarClassic}},
        {"tiny movie: no bevel, symbol no wider than the button",
         30,
         kBarClassic,
         {13, 0, 3, 3, 0, kBarClassic}},
    };
    for (const SCase& c : cases) {
        const SBarSize s = SizeBar(c.width, c.style, true);
        EXPECT_EQ(s.nHeight, c.expected.nHeight) << c.what;
        EXPECT_EQ(s.nExtraRow, c.expected.nExtraRow) << c.what;
        EXPECT_EQ(s.nButton, c.expected.nButton) << c.what;
        EXPECT_EQ(s.nSymbol, c.expected.nSymbol) << c.what;
        EXPECT_EQ(s.nBevel, c.expected.nBevel) << c.what;
        EXPECT_EQ(s.style, c.expected.style) << c.what;
    }
    EXPECT_EQ(SizeBar(700, kBarVistaGlass, false).Total(), 0);
}

TEST(ControlBarSizingTest, TheTimeDisplayFitsTheMovieLength) {
    struct SCase {
        double seconds;
        const char* text;
        int32_t width;
    };
    const SCase cases[] = {
        {0, "0:00", 32},       {599.9, "0:00", 32},   {600, "00:00", 43},
        {3599.9, "00:00", 43}, {3600, "0:00:00", 50}, {100000, "0:00:00", 50},
    };
    for (const SCase& c : cases) {
        const STimeDisplay t = TimeDisplayFor(c.seconds);
        EXPECT_EQ(t.strText, c.text) << c.seconds;
        EXPECT_EQ(t.nWidth, c.width) << c.seconds;
    }
}

TEST(ControlBarSizingTest, TheBarsPartsStayInsideItAndApart) {
    for (int32_t width : {90, 100, 320, 700, 1900}) {
        for (EBarStyle style : {kBarClassic, kBarVistaGlass}) {
            const SBarSize size = SizeBar(width, style, true);
            const SBarLayout l = LayoutBar(width, size, {true, true, true, true}, 50);
            auto inside = [&](const SBarRect& rc) {
                return rc.x >= 0 && rc.y >= 0 && rc.x + rc.w <= width &&
                       rc.y + rc.h <= size.Total();
            };
            const std::string what = std::to_string(width) + " " + BarStyleName(style);
            EXPECT_TRUE(inside(l.track)) << what;
            EXPECT_GT(l.nTravel, 0) << what;
            for (const auto& slot : l.buttons) {
                EXPECT_TRUE(inside(slot.rc)) << what << " button " << slot.kind;
                const bool overTrack =
                    slot.rc.y < l.track.y + l.track.h && l.track.y < slot.rc.y + slot.rc.h &&
                    slot.rc.x < l.track.x + l.track.w && l.track.x < slot.rc.x + slot.rc.w;
                EXPECT_FALSE(overTrack && width >= 320) << what << " button " << slot.kind;
            }
        }
    }
}

TEST(ControlBarSizingTest, TheStartButtonPicksItsPictureSize) {
    struct SCase {
        int32_t width, height;
        EBarStyle style;
        int32_t side, picture, step;
    };
    const SCase cases[] = {
        {320, 240, kBarClassic, 64, 64, 0},          {325, 240, kBarVistaSquare, 65, 128, 3},
        {640, 480, kBarVistaGlass, 128, 136, 3},     {645, 200, kBarVistaBordered, 129, 264, 6},
        {1920, 1080, kBarGlassoSquare, 256, 256, 6},
    };
    for (const SCase& c : cases) {
        const SStartButtonSize s = SizeStartButton(c.width, c.height, c.style);
        EXPECT_EQ(s.nSide, c.side) << c.width;
        EXPECT_EQ(s.nPicture, c.picture) << c.width;
        EXPECT_EQ(s.nStep, c.step) << c.width;
    }
}

TEST(ControlBarSizingTest, AProjectKeepsItsBarSettings) {
    CProjectSettings untouched;
    CPublishSettings settings;
    ApplyStoredBarSettings(untouched, settings);
    EXPECT_TRUE(settings.m_bControlBar);
    EXPECT_TRUE(settings.m_bShowInfo);
    EXPECT_TRUE(settings.m_bShowTime);
    EXPECT_FALSE(settings.m_bVolume);
    EXPECT_EQ(settings.m_nControlBarStyle, kBarVistaGlass);
    EXPECT_EQ(settings.m_crControlBar[2], 0x000000u);

    settings.m_bShowTime = false;
    settings.m_bStopEnd = true;
    settings.m_nControlBarStyle = kBarClassic;
    settings.m_crControlBar = {1, 2, 3, 4, 5, 6};
    CProjectSettings stored;
    StoreBarSettings(settings, stored);
    CPublishSettings back;
    ApplyStoredBarSettings(stored, back);
    EXPECT_FALSE(back.m_bShowTime);
    EXPECT_TRUE(back.m_bStopEnd);
    EXPECT_TRUE(back.m_bControlBar);
    EXPECT_EQ(back.m_nControlBarStyle, kBarClassic);
    EXPECT_EQ(back.m_crControlBar, settings.m_crControlBar);

    stored.m_nControlBarValues[1] = 99;
    ApplyStoredBarSettings(stored, back);
    EXPECT_EQ(back.m_nControlBarStyle, kBarVistaGlass);
}
