// The desktop's windows as capture-area tracking sees them: the active window with its outer
// rectangle and state, and a way to bring a window to the front.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/ScreenSource.h"

struct SWindowInfo {
    uint32_t id = 0;
    // The window with its decoration, in screen coordinates.
    SScreenRect rect;
    bool bMaximised = false;
};

class IWindowSource {
public:
    virtual ~IWindowSource() = default;

    // The active window, or nothing when there is none or it is one that tracking passes over:
    // the desktop, a panel or dock, a minimised window, or one of the program's own windows.
    virtual std::optional<SWindowInfo> ActiveWindow() = 0;
    // Asks the window manager to activate the window; false when the window is gone.
    virtual bool Activate(uint32_t id) = 0;
    // A window of the program that tracking passes over (the frame window, the main window).
    virtual void Ignore(uint32_t id) = 0;
};
