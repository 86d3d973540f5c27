#include "platform/X11ScreenSource.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/randr.h>
#include <xcb/shm.h>

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

constexpr uint32_t kAllPlanes = 0xFFFFFFFFu;

bool RootHas32BitPixels(xcb_connection_t* c, const xcb_screen_t* screen) {
    if (screen->root_depth != 24 && screen->root_depth != 32) {
        return false;
    }
    const xcb_setup_t* setup = xcb_get_setup(c);
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem > 0; xcb_format_next(&it)) {
        if (it.data->depth == screen->root_depth) {
            return it.data->bits_per_pixel == 32;
        }
    }
    return false;
}

// Copies rows of 32-bit server pixels into the picture, clearing the unused top byte.
void CopyRows(const uint8_t* src, int32_t width, int32_t height, uint32_t* dst, int32_t stride) {
    for (int32_t row = 0; row < height; ++row) {
        const auto* in = reinterpret_cast<const uint32_t*>(src) + static_cast<size_t>(row) * width;
        uint32_t* out = dst + static_cast<size_t>(row) * stride;
        for (int32_t col = 0; col < width; ++col) {
            out[col] = in[col] & 0x00FFFFFFu;
        }
    }
}

}  // namespace

CX11ScreenSource::CX11ScreenSource(CX11Display& display, bool allowSharedMemory)
    : m_display(display) {
    if (!display.IsOpen()) {
        return;
    }
    xcb_connection_t* c = display.Connection();
    m_bReadable = RootHas32BitPixels(c, display.Screen());
    if (!allowSharedMemory) {
        return;
    }
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_shm_id);
    if (ext == nullptr || ext->present == 0) {
        return;
    }
    TReply<xcb_shm_query_version_reply_t> version(
        xcb_shm_query_version_reply(c, xcb_shm_query_version(c), nullptr));
    m_bShm = version != nullptr;
}

CX11ScreenSource::~CX11ScreenSource() {
    ReleaseSegment();
}

SScreenRect CX11ScreenSource::VirtualScreen() {
    if (!m_display.IsOpen()) {
        return {};
    }
    const xcb_screen_t* s = m_display.Screen();
    return {0, 0, s->width_in_pixels, s->height_in_pixels};
}

std::vector<SScreenRect> CX11ScreenSource::Monitors() {
    std::vector<SScreenRect> monitors;
    if (!m_display.IsOpen()) {
        return monitors;
    }
    xcb_connection_t* c = m_display.Connection();
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_randr_id);
    if (ext != nullptr && ext->present != 0) {
        TReply<xcb_randr_query_version_reply_t> version(
            xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr));
        if (version && (version->major_version > 1 || version->minor_version >= 5)) {
            TReply<xcb_randr_get_monitors_reply_t> reply(xcb_randr_get_monitors_reply(
                c, xcb_randr_get_monitors(c, m_display.Root(), 1), nullptr));
            if (reply) {
                for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem > 0;
                     xcb_randr_monitor_info_next(&it)) {
                    monitors.push_back({it.data->x, it.data->y, it.data->width, it.data->height});
                }
            }
        }
    }
    if (monitors.empty()) {
        monitors.push_back(VirtualScreen());
    }
    return monitors;
}

bool CX11ScreenSource::Grab(const SScreenRect& rect, uint32_t* pixels) {
    if (!m_bReadable || m_display.Lost() || rect.width <= 0 || rect.height <= 0) {
        return false;
    }
    const SScreenRect screen = VirtualScreen();
    const int32_t left = std::max(rect.x, screen.x);
    const int32_t top = std::max(rect.y, screen.y);
    const int32_t right = std::min(rect.x + rect.width, screen.x + screen.width);
    const int32_t bottom = std::min(rect.y + rect.height, screen.y + screen.height);
    const bool whole = left == rect.x && top == rect.y && right == rect.x + rect.width &&
                       bottom == rect.y + rect.height;
    if (!whole) {
        std::fill_n(pixels, static_cast<size_t>(rect.width) * rect.height, 0u);
    }
    if (left >= right || top >= bottom) {
        return true;
    }
    const SScreenRect part{left, top, right - left, bottom - top};
    uint32_t* target = pixels + static_cast<size_t>(top - rect.y) * rect.width +
                       static_cast<size_t>(left - rect.x);
    if (m_bShm && GrabShared(part, target, rect.width)) {
        return true;
    }
    return GrabPlain(part, target, rect.width);
}

