// The main window: the capture choices and "Start Recording", opening projects and the recent
// files, and for an open project its frames in a preview that follows the window's size, with
// a frame scroll bar, the frame number and duration and a play/stop preview. It owns the
// project for the life of the process and protects it when the session ends or memory runs
// out.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/RecentFiles.h"
#include "project/NewProject.h"
#include "project/Recovery.h"
#include "recording/CaptureArea.h"
#include "recording/RecorderWindow.h"

class CCaptureFrameWnd;
class CLocalHttpServer;
class CDemoProject;
class CFrameInfo;
class CFrameCompositor;
class CFramePreview;
class CMainWindowRecorder;
class CProjectFile;
class CSettingsFiles;
class IPrompter;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QMenu;
class QPushButton;
class QScrollBar;
class QSpinBox;
class QStackedWidget;
struct SCaptureControls;

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
    QScrollBar* FrameBar() const { return m_pFrameBar; }
    QString FrameText() const;
    // The capture choices (MainWindowCapture.cpp): the frame window of the two window modes and
    // the mode, monitor and pan choice.
    CCaptureFrameWnd* CaptureFrame() const;
    SCaptureChoice CaptureChoice() const;
    void SetCaptureMode(int nMode);
    QString DurationText() const;

    void ShowFrame(uint32_t nIndex);
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

    // Arguments of the fresh instance to start once the window has closed, if any.
    const std::optional<std::vector<std::string>>& RestartRequest() const { return m_restart; }
    const std::string& AutosaveName() const { return m_autosaveName; }
    CMainWindowRecorder& Recording() { return *m_pRecorder; }

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    friend class CMainWindowRecorder;

    void BuildMenus();
    // Recording (MainWindowRecording.cpp).
    void BuildRecordingMenus();
    void EditRecordingOptions();
    void EndRecordingForSessionEnd();
    // False when the user chose to change the display settings: the program then closes.
    bool CheckTrueColour();
    // Whole-project commands (MainWindowProjectOps.cpp).
    void BuildProjectOpsMenus();
    SNewProjectOptions NewProjectOptions() const;
    void InsertDuplicateFrame();
    void RemoveDeleted();
    void CombineMovies();
    void ImportVideoFile(const std::string& fileName);
    // The shown frame's edited picture and talk-bubble animation (MainWindowProjectOps.cpp).
    CFrameInfo* ShownFrameRecord() const;
    void ApplyEditToFollowing();
    void ApplyEditToThisFrameOnly();
    void SaveShownEffect();
    void LoadShownEffect();
    QWidget* BuildCapturePanel();
    void BuildCaptureChoices(QHBoxLayout* pRow);
    void RestoreCaptureChoices();
    void StoreCaptureChoices();
    void ShowCaptureSize();
    QWidget* BuildProjectView();
    void FillRecentFiles();
    void OpenRecent(const std::string& path);
    void ChooseAndOpen();
    void RecoverChosen();
    bool RecoverFile(const std::string& path, bool bRawCapture);
    void OfferLeftovers();
    void RunCommandLine();
    void StartRecording();
    void RestartWith(std::vector<std::string> args);
    void AddRecent(const std::string& path);
    void ShowProject();
    void OnPlayTick();
    void UpdateFrameInfo();
    bool SaveSettings();
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
    std::string m_autosaveName;
    std::string m_effectFolder;  // where the last effect file was saved or loaded
    std::optional<std::vector<std::string>> m_restart;
    std::unique_ptr<CMainWindowRecorder> m_pRecorder;
    // Serves the shown demo until the program ends.
    std::unique_ptr<CLocalHttpServer> m_pDemoServer;

    QMenu* m_pFileMenu = nullptr;
    QAction* m_pOpenAction = nullptr;
    QAction* m_pSaveAction = nullptr;
    QAction* m_pShowDemoAction = nullptr;
    QAction* m_pExitAction = nullptr;
    QAction* m_pRecentSeparator = nullptr;
    std::vector<QAction*> m_recentActions;
    std::unique_ptr<SCaptureControls> m_pCapture;
    QPushButton* m_pRecordButton = nullptr;
    QPushButton* m_pEditButton = nullptr;
    QStackedWidget* m_pStack = nullptr;
    CFramePreview* m_pPreview = nullptr;
    QScrollBar* m_pFrameBar = nullptr;
    QLabel* m_pFrameLabel = nullptr;
    QLabel* m_pDurationLabel = nullptr;
    QSpinBox* m_pDurationEdit = nullptr;
    QPushButton* m_pPlayButton = nullptr;
    QTimer m_playTimer;
};
