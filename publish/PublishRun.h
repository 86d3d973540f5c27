// The working state of one publish and its steps, from preparation to the written file.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/Rect.h"
#include "publish/ColorTable.h"
#include "publish/FrameBitmaps.h"
#include "publish/MovieGeometry.h"
#include "publish/PendingInteractions.h"
#include "publish/PublishRandom.h"
#include "publish/PublishSettings.h"
#include "publish/ZoomView.h"
#include "swf/SwfMovie.h"

class CDemoProject;
class CFrameCompositor;
class CFrameInfo;
class CSwfBitmapRect;
class CSwfRectangle;
class CSwfObject;
class IPrompter;
struct SPublishResults;

// A frame's duration in 1/100 s as the movie plays it, before the playback speed.
int32_t PublishDuration(const CFrameInfo& frame, float swfDelayScale);

// The frames in the order the movie plays them: deleted frames left out, a linear-play go-to
// followed the first time it is met (0-based indexes).
std::vector<uint32_t> PlayOrder(const CDemoProject& project);

class CPublishRun {
public:
    static constexpr uint32_t kFirstSegmentFrames = 12000;
    static constexpr uint32_t kSegmentFrames = 4000;
    static constexpr uint32_t kMinFrames = 5;

    CPublishRun(CDemoProject& project, CFrameCompositor& compositor, IPrompter& prompter,
                const CPublishSettings& settings, std::atomic<bool>& cancel);
    ~CPublishRun();

    // Builds and writes the movie at `moviePath`; fills the results.
    void Run(const std::string& moviePath, SPublishResults& results);

private:
    struct SSegment {
        std::unique_ptr<CSwfMovie> pOwned;  // segments 1, 2, ...; null for the main timeline
        CSwfMovie* pTimeline = nullptr;
        uint32_t nStart = 0;
    };
    struct SPlaced {
        CSwfObject* pObject;
        SRect rc;
    };

    bool Cancelled() const;
    void Prepare();
    void AddFrameZero(CSwfMovie& timeline);
    CSwfFrame& Frame(uint32_t absolute);
    CSwfMovie& Timeline() { return *m_segments.back().pTimeline; }
    template <class T>
    T& Keep(std::unique_ptr<T> object);

    void Walk();
    bool MemoryProbe();
    void SplitSegment();
    void PlaceChanges(const CFrameInfo& frame, bool whole);
    void StartEffects();
    void EndEffects();
    void AddTransition(const CFrameInfo& frame, uint32_t first, uint32_t end);
    void AddSweep(const CFrameInfo& frame, uint32_t first, uint32_t end);

    // The part of the picture the frame shows; a "Zoom to Region" frame keeps its region for
    // the frames after it until a "Zoom Out".
    SZoomView ZoomTargetOf(const CFrameInfo& frame);
    // Moves the view to `target` before the frame (from the previous frame's start on) or at
    // its start, as "Zoom Before Frame" says.
    void AddZoomSteps(const CFrameInfo& frame, const SZoomView& target, uint32_t first,
                      uint32_t end);
    // `view` is a part of the recorded area, which a panned recording shows at (panX, panY) of
    // its larger picture.
    void SetView(uint32_t absolute, const SZoomView& view, int32_t panX, int32_t panY);
    // The recorded area as shown in this frame, in movie units.
    std::unique_ptr<CSwfRectangle> AreaRect() const;
    bool Zoomed() const { return !(m_view == WholePicture(m_g.nWidth, m_g.nHeight)); }

    // Movie frames of the sound that the frame starts, 0 without one.
    uint32_t SoundFrames(const CFrameInfo& frame) const;
    void AddFrameLink(const CFrameInfo& frame);

    // Steps filled by the control bar, overlays, cursor effects and soundtrack.
    void AddInputEffects(const CFrameInfo&) {}
    void AddTalkBubble(const CFrameInfo&) {}
    void AddFrameSounds(const CFrameInfo&) {}
    void AddHotspot(const CFrameInfo&) {}
    void AddCursorMotion(const CFrameInfo&) {}
    void CompleteInteractions();
    void InsertSoundtrack() {}
    void AddChapterIndex() {}
    void AddInfoBox() {}

    void Finish();
    void EndOfMovie();
    void AddControl();
    void AddSegmentSprites();
    bool Save(const std::string& moviePath, SPublishResults& results);

    CDemoProject& m_project;
    CFrameCompositor& m_compositor;
    IPrompter& m_prompter;
    const CPublishSettings& m_settings;
    std::atomic<bool>& m_bCancel;

    SMovieGeometry m_g;
    double m_fFrameMs = 100.0;  // P
    CPublishRandom m_random;
    SPublishCanvas m_canvas;
    std::unique_ptr<CFrameBitmaps> m_pBitmaps;
    std::unique_ptr<CPublishColorTable> m_pColors;
    std::vector<std::unique_ptr<CSwfObject>> m_objects;

    CSwfMovie m_main;
    std::unique_ptr<CSwfMovie> m_pControl;
    std::vector<SSegment> m_segments;
    uint32_t m_nSplits = 0;
    uint32_t m_nSplitCredit = 0;
    bool m_bSplitRequested = false;
    std::vector<SPlaced> m_placed;
    std::vector<uint32_t> m_frameStart;
    std::vector<std::pair<uint32_t, uint32_t>> m_chapters;
    std::vector<SPendingInteraction> m_pending;

    SZoomView m_view;  // shown from the last zoom step on
    SZoomView m_kept;  // the region of the last "Zoom to Region" frame
    bool m_bZoomKept = false;
    bool m_bZoomShown = false;  // the frame's bitmaps are shown zoomed
    uint32_t m_nPrevFirst = 0;  // movie frame at which the previous frame starts
    // A panned recording: the picture is larger than the movie and the recorded area moves.
    bool m_bPanned = false;
    int32_t m_nPanX = 0;
    int32_t m_nPanY = 0;
    int32_t m_nPrevPanX = 0;
    int32_t m_nPrevPanY = 0;

    // The start and end effects place the first and the final picture themselves.
    bool m_bDeferPlacement = false;
    CSwfBitmapRect* m_pDeferred = nullptr;

    uint32_t m_nL = 0;
    uint32_t m_nLastEffectFrame = 0;
    uint32_t m_nFlashFrame = 0;  // next movie frame to get "/control:flashframe"
    bool m_bFirstPicture = true;
    bool m_bRedrawWhole = true;
    bool m_bTransparency = false;
    bool m_bCrossFades = false;  // "Transitional Fades Start" is in force
    bool m_bTerminated = false;
    std::string m_strError;
};
