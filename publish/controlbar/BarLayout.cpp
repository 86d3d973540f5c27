#include "publish/controlbar/BarLayout.h"

#include <algorithm>

namespace {

constexpr int32_t kGap = 2;

TUnitPolygon Box(float x1, float y1, float x2, float y2) {
    return {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}};
}

std::vector<TUnitPolygon> Mirrored(std::vector<TUnitPolygon> polygons) {
    for (TUnitPolygon& p : polygons) {
        for (SUnitPoint& pt : p) {
            pt.x = 1.0f - pt.x;
        }
    }
    return polygons;
}

}  // namespace

SBarLayout LayoutBar(int32_t width, const SBarSize& size, const SBarSwitches& switches,
                     int32_t timeWidth) {
    SBarLayout l;
    l.panel = {0, 0, width, size.Total()};
    const int32_t rowH = size.nHeight;
    const int32_t buttonH = std::max(1, rowH - 2 * kGap);
    const int32_t g = size.nButton;

    std::vector<EBarButton> left = {kButtonStart, kButtonPrevious, kButtonPlay};
    if (switches.bInfo) {
        left.push_back(kButtonInfo);
    }
    if (switches.bStopEnd) {
        left.push_back(kButtonStop);
    }
    std::vector<EBarButton> right = {kButtonNext};
    if (switches.bStopEnd) {
        right.push_back(kButtonEnd);
    }
    if (switches.bVolume) {
        right.push_back(kButtonVolume);
    }

    int32_t x = kGap;
    for (EBarButton kind : left) {
        l.buttons.push_back({kind, {x, kGap, g, buttonH}});
        if (kind == kButtonPlay && !switches.bStopEnd) {
            l.buttons.push_back({kButtonPause, {x, kGap, g, buttonH}});
        }
        x += g + kGap;
    }
    const int32_t volumeW = switches.bVolume ? std::max(2 * g, 24) : 0;
    int32_t r = width - kGap - volumeW - (switches.bVolume ? kGap : 0);
    if (switches.bVolume) {
        const int32_t trackH = std::max(3, rowH / 4);
        l.volumeTrack = {r + kGap, (rowH - trackH) / 2, volumeW, trackH};
        const int32_t thumbW = std::max(4, g / 3);
        l.volumeThumb = {l.volumeTrack.x, kGap + 1, thumbW, std::max(1, buttonH - 2)};
        l.nVolumeTravel = std::max(1, volumeW - thumbW);
    }
    for (auto it = right.rbegin(); it != right.rend(); ++it) {
        r -= g;
        l.buttons.push_back({*it, {r, kGap, g, buttonH}});
        r -= kGap;
    }
    // With a second row the track and the time take the whole of it.
    int32_t trackLeft = x + kGap;
    int32_t trackRight = r - kGap;
    int32_t rowTop = 0;
    if (size.nExtraRow > 0) {
        trackLeft = kGap * 2;
        trackRight = width - kGap * 2;
        rowTop = rowH;
    }
    if (switches.bTime) {
        l.time = {trackRight - timeWidth, rowTop + (rowH - 16) / 2, timeWidth, 16};
        trackRight -= timeWidth + kGap;
    }
    const int32_t trackH = std::max(4, rowH / 2);
    l.track = {trackLeft, rowTop + (rowH - trackH) / 2, std::max(4, trackRight - trackLeft),
               trackH};
    const int32_t thumbW = std::max(3, std::min((l.track.w + 20) / 10, std::max(3, g * 3 / 4)));
    l.thumb = {l.track.x + 1, rowTop + kGap, thumbW, buttonH};
    l.nTravel = std::max(1, l.track.w - thumbW - 2);
    return l;
}

std::vector<TUnitPolygon> ButtonSymbol(EBarButton kind) {
    const TUnitPolygon play = {{0.22f, 0.12f}, {0.88f, 0.5f}, {0.22f, 0.88f}};
    switch (kind) {
        case kButtonStart:
            return {Box(0.12f, 0.15f, 0.26f, 0.85f),
                    {{0.88f, 0.15f}, {0.3f, 0.5f}, {0.88f, 0.85f}}};
        case kButtonPrevious:
            return {{{0.52f, 0.15f}, {0.06f, 0.5f}, {0.52f, 0.85f}},
                    {{0.94f, 0.15f}, {0.48f, 0.5f}, {0.94f, 0.85f}}};
        case kButtonPlay:
            return {play};
        case kButtonPause:
            return {Box(0.2f, 0.14f, 0.42f, 0.86f), Box(0.58f, 0.14f, 0.8f, 0.86f)};
        case kButtonInfo:
            return {Box(0.41f, 0.08f, 0.59f, 0.26f), Box(0.41f, 0.36f, 0.59f, 0.92f)};
        case kButtonStop:
            return {Box(0.18f, 0.18f, 0.82f, 0.82f)};
        case kButtonNext:
            return Mirrored(ButtonSymbol(kButtonPrevious));
        case kButtonEnd:
            return Mirrored(ButtonSymbol(kButtonStart));
        case kButtonVolume:
            return {{{0.08f, 0.36f},
                     {0.3f, 0.36f},
                     {0.6f, 0.1f},
                     {0.6f, 0.9f},
                     {0.3f, 0.64f},
                     {0.08f, 0.64f}},
                    Box(0.7f, 0.3f, 0.8f, 0.7f),
                    Box(0.86f, 0.18f, 0.95f, 0.82f)};
    }
    return {};
}

std::vector<TUnitPolygon> StartButtonSymbol() {
    return {{{0.38f, 0.27f}, {0.76f, 0.5f}, {0.38f, 0.73f}}};
}
