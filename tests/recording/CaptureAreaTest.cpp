#include <gtest/gtest.h>

#include <vector>

#include "recording/ActiveWindowFollower.h"
#include "recording/CaptureArea.h"
#include "recording/FrameGeometry.h"
#include "recording/PanStep.h"

namespace {

const SRect kScreen{0, 0, 1920, 1080};

TEST(CaptureAreaTest, ScreenRectangleByModeAndMonitor) {
    const std::vector<SScreenRect> two = {{0, 0, 800, 600}, {800, 0, 1024, 768}};
    const SScreenRect all{0, 0, 1824, 768};
    struct SCase {
        ECaptureMode mode;
        int32_t monitor;
        std::vector<SScreenRect> monitors;
        SScreenRect want;
    };
    const SCase cases[] = {
        {ECaptureMode::FullScreen, 0, two, all},
        {ECaptureMode::FullScreen, 1, two, two[0]},
        {ECaptureMode::FullScreen, 2, two, two[1]},
        {ECaptureMode::FullScreen, 3, two, all},       // no such monitor
        {ECaptureMode::FullScreen, 1, {two[1]}, all},  // one monitor: the whole screen
        {ECaptureMode::SelectedArea, 2, two, all},     // other modes never pick a monitor
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(ScreenRectFor({c.mode, c.monitor, false}, c.monitors, all), c.want)
            << "monitor " << c.monitor;
    }
}

TEST(FrameGeometryTest, HitCodesNameTheEdgeUnderTheMouse) {
    const SRect frame{100, 100, 300, 200};
    struct SCase {
        int32_t x, y, hit;
    };
    const SCase cases[] = {
        {150, 150, kHitInside},   {101, 150, kHitLeft},       {295, 150, kHitRight},
        {150, 105, kHitTop},      {150, 195, kHitBottom},     {101, 101, kHitTopLeft},
        {299, 101, kHitTopRight}, {101, 199, kHitBottomLeft}, {299, 199, kHitBottomRight}};
    for (const SCase& c : cases) {
        EXPECT_EQ(FrameHitCode(c.x, c.y, frame), c.hit) << c.x << "," << c.y;
    }
}

TEST(FrameGeometryTest, ResizeHoldsTheOppositeEdgeAtTheLeastSize) {
    const SRect start{100, 100, 300, 200};
    struct SCase {
        int32_t hit, dx, dy;
        SRect want;
    };
    const SCase cases[] = {
        {kHitRight, 50, 0, {100, 100, 350, 200}},
        {kHitRight, -190, 0, {100, 100, 138, 200}},  // stops at 38
        {kHitLeft, 190, 0, {262, 100, 300, 200}},    // the right edge holds
        {kHitTop, 0, 500, {100, 162, 300, 200}},
        {kHitBottomRight, -500, -500, {100, 100, 138, 138}},
        {kHitTopLeft, -20, -30, {80, 70, 300, 200}},
        {kHitInside, 40, 40, start},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(ResizeFrame(start, c.hit, c.dx, c.dy), c.want) << "hit " << c.hit;
    }
}

TEST(FrameGeometryTest, ReleaseRoundsTheCaptureWidthToAMultipleOfFour) {
    // Frame width = capture width + 6.
    struct SCase {
        int32_t inner, hit, left, right;
    };
    const SCase cases[] = {
        {100, kHitRight, 0, 106},    {101, kHitRight, 0, 106}, {102, kHitRight, 0, 110},
        {103, kHitRight, 0, 110},    {101, kHitLeft, 1, 107},  {102, kHitBottomLeft, -2, 108},
        {103, kHitTopLeft, -1, 109},
    };
    for (const SCase& c : cases) {
        const SRect rounded = RoundFrameWidth({0, 0, c.inner + 6, 50}, c.hit);
        EXPECT_EQ(rounded.left, c.left) << c.inner << " hit " << c.hit;
        EXPECT_EQ(rounded.right, c.right) << c.inner << " hit " << c.hit;
        EXPECT_EQ((rounded.right - rounded.left - 6) % 4, 0);
    }
}

TEST(FrameGeometryTest, InitialFrameAndClampToTheScreen) {
    const SRect first = InitialFrame(1024, 768);
    EXPECT_EQ(first.left, 204);
    EXPECT_EQ(first.top, 153);
    EXPECT_EQ(first.bottom, 615);
    EXPECT_EQ((first.right - first.left - 6) % 4, 0);

    struct SCase {
        SRect stored, want;
    };
    const SCase cases[] = {
        {{100, 100, 740, 580}, {100, 100, 740, 580}},
        {{1500, 100, 2400, 580}, {1500, 100, 1920, 580}},     // right clipped
        {{1910, 1070, 2400, 1500}, {1800, 960, 1920, 1080}},  // too little left: 120 before
        {{-50, -20, 400, 300}, {0, 0, 400, 300}},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(ClampFrameToScreen(c.stored, kScreen), c.want);
    }
}

TEST(ActiveWindowFollowerTest, FrameForAWindow) {
    struct SCase {
        SRect window;
        bool maximised;
        SRect want;
    };
    const SCase cases[] = {
        {{100, 100, 500, 400}, false, {97, 97, 503, 403}},  // width 400 stays
        {{100, 100, 501, 400}, false, {97, 97, 503, 403}},  // 401: right - 1
        {{100, 100, 502, 400}, false, {98, 97, 504, 403}},  // 402: left + 1, right - 1
        {{100, 100, 503, 400}, false, {98, 97, 504, 403}},  // 403: left + 1, right - 2
        {{0, 0, 1926, 1080}, true, {1, 1, 1927, 1081}},     // maximised: shifted, not enlarged
        {{0, 0, 1920, 1080}, true, {2, 1, 1920, 1081}},
    };
    for (const SCase& c : cases) {
        const SRect got = FrameForWindow(c.window, c.maximised, kFrameBorder);
        EXPECT_EQ(got, c.want) << c.window.right;
        EXPECT_EQ((got.right - got.left - 2 * kFrameBorder) % 4, 0);
    }
}

TEST(ActiveWindowFollowerTest, RecordingFrameKeepsItsSizeAndMovesOnlyWhenNeeded) {
    const SRect frame{100, 100, 746, 586};
    // A window inside the frame leaves it where it is.
    EXPECT_FALSE(RecentreFrame(frame, {200, 200, 400, 400}, kScreen));
    // A distant window gets the frame centred on it.
    EXPECT_EQ(RecentreFrame(frame, {1000, 500, 1200, 700}, kScreen), (SRect{777, 357, 1423, 843}));
    // A larger window too, and the frame stays inside the screen.
    EXPECT_EQ(RecentreFrame(frame, {1300, 600, 1920, 1080}, kScreen),
              (SRect{1274, 594, 1920, 1080}));
    EXPECT_EQ(RecentreFrame(frame, {-200, -100, 100, 100}, kScreen), (SRect{0, 0, 646, 486}));
}

class CListedWindows : public IWindowSource {
public:
    std::optional<SWindowInfo> ActiveWindow() override { return m_active; }
    bool Activate(uint32_t id) override { return id == m_active.value_or(SWindowInfo{}).id; }
    void Ignore(uint32_t) override {}
    std::optional<SWindowInfo> m_active;
};

TEST(ActiveWindowFollowerTest, FollowsTheActiveWindowOnce) {
    CListedWindows windows;
    CActiveWindowFollower follower(windows);
    const SRect frame{100, 100, 746, 586};
    EXPECT_FALSE(follower.Follow(frame, false, kScreen, kFrameBorder));  // no window
    windows.m_active = SWindowInfo{7, {300, 200, 400, 300}, false};
    EXPECT_EQ(follower.Follow(frame, false, kScreen, kFrameBorder), (SRect{297, 197, 703, 503}));
    EXPECT_EQ(follower.TrackedWindow(), 7u);
    // The same target again changes nothing.
    EXPECT_FALSE(follower.Follow({297, 197, 703, 503}, false, kScreen, kFrameBorder));
    // While recording, a window far away moves the frame without resizing it.
    windows.m_active = SWindowInfo{8, {1400, 700, 200, 100}, false};
    const auto moved = follower.Follow(frame, true, kScreen, kFrameBorder);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->right - moved->left, 646);
    EXPECT_EQ((moved->left + moved->right) / 2, 1500);
    EXPECT_TRUE(follower.ActivateTracked());
}

