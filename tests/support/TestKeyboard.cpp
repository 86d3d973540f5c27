#include "tests/support/TestKeyboard.h"

#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <vector>

CTestKeyboard::CTestKeyboard(const std::string& display) : m_input(display) {
    m_pConnection = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(m_pConnection) == 0) {
        m_pSymbols = xcb_key_symbols_alloc(m_pConnection);
    }
}

CTestKeyboard::~CTestKeyboard() {
    if (m_pSymbols != nullptr) {
        xcb_key_symbols_free(m_pSymbols);
    }
    xcb_disconnect(m_pConnection);
}

xcb_keycode_t CTestKeyboard::Code(xcb_keysym_t sym) const {
    xcb_keycode_t* all = xcb_key_symbols_get_keycode(m_pSymbols, sym);
    const xcb_keycode_t code = all != nullptr ? all[0] : 0;
    std::free(all);
    return code;
}

void CTestKeyboard::Press(std::initializer_list<xcb_keysym_t> keys) {
    std::vector<xcb_keycode_t> codes;
    for (xcb_keysym_t k : keys) {
        codes.push_back(Code(k));
    }
    for (xcb_keycode_t c : codes) {
        m_input.Key(c, true);
    }
    for (auto it = codes.rbegin(); it != codes.rend(); ++it) {
        m_input.Key(*it, false);
    }
    m_input.Sync();
}
