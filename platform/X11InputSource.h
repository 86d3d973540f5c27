// Mouse buttons and keys of an X display, heard as XInput2 raw events on the root window by a
// listening thread with its own connection. Buttons 1 to 3 signal the click events (the wheel's
// buttons do not); key presses and releases signal the key events.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "platform/InputEvents.h"
#include "platform/InputSource.h"

class CX11InputSource : public IInputSource {
public:
    // `displayName` as for CX11Display: empty means DISPLAY.
    CX11InputSource(std::string displayName, CInputEvents& events);
    ~CX11InputSource() override;
    CX11InputSource(const CX11InputSource&) = delete;
    CX11InputSource& operator=(const CX11InputSource&) = delete;

    bool Start() override;
    void Stop() override;
    bool Running() const { return m_thread.joinable(); }

private:
    void Listen();

    const std::string m_strDisplay;
    CInputEvents& m_events;
    struct xcb_connection_t* m_pConnection = nullptr;
    uint8_t m_nOpcode = 0;
    int m_nWakeFd = -1;
    std::thread m_thread;
};
