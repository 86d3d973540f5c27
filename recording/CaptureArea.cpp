#include "recording/CaptureArea.h"

SScreenRect ScreenRectFor(const SCaptureChoice& choice, const std::vector<SScreenRect>& monitors,
                          const SScreenRect& virtualScreen) {
    if (choice.mode == ECaptureMode::FullScreen && choice.nMonitor > 0 && monitors.size() > 1 &&
        static_cast<size_t>(choice.nMonitor) <= monitors.size()) {
        return monitors[static_cast<size_t>(choice.nMonitor) - 1];
    }
    return virtualScreen;
}

SRect EdgesOf(const SScreenRect& r) {
    return {r.x, r.y, r.x + r.width, r.y + r.height};
}

SScreenRect RectOf(const SRect& r) {
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

SRect Inset(const SRect& r, int32_t n) {
    return {r.left + n, r.top + n, r.right - n, r.bottom - n};
}
