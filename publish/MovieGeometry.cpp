#include "publish/MovieGeometry.h"

#include <algorithm>

#include "swf/SwfTagStream.h"

SMovieGeometry ComputeGeometry(int32_t width, int32_t height, int32_t displayWidth,
                               int32_t displayHeight, int32_t panelWidth, int32_t barHeight,
                               int32_t extraRow, bool controlsOverDemo, bool keepAspect) {
    SMovieGeometry g;
    g.nWidth = std::max(1, width);
    g.nHeight = std::max(1, height);
    g.nDisplayWidth = displayWidth > 0 ? displayWidth : g.nWidth;
    g.nDisplayHeight = displayHeight > 0 ? displayHeight : g.nHeight;
    g.nPanelWidth = std::max(0, panelWidth);
    if (!controlsOverDemo && barHeight + extraRow > 0) {
        g.nBarHeight = int32_t(int64_t(barHeight + extraRow) * g.nHeight / g.nDisplayHeight);
    }
    const int32_t wide = g.nWidth + g.nPanelWidth;
    g.nTwips = 20;
    if (wide > 1600 || g.nHeight > 1536) {
        g.nTwips = 5;
    } else if (wide > 800 || g.nHeight > 768) {
        g.nTwips = 10;
    }
    // A very large stage takes finer steps, so that no stage overflows the header fields.
    const int64_t largest = std::max<int64_t>(wide, g.nHeight + g.nBarHeight);
    for (int32_t t : {4, 2, 1}) {
        if (largest * g.nTwips <= CSwfTagStream::kMaxStageUnits) {
            break;
        }
        g.nTwips = t;
    }
    g.fZoom = 100.0 * g.nWidth / g.nDisplayWidth;
    const double heightRatio = 100.0 * g.nHeight / g.nDisplayHeight;
    if (keepAspect && heightRatio < g.fZoom) {
        g.fZoom = heightRatio;
    }
    return g;
}
