// Sizes of a published movie: the picture, the stage, the units per pixel and the control
// sprite's zoom.
#pragma once

#include <cstdint>

struct SMovieGeometry {
    int32_t nWidth = 0;          // W, picture pixels
    int32_t nHeight = 0;         // H
    int32_t nDisplayWidth = 0;   // Wd
    int32_t nDisplayHeight = 0;  // Hd
    int32_t nPanelWidth = 0;     // chapter index panel beside the picture
    int32_t nBarHeight = 0;      // control bar rows added below or above the picture, pixels
    int32_t nTwips = 20;         // units per pixel
    double fZoom = 100.0;        // Z, percent

    int32_t Divisor() const { return 20 / nTwips; }
    int32_t StageWidth() const { return (nWidth + nPanelWidth) * nTwips; }
    int32_t StageHeight() const { return (nHeight + nBarHeight) * nTwips; }
    int32_t U(int32_t pixels) const { return pixels * nTwips; }
};

// B and E are the control bar's height and extra row (0 without a bar).
SMovieGeometry ComputeGeometry(int32_t width, int32_t height, int32_t displayWidth,
                               int32_t displayHeight, int32_t panelWidth, int32_t barHeight,
                               int32_t extraRow, bool controlsOverDemo, bool keepAspect);
