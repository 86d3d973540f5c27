#include <gtest/gtest.h>

#include <memory>

#include "platform/InputEvents.h"
#include "platform/X11InputSource.h"
#include "tests/support/XTestInput.h"
#include "tests/support/XvfbServer.h"

namespace {

// Long enough for a loaded machine; a signal that arrives returns at once.
constexpr int kPatienceMs = 10000;
constexpr uint8_t kKeyA = 38;
constexpr uint8_t kKeyB = 56;

class InputSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.Running()) << m_server.Error();
        m_input = std::make_unique<CXTestInput>(m_server.Display());
        ASSERT_TRUE(m_input->Ok());
        m_source = std::make_unique<CX11InputSource>(m_server.Display(), m_events);
        ASSERT_TRUE(m_source->Start());
    }

    // Events reach the listener in order, so once a key press that follows some input has been
    // heard, all of that input has been heard too.
    void WaitUntilHeard() {
        m_input->Key(kKeyB, true);
        m_input->Key(kKeyB, false);
        ASSERT_TRUE(m_events.KeyUp().Wait(kPatienceMs));
        m_events.DrainAutoEvents();
    }

    CXvfbServer m_server{{320, 240, true}};
    CInputEvents m_events;
    std::unique_ptr<CXTestInput> m_input;
    std::unique_ptr<CX11InputSource> m_source;
};

TEST_F(InputSourceTest, ButtonsOneToThreeSignalClickDownAndUp) {
    for (uint8_t button : {1, 2, 3}) {
        m_input->Button(button, true);
        EXPECT_TRUE(m_events.ClickDown().Wait(kPatienceMs)) << int(button);
        m_input->Button(button, false);
        EXPECT_TRUE(m_events.ClickUp().Wait(kPatienceMs)) << int(button);
    }
}

TEST_F(InputSourceTest, WheelButtonsAreNotClicks) {
    for (uint8_t button : {4, 5, 6, 7}) {
        m_input->Click(button);
    }
    m_input->Key(kKeyB, true);
    m_input->Key(kKeyB, false);
    ASSERT_TRUE(m_events.KeyUp().Wait(kPatienceMs));
    EXPECT_FALSE(m_events.ClickDown().Wait(0));
    EXPECT_FALSE(m_events.ClickUp().Wait(0));
}

TEST_F(InputSourceTest, KeysSignalKeyDownAndKeyUp) {
    m_input->Key(kKeyA, true);
    EXPECT_TRUE(m_events.KeyDown().Wait(kPatienceMs));
    m_input->Key(kKeyA, false);
    EXPECT_TRUE(m_events.KeyUp().Wait(kPatienceMs));
    EXPECT_FALSE(m_events.ClickDown().Wait(0));
}

TEST_F(InputSourceTest, PointerMotionSignalsNothing) {
    m_input->MoveTo(10, 10);
    m_input->MoveTo(200, 100);
    WaitUntilHeard();
    m_input->MoveTo(30, 30);
    m_input->Key(kKeyB, true);
    ASSERT_TRUE(m_events.KeyDown().Wait(kPatienceMs));
    EXPECT_FALSE(m_events.ClickDown().Wait(0));
    m_input->Key(kKeyB, false);
}

TEST_F(InputSourceTest, StoppedSourceSignalsNothingAndCanStartAgain) {
    m_source->Stop();
    EXPECT_FALSE(m_source->Running());
    m_input->Click(1);
    m_input->Sync();
    EXPECT_FALSE(m_events.ClickDown().Wait(300));
    ASSERT_TRUE(m_source->Start());
    m_input->Click(1);
    EXPECT_TRUE(m_events.ClickDown().Wait(kPatienceMs));
}

TEST(InputSource, DoesNotStartWithoutAServer) {
    CInputEvents events;
    CX11InputSource source(":99999", events);
    EXPECT_FALSE(source.Start());
    EXPECT_FALSE(source.Running());
}

}  // namespace
