#include "platform/X11WindowSource.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct SFree {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using TReply = std::unique_ptr<T, SFree>;

constexpr uint32_t kIconicState = 3;  // WM_STATE of a minimised window
constexpr uint32_t kSourcePager = 2;  // the request comes from a tool acting for the user

bool Has(const std::vector<uint32_t>& values, uint32_t v) {
    return v != XCB_ATOM_NONE && std::find(values.begin(), values.end(), v) != values.end();
}

}  // namespace

CX11WindowSource::CX11WindowSource(CX11Display& display) : m_display(display) {
    if (!display.IsOpen()) {
        return;
    }
    m_atomActive = Atom("_NET_ACTIVE_WINDOW");
    m_atomExtents = Atom("_NET_FRAME_EXTENTS");
    m_atomState = Atom("_NET_WM_STATE");
    m_atomMaxVert = Atom("_NET_WM_STATE_MAXIMIZED_VERT");
    m_atomMaxHorz = Atom("_NET_WM_STATE_MAXIMIZED_HORZ");
    m_atomHidden = Atom("_NET_WM_STATE_HIDDEN");
    m_atomType = Atom("_NET_WM_WINDOW_TYPE");
    m_atomDesktop = Atom("_NET_WM_WINDOW_TYPE_DESKTOP");
    m_atomDock = Atom("_NET_WM_WINDOW_TYPE_DOCK");
    m_atomPid = Atom("_NET_WM_PID");
    m_atomWmState = Atom("WM_STATE");
}

xcb_atom_t CX11WindowSource::Atom(const char* name) const {
    xcb_connection_t* c = m_display.Connection();
    TReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::vector<uint32_t> CX11WindowSource::Property(xcb_window_t window, xcb_atom_t property,
                                                 xcb_atom_t type) const {
    std::vector<uint32_t> values;
    if (property == XCB_ATOM_NONE || m_display.Lost()) {
        return values;
    }
    xcb_connection_t* c = m_display.Connection();
    TReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, type, 0, 1024), nullptr));
    if (!reply || reply->format != 32) {
        return values;
    }
    const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    values.assign(data, data + std::max(count, 0));
    return values;
}

bool CX11WindowSource::PassedOver(xcb_window_t window) const {
    if (window == XCB_WINDOW_NONE || window == m_display.Root() ||
        std::find(m_Ignored.begin(), m_Ignored.end(), window) != m_Ignored.end()) {
        return true;
    }
    const std::vector<uint32_t> types = Property(window, m_atomType, XCB_ATOM_ATOM);
    if (Has(types, m_atomDesktop) || Has(types, m_atomDock)) {
        return true;
    }
    const std::vector<uint32_t> pid = Property(window, m_atomPid, XCB_ATOM_CARDINAL);
    if (!pid.empty() && pid[0] == static_cast<uint32_t>(getpid())) {
        return true;
    }
    if (Has(Property(window, m_atomState, XCB_ATOM_ATOM), m_atomHidden)) {
        return true;
    }
    const std::vector<uint32_t> wmState = Property(window, m_atomWmState, m_atomWmState);
    return !wmState.empty() && wmState[0] == kIconicState;
}

std::optional<SWindowInfo> CX11WindowSource::ActiveWindow() {
    if (!m_display.IsOpen() || m_display.Lost()) {
        return std::nullopt;
    }
    const std::vector<uint32_t> active = Property(m_display.Root(), m_atomActive, XCB_ATOM_WINDOW);
    if (active.empty() || PassedOver(active[0])) {
        return std::nullopt;
    }
    const xcb_window_t window = active[0];
    xcb_connection_t* c = m_display.Connection();
    TReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    TReply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window, m_display.Root(), 0, 0), nullptr));
    if (!geometry || !origin) {
        return std::nullopt;
    }
    SWindowInfo info;
    info.id = window;
    info.rect = {origin->dst_x, origin->dst_y, geometry->width, geometry->height};
    // Left, right, top and bottom widths of the decoration the window manager drew.
    const std::vector<uint32_t> extents = Property(window, m_atomExtents, XCB_ATOM_CARDINAL);
    if (extents.size() >= 4) {
        const auto left = static_cast<int32_t>(extents[0]);
        const auto right = static_cast<int32_t>(extents[1]);
        const auto top = static_cast<int32_t>(extents[2]);
        const auto bottom = static_cast<int32_t>(extents[3]);
        info.rect = {info.rect.x - left, info.rect.y - top, info.rect.width + left + right,
                     info.rect.height + top + bottom};
    }
    const std::vector<uint32_t> state = Property(window, m_atomState, XCB_ATOM_ATOM);
    info.bMaximised = Has(state, m_atomMaxVert) && Has(state, m_atomMaxHorz);
    return info;
}

bool CX11WindowSource::Activate(uint32_t id) {
    if (!m_display.IsOpen() || m_display.Lost() || m_atomActive == XCB_ATOM_NONE) {
        return false;
    }
    xcb_connection_t* c = m_display.Connection();
    TReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr));
    if (!attributes) {
        return false;
    }
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = m_atomActive;
    event.data.data32[0] = kSourcePager;
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, m_display.Root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
    return true;
}
