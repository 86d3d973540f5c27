// The recording flow of the main window: "Start Recording", the capture timer, the window out
// of the way while recording, the stop dialog, the saved recording opened in the editor, the
// recording options and hints, and the start-up check of the desktop's colour depth.
#include "app/RecordingController.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/CaptureFrameWnd.h"
#include "app/MainWindow.h"
#include "app/RecordingDialogs.h"
#include "app/RecordingOptionsDialog.h"
#include "platform/Prompter.h"
#include "project/file/ProjectFile.h"
#include "project/model/FrameTiming.h"
#include "settings/SettingsFiles.h"

namespace fs = std::filesystem;

namespace {

bool IsRecorderCode(int code) {
    return code == kHotkeyStop || code == kHotkeyPause || code == kHotkeyChapter ||
           code == kHotkeyTray || code == kUserStop || code == kUserDiskFull;
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

}  // namespace

CRecordingController::CRecordingController(CMainWindow& window)
    : QObject(&window),
      m_window(window),
      m_screen(m_display),
      m_cursor(m_display),
      m_input("", m_events),
      m_inputSource(m_input),
      m_tray(this),
      m_recorder({m_project, *this, m_tray, window.Prompter(), m_events, m_flags, &m_inputSource,
                  m_narration},
                 {}),
      m_grabber({m_project, m_screen, m_cursor, m_events, m_clock, window.Prompter(), m_recorder},
                m_flags),
      m_keys("") {
    m_recorder.AttachGrabber(m_grabber);
    m_captureTimer.setSingleShot(true);
    m_captureTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_captureTimer, &QTimer::timeout, this, [this] { m_grabber.OnCaptureTick(false); });
    connect(&m_tray, &CQtTray::clicked, this, [this] { OnCommand(kUserStop); });
}

CRecordingController::~CRecordingController() {
    m_captureTimer.stop();
    m_grabber.Sampler().StopThread();
    m_keys.Unregister();
}

void CRecordingController::Listen() {
    if (m_display.IsOpen()) {
        if (!m_keys.Register(m_window.Settings().m_settings.m_bAlternatePause)) {
            std::fprintf(stderr, "quillomatic: %s\n", m_keys.Error().c_str());
        }
        if (m_keys.WaitHandle() >= 0) {
            m_pKeyNotifier =
                std::make_unique<QSocketNotifier>(m_keys.WaitHandle(), QSocketNotifier::Read);
            connect(m_pKeyNotifier.get(), &QSocketNotifier::activated, this, [this] {
                for (EHotKey key : m_keys.TakePresses()) {
                    m_recorder.OnHotKey(key);
                }
            });
        }
    }
    if (!m_socket.Listen(RecorderSocketPath())) {
        std::fprintf(stderr, "quillomatic: %s\n", m_socket.Error().c_str());
        return;
    }
    m_pSocketNotifier =
        std::make_unique<QSocketNotifier>(m_socket.WaitHandle(), QSocketNotifier::Read);
    connect(m_pSocketNotifier.get(), &QSocketNotifier::activated, this, [this] {
        // The sender is answered first: a stop may open the stop dialog.
        m_socket.Serve([this](int code) {
            if (!IsRecorderCode(code)) {
                return "no recorder command has the code " + std::to_string(code);
            }
            Post([this, code] { OnCommand(code); });
            return std::string();
        });
    });
}

void CRecordingController::OnCommand(int code) {
    if (code == kUserStop || code == kUserDiskFull) {
        m_recorder.OnUserMessage(code);
    } else {
        m_recorder.OnRecorderCommand(code);
    }
}

CRecordingOptions CRecordingController::Options() const {
    const CProgramState& s = m_window.Settings().m_state;
    CRecordingOptions o;
    o.m_bCustomRates = s.m_bCustomRates;
    o.m_bFramesGroup = s.m_bFramesGroup;
    o.m_bRecordMouse = s.m_bRecordMouse;
    o.m_nMouseFps = static_cast<uint32_t>(std::max(s.m_nMouseFps, 0));
    o.m_nScreenFps = static_cast<uint32_t>(std::max(s.m_nScreenFps, 0));
    o.m_nRateSlider = s.m_nRateSlider;
    o.m_bSmoothMovement = s.m_bSmoothMovement;
    o.m_bRecordSound = s.m_bRecordSound;
    o.m_strTempVideoDir = s.m_strTempVideoDir;
    o.m_bLayeredWindows = s.m_bLayeredWindows;
    o.m_bVideoHardware = s.m_bVideoHardware;
    o.m_bFollowActiveWindow = s.m_bFollowActiveWindow;
    o.m_bExtraCompression = s.m_bExtraCompression;
    return o;
}

