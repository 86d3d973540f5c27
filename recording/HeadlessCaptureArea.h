// The capture area of a recording without windows: a frame rectangle that nobody sees, moved by
// the grabber's pan and, when a window source is given, following the active window.
#pragma once

#include <optional>

#include "recording/ActiveWindowFollower.h"
#include "recording/CaptureAreaTracker.h"

class CHeadlessCaptureArea : public ICaptureAreaTracker {
public:
    // `frame` is the whole frame (the capture grown by the border); `pWindows` may be null.
    CHeadlessCaptureArea(const SScreenRect& frame, const SScreenRect& screen,
                         IWindowSource* pWindows);

    // The frame placed on the active window as before a recording; false when there is none.
    bool SnapToActiveWindow();

    SScreenRect FrameWindowRect() override { return m_frame; }
    void HideFrameWindow() override { m_bShown = false; }
    void ShowFrameWindow() override { m_bShown = true; }
    void PlaceFrameWindow(const SScreenRect& rect) override {
        m_frame = rect;
        m_bShown = true;
    }
    bool FollowActiveWindow(int32_t& dx, int32_t& dy) override;

    bool Shown() const { return m_bShown; }

private:
    SScreenRect m_frame;
    SScreenRect m_screen;
    std::optional<CActiveWindowFollower> m_follower;
    bool m_bShown = true;
};