bool CX11ScreenSource::GrabShared(const SScreenRect& part, uint32_t* pixels, int32_t stride) {
    const size_t bytes = static_cast<size_t>(part.width) * part.height * 4;
    if (!EnsureSegment(bytes)) {
        return false;
    }
    xcb_connection_t* c = m_display.Connection();
    xcb_generic_error_t* error = nullptr;
    TReply<xcb_shm_get_image_reply_t> reply(xcb_shm_get_image_reply(
        c,
        xcb_shm_get_image(c, m_display.Root(), static_cast<int16_t>(part.x),
                          static_cast<int16_t>(part.y), static_cast<uint16_t>(part.width),
                          static_cast<uint16_t>(part.height), kAllPlanes, XCB_IMAGE_FORMAT_Z_PIXMAP,
                          m_nShmSeg, 0),
        &error));
    std::free(error);
    if (!reply || reply->size < bytes) {
        return false;
    }
    CopyRows(m_pShmData, part.width, part.height, pixels, stride);
    return true;
}

bool CX11ScreenSource::GrabPlain(const SScreenRect& part, uint32_t* pixels, int32_t stride) {
    xcb_connection_t* c = m_display.Connection();
    // One reply must stay below the server's request size limit, so tall areas go in bands.
    const int32_t maxRows = std::max<int32_t>(1, (4 << 20) / (part.width * 4));
    for (int32_t row = 0; row < part.height; row += maxRows) {
        const int32_t rows = std::min(maxRows, part.height - row);
        TReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(
            c,
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, m_display.Root(),
                          static_cast<int16_t>(part.x), static_cast<int16_t>(part.y + row),
                          static_cast<uint16_t>(part.width), static_cast<uint16_t>(rows),
                          kAllPlanes),
            nullptr));
        if (!reply) {
            return false;
        }
        const size_t bytes = static_cast<size_t>(part.width) * rows * 4;
        if (static_cast<size_t>(xcb_get_image_data_length(reply.get())) < bytes) {
            return false;
        }
        CopyRows(xcb_get_image_data(reply.get()), part.width, rows,
                 pixels + static_cast<size_t>(row) * stride, stride);
    }
    return true;
}

bool CX11ScreenSource::EnsureSegment(size_t bytes) {
    if (m_pShmData != nullptr && bytes <= m_nShmBytes) {
        return true;
    }
    ReleaseSegment();
    xcb_connection_t* c = m_display.Connection();
    m_nShmId = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (m_nShmId < 0) {
        m_bShm = false;
        return false;
    }
    void* data = shmat(m_nShmId, nullptr, 0);
    if (data == reinterpret_cast<void*>(-1)) {
        shmctl(m_nShmId, IPC_RMID, nullptr);
        m_nShmId = -1;
        m_bShm = false;
        return false;
    }
    m_pShmData = static_cast<uint8_t*>(data);
    m_nShmBytes = bytes;
    m_nShmSeg = xcb_generate_id(c);
    xcb_generic_error_t* error = xcb_request_check(
        c, xcb_shm_attach_checked(c, m_nShmSeg, static_cast<uint32_t>(m_nShmId), 0));
    // The segment goes away with its last user; marking it now means a crash cannot leak it.
    shmctl(m_nShmId, IPC_RMID, nullptr);
    if (error != nullptr) {
        // A server on another machine cannot see our memory: read by plain replies from now on.
        std::free(error);
        shmdt(m_pShmData);
        m_pShmData = nullptr;
        m_nShmBytes = 0;
        m_nShmSeg = 0;
        m_bShm = false;
        return false;
    }
    return true;
}

void CX11ScreenSource::ReleaseSegment() {
    if (m_pShmData == nullptr) {
        return;
    }
    if (m_nShmSeg != 0 && !m_display.Lost()) {
        xcb_shm_detach(m_display.Connection(), m_nShmSeg);
        xcb_flush(m_display.Connection());
    }
    shmdt(m_pShmData);
    m_pShmData = nullptr;
    m_nShmBytes = 0;
    m_nShmSeg = 0;
}
