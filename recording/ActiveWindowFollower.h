// Places the capture-area frame on the active window: before a recording the frame takes the
// window's rectangle; during one the capture keeps its size and the frame is centred on the
// window only when the window is not already inside it.
#pragma once

#include <cstdint>
#include <optional>

#include "imaging/Rect.h"
#include "platform/WindowSource.h"

// The frame for a window's rectangle: a maximised window's rectangle moved by (1, 1), any other
// enlarged by the border; then the capture width (less two borders) cut to a multiple of 4.
SRect FrameForWindow(const SRect& window, bool bMaximised, int32_t border);

// During a recording: when `target` is not inside `frame`, the frame keeping its size centred on
// `target` and pushed back inside `screen`; nothing when it need not move.
std::optional<SRect> RecentreFrame(const SRect& frame, const SRect& target, const SRect& screen);

class CActiveWindowFollower {
public:
    explicit CActiveWindowFollower(IWindowSource& windows) : m_windows(windows) {}

    // The frame's new rectangle when it is to change; nothing when the active window is passed
    // over or gives the same target as last time, or when a recording's frame need not move.
    std::optional<SRect> Follow(const SRect& frame, bool bRecording, const SRect& screen,
                                int32_t border);

    uint32_t TrackedWindow() const { return m_nTracked; }
    bool ActivateTracked() { return m_nTracked != 0 && m_windows.Activate(m_nTracked); }
    IWindowSource& Windows() { return m_windows; }

private:
    IWindowSource& m_windows;
    std::optional<SRect> m_target;
    uint32_t m_nTracked = 0;
};
