// quillo-scene: an X client that plays a fixed scene, so that a recording of it has known
// content. A box moves, a line of text is typed letter by letter, a counter counts and a bar
// grows, one step every 100 ms; step k always looks the same. With --hashes it prints, for the
// first picture and after every step, a hash of the whole screen taken before any other client
// can see the next change ("STEP HASH", FNV-1a over the 0x00RRGGBB pixels, rows top to bottom).
#include <xcb/xcb.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>

namespace {

constexpr uint32_t kPaper = 0xE8E8E8;
constexpr uint32_t kBox = 0xD02020;
constexpr uint32_t kInk = 0x101010;
constexpr uint32_t kBar = 0x2040C0;
constexpr std::string_view kLine = "Quillo records this scene, letter by letter.";

class CScene {
public:
    bool Open(const char* display) {
        m_c = xcb_connect(display, nullptr);
        if (xcb_connection_has_error(m_c) != 0) {
            return false;
        }
        xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data;
        m_w = s->width_in_pixels;
        m_h = s->height_in_pixels;
        m_window = xcb_generate_id(m_c);
        const uint32_t values[] = {kPaper, 1};
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, s->root, 0, 0,
                          static_cast<uint16_t>(m_w), static_cast<uint16_t>(m_h), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, s->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        const xcb_font_t font = xcb_generate_id(m_c);
        xcb_open_font(m_c, font, 5, "fixed");
        m_gc = xcb_generate_id(m_c);
        const uint32_t gcValues[] = {kInk, kPaper, font};
        xcb_create_gc(m_c, m_gc, m_window, XCB_GC_FOREGROUND | XCB_GC_BACKGROUND | XCB_GC_FONT,
                      gcValues);
        xcb_map_window(m_c, m_window);
        Sync();
        return true;
    }

    void First(bool hash) {
        xcb_grab_server(m_c);
        Sync();
        if (hash) {
            PrintHash(0);
        }
        xcb_ungrab_server(m_c);
        Sync();
    }

    ~CScene() {
        if (m_c != nullptr) {
            xcb_disconnect(m_c);
        }
    }

    // Draws step k over step k - 1; no other client sees a step half drawn.
    void Step(int k, bool hash) {
        xcb_grab_server(m_c);
        const int travel = m_w - 140;
        Fill(40 + (8 * (k - 1)) % travel, 200, 60, 60, kPaper);
        Fill(40 + (8 * k) % travel, 200, 60, 60, kBox);
        const size_t letters = std::min(kLine.size(), static_cast<size_t>(k / 2));
        Text(40, 140, kLine.substr(0, letters));
        const std::string counter = "step " + std::to_string(k) + "   ";
        Text(m_w - 160, 30, counter);
        const int bar = (5 * k) % m_w;
        if (bar == 0) {
            Fill(0, m_h - 40, m_w, 20, kPaper);
        }
        Fill(0, m_h - 40, bar, 20, kBar);
        if (hash) {
            PrintHash(k);
        }
        xcb_ungrab_server(m_c);
        Sync();
    }

    void PrintHash(int k) {
        xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data;
        xcb_get_image_reply_t* reply = xcb_get_image_reply(
            m_c,
            xcb_get_image(m_c, XCB_IMAGE_FORMAT_Z_PIXMAP, s->root, 0, 0, static_cast<uint16_t>(m_w),
                          static_cast<uint16_t>(m_h), 0xFFFFFFFFu),
            nullptr);
        if (reply == nullptr) {
            return;
        }
        const uint8_t* p = xcb_get_image_data(reply);
        const int n = std::min(xcb_get_image_data_length(reply), m_w * m_h * 4);
        uint64_t h = 1469598103934665603ull;
        for (int i = 0; i < n; ++i) {
            if (i % 4 != 3) {
                h = (h ^ p[i]) * 1099511628211ull;
            }
        }
        std::free(reply);
        std::printf("%d %016llx\n", k, static_cast<unsigned long long>(h));
        std::fflush(stdout);
    }

private:
    void Fill(int x, int y, int w, int h, uint32_t rgb) {
        if (w <= 0 || h <= 0) {
            return;
        }
        xcb_change_gc(m_c, m_gc, XCB_GC_FOREGROUND, &rgb);
        const xcb_rectangle_t r{static_cast<int16_t>(x), static_cast<int16_t>(y),
                                static_cast<uint16_t>(w), static_cast<uint16_t>(h)};
        xcb_poly_fill_rectangle(m_c, m_window, m_gc, 1, &r);
    }
    void Text(int x, int y, std::string_view text) {
        const uint32_t ink = kInk;
        xcb_change_gc(m_c, m_gc, XCB_GC_FOREGROUND, &ink);
        xcb_image_text_8(m_c, static_cast<uint8_t>(std::min<size_t>(text.size(), 255)), m_window,
                         m_gc, static_cast<int16_t>(x), static_cast<int16_t>(y), text.data());
    }
    void Sync() { std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr)); }

    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_window = 0;
    xcb_gcontext_t m_gc = 0;
    int m_w = 0;
    int m_h = 0;
};

int Usage() {
    std::fprintf(stderr, "usage: quillo-scene [--display D] [--seconds S] [--hashes]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const char* display = nullptr;
    int seconds = 10;
    bool hashes = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--display" && i + 1 < argc) {
            display = argv[++i];
        } else if (a == "--seconds" && i + 1 < argc) {
            const std::string_view v = argv[++i];
            auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), seconds);
            if (ec != std::errc() || ptr != v.data() + v.size() || seconds < 1) {
                return Usage();
            }
        } else if (a == "--hashes") {
            hashes = true;
        } else {
            return Usage();
        }
    }
    CScene scene;
    if (!scene.Open(display)) {
        std::fprintf(stderr, "quillo-scene: cannot open the X display\n");
        return 1;
    }
    scene.First(hashes);
    const auto start = std::chrono::steady_clock::now();
    for (int k = 1; k <= seconds * 10; ++k) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(100 * k));
        scene.Step(k, hashes);
    }
    return 0;
}
