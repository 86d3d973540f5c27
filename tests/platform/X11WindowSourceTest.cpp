// The active window as a window manager announces it, on a private X server whose root and
// window properties the test sets itself: which windows are passed over, the decoration and the
// maximised state.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/X11Display.h"
#include "platform/X11WindowSource.h"
#include "tests/support/XvfbServer.h"

namespace {

class X11WindowSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.Running()) << m_server.Error();
        m_display = std::make_unique<CX11Display>(m_server.Display());
        ASSERT_TRUE(m_display->IsOpen());
        m_c = m_display->Connection();
    }

    xcb_atom_t Atom(const char* name) {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(
                m_c, xcb_intern_atom(m_c, 0, static_cast<uint16_t>(std::strlen(name)), name),
                nullptr),
            &std::free);
        return reply ? reply->atom : 0;
    }

    void Set(xcb_window_t w, const char* property, xcb_atom_t type,
             const std::vector<uint32_t>& values) {
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, w, Atom(property), type, 32,
                            static_cast<uint32_t>(values.size()), values.data());
    }

    xcb_window_t Window(int x, int y, int w, int h) {
        const xcb_window_t window = xcb_generate_id(m_c);
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, window, m_display->Root(),
                          static_cast<int16_t>(x), static_cast<int16_t>(y),
                          static_cast<uint16_t>(w), static_cast<uint16_t>(h), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_map_window(m_c, window);
        return window;
    }

    void MakeActive(xcb_window_t w) {
        Set(m_display->Root(), "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, {w});
        xcb_flush(m_c);
    }

    CXvfbServer m_server{{800, 600, true}};
    std::unique_ptr<CX11Display> m_display;
    xcb_connection_t* m_c = nullptr;
};

TEST_F(X11WindowSourceTest, TheActiveWindowWithItsDecorationAndState) {
    CX11WindowSource windows(*m_display);
    EXPECT_FALSE(windows.ActiveWindow());  // no window manager has named one

    const xcb_window_t plain = Window(100, 80, 300, 200);
    MakeActive(plain);
    auto active = windows.ActiveWindow();
    ASSERT_TRUE(active);
    EXPECT_EQ(active->id, plain);
    EXPECT_EQ(active->rect, (SScreenRect{100, 80, 300, 200}));
    EXPECT_FALSE(active->bMaximised);

    // Left, right, top and bottom decoration widths widen the rectangle.
    Set(plain, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL, {2, 3, 20, 4});
    Set(plain, "_NET_WM_STATE", XCB_ATOM_ATOM,
        {Atom("_NET_WM_STATE_MAXIMIZED_VERT"), Atom("_NET_WM_STATE_MAXIMIZED_HORZ")});
    active = windows.ActiveWindow();
    ASSERT_TRUE(active);
    EXPECT_EQ(active->rect, (SScreenRect{98, 60, 305, 224}));
    EXPECT_TRUE(active->bMaximised);
    // Only one of the two directions is not maximised.
    Set(plain, "_NET_WM_STATE", XCB_ATOM_ATOM, {Atom("_NET_WM_STATE_MAXIMIZED_VERT")});
    EXPECT_FALSE(windows.ActiveWindow()->bMaximised);
    EXPECT_TRUE(windows.Activate(plain));
}

TEST_F(X11WindowSourceTest, WindowsThatTrackingPassesOver) {
    CX11WindowSource windows(*m_display);
    struct SCase {
        const char* what;
        const char* property;
        xcb_atom_t type;
        std::vector<uint32_t> values;
    };
    const SCase cases[] = {
        {"desktop", "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM, {Atom("_NET_WM_WINDOW_TYPE_DESKTOP")}},
        {"dock", "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM, {Atom("_NET_WM_WINDOW_TYPE_DOCK")}},
        {"hidden", "_NET_WM_STATE", XCB_ATOM_ATOM, {Atom("_NET_WM_STATE_HIDDEN")}},
        {"minimised", "WM_STATE", Atom("WM_STATE"), {3, 0}},
        {"our own", "_NET_WM_PID", XCB_ATOM_CARDINAL, {static_cast<uint32_t>(getpid())}},
    };
    for (const SCase& c : cases) {
        const xcb_window_t w = Window(10, 10, 100, 100);
        Set(w, c.property, c.type, c.values);
        MakeActive(w);
        EXPECT_FALSE(windows.ActiveWindow()) << c.what;
    }
    // A normal window of another program, and the same window once it is ignored.
    const xcb_window_t other = Window(10, 10, 100, 100);
    Set(other, "_NET_WM_PID", XCB_ATOM_CARDINAL, {static_cast<uint32_t>(getpid()) + 1});
    Set(other, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM, {Atom("_NET_WM_WINDOW_TYPE_NORMAL")});
    MakeActive(other);
    EXPECT_TRUE(windows.ActiveWindow());
    windows.Ignore(other);
    EXPECT_FALSE(windows.ActiveWindow());
    // A window that is gone cannot be activated.
    xcb_destroy_window(m_c, other);
    xcb_flush(m_c);
    EXPECT_FALSE(windows.Activate(other));
}

}  // namespace
