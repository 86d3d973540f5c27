#include "platform/X11CursorSource.h"

#include <xcb/xfixes.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {
struct SFree {
    void operator()(void* p) const { std::free(p); }
};
}  // namespace

CX11CursorSource::CX11CursorSource(CX11Display& display) : m_display(display) {
    if (!display.IsOpen()) {
        return;
    }
    xcb_connection_t* c = display.Connection();
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (ext == nullptr || ext->present == 0) {
        return;
    }
    std::unique_ptr<xcb_xfixes_query_version_reply_t, SFree> version(
        xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 4, 0), nullptr));
    m_bAvailable = version != nullptr && version->major_version >= 2;
}

bool CX11CursorSource::Read(SCursorReading& reading) {
    if (!m_bAvailable || m_display.Lost()) {
        return false;
    }
    xcb_connection_t* c = m_display.Connection();
    std::unique_ptr<xcb_xfixes_get_cursor_image_reply_t, SFree> reply(
        xcb_xfixes_get_cursor_image_reply(c, xcb_xfixes_get_cursor_image(c), nullptr));
    if (!reply) {
        return false;
    }
    const uint32_t serial = reply->cursor_serial;
    reading.x = reply->x;
    reading.y = reply->y;
    reading.shape = serial;

    std::lock_guard lock(m_mutex);
    auto known = m_showing.find(serial);
    if (known != m_showing.end()) {
        reading.showing = known->second;
        return true;
    }
    const int length = xcb_xfixes_get_cursor_image_cursor_image_length(reply.get());
    const size_t count = static_cast<size_t>(reply->width) * reply->height;
    if (length < 0 || static_cast<size_t>(length) < count) {
        return false;
    }
    const uint32_t* argb = xcb_xfixes_get_cursor_image_cursor_image(reply.get());
    SCursorPicture picture;
    picture.shape = serial;
    picture.width = reply->width;
    picture.height = reply->height;
    picture.hotX = reply->xhot;
    picture.hotY = reply->yhot;
    picture.argb.assign(argb, argb + count);
    // A cursor made only of transparent pixels is how X clients hide the pointer.
    const bool showing = std::any_of(picture.argb.begin(), picture.argb.end(),
                                     [](uint32_t p) { return (p >> 24) != 0; });
    m_showing[serial] = showing;
    m_pictures[serial] = std::move(picture);
    reading.showing = showing;
    return true;
}

bool CX11CursorSource::Picture(uint32_t shape, SCursorPicture& picture) {
    std::lock_guard lock(m_mutex);
    auto it = m_pictures.find(shape);
    if (it == m_pictures.end()) {
        return false;
    }
    picture = it->second;
    return true;
}
