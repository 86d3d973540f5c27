// The control sprite: it carries out seeks and, when one is shown, the player's control bar, the
// start button and the information panel.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "publish/controlbar/BarSizing.h"

class CControlBarBuilder;
class CStartButton;
class CSwfMovie;
class CSwfSpriteObject;
struct CPublishSettings;
struct SPublishContext;

class CControlBarStep {
public:
    explicit CControlBarStep(SPublishContext& context);
    ~CControlBarStep();

    // The bar's rows for a movie `width` pixels wide; none when it is off or in a video export.
    static SBarSize SizeFor(const CPublishSettings& settings, int32_t width);

    // The control sprite's timeline, and its size over the movie in the main timeline's first
    // frame.
    void Prepare();
    // The timeline of the control sprite, for what else lies in it (the chapter index).
    CSwfMovie& ControlTimeline() { return *m_pControl; }
    // Builds the bar (or the seek alone) and the start button and places the control sprite,
    // once the movie's segments are known.
    void AddControl();
    void AddInfoBox();

private:
    // The bar, with the seek over the segments that start at `segmentStarts`.
    void AddBar(std::vector<uint32_t> segmentStarts, uint32_t firstSplit);
    void AddLock();
    bool WantsStartButton() const;

    SPublishContext& m_context;
    SBarSize m_size;
    std::unique_ptr<CSwfMovie> m_pControl;
    std::unique_ptr<CControlBarBuilder> m_pBuilder;
    std::unique_ptr<CStartButton> m_pStartButton;
};
