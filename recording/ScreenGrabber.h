// The capture tick: at each timer tick it reads the recording clock, copies the capture
// rectangle from the screen, compares it with the previous copy and, when something changed,
// begins a frame and writes the changed rectangles (old pixels, then new) to the frame image
// stream. It turns the cursor samples into cursor records and cursor-only frames, stamps every
// frame with its delay, and accounts for pauses, snapshots and the disk space left.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/InputEvents.h"
#include "platform/Prompter.h"
#include "platform/RecordingClock.h"
#include "platform/ScreenSource.h"
#include "project/model/DemoProject.h"
#include "project/stream/CaptureStream.h"
#include "recording/CaptureArea.h"
#include "recording/CaptureAreaTracker.h"
#include "recording/CursorRecorder.h"
#include "recording/CursorSampler.h"
#include "recording/DelayStamper.h"
#include "recording/GrabberHost.h"
#include "recording/PanStep.h"
#include "recording/RecorderFlags.h"
#include "recording/RecordingOptions.h"

class CScreenGrabber {
public:
    static constexpr int64_t kDiskReserve = 6'553'600;
    static constexpr uint32_t kFirstTickDelayMs = 200;

    struct SServices {
        CDemoProject& project;
        IScreenSource& screen;
        ICursorSource& cursor;
        CInputEvents& events;
        IRecordingClock& clock;
        IPrompter& prompter;
        IGrabberHost& host;
    };

    CScreenGrabber(const SServices& services, SRecorderFlags& flags);

    // Set before the first tick: the options, the folder of the temporary files, the rectangle of
    // the virtual screen to record and the bytes free on the temporary folder's disk.
    void SetOptions(const CRecordingOptions& options, bool continuousRecording = false);
    void SetTempDir(const std::string& dir) { m_strTempDir = dir; }
    void SetCaptureRect(const SScreenRect& rect) { m_rcCapture = rect; }
    // The capture mode, monitor and pan choices, and the frame window of the two window modes.
    // Without a capture rectangle of its own the first grab takes the rectangle they give.
    void SetCaptureArea(const SCaptureChoice& choice, ICaptureAreaTracker* pTracker) {
        m_choice = choice;
        m_pTracker = pTracker;
    }
    // Moves the capture, keeping its size: the frame window was moved while paused.
    void SetCaptureOrigin(int32_t x, int32_t y) {
        m_rcCapture.x = x;
        m_rcCapture.y = y;
        m_nShownX = x;
        m_nShownY = y;
    }
    void SetFreeSpace(int64_t bytes) {
        m_nStartFreeSpace = bytes;
        m_nFreeSpace = bytes;
    }

    // The cursor part of a start or "Continue Recording": an empty batch, no inline sampling, no
    // last sample, and the sampling thread when the mouse is recorded (without it when the
    // thread cannot be made).
    void BeginSampling();
    // Computes the tick period and divisor, asks for a restart and arms the first tick.
    void StartCapture();
    // One tick; `final` once when the recording stops, after the timer was killed.
    void OnCaptureTick(bool final);

    // The recording clock in milliseconds.
    uint32_t Now();
    // The delay in hundredths from the last stamp to clock time t; t becomes the last stamp.
    uint32_t TakeDelayStamp(uint32_t t) { return m_stamper.Take(t); }

    CCaptureStream& Stream() { return m_stream; }
    CDemoProject& Project() { return m_project; }
    CCursorSampler& Sampler() { return m_sampler; }
    const STickTiming& Timing() const { return m_timing; }
    uint32_t TickCount() const { return m_nTicks; }
    bool InlineSampling() const { return m_bInline; }
    bool HasFirstImage() const { return !m_Current.empty(); }
    int64_t FreeSpace() const { return m_nFreeSpace; }
    const SScreenRect& CaptureRect() const { return m_rcCapture; }
    const SCursorState& CursorState() const { return m_cursorState; }
    // The capture glides after the cursor and is compared against a picture of the whole screen.
    bool Panning() const { return m_bPan; }
    const CPanStep& Pan() const { return m_pan; }

private:
    void FirstGrab();
    SScreenRect CaptureRectByChoice();
    void BeginPanCanvas();
    bool PanMove();
    bool FollowMove();
    void ExchangeWithCanvas();
    void StorePanPicture(CFrameInfo& frame);
    SCaptureContext FrameContext() const;
    void WriteDelay(uint32_t stampMs);
    void HandleCursorFrames(bool changed, bool& handled);
    void WriteScreenFrame(bool final, bool moved, bool firstPanGrab);
    void SetCursorState(const SCursorSample& s);
    void FinishTick(uint32_t tickTime, bool final);

    CDemoProject& m_project;
    IScreenSource& m_screen;
    CInputEvents& m_events;
    IRecordingClock& m_clock;
    IPrompter& m_prompter;
    IGrabberHost& m_host;
    SRecorderFlags& m_flags;

    CRecordingOptions m_options;
    uint32_t m_nScreenRate = 20;
    uint32_t m_nMouseRate = 20;
    std::string m_strTempDir;
    SScreenRect m_rcCapture;
    SCaptureChoice m_choice;
    ICaptureAreaTracker* m_pTracker = nullptr;
    CCaptureStream m_stream;
    CCursorSampler m_sampler;
    CCursorRecorder m_cursorRecorder;
    CDelayStamper m_stamper;
    STickTiming m_timing;

    std::vector<uint32_t> m_Current;
    std::vector<uint32_t> m_Previous;
    uint32_t m_nTicks = 0;
    uint32_t m_nTickTime = 0;
    uint32_t m_nLastFrameTime = 0;
    int64_t m_nStartFreeSpace = INT64_MAX;
    int64_t m_nFreeSpace = INT64_MAX;
    bool m_bPendingDelay = false;
    bool m_bPauseDelayWritten = false;
    bool m_bInline = false;
    bool m_bLastPauseEvent = false;
    SCursorState m_cursorState;
    bool m_bCursorKnown = false;
    // The newest screen copy sits in the previous image (the images were swapped after it).
    bool m_bLastCopyInPrevious = false;

    // Panning: the whole virtual screen as last seen, and where the frame window was last shown.
    bool m_bPan = false;
    SScreenRect m_rcScreen;
    std::vector<uint32_t> m_Canvas;
    int32_t m_nShownX = 0;
    int32_t m_nShownY = 0;
    CPanStep m_pan;
};
