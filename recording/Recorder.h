// The recording controller: runs the one recording of a program run from its start to the
// moment it is saved as a project and handed to the editor, or thrown away. It starts the
// screen grabber and the input source, moves the main window out of the way, answers the hot
// keys, the tray icon and the commands of other programs, pauses and resumes, takes snapshots,
// marks chapters, and at the stop offers to save, continue, start anew or exit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "project/stream/CaptureStream.h"

#include "platform/HotKeys.h"
#include "platform/InputEvents.h"
#include "platform/Prompter.h"
#include "platform/Tray.h"
#include "project/file/ProjectFile.h"
#include "recording/CaptureFrame.h"
#include "recording/GrabberHost.h"
#include "recording/InputEventSource.h"
#include "recording/Narration.h"
#include "recording/RecorderFlags.h"
#include "recording/RecorderWindow.h"

class CDemoProject;
class CFrameInfo;
class CScreenGrabber;

// Codes of the recorder command, as the hot keys and other programs send them.
inline constexpr int kHotkeyStop = 27;
inline constexpr int kHotkeyPause = 19;
inline constexpr int kHotkeyChapter = 67;
inline constexpr int kHotkeyTray = 72;
// Codes of the main window's own user message.
inline constexpr int kUserStop = 514;
inline constexpr int kUserDiskFull = 16;

inline constexpr const char* kDiskFullText = "Disk full - unable to continue recording.     ";
inline constexpr const char* kDiskFullCaption = "Quillo Warning - Disk Full";
inline constexpr const char* kDiscardText = "Discard current recording?     ";
inline constexpr const char* kDiscardCaption = "Start a new recording";
inline constexpr const char* kSaveBeforeExitText = "Save recording before exiting ?     ";
inline constexpr const char* kCannotOpenCapturedText = "Unable to open captured demo.    ";

// Heads a frame "Chapter <nChapter>", as the chapter key does while recording.
void MarkRecordedChapter(CFrameInfo& frame, int nChapter);

struct SRecorderServices {
    CDemoProject& project;  // the recording's own project, never the editor's
    IRecorderWindow& window;
    ITray& tray;
    IPrompter& prompter;
    CInputEvents& events;
    SRecorderFlags& flags;
    CInputEventSource* pInput = nullptr;  // none: recordings have no click and key marks
    INarration& narration;
};

struct SRecorderSetup {
    // The capture-area frame window; null in "Full Screen".
    ICaptureFrame* pFrame = nullptr;
    bool bActiveWindow = false;  // "Active Window" rather than "Selected Area"
    bool bPan = false;
    bool bHidden = false;                   // no tray icons; the window hides
    std::optional<std::string> presetFile;  // record at once and save there without asking
    bool bContinueToEditor = false;         // after a preset save, edit rather than close
    std::string tempDir;                    // where the capture files go
    // The folder whose leftover capture files the program offers to recover when it starts.
    std::string leftoverDir;
    SProjectFileHooks saveHooks;
};

class CRecorder : public IGrabberHost {
public:
    CRecorder(const SRecorderServices& services, SRecorderSetup setup);
    // The grabber is made with this controller as its host, so it is attached afterwards.
    void AttachGrabber(CScreenGrabber& grabber) { m_pGrabber = &grabber; }

    void StartRecording();
    void OnRecorderCommand(int code);
    // The main window's user message: kUserStop or kUserDiskFull.
    void OnUserMessage(int code);
    void OnPrintScreen();
    // A registered key was pressed: Print Screen acts at once, the others post their code.
    void OnHotKey(EHotKey key);
    // The session or the process ends: a preset recording is saved, any other is stopped and
    // its capture files are kept for recovery.
    void EndSession();

    // A dialog of the recorder's options is open: the keys only beep.
    void SetBusy(bool bBusy) { m_bBusy = bBusy; }

    bool Started() const { return m_bStarted; }
    // Started and neither saved nor thrown away.
    bool Running() const { return m_bStarted && !m_bFinished; }
    bool Stopping() const { return m_bStopping; }
    bool Paused() const { return m_flags.paused.load(); }
    bool TrayVisible() const { return m_bTrayVisible; }
    int Chapters() const { return m_nChapters; }
    bool InputActive() const { return m_bInputActive; }
    const SRecorderSetup& Setup() const { return m_setup; }

    // IGrabberHost
    bool ArmTimer(uint32_t ms) override { return m_window.ArmTimer(ms); }
    void KillTimer() override { m_window.KillTimer(); }
    void PostStop(EStopReason reason) override;
    void PostPauseCommand() override;
    void ShowPaused(bool paused) override;
    void PlaySnapshotSound() override { m_window.PlaySnapshotSound(); }
    void CloseMainWindow() override;

private:
    // GaveUp: the capture files cannot be read. Unwritten: they are there, but some of the
    // recording never reached them, so only a recovery can read them.
    enum class ESaveResult { Saved, NotSaved, GaveUp, Unwritten };

    void Pause();
    void Resume();
    void MarkChapter();
    void StartInput();
    // The part of the start that "Continue Recording" repeats.
    void StartTicking();
    // No more ticks, cursor samples or input events.
    void StopTicking();
    void StopRecording(bool bDiskFull);
    void TakeOriginFromFrame();
    void ShowStateIcon();
    ESaveResult SaveStep();
    void AfterSave();
    // Throws the recording away: no icon, no frame window, no capture files.
    void Discard();
    SCaptureFiles KeepCaptureFiles();
    // Keeps the capture files, says where they are and how to recover them, and closes the
    // program with the status of a recording that was not saved.
    void CloseKeepingCaptureFiles();

    CDemoProject& m_project;
    IRecorderWindow& m_window;
    ITray& m_tray;
    IPrompter& m_prompter;
    CInputEvents& m_events;
    SRecorderFlags& m_flags;
    CInputEventSource* m_pInput;
    INarration& m_narration;
    SRecorderSetup m_setup;
    CScreenGrabber* m_pGrabber = nullptr;

    bool m_bStarted = false;
    bool m_bFinished = false;
    bool m_bBusy = false;
    bool m_bStopping = false;
    bool m_bTrayVisible = true;
    bool m_bInputActive = false;
    bool m_bDiskFull = false;
    int m_nChapters = 0;
};