void CRecordingController::SetOptions(const CRecordingOptions& o) {
    CProgramState& s = m_window.Settings().m_state;
    s.m_bCustomRates = o.m_bCustomRates;
    s.m_bFramesGroup = o.m_bFramesGroup;
    s.m_bRecordMouse = o.m_bRecordMouse;
    s.m_nMouseFps = static_cast<int32_t>(o.m_nMouseFps);
    s.m_nScreenFps = static_cast<int32_t>(o.m_nScreenFps);
    s.m_nRateSlider = o.m_nRateSlider;
    s.m_bSmoothMovement = o.m_bSmoothMovement;
    s.m_bRecordSound = o.m_bRecordSound;
    s.m_strTempVideoDir = o.m_strTempVideoDir;
    s.m_bLayeredWindows = o.m_bLayeredWindows;
    s.m_bVideoHardware = o.m_bVideoHardware;
    s.m_bFollowActiveWindow = o.m_bFollowActiveWindow;
    s.m_bExtraCompression = o.m_bExtraCompression;
}

void CRecordingController::PrepareRecording(SRecorderSetup& setup) {
    const SCommandLine& line = m_window.CommandLine();
    const SCaptureChoice choice = m_window.CaptureChoice();
    CCaptureFrameWnd* pFrame =
        choice.mode == ECaptureMode::FullScreen ? nullptr : m_window.CaptureFrame();
    setup.pFrame = pFrame;
    setup.bActiveWindow = choice.mode == ECaptureMode::ActiveWindow;
    setup.bPan = choice.Pans();
    setup.bHidden = line.bHidden;
    setup.presetFile = line.recordFile;
    setup.bContinueToEditor = line.bChangeEnd;
    CRecordingOptions options = Options();
    setup.tempDir = IsFolder(options.m_strTempVideoDir)
                        ? options.m_strTempVideoDir
                        : m_window.Settings().m_settings.m_strTempDirectory;
    setup.leftoverDir = m_window.Settings().m_settings.m_strTempDirectory;
    setup.saveHooks = m_window.Settings().ProjectFileHooks();
    setup.saveHooks.addRecentFile = [this](const std::string& name) { m_window.AddRecent(name); };
    if (!m_cursor.Available()) {
        options.m_bRecordMouse = 0;
    }
    m_grabber.SetOptions(options, m_window.Settings().m_settings.m_bContinuousRecording);
    // The first grab takes its rectangle from the choice: the monitor, or the frame window.
    m_grabber.SetCaptureRect({});
    m_grabber.SetCaptureArea(choice, pFrame);
}

