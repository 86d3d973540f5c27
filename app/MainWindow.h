// The main window: the capture choices and "Start Recording", opening projects and the recent
// files, and for an open project its frames in a preview that follows the window's size, with
// a frame scroll bar, the frame number and duration and a play/stop preview. It owns the
// project for the life of the process and protects it when the session ends or memory runs
// out. Recording, the capture choices and the whole-project commands are controllers of their
// own, each with its menus; the window gives them the project and the settings.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/RecentFiles.h"
#include "project/file/Recovery.h"
#include "recording/CaptureArea.h"
#include "recording/RecorderWindow.h"

class CCaptureController;
class CEditorController;
class CFrameScrollBar;
class CCaptureFrameWnd;
class CLocalHttpServer;
class CDemoProject;
class CFrameInfo;
class CFrameCompositor;
class CFramePreview;
class CProjectFile;
class CProjectOpsController;
class CRecordingController;
class CSettingsFiles;
class IPrompter;
class QLabel;
class QMenu;
class QPushButton;
class QScrollBar;
class QSpinBox;
class QStackedWidget;

// The dialogs that tests answer without a person; empty members show the real dialogs.
struct SMainWindowHooks {
    std::function<bool(SRecoveryOptions&)> askRecoveryOptions;
    std::function<ELeftoverChoice(const std::string& name)> askLeftover;
    std::function<EStopAnswer()> askStop;
};

class CMainWindow : public QMainWindow {
    Q_OBJECT
public:
    CMainWindow(CSettingsFiles& settings, SCommandLine commandLine, IPrompter& prompter,
                SMainWindowHooks hooks = {});
    ~CMainWindow() override;

    // Places the window from the program state file, fills the recent files and starts the
    // command line's actions and the offer of leftover captures from timers.
    void StartUp();

    // Opens a project by name (command line, recent files, open dialog). A second project is
    // opened by a fresh instance of the program.
    bool OpenProject(const std::string& fileName);
    bool HasProject() const { return m_bHasProject; }
    CDemoProject& Project() { return *m_pProject; }
    CFramePreview* Preview() const { return m_pPreview; }
    QMenu* FileMenu() const { return m_pFileMenu; }
    QScrollBar* FrameBar() const;
    QString FrameText() const;
    // The capture choices: the frame window of the two window modes and the mode, monitor and
    // pan choice.
    CCaptureFrameWnd* CaptureFrame() const;
    SCaptureChoice CaptureChoice() const;
    void SetCaptureMode(int nMode);
    QString DurationText() const;

    void ShowFrame(uint32_t nIndex);
    // Draws the shown frame's overlays again over its composed picture, which is kept: a drag
    // or a display choice changes only the overlays.
    void RedrawOverlays();
    uint32_t ShownFrame() const;
    void Play();
    void StopPlaying();
    bool Playing() const { return m_bPlaying; }

    // Gives the shown frame a duration in 1/100 s: the one edit of this window so far.
    void SetShownDuration(int32_t nHundredths);
    bool Modified() const { return m_bModified; }

    // The session ends: save unsaved changes under "<name>_autosave.lumo" without asking and
    // close.
    void CloseForAutosave();
    // Saves the work under "<name>_recovered.lumo", asking for the name when `bAskName`.
    bool EmergencySave(bool bAskName);
    // Prepares what a crash saves: unsaved work under "<name>_recovered.lumo", or nothing.
    void PrepareCrashSave();

    // Arguments of the fresh instance to start once the window has closed, if any.
    const std::optional<std::vector<std::string>>& RestartRequest() const { return m_restart; }
    // A recording ended without being saved: the program's exit status says so.
    bool RecordingUnsaved() const { return m_bRecordingUnsaved; }
    void MarkRecordingUnsaved() { m_bRecordingUnsaved = true; }
    const std::string& AutosaveName() const { return m_autosaveName; }
    CRecordingController& Recording() { return *m_pRecording; }