// Runs the pan step with the cursor fixed on the screen; returns the origins it took.
std::vector<int32_t> PanX(CPanStep& pan, int32_t cursorX, int32_t& x0, int steps) {
    std::vector<int32_t> xs;
    int32_t y0 = 300;
    for (int i = 0; i < steps; ++i) {
        pan.Step(cursorX, y0 + 240, x0, y0, 640, 480, kScreen);
        xs.push_back(x0);
    }
    return xs;
}

TEST(PanStepTest, RestingInTheMiddleNeverStartsAPan) {
    // The middle 80 % of a 640 wide capture at 600: 664 to 1176.
    for (const int32_t cursorX : {664, 700, 920, 1176}) {
        CPanStep pan;
        int32_t x0 = 600;
        const std::vector<int32_t> xs = PanX(pan, cursorX, x0, 50);
        EXPECT_EQ(xs.back(), 600) << cursorX;
        EXPECT_EQ(pan.m_nVx, 0);
    }
}

TEST(PanStepTest, OncePanningItMovesUntilTheCursorIsInTheMiddleHalf) {
    CPanStep pan;
    int32_t x0 = 600;
    // Past the right edge of the zone: the pan starts.
    PanX(pan, 1230, x0, 3);
    EXPECT_GT(x0, 600);
    EXPECT_TRUE(pan.m_bMx);
    // The cursor rests at 1160, inside the middle 80 % but not the middle half; the capture
    // goes on until 1160 is at most 160 pixels right of its centre's half zone.
    PanX(pan, 1160, x0, 200);
    EXPECT_GE(x0 + 640 - 160, 1160);
    EXPECT_LT(x0 + 640 - 160 - 1160, 20);  // and not much further
    EXPECT_EQ(pan.m_nVx, 0);
    const int32_t rest = x0;
    PanX(pan, 1160, x0, 50);
    EXPECT_EQ(x0, rest);
}

