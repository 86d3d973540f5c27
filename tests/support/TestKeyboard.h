// Key presses on a test's X server by key symbol, through XTest: the keys of a combination go
// down in order and come up in reverse.
#pragma once

#include <xcb/xcb.h>

#include <initializer_list>
#include <string>

#include "tests/support/XTestInput.h"

struct _XCBKeySymbols;

// Key symbols of the X protocol that tests press.
namespace keysym {
inline constexpr xcb_keysym_t kControl = 0xffe3;
inline constexpr xcb_keysym_t kAlt = 0xffe9;
inline constexpr xcb_keysym_t kDelete = 0xffff;
inline constexpr xcb_keysym_t kPause = 0xff13;
inline constexpr xcb_keysym_t kPrint = 0xff61;
inline constexpr xcb_keysym_t kNumLock = 0xff7f;
inline constexpr xcb_keysym_t kCapsLock = 0xffe5;
inline constexpr xcb_keysym_t kLetterC = 0x0063;
inline constexpr xcb_keysym_t kLetterH = 0x0068;
inline constexpr xcb_keysym_t kLetterP = 0x0070;
}  // namespace keysym

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
