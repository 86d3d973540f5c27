// Which rectangle of the screen a recording captures: the capture modes of the main window and
// the screen rectangle of "Full Screen" with its monitor choice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/Rect.h"
#include "platform/ScreenSource.h"

enum class ECaptureMode : int32_t {
    FullScreen = 0,
    SelectedArea = 1,
    ActiveWindow = 2,
};

// The capture choices of the main window that the grabber reads.
struct SCaptureChoice {
    ECaptureMode mode = ECaptureMode::FullScreen;
    // Index into "All", "1", "2", ...: 0 is the whole virtual screen.
    int32_t nMonitor = 0;
    bool bPan = false;
    // The grabber's pan step runs only over a selected area.
    bool Pans() const { return bPan && mode == ECaptureMode::SelectedArea; }
};

// "Full Screen" with a monitor choice n > 0 and more than one monitor takes the n-th monitor
// (1-based, in the system's order); anything else takes the virtual screen.
SScreenRect ScreenRectFor(const SCaptureChoice& choice, const std::vector<SScreenRect>& monitors,
                          const SScreenRect& virtualScreen);

// Window rectangles (right and bottom exclusive) and the screen's x, y, width, height.
SRect EdgesOf(const SScreenRect& r);
SScreenRect RectOf(const SRect& r);
// The rectangle shrunk by `n` on every side (grown when n is negative).
SRect Inset(const SRect& r, int32_t n);