TEST(PanStepTest, BrakesBeforeTheLeftEdgeAndNeverGoesBelowZero) {
    CPanStep pan;
    int32_t x0 = 800;
    const std::vector<int32_t> xs = PanX(pan, 0, x0, 400);
    int32_t fastest = 0;
    int32_t nearEdge = 0;
    for (size_t i = 1; i < xs.size(); ++i) {
        ASSERT_GE(xs[i], 0);
        ASSERT_LE(xs[i], xs[i - 1]);
        const int32_t speed = xs[i - 1] - xs[i];
        fastest = std::max(fastest, speed);
        if (xs[i - 1] < 100) {
            nearEdge = std::max(nearEdge, speed);
        }
    }
    EXPECT_GT(fastest, 30);
    EXPECT_LE(nearEdge, 12);
    EXPECT_EQ(xs.back(), 0);
    EXPECT_EQ(pan.m_nVx, 0);
}

TEST(PanStepTest, StopsAtTheRightAndBottomEdges) {
    CPanStep pan;
    int32_t x0 = 1000;
    int32_t y0 = 400;
    for (int i = 0; i < 400; ++i) {
        pan.Step(1919, 1079, x0, y0, 640, 480, kScreen);
        ASSERT_LE(x0, 1280);
        ASSERT_LE(y0, 600);
    }
    EXPECT_EQ(x0, 1280);
    EXPECT_EQ(y0, 600);
}

}  // namespace
