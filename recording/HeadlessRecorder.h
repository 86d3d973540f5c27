// Runs one recording without a window: the start sequence, the capture timer as a loop on the
// calling thread, the pause and stop requests of the grabber and of other programs, chapter
// marks, and the stop sequence with its final tick. `quillo record` and the tests drive the
// grabber through it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/CommandSocket.h"
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
        Stopped,      // the stop command, or the grabber asked to stop: the stop event or an
                      // unreadable screen
        DiskFull,
        Failed,  // the files or the timer failed; nothing worth saving
    };

    CHeadlessRecorder(IRecordingClock& clock, CInputEvents& events, SRecorderFlags& flags,
                      CInputEventSource* pInput);

    // Records until `durationMs` pass (0 = no limit), `interrupt` turns true or a stop command
    // comes, then stops with the final tick. The commands of other programs on `pCommands` are
    // served between ticks.
    EEnd Record(CScreenGrabber& grabber, uint32_t durationMs, const std::atomic<bool>* interrupt,
                CCommandSocket* pCommands = nullptr);

    // A recorder command while recording: stop, pause or resume, or a chapter mark on the last
    // frame of `project`. Empty when done, else why not: the tray icon has no place without a
    // window, and a chapter needs a frame.
    std::string OnCommand(int code, CDemoProject& project);

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
    void WaitUntilDue(const std::atomic<bool>* interrupt, uint32_t endMs, bool limited,
                      CCommandSocket* pCommands, CDemoProject& project);

    IRecordingClock& m_clock;
    CInputEvents& m_events;
    SRecorderFlags& m_flags;
    CInputEventSource* m_pInput;
    bool m_bArmed = false;
    uint32_t m_nDue = 0;
    bool m_bStopPosted = false;
    bool m_bDiskFull = false;
    bool m_bClosed = false;
    bool m_bStopCommand = false;
    int m_nChapters = 0;
    uint32_t m_nTicks = 0;
    bool m_bInputActive = false;
};
