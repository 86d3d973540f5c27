#include "recording/Recorder.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/DiskSpace.h"
#include "project/file/Recovery.h"
#include "project/model/Chapter.h"
#include "project/model/DemoProject.h"
#include "recording/ScreenGrabber.h"

namespace {

bool Readable(const std::string& path) {
    return !path.empty() && ::access(path.c_str(), R_OK) == 0;
}

}  // namespace

void MarkRecordedChapter(CFrameInfo& frame, int nChapter) {
    const std::string title = "Chapter " + std::to_string(nChapter);
    CChapter::Set(frame, std::u16string(title.begin(), title.end()));
}

CRecorder::CRecorder(const SRecorderServices& services, SRecorderSetup setup)
    : m_project(services.project),
      m_window(services.window),
      m_tray(services.tray),
      m_prompter(services.prompter),
      m_events(services.events),
      m_flags(services.flags),
      m_pInput(services.pInput),
      m_narration(services.narration),
      m_setup(std::move(setup)) {}

void CRecorder::StartRecording() {
    if (m_bStarted || m_pGrabber == nullptr) {
        return;
    }
    m_window.PrepareRecording(m_setup);
    m_window.ShowHint(EHint::Recording);
    m_pGrabber->SetTempDir(m_setup.tempDir);
    m_pGrabber->SetFreeSpace(FreeDiskBytes(m_setup.tempDir));
    m_bStarted = true;
    if (ICaptureFrame* pFrame = m_setup.pFrame) {
        pFrame->SetRecordingLook(false);
        const SScreenRect r = pFrame->WindowRect();
        const int b = ICaptureFrame::kBorder;
        m_pGrabber->SetCaptureRect({r.x + b, r.y + b, r.width - 2 * b, r.height - 2 * b});
    }
    if (m_setup.bHidden) {
        m_window.HideWindow();
    } else {
        m_window.MinimiseToTray();
        ShowStateIcon();
    }
    if (m_setup.bActiveWindow && m_setup.pFrame != nullptr) {
        m_setup.pFrame->RaiseTrackedWindow();
    }
    StartTicking();
}

void CRecorder::StartTicking() {
    if (ICaptureFrame* pFrame = m_setup.pFrame) {
        pFrame->StopTracking();
        if (m_setup.bPan && !m_setup.bActiveWindow) {
            pFrame->HideFrame();
        }
    }
    m_flags.restart = true;
    StartInput();
    m_events.DrainAutoEvents();
    m_pGrabber->BeginSampling();
    m_pGrabber->StartCapture();
}

void CRecorder::StartInput() {
    if (!m_bInputActive && m_pInput != nullptr) {
        m_bInputActive = m_pInput->Start();
    }
}

void CRecorder::OnRecorderCommand(int code) {
    switch (code) {
        case kHotkeyStop:
            if (m_bStarted) {
                StopRecording(false);
            } else {
                m_window.Beep();
                m_window.FocusStartButton();
            }
            return;
        case kHotkeyPause:
            if (m_bBusy || m_bStopping || m_bFinished) {
                m_window.Beep();
            } else if (!m_bStarted) {
                // A recording never writes into a project that is open in the editor.
                if (m_window.EditorOpen()) {
                    m_window.Beep();
                } else {
                    StartRecording();
                }
            } else if (!m_flags.paused.load()) {
                Pause();
            } else {
                Resume();
            }
            return;
        case kHotkeyChapter:
            MarkChapter();
            return;
        case kHotkeyTray:
            if (m_bBusy) {
                m_window.Beep();
                return;
            }
            m_bTrayVisible = !m_bTrayVisible;
            if (Running()) {
                ShowStateIcon();
            }
            return;
        default:
            m_window.Beep();
            return;
    }
}

void CRecorder::OnUserMessage(int code) {
    if (!Running()) {
        return;
    }
    if (code == kUserStop) {
        StopRecording(false);
    } else if (code == kUserDiskFull) {
        StopRecording(true);
    }
}

void CRecorder::OnPrintScreen() {
    if (m_bBusy || m_bStopping || m_bFinished || (!m_bStarted && m_window.EditorOpen())) {
        m_window.Beep();
        return;
    }
    m_flags.snapshot = true;
    if (m_flags.paused.load() || !m_bStarted) {
        OnRecorderCommand(kHotkeyPause);
    }
}

void CRecorder::OnHotKey(EHotKey key) {
    int code = 0;
    switch (key) {
        case EHotKey::Snapshot:
            OnPrintScreen();
            return;
        case EHotKey::Stop:
            code = kHotkeyStop;
            break;
        case EHotKey::Pause:
            code = kHotkeyPause;
            break;
        case EHotKey::Chapter:
            code = kHotkeyChapter;
            break;
        case EHotKey::Hide:
            code = kHotkeyTray;
            break;
    }
    m_window.Post([this, code] { OnRecorderCommand(code); });
}

