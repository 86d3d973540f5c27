// The control sprite: it carries out seeks and, when one is shown, the player's control bar and
// information panel.
#pragma once

#include <memory>

class CSwfMovie;
struct SPublishContext;

class CControlBarStep {
public:
    explicit CControlBarStep(SPublishContext& context);
    ~CControlBarStep();

    // The control sprite's timeline, and its size over the movie in the main timeline's first
    // frame.
    void Prepare();
    // The control sprite's timeline, for what it shows besides the bar; until AddControl.
    CSwfMovie& ControlTimeline() { return *m_pControl; }
    // Places the control sprite, once the movie's segments are known.
    void AddControl();
    void AddInfoBox();

private:
    SPublishContext& m_context;
    std::unique_ptr<CSwfMovie> m_pControl;
};
