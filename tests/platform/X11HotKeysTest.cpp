// The recording keys as key grabs of a private X server, pressed through XTest: each key whatever
// the lock keys, Alt+P instead of Pause with the alternate setting, plain letters untouched, and
// a key held by another program named in the error.
#include "platform/X11HotKeys.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/TestKeyboard.h"
#include "tests/support/XvfbServer.h"

namespace {

using namespace keysym;

class X11HotKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.Running()) << m_server.Error();
        ASSERT_TRUE(m_keyboard.Ok());
        m_pConnection = xcb_connect(m_server.Display().c_str(), nullptr);
    }
    void TearDown() override { xcb_disconnect(m_pConnection); }

    uint8_t Code(xcb_keysym_t sym) { return m_keyboard.Code(sym); }
    void Press(std::initializer_list<xcb_keysym_t> keys) { m_keyboard.Press(keys); }
    // The presses that arrive within half a second.
    std::vector<EHotKey> Presses(CX11HotKeys& keys) {
        std::vector<EHotKey> all;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{keys.WaitHandle(), POLLIN, 0};
            ::poll(&p, 1, 50);
            for (EHotKey k : keys.TakePresses()) {
                all.push_back(k);
            }
        }
        return all;
    }

    CXvfbServer m_server{{320, 240, true}};
    CTestKeyboard m_keyboard{m_server.Display()};
    xcb_connection_t* m_pConnection = nullptr;
};

TEST_F(X11HotKeysTest, EveryKeyArrivesWhateverTheLocks) {
    CX11HotKeys keys(m_server.Display());
    ASSERT_TRUE(keys.Register(false)) << keys.Error();
    for (xcb_keysym_t lock : {xcb_keysym_t{0}, kNumLock, kCapsLock}) {
        SCOPED_TRACE(lock);
        if (lock != 0) {
            Press({lock});
        }
        Press({kPrint});
        Press({kControl, kDelete});
        Press({kPause});
        Press({kAlt, kLetterC});
        Press({kControl, kLetterH});
        // Neither a plain letter nor the alternate pause key is taken.
        Press({kLetterC});
        Press({kAlt, kLetterP});
        EXPECT_EQ(Presses(keys),
                  (std::vector<EHotKey>{EHotKey::Snapshot, EHotKey::Stop, EHotKey::Pause,
                                        EHotKey::Chapter, EHotKey::Hide}));
        if (lock != 0) {
            Press({lock});
        }
    }
}

TEST_F(X11HotKeysTest, AlternatePauseIsAltP) {
    CX11HotKeys keys(m_server.Display());
    ASSERT_TRUE(keys.Register(true)) << keys.Error();
    Press({kPause});
    Press({kAlt, kLetterP});
    EXPECT_EQ(Presses(keys), std::vector<EHotKey>{EHotKey::Pause});
    keys.Unregister();
    EXPECT_EQ(keys.WaitHandle(), -1);
}

TEST_F(X11HotKeysTest, AKeyHeldByAnotherProgramIsNamed) {
    // Another client holds Print Screen without modifiers.
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_pConnection)).data;
    xcb_grab_key(m_pConnection, 1, screen->root, 0, Code(kPrint), XCB_GRAB_MODE_ASYNC,
                 XCB_GRAB_MODE_ASYNC);
    free(xcb_get_input_focus_reply(m_pConnection, xcb_get_input_focus(m_pConnection), nullptr));
    CX11HotKeys keys(m_server.Display());
    EXPECT_FALSE(keys.Register(false));
    EXPECT_NE(keys.Error().find("Print Screen"), std::string::npos) << keys.Error();
    // The other keys still work.
    Press({kControl, kDelete});
    EXPECT_EQ(Presses(keys), std::vector<EHotKey>{EHotKey::Stop});
}

}  // namespace
