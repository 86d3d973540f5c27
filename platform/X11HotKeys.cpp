#include "platform/X11HotKeys.h"

#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <memory>

#include "platform/X11KeySyms.h"

namespace {

struct SFree {
    void operator()(void* p) const { std::free(p); }
};

using namespace keysym;

const char* KeyName(EHotKey key) {
    switch (key) {
        case EHotKey::Snapshot:
            return "Print Screen";
        case EHotKey::Stop:
            return "Ctrl+Del";
        case EHotKey::Pause:
            return "Pause";
        case EHotKey::Chapter:
            return "Alt+C";
        case EHotKey::Hide:
            return "Ctrl+H";
    }
    return "";
}

}  // namespace

CX11HotKeys::CX11HotKeys(std::string displayName) : m_strDisplay(std::move(displayName)) {}

CX11HotKeys::~CX11HotKeys() {
    Unregister();
}

uint16_t CX11HotKeys::NumLockMask() const {
    uint16_t mask = XCB_MOD_MASK_2;
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(
        xcb_key_symbols_alloc(m_pConnection), &xcb_key_symbols_free);
    std::unique_ptr<xcb_keycode_t, SFree> numLock(
        xcb_key_symbols_get_keycode(symbols.get(), kNumLock));
    std::unique_ptr<xcb_get_modifier_mapping_reply_t, SFree> map(xcb_get_modifier_mapping_reply(
        m_pConnection, xcb_get_modifier_mapping(m_pConnection), nullptr));
    if (!numLock || !map) {
        return mask;
    }
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(map.get());
    const int perModifier = map->keycodes_per_modifier;
    for (int m = 0; m < 8; ++m) {
        for (int k = 0; k < perModifier; ++k) {
            const xcb_keycode_t code = codes[m * perModifier + k];
            for (const xcb_keycode_t* p = numLock.get(); *p != XCB_NO_SYMBOL; ++p) {
                if (code != 0 && code == *p) {
                    return static_cast<uint16_t>(1u << m);
                }
            }
        }
    }
    return mask;
}

bool CX11HotKeys::Register(bool bAlternatePause) {
    Unregister();
    m_strError.clear();
    int screenNumber = 0;
    m_pConnection =
        xcb_connect(m_strDisplay.empty() ? nullptr : m_strDisplay.c_str(), &screenNumber);
    if (xcb_connection_has_error(m_pConnection) != 0) {
        xcb_disconnect(m_pConnection);
        m_pConnection = nullptr;
        m_strError = "The X display cannot be opened for the recording keys.";
        return false;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_pConnection));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    m_root = it.data->root;

    struct SWanted {
        EHotKey key;
        xcb_keysym_t sym;
        uint16_t modifiers;
    };
    const SWanted wanted[] = {
        {EHotKey::Snapshot, kPrint, 0},
        {EHotKey::Stop, kDelete, XCB_MOD_MASK_CONTROL},
        bAlternatePause ? SWanted{EHotKey::Pause, kLetterP, XCB_MOD_MASK_1}
                        : SWanted{EHotKey::Pause, kPause, 0},
        {EHotKey::Chapter, kLetterC, XCB_MOD_MASK_1},
        {EHotKey::Hide, kLetterH, XCB_MOD_MASK_CONTROL},
    };
    const uint16_t numLock = NumLockMask();
    const uint16_t locks[] = {0, XCB_MOD_MASK_LOCK, numLock,
                              static_cast<uint16_t>(XCB_MOD_MASK_LOCK | numLock)};
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(
        xcb_key_symbols_alloc(m_pConnection), &xcb_key_symbols_free);
    for (const SWanted& w : wanted) {
        std::unique_ptr<xcb_keycode_t, SFree> codes(
            xcb_key_symbols_get_keycode(symbols.get(), w.sym));
        // A key that another program holds on any of its key codes does not work reliably.
        bool bRefused = codes == nullptr || *codes == XCB_NO_SYMBOL;
        for (const xcb_keycode_t* p = codes.get(); p != nullptr && *p != XCB_NO_SYMBOL; ++p) {
            for (uint16_t lock : locks) {
                const uint16_t modifiers = static_cast<uint16_t>(w.modifiers | lock);
                xcb_generic_error_t* error = xcb_request_check(
                    m_pConnection, xcb_grab_key_checked(m_pConnection, 1, m_root, modifiers, *p,
                                                        XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
                if (error == nullptr) {
                    m_grabs.push_back({w.key, *p, modifiers});
                } else {
                    bRefused = true;
                }
                std::free(error);
            }
        }
        if (bRefused) {
            m_strError += std::string(m_strError.empty() ? "" : " ") + "The key " + KeyName(w.key) +
                          " is held by another program.";
        }
    }
    xcb_flush(m_pConnection);
    return m_strError.empty();
}

void CX11HotKeys::Unregister() {
    if (m_pConnection == nullptr) {
        return;
    }
    for (const SGrab& g : m_grabs) {
        xcb_ungrab_key(m_pConnection, g.code, m_root, g.modifiers);
    }
    m_grabs.clear();
    xcb_flush(m_pConnection);
    xcb_disconnect(m_pConnection);
    m_pConnection = nullptr;
}

int CX11HotKeys::WaitHandle() const {
    return m_pConnection != nullptr ? xcb_get_file_descriptor(m_pConnection) : -1;
}

std::vector<EHotKey> CX11HotKeys::TakePresses() {
    std::vector<EHotKey> presses;
    if (m_pConnection == nullptr) {
        return presses;
    }
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_pConnection)) {
        if ((event->response_type & 0x7f) == XCB_KEY_PRESS) {
            const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event);
            for (const SGrab& g : m_grabs) {
                if (g.code == press->detail && g.modifiers == (press->state & 0xff)) {
                    presses.push_back(g.key);
                    break;
                }
            }
        }
        std::free(event);
    }
    return presses;
}