void CRecorder::Pause() {
    m_flags.paused = true;
    ShowStateIcon();
    if (m_setup.pFrame != nullptr) {
        m_setup.pFrame->SetRecordingLook(true);
    }
}

void CRecorder::Resume() {
    if (m_narration.Recording()) {
        m_flags.restart = true;
        m_narration.Resume();
    }
    if (m_setup.pFrame != nullptr) {
        m_setup.pFrame->SetRecordingLook(false);
    }
    TakeOriginFromFrame();
    m_events.DrainAutoEvents();
    m_flags.paused = false;
    ShowStateIcon();
}

void CRecorder::MarkChapter() {
    CFrameInfo* pFrame = m_project.LastFrame();
    // Before the first frame there is nothing to head.
    if (!m_bStarted || m_bBusy || m_bStopping || m_bFinished || pFrame == nullptr) {
        m_window.Beep();
        return;
    }
    m_window.PlaySnapshotSound();
    MarkRecordedChapter(*pFrame, ++m_nChapters);
}

void CRecorder::ShowStateIcon() {
    if (!m_bTrayVisible || m_setup.bHidden || !Running()) {
        m_tray.Show(ETrayIcon::None);
    } else {
        m_tray.Show(m_flags.paused.load() ? ETrayIcon::Paused : ETrayIcon::Recording);
    }
}

void CRecorder::TakeOriginFromFrame() {
    if (m_setup.pFrame != nullptr && m_pGrabber != nullptr) {
        const SScreenRect r = m_setup.pFrame->WindowRect();
        m_pGrabber->SetCaptureOrigin(r.x + ICaptureFrame::kBorder, r.y + ICaptureFrame::kBorder);
    }
}

void CRecorder::PostStop(EStopReason reason) {
    // The final tick of a stop asks again; the stop under way already answers it.
    if (m_bStopping) {
        return;
    }
    const int code = reason == EStopReason::DiskFull ? kUserDiskFull : kUserStop;
    m_window.Post([this, code] { OnUserMessage(code); });
}

void CRecorder::PostPauseCommand() {
    m_window.Post([this] { OnRecorderCommand(kHotkeyPause); });
}

void CRecorder::ShowPaused(bool) {
    ShowStateIcon();
}

void CRecorder::StopTicking() {
    m_pGrabber->Sampler().StopThread();
    m_window.KillTimer();
    if (m_pInput != nullptr) {
        m_pInput->Stop();
    }
    m_bInputActive = false;
}

void CRecorder::CloseMainWindow() {
    m_bFinished = true;
    StopTicking();
    m_tray.Show(ETrayIcon::None);
    m_window.CloseProgram();
}

void CRecorder::StopRecording(bool bDiskFull) {
    if (m_bStopping || !Running()) {
        return;
    }
    m_bStopping = true;
    StopTicking();
    if (m_setup.pFrame != nullptr) {
        m_setup.pFrame->SetRecordingLook(false);
    }
    if (m_narration.Recording()) {
        m_narration.Pause();
    }
    m_pGrabber->OnCaptureTick(true);
    TakeOriginFromFrame();
    if (bDiskFull) {
        m_bDiskFull = true;
        m_prompter.Warning(kDiskFullText, kDiskFullCaption);
    }
    if (m_setup.presetFile) {
        if (SaveStep() == ESaveResult::Saved) {
            AfterSave();
        } else {
            // Nothing is lost: the capture files stay for recovery.
            CloseKeepingCaptureFiles();
        }
        return;
    }
    for (;;) {
        switch (m_window.AskStop()) {
            case EStopAnswer::ContinueRecording:
                StartInput();
                m_flags.paused = false;
                m_bStopping = false;
                ShowStateIcon();
                StartTicking();
                return;
            case EStopAnswer::NewRecording:
                if (m_prompter.Message({kDiscardText, kDiscardCaption, EMsgIcon::Warning,
                                        EMsgButtons::YesNo, EMsgAnswer::No}) == EMsgAnswer::Yes) {
                    Discard();
                    m_window.StartNewInstance();
                    return;
                }
                break;
            case EStopAnswer::Exit:
                if (m_prompter.Message({kSaveBeforeExitText, "Quillo", EMsgIcon::Warning,
                                        EMsgButtons::YesNo, EMsgAnswer::Yes}) == EMsgAnswer::Yes) {
                    const ESaveResult result = SaveStep();
                    if (result == ESaveResult::NotSaved) {
                        break;
                    }
                    if (result == ESaveResult::Unwritten) {
                        CloseKeepingCaptureFiles();
                        return;
                    }
                    if (result == ESaveResult::Saved) {
                        m_bFinished = true;
                        m_tray.Show(ETrayIcon::None);
                    } else {
                        Discard();
                    }
                    m_window.CloseProgram();
                    return;
                }
                Discard();
                m_window.CloseProgram();
                return;
            case EStopAnswer::StopAndSave: {
                const ESaveResult result = SaveStep();
                if (result == ESaveResult::Saved) {
                    AfterSave();
                    return;
                }
                if (result == ESaveResult::GaveUp) {
                    Discard();
                    m_window.StartNewInstance();
                    return;
                }
                if (result == ESaveResult::Unwritten) {
                    CloseKeepingCaptureFiles();
                    return;
                }
                break;
            }
        }
    }
}

