// Where the parts of the player control bar lie, in pixels from the bar's top left corner. The
// movie's bar and the scheme page's still picture both draw from it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "publish/controlbar/BarSizing.h"

enum EBarButton : int {
    kButtonStart,
    kButtonPrevious,
    kButtonPlay,
    kButtonPause,  // over play while the movie plays, without "Stop/End"
    kButtonInfo,
    kButtonStop,
    kButtonNext,
    kButtonEnd,
    kButtonVolume,
};

struct SBarRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
};

struct SBarSwitches {
    bool bInfo = false;     // "Show Info"
    bool bTime = true;      // "Time"
    bool bVolume = false;   // "Volume"
    bool bStopEnd = false;  // "Stop/End"
};

struct SBarLayout {
    struct SSlot {
        EBarButton kind;
        SBarRect rc;
    };
    SBarRect panel;
    std::vector<SSlot> buttons;
    SBarRect track;
    SBarRect thumb;        // at the track's start
    int32_t nTravel = 0;   // pixels the thumb moves over the track
    SBarRect time;         // empty without "Time"
    SBarRect volumeTrack;  // empty without "Volume"
    SBarRect volumeThumb;
    int32_t nVolumeTravel = 0;
};

// `width` is the bar's width in pixels, `timeWidth` that of the time display.
SBarLayout LayoutBar(int32_t width, const SBarSize& size, const SBarSwitches& switches,
                     int32_t timeWidth);

// A symbol is a few filled polygons in a unit square (x right, y down).
struct SUnitPoint {
    float x;
    float y;
};
using TUnitPolygon = std::vector<SUnitPoint>;
std::vector<TUnitPolygon> ButtonSymbol(EBarButton kind);
// The start button's symbol: a play triangle in a circle's unit square.
std::vector<TUnitPolygon> StartButtonSymbol();
