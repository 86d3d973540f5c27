// A connection to an X display, shared by the screen and cursor sources of one recording.
#pragma once

#include <xcb/xcb.h>

#include <string>

class CX11Display {
public:
    // Opens the named display (":1"), or the one in DISPLAY when the name is empty.
    explicit CX11Display(const std::string& name = "");
    ~CX11Display();
    CX11Display(const CX11Display&) = delete;
    CX11Display& operator=(const CX11Display&) = delete;

    bool IsOpen() const { return m_pScreen != nullptr; }
    // Why the display could not be opened.
    const std::string& Error() const { return m_strError; }
    // The server went away or the connection broke.
    bool Lost() const;

    xcb_connection_t* Connection() const { return m_pConnection; }
    xcb_screen_t* Screen() const { return m_pScreen; }
    xcb_window_t Root() const { return m_pScreen->root; }

private:
    xcb_connection_t* m_pConnection = nullptr;
    xcb_screen_t* m_pScreen = nullptr;
    std::string m_strError;
};