CRecorder::ESaveResult CRecorder::SaveStep() {
    CCaptureStream& stream = m_pGrabber->Stream();
    SCaptureFiles files;
    m_window.SetOnTop(true);
    const bool bSynced = stream.Sync(files);
    if (!bSynced && stream.WriteFailed() && Readable(files.dataPath)) {
        m_window.SetOnTop(false);
        return ESaveResult::Unwritten;
    }
    bool bSaved = false;
    if (bSynced) {
        SProjectFileHooks hooks = m_setup.saveHooks;
        if (!hooks.freeSpace) {
            hooks.freeSpace = FreeDiskSpace;
        }
        CProjectFile file(m_project, m_prompter, hooks);
        bSaved = file.SaveNewRecording(files, m_setup.presetFile);
    } else {
        m_prompter.Error("Unable to open temporary capture file.", "Quillo Error");
    }
    m_window.SetOnTop(false);
    if (bSaved) {
        SCaptureFiles closed;
        stream.Stop(closed);
        return ESaveResult::Saved;
    }
    return bSynced && Readable(files.dataPath) && Readable(files.indexPath) ? ESaveResult::NotSaved
                                                                            : ESaveResult::GaveUp;
}

void CRecorder::AfterSave() {
    m_bFinished = true;
    m_bStopping = false;
    if (!m_setup.bHidden) {
        m_window.RestoreWindow();
    }
    m_tray.Show(ETrayIcon::None);
    const std::string name = m_project.m_pszFileName;
    if (!m_window.OpenRecordedProject(name)) {
        m_prompter.Error(kCannotOpenCapturedText, "Quillo");
        m_window.CloseProgram();
        return;
    }
    if (m_setup.presetFile && !m_setup.bContinueToEditor) {
        m_narration.Finish();
        m_events.Save().Reset();
        m_window.CloseProgram();
        return;
    }
    m_window.ShowHint(EHint::Creating);
}

void CRecorder::Discard() {
    m_bFinished = true;
    m_tray.Show(ETrayIcon::None);
    if (m_setup.pFrame != nullptr) {
        m_setup.pFrame->HideFrame();
    }
    m_pGrabber->Stream().Discard();
    m_window.SaveSettings();
}

SCaptureFiles CRecorder::KeepCaptureFiles() {
    m_bFinished = true;
    m_tray.Show(ETrayIcon::None);
    CCaptureStream& stream = m_pGrabber->Stream();
    SCaptureFiles files;
    files.dataPath = stream.DataPath();
    files.indexPath = stream.IndexPath();
    stream.Stop(files);
    return files;
}

void CRecorder::CloseKeepingCaptureFiles() {
    const SCaptureFiles files = KeepCaptureFiles();
    if (Readable(files.dataPath)) {
        std::error_code ec;
        const bool bOffered =
            !m_setup.leftoverDir.empty() &&
            std::filesystem::equivalent(std::filesystem::path(files.dataPath).parent_path(),
                                        m_setup.leftoverDir, ec);
        std::string text = m_bDiskFull ? "Disk full - the recording could not be saved.    \n"
                                       : "The recording could not be saved.    \n";
        text += "What was recorded is kept in the capture files\n" + files.dataPath + "\n" +
                files.indexPath + "\n\n";
        text += bOffered ? "Quillo offers to recover them when it next starts, or run\n"
                         : "To make a project of them, run\n";
        text += RecoverCommand(files.dataPath);
        m_prompter.Warning(text, m_bDiskFull ? kDiskFullCaption : "Quillo Warning");
    }
    m_window.CloseProgramUnsaved();
}

void CRecorder::EndSession() {
    if (!Running() || m_bStopping) {
        return;
    }
    if (m_setup.presetFile) {
        StopRecording(false);
        return;
    }
    m_bStopping = true;
    StopTicking();
    m_pGrabber->OnCaptureTick(true);
    KeepCaptureFiles();
}
