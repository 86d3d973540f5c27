#include "platform/X11Display.h"

#include <cstdlib>

CX11Display::CX11Display(const std::string& name) {
    const char* displayName = name.empty() ? nullptr : name.c_str();
    if (displayName == nullptr && std::getenv("DISPLAY") == nullptr) {
        m_strError = "no X display given and DISPLAY is not set";
        return;
    }
    int screenNumber = 0;
    m_pConnection = xcb_connect(displayName, &screenNumber);
    if (xcb_connection_has_error(m_pConnection) != 0) {
        m_strError = "cannot open the X display " +
                     (name.empty() ? std::string(std::getenv("DISPLAY")) : name);
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_pConnection));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    if (it.rem == 0) {
        m_strError = "the X display has no such screen";
        return;
    }
    m_pScreen = it.data;
}

CX11Display::~CX11Display() {
    if (m_pConnection != nullptr) {
        xcb_disconnect(m_pConnection);
    }
}

bool CX11Display::Lost() const {
    return m_pConnection == nullptr || xcb_connection_has_error(m_pConnection) != 0;
}
