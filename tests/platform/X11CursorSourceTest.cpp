#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/X11CursorSource.h"
#include "platform/X11Display.h"
#include "tests/support/TestDrawer.h"
#include "tests/support/XTestInput.h"
#include "tests/support/XvfbServer.h"

namespace {

constexpr uint16_t kIBeamGlyph = 152;

class CursorSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.Running()) << m_server.Error();
        m_display = std::make_unique<CX11Display>(m_server.Display());
        m_source = std::make_unique<CX11CursorSource>(*m_display);
        m_drawer = std::make_unique<CTestDrawer>(m_server.Display());
        m_input = std::make_unique<CXTestInput>(m_server.Display());
        ASSERT_TRUE(m_source->Available());
        ASSERT_TRUE(m_input->Ok());
    }

    SCursorReading ReadAt(int x, int y) {
        m_input->MoveTo(x, y);
        SCursorReading reading;
        EXPECT_TRUE(m_source->Read(reading));
        return reading;
    }

    CXvfbServer m_server{{640, 480, true}};
    std::unique_ptr<CX11Display> m_display;
    std::unique_ptr<CX11CursorSource> m_source;
    std::unique_ptr<CTestDrawer> m_drawer;
    std::unique_ptr<CXTestInput> m_input;
};

TEST_F(CursorSourceTest, ReadingFollowsThePointer) {
    for (auto [x, y] : {std::pair{10, 20}, std::pair{639, 479}, std::pair{320, 0}}) {
        const SCursorReading r = ReadAt(x, y);
        EXPECT_EQ(r.x, x);
        EXPECT_EQ(r.y, y);
        EXPECT_TRUE(r.showing);
    }
}

TEST_F(CursorSourceTest, EachShapeHasItsOwnSerialAndKeepsItWhenSeenAgain) {
    m_drawer->MapWindowWithCursor(200, 200, 100, 100, m_drawer->FontCursor(kIBeamGlyph));
    const SCursorReading outside = ReadAt(50, 50);
    const SCursorReading inside = ReadAt(250, 250);
    const SCursorReading outsideAgain = ReadAt(60, 60);
    EXPECT_NE(outside.shape, inside.shape);
    EXPECT_EQ(outside.shape, outsideAgain.shape);
}

TEST_F(CursorSourceTest, PictureHasSizeHotSpotAndTransparentAndOpaquePixels) {
    m_drawer->MapWindowWithCursor(200, 200, 100, 100, m_drawer->FontCursor(kIBeamGlyph));
    const SCursorReading r = ReadAt(250, 250);
    SCursorPicture picture;
    ASSERT_TRUE(m_source->Picture(r.shape, picture));
    EXPECT_EQ(picture.shape, r.shape);
    ASSERT_GT(picture.width, 0);
    ASSERT_GT(picture.height, 0);
    EXPECT_EQ(picture.argb.size(), static_cast<size_t>(picture.width) * picture.height);
    EXPECT_GE(picture.hotX, 0);
    EXPECT_LT(picture.hotX, picture.width);
    EXPECT_GE(picture.hotY, 0);
    EXPECT_LT(picture.hotY, picture.height);
    auto alpha = [](uint32_t p) { return p >> 24; };
    EXPECT_TRUE(std::any_of(picture.argb.begin(), picture.argb.end(),
                            [&](uint32_t p) { return alpha(p) == 0; }));
    EXPECT_TRUE(std::any_of(picture.argb.begin(), picture.argb.end(),
                            [&](uint32_t p) { return alpha(p) == 0xFF; }));
    EXPECT_FALSE(m_source->Picture(r.shape + 1000, picture));
}

TEST_F(CursorSourceTest, ACursorWithoutVisiblePixelsIsNotShowing) {
    m_drawer->MapWindowWithCursor(200, 200, 100, 100, m_drawer->InvisibleCursor());
    EXPECT_FALSE(ReadAt(250, 250).showing);
    EXPECT_TRUE(ReadAt(50, 50).showing);
}

}  // namespace
