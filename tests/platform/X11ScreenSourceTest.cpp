#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/X11Display.h"
#include "platform/X11ScreenSource.h"
#include "tests/support/TestDrawer.h"
#include "tests/support/XvfbServer.h"

namespace {

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kGrey = 0x808080;

// The screen of a 640 × 480 server: grey, with a red square at (100, 50) of 40 × 30, a green
// strip along the right edge and a blue one along the bottom edge.
class ScreenSourceTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        m_server = std::make_unique<CXvfbServer>(CXvfbServer::SOptions{640, 480, GetParam()});
        ASSERT_TRUE(m_server->Running()) << m_server->Error();
        CTestDrawer drawer(m_server->Display());
        ASSERT_TRUE(drawer.Ok());
        drawer.Fill(0, 0, 640, 480, kGrey);
        drawer.Fill(100, 50, 40, 30, kRed);
        drawer.Fill(630, 0, 10, 480, kGreen);
        drawer.Fill(0, 470, 630, 10, kBlue);
        m_display = std::make_unique<CX11Display>(m_server->Display());
        ASSERT_TRUE(m_display->IsOpen()) << m_display->Error();
        m_source = std::make_unique<CX11ScreenSource>(*m_display);
        ASSERT_TRUE(m_source->Readable());
    }

    // What the screen holds at (x, y); black off the screen.
    static uint32_t Expected(int x, int y) {
        if (x < 0 || y < 0 || x >= 640 || y >= 480) {
            return 0;
        }
        if (x >= 100 && x < 140 && y >= 50 && y < 80) {
            return kRed;
        }
        if (x >= 630) {
            return kGreen;
        }
        if (y >= 470) {
            return kBlue;
        }
        return kGrey;
    }

    std::unique_ptr<CXvfbServer> m_server;
    std::unique_ptr<CX11Display> m_display;
    std::unique_ptr<CX11ScreenSource> m_source;
};

TEST_P(ScreenSourceTest, UsesSharedMemoryExactlyWhenTheServerOffersIt) {
    EXPECT_EQ(m_source->UsesSharedMemory(), GetParam());
    CX11ScreenSource plain(*m_display, false);
    EXPECT_FALSE(plain.UsesSharedMemory());
}

TEST_P(ScreenSourceTest, ScreenAndMonitorsCoverTheServerScreen) {
    EXPECT_EQ(m_source->VirtualScreen(), (SScreenRect{0, 0, 640, 480}));
    const std::vector<SScreenRect> monitors = m_source->Monitors();
    ASSERT_FALSE(monitors.empty());
    EXPECT_EQ(monitors.front(), (SScreenRect{0, 0, 640, 480}));
}

TEST_P(ScreenSourceTest, GrabbedPixelsMatchTheScreenAndOffScreenPartsAreBlack) {
    const SScreenRect cases[] = {
        {0, 0, 640, 480},      // whole screen
        {90, 40, 60, 50},      // around the red square
        {600, 440, 100, 80},   // past the right and bottom edges
        {-30, -20, 200, 120},  // before the left and top edges
        {-10, -10, 700, 520},  // larger than the screen on every side
        {700, 100, 50, 50},    // entirely off the screen
    };
    for (const SScreenRect& rect : cases) {
        // Garbage first, so that a pixel the grab leaves alone shows up.
        std::vector<uint32_t> pixels(static_cast<size_t>(rect.width) * rect.height, 0xDEADBEEF);
        ASSERT_TRUE(m_source->Grab(rect, pixels.data()));
        int wrong = 0;
        for (int y = 0; y < rect.height; ++y) {
            for (int x = 0; x < rect.width; ++x) {
                if (pixels[static_cast<size_t>(y) * rect.width + x] !=
                    Expected(rect.x + x, rect.y + y)) {
                    ++wrong;
                }
            }
        }
        EXPECT_EQ(wrong, 0) << "rectangle " << rect.x << "," << rect.y << " " << rect.width << "x"
                            << rect.height;
    }
}

TEST_P(ScreenSourceTest, LaterGrabsSeeLaterDrawing) {
    const SScreenRect rect{100, 50, 40, 30};
    std::vector<uint32_t> pixels(40 * 30);
    ASSERT_TRUE(m_source->Grab(rect, pixels.data()));
    EXPECT_EQ(pixels[0], kRed);
    CTestDrawer drawer(m_server->Display());
    drawer.Fill(100, 50, 40, 30, kBlue);
    ASSERT_TRUE(m_source->Grab(rect, pixels.data()));
    EXPECT_EQ(pixels[0], kBlue);
    EXPECT_EQ(pixels.back(), kBlue);
}

INSTANTIATE_TEST_SUITE_P(SharedMemory, ScreenSourceTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Shm" : "NoShm"; });

TEST(ScreenSource, ALostServerIsAFailedGrab) {
    auto server = std::make_unique<CXvfbServer>();
    ASSERT_TRUE(server->Running()) << server->Error();
    CX11Display display(server->Display());
    CX11ScreenSource source(display);
    std::vector<uint32_t> pixels(16 * 16);
    ASSERT_TRUE(source.Grab({0, 0, 16, 16}, pixels.data()));
    server.reset();
    EXPECT_FALSE(source.Grab({0, 0, 16, 16}, pixels.data()));
}

TEST(X11Display, WithoutADisplayNameOrDisplayItSaysWhy) {
    CX11Display display(":99999");
    EXPECT_FALSE(display.IsOpen());
    EXPECT_FALSE(display.Error().empty());
}

}  // namespace
