// The main window as the recording controller sees it: its posted-message queue and capture
// timer, its own look during a recording, the stop dialog, and what the program does after a
// recording (open the project, start afresh, close). The desktop program provides one; tests
// use a fake.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The four buttons of the stop dialog "Quillo Recording - PAUSED".
enum class EStopAnswer { StopAndSave, ContinueRecording, NewRecording, Exit };

struct SRecorderSetup;

enum class EHint {
    Recording,  // "Recording your demo..." before a recording
    Creating,   // "Creating your demo..." after it
};

class IRecorderWindow {
public:
    virtual ~IRecorderWindow() = default;

    // Just before a recording starts: the capture choices of that moment go into `setup`.
    virtual void PrepareRecording(SRecorderSetup& setup) = 0;
    // Runs `task` on the user-interface thread once the current event has been handled.
    virtual void Post(std::function<void()> task) = 0;
    // The one-shot capture timer (timer 1); false when no timer could be had.
    virtual bool ArmTimer(uint32_t ms) = 0;
    virtual void KillTimer() = 0;

    virtual void Beep() = 0;
    virtual void PlaySnapshotSound() = 0;
    virtual void FocusStartButton() = 0;
    // A project is open in the editor; a recording never writes into it.
    virtual bool EditorOpen() const = 0;
    // Shows the hint when its option is on, and stores the dialog's check box back.
    virtual void ShowHint(EHint hint) = 0;

    // Out of the way while recording: into the notification area, or hidden without a trace.
    virtual void MinimiseToTray() = 0;
    virtual void HideWindow() = 0;
    virtual void RestoreWindow() = 0;
    virtual void SetOnTop(bool bOnTop) = 0;

    virtual EStopAnswer AskStop() = 0;
    // Opens the saved recording in the editor on its first frame; false when it cannot be read.
    virtual bool OpenRecordedProject(const std::string& fileName) = 0;
    virtual void SaveSettings() = 0;
    // Starts a fresh instance of the program and closes this one.
    virtual void StartNewInstance() = 0;
    virtual void CloseProgram() = 0;
    // Closes the program with an exit status that says the recording was not saved.
    virtual void CloseProgramUnsaved() = 0;
};
