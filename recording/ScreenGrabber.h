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
#include "project/CaptureStream.h"
#include "recording/CursorRecorder.h"
#include "recording/CursorSampler.h"
#include "recording/DelayStamper.h"
#include "recording/GrabberHost.h"
#include "recording/RecorderFlags.h"
#include "recording/RecordingOptions.h"

class CDemoProject;

class CScreenGrabber {
public:
    static constexpr int64_t kDiskReserve = 6'553'600;
    static constexpr size_t kFlushPerTick = 65'536;
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
    // Moves the capture, keeping its size: the frame window was moved while paused.
    void SetCaptureOrigin(int32_t x, int32_t y) {
        m_rcCapture.x = x;
        m_rcCapture.y = y;
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
    CCursorSampler& Sampler() { return m_sampler; }
    const STickTiming& Timing() const { return m_timing; }
    uint32_t TickCount() const { return m_nTicks; }
    bool InlineSampling() const { return m_bInline; }
    bool HasFirstImage() const { return !m_Current.empty(); }
    int64_t FreeSpace() const { return m_nFreeSpace; }
    const SScreenRect& CaptureRect() const { return m_rcCapture; }
    const SCursorState& CursorState() const { return m_cursorState; }

private:
    void FirstGrab();
    void WriteDelay(uint32_t stampMs);
    void HandleCursorFrames(bool changed, bool& handled);
    void WriteScreenFrame(bool final);
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
};
