// The active window of an X display as the window manager announces it (_NET_ACTIVE_WINDOW),
// with its decoration (_NET_FRAME_EXTENTS), maximised and hidden states (_NET_WM_STATE) and
// type (_NET_WM_WINDOW_TYPE); activation through the window manager's client message.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/WindowSource.h"
#include "platform/X11Display.h"

class CX11WindowSource : public IWindowSource {
public:
    explicit CX11WindowSource(CX11Display& display);

    std::optional<SWindowInfo> ActiveWindow() override;
    bool Activate(uint32_t id) override;
    void Ignore(uint32_t id) override { m_Ignored.push_back(id); }

private:
    xcb_atom_t Atom(const char* name) const;
    std::vector<uint32_t> Property(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) const;
    bool PassedOver(xcb_window_t window) const;

    CX11Display& m_display;
    std::vector<uint32_t> m_Ignored;
    xcb_atom_t m_atomActive = XCB_ATOM_NONE;
    xcb_atom_t m_atomExtents = XCB_ATOM_NONE;
    xcb_atom_t m_atomState = XCB_ATOM_NONE;
    xcb_atom_t m_atomMaxVert = XCB_ATOM_NONE;
    xcb_atom_t m_atomMaxHorz = XCB_ATOM_NONE;
    xcb_atom_t m_atomHidden = XCB_ATOM_NONE;
    xcb_atom_t m_atomType = XCB_ATOM_NONE;
    xcb_atom_t m_atomDesktop = XCB_ATOM_NONE;
    xcb_atom_t m_atomDock = XCB_ATOM_NONE;
    xcb_atom_t m_atomPid = XCB_ATOM_NONE;
    xcb_atom_t m_atomWmState = XCB_ATOM_NONE;
};
