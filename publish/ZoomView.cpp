#include "publish/ZoomView.h"

#include <algorithm>
#include <cmath>

namespace {

// A move eases in and out, so that the view does not start or stop with a jerk.
double Ease(double t) {
    return t * t * (3 - 2 * t);
}

double Mix(double a, double b, double t) {
    return a + (b - a) * t;
}

}  // namespace

SZoomView WholePicture(int32_t width, int32_t height) {
    return {0, 0, double(std::max(1, width)), double(std::max(1, height))};
}

SZoomView ZoomRegionView(const SRect& region, int32_t width, int32_t height) {
    const SZoomView whole = WholePicture(width, height);
    const double l = std::clamp<double>(region.left, 0, whole.width);
    const double t = std::clamp<double>(region.top, 0, whole.height);
    const double r = std::clamp<double>(region.right + 1.0, 0, whole.width);
    const double b = std::clamp<double>(region.bottom + 1.0, 0, whole.height);
    if (r - l < 1 || b - t < 1) {
        return whole;
    }
    double w = r - l;
    double h = b - t;
    const double aspect = whole.width / whole.height;
    if (w / h < aspect) {
        w = h * aspect;
    } else {
        h = w / aspect;
    }
    if (w >= whole.width || h >= whole.height) {
        return whole;
    }
    const double cx = (l + r) / 2;
    const double cy = (t + b) / 2;
    return {std::clamp(cx - w / 2, 0.0, whole.width - w),
            std::clamp(cy - h / 2, 0.0, whole.height - h), w, h};
}

SRect FollowRegion(const SRect& region, int32_t x, int32_t y, int32_t width, int32_t height) {
    const int32_t w = std::clamp(region.right - region.left, 0, std::max(0, width - 1));
    const int32_t h = std::clamp(region.bottom - region.top, 0, std::max(0, height - 1));
    const int32_t left = std::clamp(x - w / 3, 0, std::max(0, width - 1 - w));
    const int32_t top = std::clamp(y - h / 3, 0, std::max(0, height - 1 - h));
    return {left, top, left + w, top + h};
}

std::vector<SZoomView> ZoomSteps(const SZoomView& from, const SZoomView& to, int32_t rate,
                                 uint32_t maxSteps, bool cut) {
    if (from == to) {
        return {};
    }
    const double travel = std::max({std::abs(to.left - from.left), std::abs(to.top - from.top),
                                    std::abs(to.left + to.width - from.left - from.width),
                                    std::abs(to.top + to.height - from.top - from.height)});
    uint32_t steps = 1;
    if (!cut && rate > 0) {
        steps = uint32_t(
            std::clamp(std::ceil(travel * 10.0 / rate), 1.0, double(std::max(1u, maxSteps))));
    }
    std::vector<SZoomView> views;
    for (uint32_t k = 1; k <= steps; ++k) {
        const double e = Ease(double(k) / steps);
        views.push_back({Mix(from.left, to.left, e), Mix(from.top, to.top, e),
                         Mix(from.width, to.width, e), Mix(from.height, to.height, e)});
    }
    views.back() = to;
    return views;
}

SViewTransform TransformFor(const SZoomView& view, int32_t width) {
    SViewTransform t;
    t.scale = view.width > 0 ? std::max(1, width) / view.width : 1.0;
    t.x = -view.left * t.scale;
    t.y = -view.top * t.scale;
    return t;
}
