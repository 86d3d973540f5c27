// What the screen grabber asks of the capture area during a recording: the frame window's
// rectangle at the first grab, hiding it while the whole screen is copied or a pan moves the
// capture, placing it around the moved capture, and following the active window. The desktop
// program's frame window and the headless recorder's stand-in each provide one.
#pragma once

#include <cstdint>

#include "platform/ScreenSource.h"

class ICaptureAreaTracker {
public:
    virtual ~ICaptureAreaTracker() = default;

    // The whole frame window in screen coordinates; the capture is this shrunk by its border.
    virtual SScreenRect FrameWindowRect() = 0;
    virtual void HideFrameWindow() = 0;
    // Shows the frame window again where it is (not while the program runs hidden).
    virtual void ShowFrameWindow() = 0;
    // Places the frame window at `rect` and shows it, without activating it.
    virtual void PlaceFrameWindow(const SScreenRect& rect) = 0;
    // "Follow Active Window" while recording: moves the frame window onto the active window when
    // that is not inside it, keeping its size. True with the distance the frame moved.
    virtual bool FollowActiveWindow(int32_t& dx, int32_t& dy) = 0;
};
