// One publish from preparation to the written file: the steps it runs, in the order the movie
// needs them, over the state they share.
#pragma once

#include <atomic>
#include <string>

#include "publish/ControlBarStep.h"
#include "publish/CursorStep.h"
#include "publish/EffectsStep.h"
#include "publish/OverlayStep.h"
#include "publish/PictureStep.h"
#include "publish/PublishContext.h"
#include "publish/SoundtrackStep.h"
#include "publish/TimelineStep.h"
#include "publish/ZoomStep.h"

struct SPublishResults;

class CPublishRun {
public:
    CPublishRun(CDemoProject& project, CFrameCompositor& compositor, IPrompter& prompter,
                const CPublishSettings& settings, std::atomic<bool>& cancel);
    ~CPublishRun();

    // Builds and writes the movie at `moviePath`; fills the results.
    void Run(const std::string& moviePath, SPublishResults& results);

private:
    void Prepare();
    // The size of the pictures the frames show; a panned recording's are larger than the movie.
    void MeasurePicture();
    // Lays every frame out in play order, then the final picture for the end effects.
    void Walk();
    bool MemoryProbe();
    void Finish();
    bool Save(const std::string& moviePath, SPublishResults& results);

    SPublishContext m_context;
    CTimelineStep m_timeline;
    CPictureStep m_picture;
    CZoomStep m_zoom;
    CEffectsStep m_effects;
    COverlayStep m_overlays;
    CCursorStep m_cursor;
    CSoundtrackStep m_soundtrack;
    CControlBarStep m_controlBar;

    bool m_bTerminated = false;
    std::string m_strError;
};
