// The part of the picture that the movie shows while frames zoom to a region and pan between
// regions: the regions themselves, the moves between them in steps of 1/10 s, and the
// transform of a timeline that shows such a part over the whole picture area.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/Rect.h"

// A part of the picture in pixels; the whole picture is (0, 0, W, H).
struct SZoomView {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    friend bool operator==(const SZoomView&, const SZoomView&) = default;
};

SZoomView WholePicture(int32_t width, int32_t height);

// The shown part for a zoom region (inclusive pixel rectangle): clipped to the picture, grown
// about its centre to the picture's proportions so that nothing is stretched, and moved back
// inside the picture. Empty or reversed regions give the whole picture.
SZoomView ZoomRegionView(const SRect& region, int32_t width, int32_t height);

// A "Follow Mouse" zoom region: the region's size placed so that the point (x, y) sits at a
// third of its width and height, moved back inside the picture.
SRect FollowRegion(const SRect& region, int32_t x, int32_t y, int32_t width, int32_t height);

// The views of a move from `from` to `to`, one per 1/10 s, the last equal to `to`. The move
// takes as many steps as its largest edge travel needs at `rate` pixels per second (at least
// one, at most `maxSteps`); with `cut` it jumps in one step. No move gives no steps.
std::vector<SZoomView> ZoomSteps(const SZoomView& from, const SZoomView& to, int32_t rate,
                                 uint32_t maxSteps, bool cut);

// The scale (1 = no zoom) and the offset in pixels that show `view` over the picture area.
struct SViewTransform {
    double scale = 1;
    double x = 0;
    double y = 0;
};
SViewTransform TransformFor(const SZoomView& view, int32_t width);
