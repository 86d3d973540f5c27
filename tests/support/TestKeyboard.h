// Key presses on a test's X server by key symbol, through XTest: the keys of a combination go
// down in order and come up in reverse.
#pragma once

#include <xcb/xcb.h>

#include <initializer_list>
#include <string>

#include "platform/X11KeySyms.h"
#include "tests/support/XTestInput.h"

struct _XCBKeySymbols;

class CTestKeyboard {
public:
    explicit CTestKeyboard(const std::string& display);
    ~CTestKeyboard();
    CTestKeyboard(const CTestKeyboard&) = delete;
    CTestKeyboard& operator=(const CTestKeyboard&) = delete;

    bool Ok() const { return m_input.Ok() && m_pSymbols != nullptr; }
    // The first key code that carries the symbol; 0 when none does.
    xcb_keycode_t Code(xcb_keysym_t sym) const;
    // Presses the combination and returns once the server has handled it.
    void Press(std::initializer_list<xcb_keysym_t> keys);

private:
    CXTestInput m_input;
    xcb_connection_t* m_pConnection = nullptr;
    _XCBKeySymbols* m_pSymbols = nullptr;
};
