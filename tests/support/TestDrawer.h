// Drawing helpers for tests on a private X server: solid rectangles on the root window and
// windows with a chosen cursor, made through a connection of the test's own.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <initializer_list>
#include <string>

class CTestDrawer {
public:
    explicit CTestDrawer(const std::string& display);
    ~CTestDrawer();
    CTestDrawer(const CTestDrawer&) = delete;
    CTestDrawer& operator=(const CTestDrawer&) = delete;

    bool Ok() const { return m_bOk; }
    xcb_connection_t* Connection() const { return m_pConnection; }
    xcb_screen_t* Screen() const { return m_pScreen; }

    struct SFill {
        int x, y, w, h;
        uint32_t rgb;
    };

    // Fills a rectangle of the root window with a 0x00RRGGBB colour.
    void Fill(int x, int y, int w, int h, uint32_t rgb) { FillAtOnce({{x, y, w, h, rgb}}); }
    // Several fills that no other client sees half done (the server is grabbed meanwhile).
    void FillAtOnce(std::initializer_list<SFill> fills);
    // Maps a window at (x, y) of size w × h showing the given cursor; returns it.
    xcb_window_t MapWindowWithCursor(int x, int y, int w, int h, xcb_cursor_t cursor);
    // A cursor of the standard cursor font (glyph numbers of the font, e.g. 152 for the I-beam).
    xcb_cursor_t FontCursor(uint16_t glyph);
    // A cursor whose every pixel is transparent.
    xcb_cursor_t InvisibleCursor();
    void Sync();

private:
    xcb_connection_t* m_pConnection = nullptr;
    xcb_screen_t* m_pScreen = nullptr;
    xcb_gcontext_t m_gc = 0;
    bool m_bOk = false;
};