    // What the controllers share with the window.
    CSettingsFiles& Settings() { return m_settings; }
    IPrompter& Prompter() { return m_prompter; }
    const SCommandLine& CommandLine() const { return m_commandLine; }
    const SMainWindowHooks& Hooks() const { return m_hooks; }
    QPushButton* RecordButton() const { return m_pRecordButton; }
    // The open project's file; only while HasProject().
    CProjectFile& File() { return *m_pFile; }
    CFrameCompositor* Compositor() const { return m_pCompositor.get(); }
    // The shown frame of the open project, if any.
    CFrameInfo* ShownFrameRecord() const;
    void MarkModified() { SetModified(true); }
    // The open project was saved under another name and is now that file.
    void SavedAs();
    CEditorController& Editor() { return *m_pEditor; }
    // The frame list changed under the compositor: it takes it in again and the project's
    // current frame is shown.
    void ReloadFrames();
    void AddRecent(const std::string& path);
    // Closes the window and asks for a fresh instance with `args` once it has closed.
    void RestartWith(std::vector<std::string> args);
    bool SaveSettings();

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    void BuildMenus();
    QWidget* BuildCapturePanel();
    QWidget* BuildProjectView();
    void FillRecentFiles();
    void OpenRecent(const std::string& path);
    void ChooseAndOpen();
    void RecoverChosen();
    bool RecoverFile(const std::string& path, bool bRawCapture);
    void OfferLeftovers();
    void RunCommandLine();
    void ShowProject();
    void OnPlayTick();
    void UpdateFrameInfo();
    void SetModified(bool bModified);
    std::string ProjectStem() const;
    std::string ProjectFolder() const;
    // "&Show Demo" (MainWindowShowDemo.cpp): serves the project's published page on 127.0.0.1
    // and opens it in the default browser.
    void ShowDemo();

    CSettingsFiles& m_settings;
    SCommandLine m_commandLine;
    IPrompter& m_prompter;
    SMainWindowHooks m_hooks;
    CRecentFiles m_recent;
    std::unique_ptr<CDemoProject> m_pProject;
    std::unique_ptr<CProjectFile> m_pFile;
    std::unique_ptr<CFrameCompositor> m_pCompositor;
    bool m_bHasProject = false;
    bool m_bModified = false;
    bool m_bAutosave = false;
    bool m_bPlaying = false;
    bool m_bUpdating = false;
    bool m_bRecordingUnsaved = false;
    std::string m_autosaveName;
    std::optional<std::vector<std::string>> m_restart;
    std::unique_ptr<CRecordingController> m_pRecording;
    std::unique_ptr<CCaptureController> m_pCapture;
    std::unique_ptr<CProjectOpsController> m_pProjectOps;
    std::unique_ptr<CEditorController> m_pEditor;
    // Serves the shown demo until the program ends.
    std::unique_ptr<CLocalHttpServer> m_pDemoServer;

    QMenu* m_pFileMenu = nullptr;
    QAction* m_pOpenAction = nullptr;
    QAction* m_pSaveAction = nullptr;
    QAction* m_pShowDemoAction = nullptr;
    QAction* m_pExitAction = nullptr;
    QAction* m_pRecentSeparator = nullptr;
    std::vector<QAction*> m_recentActions;
    QPushButton* m_pRecordButton = nullptr;
    QPushButton* m_pEditButton = nullptr;
    QStackedWidget* m_pStack = nullptr;
    CFramePreview* m_pPreview = nullptr;
    QImage m_framePicture;  // the shown frame as composed, without its overlays
    CFrameScrollBar* m_pFrameBar = nullptr;
    QLabel* m_pFrameLabel = nullptr;
    QLabel* m_pDurationLabel = nullptr;
    QSpinBox* m_pDurationEdit = nullptr;
    QPushButton* m_pPlayButton = nullptr;
    QTimer m_playTimer;
};
