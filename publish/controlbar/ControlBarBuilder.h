// Builds the player control bar into the control sprite's timeline: the panel, the buttons with
// their keys, the seek track with its draggable thumb and loading indicator, the time display,
// the volume slider, and the scripts that keep the thumb and the time with the movie.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "publish/controlbar/BarLayout.h"
#include "publish/controlbar/BarSizing.h"

class CSwfMovie;
class CSwfObject;

struct SBarInputs {
    int32_t nTwips = 20;  // units per pixel
    int32_t nWidth = 0;   // the bar's width in the control sprite, pixels
    int32_t nTop = 0;     // the bar's top in the control sprite, pixels
    SBarSize size;
    SBarSwitches switches;
    std::array<uint32_t, 6> colors{};  // Symbol, Edge, Button, Over, Down, Panel (0x00BBGGRR)
    uint32_t nTotalFrames = 1;         // the movie's frame count N
    int32_t nFrameRate = 10;
    bool bContinuePlaying = false;  // "Continue Playing": a seek plays on
    // The seek: the 0-based start frame of each movie segment after the main timeline, and the
    // main-timeline frame that shows the first segment.
    std::vector<uint32_t> segmentStarts;
    uint32_t nFirstSplit = 0;

    int32_t Divisor() const { return 20 / nTwips; }
};

class CControlBarBuilder {
public:
    CControlBarBuilder();
    ~CControlBarBuilder();

    // Fills frames 0 and 1 of the control sprite's timeline. The builder keeps the objects it
    // places and must outlive the writing of the movie.
    void BuildBar(CSwfMovie& control, const SBarInputs& inputs);

private:
    template <class T>
    T& Keep(std::unique_ptr<T> object) {
        T& kept = *object;
        m_objects.push_back(std::move(object));
        return kept;
    }
    void AddPanel(CSwfMovie& control);
    void AddButton(CSwfMovie& control, const SBarLayout::SSlot& slot, uint16_t layer);
    void AddPauseSprite(CSwfMovie& control, const SBarLayout::SSlot& slot);
    void AddTrack(CSwfMovie& control);
    void AddTime(CSwfMovie& control);
    void AddVolume(CSwfMovie& control);
    void AddFrameScripts(CSwfMovie& control);
    // The face of a button in one state, in the bar's look.
    CSwfObject& Face(const SBarRect& rc, uint32_t fill);
    void AddSymbol(CSwfMovie& timeline, uint32_t frame, EBarButton kind, const SBarRect& rc,
                   uint16_t layer);
    int32_t X(int32_t px) const { return px * m_in.nTwips; }
    int32_t Y(int32_t px) const { return (px + m_in.nTop) * m_in.nTwips; }

    SBarInputs m_in;
    SBarLayout m_layout;
    std::vector<std::unique_ptr<CSwfObject>> m_objects;
};
