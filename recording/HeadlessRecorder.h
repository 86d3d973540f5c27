// Runs one recording without a window: the start sequence, the capture timer as a loop on the
// calling thread, the pause and stop requests of the grabber, and the stop sequence with its
// final tick. `quillo record` and the tests drive the grabber through it.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/InputEvents.h"
#include "platform/RecordingClock.h"
#include "recording/GrabberHost.h"
#include "recording/InputEventSource.h"
#include "recording/RecorderFlags.h"
#include "recording/ScreenGrabber.h"

class CHeadlessRecorder : public IGrabberHost {
public:
    enum class EEnd {
        TimeUp,       // the given time passed
        Interrupted,  // the interrupt flag was raised (a signal)
        Stopped,      // the grabber asked to stop: the stop event or an unreadable screen
        DiskFull,
        Failed,  // the files or the timer failed; nothing worth saving
    };

    CHeadlessRecorder(IRecordingClock& clock, CInputEvents& events, SRecorderFlags& flags,
                      CInputEventSource* pInput);

    // Records until `durationMs` pass (0 = no limit) or `interrupt` turns true, then stops with
    // the final tick.
    EEnd Record(CScreenGrabber& grabber, uint32_t durationMs, const std::atomic<bool>* interrupt);

    bool ArmTimer(uint32_t ms) override;
    void KillTimer() override { m_bArmed = false; }
    void PostStop(EStopReason reason) override;
    void PostPauseCommand() override;
    void ShowPaused(bool) override {}
    void PlaySnapshotSound() override {}
    void CloseMainWindow() override { m_bClosed = true; }

    uint32_t Ticks() const { return m_nTicks; }
    // Clicks and keys were heard during the last recording.
    bool InputWasActive() const { return m_bInputActive; }

private:
    void WaitUntilDue(const std::atomic<bool>* interrupt, uint32_t endMs, bool limited);

    IRecordingClock& m_clock;
    CInputEvents& m_events;
    SRecorderFlags& m_flags;
    CInputEventSource* m_pInput;
    bool m_bArmed = false;
    uint32_t m_nDue = 0;
    bool m_bStopPosted = false;
    bool m_bDiskFull = false;
    bool m_bClosed = false;
    uint32_t m_nTicks = 0;
    bool m_bInputActive = false;
};
