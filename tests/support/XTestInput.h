// Synthetic pointer and keyboard input for a test's X server, through the XTest extension.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <string>

class CXTestInput {
public:
    explicit CXTestInput(const std::string& display);
    ~CXTestInput();
    CXTestInput(const CXTestInput&) = delete;
    CXTestInput& operator=(const CXTestInput&) = delete;

    bool Ok() const { return m_bOk; }
    void MoveTo(int x, int y);
    void Button(uint8_t button, bool press);
    void Click(uint8_t button) {
        Button(button, true);
        Button(button, false);
    }
    void Key(uint8_t keycode, bool press);
    // Returns once the server has handled everything sent so far.
    void Sync();

private:
    xcb_connection_t* m_pConnection = nullptr;
    xcb_window_t m_root = 0;
    bool m_bOk = false;
};