void CRecordingController::Post(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

bool CRecordingController::ArmTimer(uint32_t ms) {
    m_captureTimer.start(static_cast<int>(ms));
    return m_captureTimer.isActive();
}

void CRecordingController::Beep() {
    ++m_nBeeps;
    QApplication::beep();
}

void CRecordingController::PlaySnapshotSound() {
    QApplication::beep();
}

void CRecordingController::FocusStartButton() {
    m_window.RecordButton()->setFocus();
}

bool CRecordingController::EditorOpen() const {
    return m_window.HasProject();
}

void CRecordingController::ShowHint(EHint hint) {
    CProgramState& state = m_window.Settings().m_state;
    if (hint == EHint::Recording) {
        // A recording of the command line saves without asking: nobody is there to read hints.
        if (!state.m_bRecordingHint || m_window.CommandLine().recordFile) {
            return;
        }
        bool bAgain = true;
        ShowHintDialog(&m_window, "Recording your demo...",
                       "Type Ctrl-Del to stop recording.\nPress the Pause key to pause your "
                       "recording.  Whilst paused you may reposition the capture window if "
                       "desired.",
                       bAgain);
        state.m_bRecordingHint = bAgain ? 1 : 0;
    } else if (state.m_bCreatingHint) {
        bool bAgain = true;
        ShowHintDialog(&m_window, "Creating your demo...",
                       "Save your demo, then run 'quillo publish' with its project file (for "
                       "example: quillo publish demo.lumo --html) to compress and export it as a "
                       "Flash movie with its web page. \"Show Demo\" in the File menu opens the "
                       "published page in your web browser.",
                       bAgain);
        state.m_bCreatingHint = bAgain ? 1 : 0;
    }
}

void CRecordingController::MinimiseToTray() {
    m_window.hide();
}

void CRecordingController::HideWindow() {
    m_window.hide();
}

void CRecordingController::RestoreWindow() {
    m_window.showNormal();
    m_window.raise();
    m_window.activateWindow();
}

void CRecordingController::SetOnTop(bool bOnTop) {
    m_window.setWindowFlag(Qt::WindowStaysOnTopHint, bOnTop);
}

EStopAnswer CRecordingController::AskStop() {
    if (m_window.Hooks().askStop) {
        return m_window.Hooks().askStop();
    }
    return AskStopAnswer(&m_window);
}

bool CRecordingController::OpenRecordedProject(const std::string& fileName) {
    if (!m_window.OpenProject(fileName)) {
        return false;
    }
    RoundRecordedDurations(m_narration.Recording());
    m_window.ShowFrame(0);
    return true;
}

void CRecordingController::SaveSettings() {
    m_window.SaveSettings();
}

void CRecordingController::StartNewInstance() {
    m_window.RestartWith({});
    QCoreApplication::quit();
}

void CRecordingController::CloseProgram() {
    m_window.close();
    QCoreApplication::quit();
}

void CRecordingController::CloseProgramUnsaved() {
    m_window.MarkRecordingUnsaved();
    CloseProgram();
}

void CRecordingController::BuildMenus(QMenuBar& menuBar) {
    QMenu* pMenu = menuBar.addMenu("Recordin&g");
    QAction* pOptions = pMenu->addAction("Recording Options...");
    pOptions->setObjectName("recordingOptionsAction");
    connect(pOptions, &QAction::triggered, this, &CRecordingController::EditOptions);
}

void CRecordingController::EditOptions() {
    CProgramState& state = m_window.Settings().m_state;
    m_recorder.SetBusy(true);
    bool bReminder = state.m_bCompressionReminder != 0;
    CRecordingOptionsDialog dialog(&m_window, Options(), m_window.Prompter(), bReminder);
    if (dialog.exec() == QDialog::Accepted) {
        SetOptions(dialog.Options());
    }
    state.m_bCompressionReminder = bReminder ? 1 : 0;
    m_recorder.SetBusy(false);
}

void CRecordingController::StartRecording() {
    if (m_window.HasProject()) {
        m_window.RestartWith({});
        return;
    }
    if (!ScreenReadable()) {
        m_window.Prompter().Error(
            "Recording needs an X11 display with 24- or 32-bit pixels (X11 or XWayland).",
            "Quillo Error");
        return;
    }
    m_recorder.StartRecording();
}

void CRecordingController::EndForSessionEnd() {
    m_recorder.EndSession();
}

void CRecordingController::RoundRecordedDurations(bool bNarration) {
    CDemoProject& project = m_window.Project();
    QuantiseRecordedDurations(project, bNarration);
    UpdateStartTimes(project);
    // The file holds the rounded durations, and the custom defaults applied at the open, from
    // the start; unsaved they are asked about at the close.
    if (!m_window.File().Save()) {
        m_window.MarkModified();
    }
}

bool CRecordingController::CheckTrueColour() {
    CProgramState& state = m_window.Settings().m_state;
    QScreen* pScreen = QGuiApplication::primaryScreen();
    if (!state.m_bTrueColourReminder || pScreen == nullptr || pScreen->depth() >= 24) {
        return true;
    }
    bool bAgain = true;
    const ETrueColourChoice choice = AskTrueColourNotice(&m_window, bAgain);
    state.m_bTrueColourReminder = bAgain ? 1 : 0;
    // The display settings are the desktop's own: the program closes so that they can be
    // changed.
    return choice == ETrueColourChoice::Ignore;
}
