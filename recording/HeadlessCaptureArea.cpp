#include "recording/HeadlessCaptureArea.h"

#include "recording/CaptureArea.h"
#include "recording/FrameGeometry.h"

CHeadlessCaptureArea::CHeadlessCaptureArea(const SScreenRect& frame, const SScreenRect& screen,
                                           IWindowSource* pWindows)
    : m_frame(frame), m_screen(screen) {
    if (pWindows != nullptr) {
        m_follower.emplace(*pWindows);
    }
}

bool CHeadlessCaptureArea::SnapToActiveWindow() {
    if (!m_follower) {
        return false;
    }
    const std::optional<SRect> placed =
        m_follower->Follow(EdgesOf(m_frame), false, EdgesOf(m_screen), kFrameBorder);
    if (placed) {
        m_frame = RectOf(*placed);
    }
    return m_follower->TrackedWindow() != 0;
}

bool CHeadlessCaptureArea::FollowActiveWindow(int32_t& dx, int32_t& dy) {
    dx = 0;
    dy = 0;
    if (!m_follower) {
        return false;
    }
    const std::optional<SRect> moved =
        m_follower->Follow(EdgesOf(m_frame), true, EdgesOf(m_screen), kFrameBorder);
    if (!moved) {
        return false;
    }
    dx = moved->left - m_frame.x;
    dy = moved->top - m_frame.y;
    m_frame = RectOf(*moved);
    return true;
}
