// The capture-area frame window as the recording controller sees it: the frame drawn around a
// "Selected Area" or "Active Window" capture, fixed in size while recording and movable while
// paused. The desktop program's frame window implements it; tests use a fake.
#pragma once

#include "platform/ScreenSource.h"

class ICaptureFrame {
public:
    static constexpr int kBorder = 3;

    virtual ~ICaptureFrame() = default;

    // The whole frame window in screen coordinates; the capture is this shrunk by kBorder.
    virtual SScreenRect WindowRect() const = 0;
    // Recording look: fixed size and deaf to the mouse. Paused look: it may be moved (never
    // resized) until the recording resumes.
    virtual void SetRecordingLook(bool bPaused) = 0;
    // Stops the frame window's own active-window tracking timer.
    virtual void StopTracking() = 0;
    virtual void ShowFrame() = 0;
    virtual void HideFrame() = 0;
    // Brings the window that "Active Window" tracks to the front; false when it is gone.
    virtual bool RaiseTrackedWindow() = 0;
};
