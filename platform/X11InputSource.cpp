#include "platform/X11InputSource.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>
#include <memory>

namespace {

struct SFree {
    void operator()(void* p) const { std::free(p); }
};

bool IsClickButton(uint32_t button) {
    return button >= 1 && button <= 3;
}

}  // namespace

CX11InputSource::CX11InputSource(std::string displayName, CInputEvents& events)
    : m_strDisplay(std::move(displayName)), m_events(events) {}

CX11InputSource::~CX11InputSource() {
    Stop();
}

bool CX11InputSource::Start() {
    if (Running()) {
        return true;
    }
    if (m_strDisplay.empty() && std::getenv("DISPLAY") == nullptr) {
        return false;
    }
    int screenNumber = 0;
    xcb_connection_t* c =
        xcb_connect(m_strDisplay.empty() ? nullptr : m_strDisplay.c_str(), &screenNumber);
    auto fail = [&] {
        xcb_disconnect(c);
        return false;
    };
    if (xcb_connection_has_error(c) != 0) {
        return fail();
    }
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_input_id);
    if (ext == nullptr || ext->present == 0) {
        return fail();
    }
    std::unique_ptr<xcb_input_xi_query_version_reply_t, SFree> version(
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    if (!version || version->major_version < 2) {
        return fail();
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    if (it.rem == 0) {
        return fail();
    }
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } selection{
        {XCB_INPUT_DEVICE_ALL_MASTER, 1},
        XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE |
            XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE};
    // Checked, so that the server has the selection before Start returns.
    xcb_generic_error_t* error = xcb_request_check(
        c, xcb_input_xi_select_events_checked(c, it.data->root, 1, &selection.head));
    if (error != nullptr) {
        std::free(error);
        return fail();
    }
    m_nWakeFd = eventfd(0, EFD_CLOEXEC);
    if (m_nWakeFd < 0) {
        return fail();
    }
    m_pConnection = c;
    m_nOpcode = ext->major_opcode;
    m_thread = std::thread([this] { Listen(); });
    return true;
}

void CX11InputSource::Stop() {
    if (!Running()) {
        return;
    }
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(m_nWakeFd, &one, sizeof one);
    m_thread.join();
    close(m_nWakeFd);
    m_nWakeFd = -1;
    xcb_disconnect(m_pConnection);
    m_pConnection = nullptr;
}

void CX11InputSource::Listen() {
    pollfd fds[2] = {{xcb_get_file_descriptor(m_pConnection), POLLIN, 0}, {m_nWakeFd, POLLIN, 0}};
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_pConnection)) {
            std::unique_ptr<xcb_generic_event_t, SFree> owned(event);
            if ((event->response_type & 0x7F) != XCB_GE_GENERIC) {
                continue;
            }
            const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
            if (generic->extension != m_nOpcode) {
                continue;
            }
            const auto* raw = reinterpret_cast<const xcb_input_raw_button_press_event_t*>(event);
            switch (generic->event_type) {
                case XCB_INPUT_RAW_BUTTON_PRESS:
                    if (IsClickButton(raw->detail)) {
                        m_events.ClickDown().Set();
                    }
                    break;
                case XCB_INPUT_RAW_BUTTON_RELEASE:
                    if (IsClickButton(raw->detail)) {
                        m_events.ClickUp().Set();
                    }
                    break;
                case XCB_INPUT_RAW_KEY_PRESS:
                    m_events.KeyDown().Set();
                    break;
                case XCB_INPUT_RAW_KEY_RELEASE:
                    m_events.KeyUp().Set();
                    break;
                default:
                    break;
            }
        }
        if (xcb_connection_has_error(m_pConnection) != 0) {
            return;
        }
        fds[0].revents = 0;
        fds[1].revents = 0;
        if (poll(fds, 2, -1) < 0) {
            continue;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            return;
        }
    }
}
