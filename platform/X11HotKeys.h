// The recording keys as passive key grabs on the root window of an X display, on a connection of
// their own. Each key is grabbed with and without NumLock and CapsLock, so that it works
// whatever those locks are. The owner watches WaitHandle() and collects the presses.
#pragma once

#include <xcb/xcb.h>

#include <string>
#include <vector>

#include "platform/HotKeys.h"

class CX11HotKeys : public IHotKeys {
public:
    // `displayName` as for CX11Display: empty means DISPLAY.
    explicit CX11HotKeys(std::string displayName);
    ~CX11HotKeys() override;
    CX11HotKeys(const CX11HotKeys&) = delete;
    CX11HotKeys& operator=(const CX11HotKeys&) = delete;

    bool Register(bool bAlternatePause) override;
    void Unregister() override;
    const std::string& Error() const override { return m_strError; }
    int WaitHandle() const override;
    std::vector<EHotKey> TakePresses() override;

private:
    struct SGrab {
        EHotKey key;
        xcb_keycode_t code;
        uint16_t modifiers;
    };

    uint16_t NumLockMask() const;

    const std::string m_strDisplay;
    xcb_connection_t* m_pConnection = nullptr;
    xcb_window_t m_root = 0;
    std::vector<SGrab> m_grabs;
    std::string m_strError;
};
