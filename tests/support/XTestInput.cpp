#include "tests/support/XTestInput.h"

#include <xcb/xtest.h>

#include <cstdlib>

CXTestInput::CXTestInput(const std::string& display) {
    m_pConnection = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(m_pConnection) != 0) {
        return;
    }
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_pConnection)).data->root;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(m_pConnection, &xcb_test_id);
    m_bOk = ext != nullptr && ext->present != 0;
}

CXTestInput::~CXTestInput() {
    xcb_disconnect(m_pConnection);
}

void CXTestInput::MoveTo(int x, int y) {
    xcb_test_fake_input(m_pConnection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root,
                        static_cast<int16_t>(x), static_cast<int16_t>(y), 0);
    Sync();
}

void CXTestInput::Button(uint8_t button, bool press) {
    xcb_test_fake_input(m_pConnection, press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, button,
                        XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    Sync();
}

void CXTestInput::Key(uint8_t keycode, bool press) {
    xcb_test_fake_input(m_pConnection, press ? XCB_KEY_PRESS : XCB_KEY_RELEASE, keycode,
                        XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    Sync();
}

void CXTestInput::Sync() {
    free(xcb_get_input_focus_reply(m_pConnection, xcb_get_input_focus(m_pConnection), nullptr));
}
