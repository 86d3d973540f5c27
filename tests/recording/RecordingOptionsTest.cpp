#include <gtest/gtest.h>

#include "recording/RecordingOptions.h"

namespace {

TEST(RecordingOptions, StartsWithTheDialogsInitialValues) {
    const CRecordingOptions o;
    EXPECT_EQ(o.m_bCustomRates, 0);
    EXPECT_EQ(o.m_bFramesGroup, 1);
    EXPECT_EQ(o.m_bRecordMouse, 1);
    EXPECT_EQ(o.m_nMouseFps, 20u);
    EXPECT_EQ(o.m_nScreenFps, 20u);
    EXPECT_EQ(o.m_nRateSlider, 20);
    EXPECT_EQ(o.m_bSmoothMovement, 0);
    EXPECT_EQ(o.m_bRecordSound, 0);
    EXPECT_EQ(o.m_strTempVideoDir, "");
    EXPECT_EQ(o.m_bLayeredWindows, 1);
    EXPECT_EQ(o.m_bVideoHardware, 0);
    EXPECT_EQ(o.m_bFollowActiveWindow, 0);
    EXPECT_EQ(o.m_bExtraCompression, 0);
}

TEST(RecordingOptions, SliderGivesScreenAndMouseRates) {
    struct SCase {
        int slider;
        uint32_t screen;
        uint32_t mouse;
    };
    const SCase cases[] = {{1, 1, 10},   {4, 4, 10},   {5, 5, 10}, {6, 6, 11},  {14, 14, 19},
                           {15, 15, 20}, {20, 20, 20}, {0, 1, 10}, {-3, 1, 10}, {99, 20, 20}};
    for (const SCase& c : cases) {
        CRecordingOptions o;
        o.m_nRateSlider = c.slider;
        o.m_nScreenFps = 77;  // ignored without "Custom"
        o.m_nMouseFps = 77;
        EXPECT_EQ(o.ScreenRate(), c.screen) << "slider " << c.slider;
        EXPECT_EQ(o.MouseRate(), c.mouse) << "slider " << c.slider;
    }
}

TEST(RecordingOptions, CustomRatesAreClampedSoThatNoRateIsZero) {
    struct SCase {
        uint32_t typed;
        uint32_t used;
    };
    for (const SCase& c : {SCase{0, 1}, SCase{1, 1}, SCase{37, 37}, SCase{100, 100},
                           SCase{101, 100}, SCase{4000000000u, 100}}) {
        CRecordingOptions o;
        o.m_bCustomRates = 1;
        o.m_nScreenFps = c.typed;
        o.m_nMouseFps = c.typed;
        EXPECT_EQ(o.ScreenRate(), c.used) << c.typed;
        EXPECT_EQ(o.MouseRate(), c.used) << c.typed;
    }
}

TEST(RecordingOptions, DefaultsButtonResetsEverythingItNames) {
    CRecordingOptions o;
    o.m_bFramesGroup = 0;
    o.m_bCustomRates = 1;
    o.m_bRecordMouse = 0;
    o.m_bSmoothMovement = 0;
    o.m_bRecordSound = 1;
    o.m_nRateSlider = 3;
    o.m_bFollowActiveWindow = 1;
    o.m_bLayeredWindows = 0;
    o.m_bVideoHardware = 1;
    o.m_bExtraCompression = 1;
    o.SetDefaults("/var/tmp");
    EXPECT_EQ(o.m_bFramesGroup, 1);
    EXPECT_EQ(o.m_bCustomRates, 0);
    EXPECT_EQ(o.m_bRecordMouse, 1);
    EXPECT_EQ(o.m_bSmoothMovement, 1);
    EXPECT_EQ(o.m_bRecordSound, 0);
    EXPECT_EQ(o.m_nRateSlider, 20);
    EXPECT_EQ(o.m_bFollowActiveWindow, 0);
    EXPECT_EQ(o.m_bLayeredWindows, 1);
    EXPECT_EQ(o.m_bVideoHardware, 0);
    EXPECT_EQ(o.m_bExtraCompression, 0);
    EXPECT_EQ(o.m_strTempVideoDir, "/var/tmp");
    EXPECT_EQ(o.ScreenRate(), 20u);
    EXPECT_EQ(o.MouseRate(), 20u);
}

TEST(TickTiming, PeriodIsHalvedBelowSixtyMillisecondsAndTheDivisorCountsHalvings) {
    struct SCase {
        uint32_t fps;
        uint32_t period;
        uint32_t divisor;
    };
    const SCase cases[] = {{20, 50, 1}, {16, 31, 2}, {10, 50, 2},  {5, 50, 3},
                           {4, 31, 4},  {1, 31, 6},  {100, 10, 1}, {0, 31, 6}};
    for (const SCase& c : cases) {
        const STickTiming t = TickTimingFor(c.fps);
        EXPECT_EQ(t.nPeriodMs, c.period) << c.fps << " fps";
        EXPECT_EQ(t.nDivisor, c.divisor) << c.fps << " fps";
    }
}

}  // namespace
