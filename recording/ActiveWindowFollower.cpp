#include "recording/ActiveWindowFollower.h"

#include "recording/CaptureArea.h"

SRect FrameForWindow(const SRect& window, bool bMaximised, int32_t border) {
    // A maximised window's decoration lies partly off the screen: its rectangle shifted by one
    // pixel keeps the frame on the screen.
    SRect r = bMaximised
                  ? SRect{window.left + 1, window.top + 1, window.right + 1, window.bottom + 1}
                  : Inset(window, -border);
    const int32_t inner = r.right - r.left - 2 * border;
    switch (((inner % 4) + 4) % 4) {
        case 1:
            r.right -= 1;
            break;
        case 2:
            r.left += 1;
            r.right -= 1;
            break;
        case 3:
            r.left += 1;
            r.right -= 2;
            break;
        default:
            break;
    }
    return r;
}

std::optional<SRect> RecentreFrame(const SRect& frame, const SRect& target, const SRect& screen) {
    if (target.left >= frame.left && target.top >= frame.top && target.right <= frame.right &&
        target.bottom <= frame.bottom) {
        return std::nullopt;
    }
    const int32_t w = frame.right - frame.left;
    const int32_t h = frame.bottom - frame.top;
    int32_t left = (target.left + target.right) / 2 - w / 2;
    int32_t top = (target.top + target.bottom) / 2 - h / 2;
    if (left < screen.left) {
        left = screen.left;
    }
    if (left + w > screen.right) {
        left = screen.right - w;
    }
    if (top < screen.top) {
        top = screen.top;
    }
    if (top + h > screen.bottom) {
        top = screen.bottom - h;
    }
    const SRect moved{left, top, left + w, top + h};
    if (moved == frame) {
        return std::nullopt;
    }
    return moved;
}

std::optional<SRect> CActiveWindowFollower::Follow(const SRect& frame, bool bRecording,
                                                   const SRect& screen, int32_t border) {
    const std::optional<SWindowInfo> active = m_windows.ActiveWindow();
    if (!active) {
        return std::nullopt;
    }
    m_nTracked = active->id;
    const SRect target = FrameForWindow(EdgesOf(active->rect), active->bMaximised, border);
    if (m_target == target) {
        return std::nullopt;
    }
    m_target = target;
    if (!bRecording) {
        return target;
    }
    return RecentreFrame(frame, target, screen);
}
