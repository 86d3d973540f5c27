#include "tests/support/TestDrawer.h"

#include <cstdlib>
#include <cstring>

CTestDrawer::CTestDrawer(const std::string& display) {
    m_pConnection = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(m_pConnection) != 0) {
        return;
    }
    m_pScreen = xcb_setup_roots_iterator(xcb_get_setup(m_pConnection)).data;
    m_gc = xcb_generate_id(m_pConnection);
    // Drawing on the root also covers the test's own windows, so that a fill is what shows.
    const uint32_t values[] = {0, XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS};
    xcb_create_gc(m_pConnection, m_gc, m_pScreen->root, XCB_GC_FOREGROUND | XCB_GC_SUBWINDOW_MODE,
                  values);
    m_bOk = true;
}

CTestDrawer::~CTestDrawer() {
    xcb_disconnect(m_pConnection);
}

void CTestDrawer::FillAtOnce(std::initializer_list<SFill> fills) {
    xcb_grab_server(m_pConnection);
    for (const SFill& f : fills) {
        xcb_change_gc(m_pConnection, m_gc, XCB_GC_FOREGROUND, &f.rgb);
        const xcb_rectangle_t r{static_cast<int16_t>(f.x), static_cast<int16_t>(f.y),
                                static_cast<uint16_t>(f.w), static_cast<uint16_t>(f.h)};
        xcb_poly_fill_rectangle(m_pConnection, m_pScreen->root, m_gc, 1, &r);
    }
    xcb_ungrab_server(m_pConnection);
    Sync();
}

xcb_window_t CTestDrawer::MapWindowWithCursor(int x, int y, int w, int h, xcb_cursor_t cursor) {
    xcb_window_t window = xcb_generate_id(m_pConnection);
    const uint32_t values[] = {m_pScreen->white_pixel, 1, cursor};
    xcb_create_window(m_pConnection, XCB_COPY_FROM_PARENT, window, m_pScreen->root,
                      static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<uint16_t>(w),
                      static_cast<uint16_t>(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      m_pScreen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_CURSOR, values);
    xcb_map_window(m_pConnection, window);
    Sync();
    return window;
}

xcb_cursor_t CTestDrawer::FontCursor(uint16_t glyph) {
    xcb_font_t font = xcb_generate_id(m_pConnection);
    xcb_open_font(m_pConnection, font, static_cast<uint16_t>(std::strlen("cursor")), "cursor");
    xcb_cursor_t cursor = xcb_generate_id(m_pConnection);
    xcb_create_glyph_cursor(m_pConnection, cursor, font, font, glyph, glyph + 1, 0, 0, 0, 0xFFFF,
                            0xFFFF, 0xFFFF);
    xcb_close_font(m_pConnection, font);
    Sync();
    return cursor;
}

xcb_cursor_t CTestDrawer::InvisibleCursor() {
    xcb_pixmap_t pixmap = xcb_generate_id(m_pConnection);
    xcb_create_pixmap(m_pConnection, 1, pixmap, m_pScreen->root, 8, 8);
    xcb_gcontext_t gc = xcb_generate_id(m_pConnection);
    const uint32_t zero = 0;
    xcb_create_gc(m_pConnection, gc, pixmap, XCB_GC_FOREGROUND, &zero);
    const xcb_rectangle_t all{0, 0, 8, 8};
    xcb_poly_fill_rectangle(m_pConnection, pixmap, gc, 1, &all);
    xcb_cursor_t cursor = xcb_generate_id(m_pConnection);
    xcb_create_cursor(m_pConnection, cursor, pixmap, pixmap, 0, 0, 0, 0, 0, 0, 0, 0);
    xcb_free_gc(m_pConnection, gc);
    xcb_free_pixmap(m_pConnection, pixmap);
    Sync();
    return cursor;
}

void CTestDrawer::Sync() {
    free(xcb_get_input_focus_reply(m_pConnection, xcb_get_input_focus(m_pConnection), nullptr));
}
