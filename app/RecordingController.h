// The main window's part in a recording: the "&Recording" menu, "Start Recording" and the
// start-up check of the desktop's colour depth. It owns the recording's project, the X11 screen,
// cursor, input and hot-key services, the tray icon, the capture timer and the local socket of
// other programs' commands, and answers the recorder's requests with Qt.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>

#include "app/QtTray.h"
#include "platform/CommandSocket.h"
#include "platform/InputEvents.h"
#include "platform/RecordingClock.h"
#include "platform/X11CursorSource.h"
#include "platform/X11Display.h"
#include "platform/X11HotKeys.h"
#include "platform/X11InputSource.h"
#include "platform/X11ScreenSource.h"
#include "project/model/DemoProject.h"
#include "recording/Recorder.h"
#include "recording/ScreenGrabber.h"

class CMainWindow;
class QMenuBar;

class CRecordingController : public QObject, public IRecorderWindow {
    Q_OBJECT
public:
    explicit CRecordingController(CMainWindow& window);
    ~CRecordingController() override;

    void BuildMenus(QMenuBar& menuBar);
    // A new recording is made by a fresh instance, never into an open project.
    void StartRecording();
    void EndForSessionEnd();
    // False when the user chose to change the display settings: the program then closes.
    bool CheckTrueColour();

    // Takes the recording keys and the command socket; what cannot be had is said on stderr.
    void Listen();
    CRecorder& Recorder() { return m_recorder; }
    CDemoProject& Project() { return m_project; }
    bool ScreenReadable() const { return m_screen.Readable(); }
    // The recording's options as the program state file keeps them.
    CRecordingOptions Options() const;
    void SetOptions(const CRecordingOptions& options);

    // IRecorderWindow
    void PrepareRecording(SRecorderSetup& setup) override;
    void Post(std::function<void()> task) override;
    bool ArmTimer(uint32_t ms) override;
    void KillTimer() override { m_captureTimer.stop(); }
    void Beep() override;
    void PlaySnapshotSound() override;
    void FocusStartButton() override;
    bool EditorOpen() const override;
    void ShowHint(EHint hint) override;
    void MinimiseToTray() override;
    void HideWindow() override;
    void RestoreWindow() override;
    void SetOnTop(bool bOnTop) override;
    EStopAnswer AskStop() override;
    bool OpenRecordedProject(const std::string& fileName) override;
    void SaveSettings() override;
    void StartNewInstance() override;
    void CloseProgram() override;
    void CloseProgramUnsaved() override;

    // Beeps so far, for tests that press keys that only beep.
    int Beeps() const { return m_nBeeps; }

private:
    // The recording just saved and opened: its durations rounded and the file saved again.
    void RoundRecordedDurations(bool bNarration);
    void OnCommand(int code);
    void EditOptions();

    CMainWindow& m_window;
    CX11Display m_display;
    CX11ScreenSource m_screen;
    CX11CursorSource m_cursor;
    CInputEvents m_events;
    CX11InputSource m_input;
    CInputEventSource m_inputSource;
    CSteadyClock m_clock;
    SRecorderFlags m_flags;
    CDemoProject m_project;
    CNoNarration m_narration;
    CQtTray m_tray;
    CRecorder m_recorder;
    CScreenGrabber m_grabber;
    CX11HotKeys m_keys;
    std::unique_ptr<QSocketNotifier> m_pKeyNotifier;
    CCommandSocket m_socket;
    std::unique_ptr<QSocketNotifier> m_pSocketNotifier;
    QTimer m_captureTimer;
    int m_nBeeps = 0;
};
