#include "app/MainWindow.h"

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QVBoxLayout>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/CaptureController.h"
#include "app/CrashSave.h"
#include "app/EditorController.h"
#include "app/FramePreview.h"
#include "app/ProjectOpsController.h"
#include "app/RecordingController.h"
#include "app/RecoveryDialog.h"
#include "app/WindowPlacement.h"
#include "editor/FrameScrollBar.h"
#include "platform/DiskSpace.h"
#include "platform/LocalHttpServer.h"
#include "platform/Prompter.h"
#include "project/file/ProjectFile.h"
#include "project/model/DemoProject.h"
#include "project/ops/TimingData.h"
#include "project/stream/FrameCompositor.h"
#include "settings/SettingsFiles.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kFileError = "File Error";
constexpr const char* kReadOnly =
    "Quillo project file has read only permission.    \nProject cannot be opened for editing.    ";
constexpr const char* kAskRecover =
    "Unable to open Quillo project file.    \nWould you like to try recovering this file?    ";
constexpr const char* kProjectFilter = "Quillo file (*.lumo)";

bool EndsWithNoCase(const std::string& text, std::string_view end) {
    if (text.size() < end.size()) {
        return false;
    }
    for (size_t i = 0; i < end.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[text.size() - end.size() + i])) !=
            end[i]) {
            return false;
        }
    }
    return true;
}

bool StartsWithSignature(const std::string& path) {
    char head[11] = {};
    std::ifstream in(path, std::ios::binary);
    in.read(head, sizeof head);
    return in.gcount() == sizeof head && std::string_view(head, sizeof head) == "Quillomatic";
}

QString Hundredths(int32_t n) {
    return QString::asprintf("%d.%02d s", n / 100, n % 100);
}

}  // namespace

CMainWindow::CMainWindow(CSettingsFiles& settings, SCommandLine commandLine, IPrompter& prompter,
                         SMainWindowHooks hooks)
    : m_settings(settings),
      m_commandLine(std::move(commandLine)),
      m_prompter(prompter),
      m_hooks(std::move(hooks)),
      m_recent(settings.m_state.m_recentFiles),
      m_pProject(std::make_unique<CDemoProject>()),
      m_pCapture(std::make_unique<CCaptureController>(*this)),
      m_pProjectOps(std::make_unique<CProjectOpsController>(*this)),
      m_pEditor(std::make_unique<CEditorController>(*this)) {
    setWindowTitle("Quillo");
    BuildMenus();
    m_pRecording = std::make_unique<CRecordingController>(*this);
    m_pRecording->BuildMenus(*menuBar());
    auto* pCentral = new QWidget(this);
    auto* pLayout = new QVBoxLayout(pCentral);
    pLayout->addWidget(BuildCapturePanel());
    m_pStack = new QStackedWidget(pCentral);
    auto* pEmpty = new QLabel("Open a project or start a recording.", m_pStack);
    pEmpty->setAlignment(Qt::AlignCenter);
    m_pStack->addWidget(pEmpty);
    m_pStack->addWidget(BuildProjectView());
    pLayout->addWidget(m_pStack, 1);
    setCentralWidget(pCentral);
    m_pEditor->BuildMenus(*menuBar(), *m_pFileMenu, m_pSaveAction, *m_pProjectOps->DeletedMenu());
    statusBar()->addWidget(m_pEditor->PositionLabel());
    resize(800, 600);
    m_playTimer.setSingleShot(true);
    connect(&m_playTimer, &QTimer::timeout, this, &CMainWindow::OnPlayTick);
}

CMainWindow::~CMainWindow() {
    m_pRecording.reset();
}

void CMainWindow::BuildMenus() {
    m_pFileMenu = menuBar()->addMenu("&File");
    m_pOpenAction =
        m_pFileMenu->addAction(m_commandLine.bRecoverMode ? "Recover Quillo movie..." : "&Open...");
    m_pOpenAction->setShortcut(QKeySequence::Open);
    connect(m_pOpenAction, &QAction::triggered, this,
            [this] { m_commandLine.bRecoverMode ? RecoverChosen() : ChooseAndOpen(); });
    m_pSaveAction = m_pFileMenu->addAction("&Save");
    m_pSaveAction->setShortcut(QKeySequence::Save);
    m_pSaveAction->setEnabled(false);
    connect(m_pSaveAction, &QAction::triggered, this, [this] {
        if (m_bHasProject && m_pFile->Save()) {
            SetModified(false);
            AddRecent(m_pProject->m_pszFileName);
        }
    });
    m_pShowDemoAction = m_pFileMenu->addAction("&Show Demo");
    m_pShowDemoAction->setEnabled(false);
    connect(m_pShowDemoAction, &QAction::triggered, this, &CMainWindow::ShowDemo);
    m_pRecentSeparator = m_pFileMenu->addSeparator();
    m_pFileMenu->addSeparator();
    m_pExitAction = m_pFileMenu->addAction("&Exit");
    connect(m_pExitAction, &QAction::triggered, this, &QWidget::close);
    m_pProjectOps->BuildMenus(*menuBar(), *m_pFileMenu, m_pRecentSeparator);
}

QWidget* CMainWindow::BuildCapturePanel() {
    auto* pPanel = new QWidget(this);
    auto* pRow = new QHBoxLayout(pPanel);
    pRow->setContentsMargins(0, 0, 0, 0);
    pRow->addWidget(new QLabel("Capture:", pPanel));
    m_pCapture->BuildChoices(pRow);
    m_pRecordButton = new QPushButton("Start Recording", pPanel);
    m_pRecordButton->setObjectName("recordButton");
    connect(m_pRecordButton, &QPushButton::clicked, m_pRecording.get(),
            &CRecordingController::StartRecording);
    pRow->addWidget(m_pRecordButton);
    m_pEditButton =
        new QPushButton(m_commandLine.bRecoverMode ? "Recover Demo" : "Edit Demo", pPanel);
    m_pEditButton->setObjectName("editButton");
    connect(m_pEditButton, &QPushButton::clicked, m_pOpenAction, &QAction::trigger);
    pRow->addWidget(m_pEditButton);
    pRow->addStretch(1);
    return pPanel;
}

QWidget* CMainWindow::BuildProjectView() {
    auto* pView = new QWidget(m_pStack);
    auto* pLayout = new QVBoxLayout(pView);
    pLayout->setContentsMargins(0, 0, 0, 0);
    auto* pEditRow = new QHBoxLayout;
    m_pPreview = new CFramePreview(pView);
    m_pEditor->WatchPreview(*m_pPreview);
    pEditRow->addWidget(m_pPreview, 1);
    pEditRow->addWidget(m_pEditor->BuildSidePanel(pView));
    pLayout->addLayout(pEditRow, 1);
    m_pFrameBar = new CFrameScrollBar(pView);
    m_pEditor->SetScrollBar(*m_pFrameBar);
    connect(m_pFrameBar, &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_bUpdating) {
            ShowFrame(static_cast<uint32_t>(value));
        }
    });
    pLayout->addWidget(m_pFrameBar);
    auto* pRow = new QHBoxLayout;
    m_pPlayButton = new QPushButton("Play", pView);
    connect(m_pPlayButton, &QPushButton::clicked, this,
            [this] { m_bPlaying ? StopPlaying() : Play(); });
    pRow->addWidget(m_pPlayButton);
    m_pFrameLabel = new QLabel(pView);
    pRow->addWidget(m_pFrameLabel);
    m_pDurationLabel = new QLabel(pView);
    pRow->addWidget(m_pDurationLabel);
    pRow->addStretch(1);
    pRow->addWidget(new QLabel("Frame duration (1/100 s):", pView));
    m_pDurationEdit = new QSpinBox(pView);
    m_pDurationEdit->setRange(0, kMaxFrameDuration);
    connect(m_pDurationEdit, &QSpinBox::valueChanged, this, [this](int value) {
        if (!m_bUpdating) {
            SetShownDuration(value);
        }
    });
    pRow->addWidget(m_pDurationEdit);
    pLayout->addLayout(pRow);
    return pView;
}

void CMainWindow::StartUp() {
    CProgramState& state = m_settings.m_state;
    if (state.m_rcMainWindow[2] > state.m_rcMainWindow[0]) {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const TWindowRect placed =
            PlaceOnScreen(state.m_rcMainWindow,
                          {screen.left(), screen.top(), screen.right() + 1, screen.bottom() + 1});
        // A window cannot be smaller than its contents: it then grows to the left and upward
        // so that it stays on the screen.
        const QSize size = QSize(placed[2] - placed[0], placed[3] - placed[1])
                               .expandedTo(minimumSizeHint())
                               .boundedTo(screen.size());
        const int x =
            std::max(screen.left(), std::min(placed[0], screen.right() + 1 - size.width()));
        const int y =
            std::max(screen.top(), std::min(placed[1], screen.bottom() + 1 - size.height()));
        setGeometry(QRect(QPoint(x, y), size));
    }
    if (m_commandLine.captureRect) {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const auto clipped =
            ClipToScreen(*m_commandLine.captureRect, screen.width(), screen.height());
        if (!clipped) {
            m_prompter.Warning("The capture rectangle of /s: lies outside the screen.",
                               "Quillo Warning");
        } else {
            state.m_nCaptureMode = static_cast<int32_t>(ECaptureMode::SelectedArea);
            state.m_rcCaptureFrame = {clipped->x, clipped->x + clipped->width, clipped->y,
                                      clipped->y + clipped->height};
        }
    }
    m_pCapture->Restore();
    FillRecentFiles();
    m_pRecording->Listen();
    QTimer::singleShot(0, this, [this] {
        if (!m_pRecording->CheckTrueColour()) {
            close();
            return;
        }
        RunCommandLine();
        OfferLeftovers();
    });
}

void CMainWindow::RunCommandLine() {
    if (m_commandLine.projectFile) {
        OpenProject(*m_commandLine.projectFile);
    }
    if (m_commandLine.recordFile) {
        m_pRecording->StartRecording();
    }
}

void CMainWindow::OfferLeftovers() {
    OfferLeftoverRecovery(
        m_settings.m_settings.m_strTempDirectory,
        [this](const std::string& name) {
            return m_hooks.askLeftover ? m_hooks.askLeftover(name) : AskLeftoverChoice(this, name);
        },
        [this](const std::string& path) { return RecoverFile(path, true); });
}

bool CMainWindow::RecoverFile(const std::string& path, bool bRawCapture) {
    CRecovery recovery(m_prompter, m_settings.m_settings.m_strTempDirectory);
    SRecoveryRequest request;
    request.fileName = path;
    request.bRawCapture = bRawCapture;
    request.bZlibOption = m_settings.m_state.m_bExtraCompression != 0;
    request.askOptions = [this](SRecoveryOptions& options) {
        return m_hooks.askRecoveryOptions ? m_hooks.askRecoveryOptions(options)
                                          : AskRecoveryOptions(this, options);
    };
    request.saveHooks.freeSpace = FreeDiskSpace;
    request.saveHooks.addRecentFile = [this](const std::string& name) { AddRecent(name); };
    const SRecoveryReport report = recovery.Recover(request);
    if (report.result != ERecoverResult::Saved) {
        return false;
    }
    if (!bRawCapture) {
        // The damaged project's instance is replaced by one that opens the recovered project.
        RestartWith({report.savedFile});
    } else if (!m_bHasProject) {
        OpenProject(report.savedFile);
    }
    return true;
}

void CMainWindow::RecoverChosen() {
    auto name = m_prompter.AskOpenName({"Recover Quillo movie...",
                                        m_settings.m_state.m_strLastProjectFolder,
                                        "Quillo files (*.lumo *.tmp);;All files (*)"});
    if (name) {
        RecoverFile(*name, EndsWithNoCase(*name, ".tmp") || StartsWithSignature(*name));
    }
}

void CMainWindow::ChooseAndOpen() {
    auto name =
        m_prompter.AskOpenName({"Open", m_settings.m_state.m_strLastProjectFolder, kProjectFilter});
    if (!name) {
        return;
    }
    if (EndsWithNoCase(*name, "tmp")) {
        RecoverFile(*name, true);
    } else if (!EndsWithNoCase(*name, "lumo")) {
        m_pProjectOps->ImportVideoFile(*name);
    } else {
        OpenProject(*name);
    }
}

bool CMainWindow::OpenProject(const std::string& fileName) {
    if (m_bHasProject) {
        RestartWith({fileName});
        return false;
    }
    std::string name = fileName;
    while (true) {
        SProjectFileHooks hooks = m_settings.ProjectFileHooks();
        hooks.freeSpace = FreeDiskSpace;
        hooks.addRecentFile = [this](const std::string& n) { AddRecent(n); };
        hooks.askRecordingSize = [this](int32_t& width, int32_t& height) {
            AskRecordingSize(this, width, height);
        };
        auto pFile = std::make_unique<CProjectFile>(*m_pProject, m_prompter, hooks);
        if (pFile->Open(name)) {
            m_pFile = std::move(pFile);
            AddRecent(m_pProject->m_pszFileName);
            m_settings.m_state.m_strLastProjectFolder = ProjectFolder();
            ShowProject();
            return true;
        }
        const EOpenFailure failure = pFile->OpenFailure();
        if (failure == EOpenFailure::LaterVersion) {
            return false;
        }
        if (!fs::exists(name)) {
            // Nothing to recover from a file that is not there.
            m_prompter.Error("Unable to open Quillo    ", kFileError);
            return false;
        }
        if (::access(name.c_str(), W_OK) != 0) {
            m_prompter.Error(kReadOnly, kFileError);
            return false;
        }
        const EMsgAnswer answer = m_prompter.Message(
            {kAskRecover, kFileError, EMsgIcon::Error, EMsgButtons::YesNoCancel, EMsgAnswer::Yes});
        if (answer == EMsgAnswer::Yes) {
            RecoverFile(name, false);
            return false;
        }
        if (answer != EMsgAnswer::No) {
            return false;
        }
        auto chosen = m_prompter.AskOpenName(
            {"Open", m_settings.m_state.m_strLastProjectFolder, kProjectFilter});
        if (!chosen) {
            return false;
        }
        name = *chosen;
    }
}

void CMainWindow::ShowProject() {
    m_bHasProject = true;
    SetModified(false);
    m_pEditor->ProjectOpened();
    m_pCompositor = std::make_unique<CFrameCompositor>(*m_pProject);
    m_pCompositor->SetSources(m_pFile->StreamSources());
    RegisterFollowingPictures(*m_pProject, *m_pCompositor);
    m_pSaveAction->setEnabled(true);
    m_pShowDemoAction->setEnabled(true);
    // "[*]" is where the modified mark shows.
    setWindowTitle(QString::fromStdString(fs::path(m_pProject->m_pszFileName).filename().string()) +
                   "[*] - Quillo");
    m_bUpdating = true;
    m_pFrameBar->setRange(0, static_cast<int>(std::max<uint32_t>(m_pProject->FrameCount(), 1) - 1));
    m_pFrameBar->setPageStep(std::max(1, static_cast<int>(m_pProject->FrameCount() / 10)));
    m_bUpdating = false;
    m_pStack->setCurrentIndex(1);
    // The capture frame belongs to recording; over the editor it would only hide the picture.
    if (CCaptureFrameWnd* pFrame = CaptureFrame()) {
        pFrame->HideFrame();
    }
    FillRecentFiles();
    ShowFrame(0);
    m_pPreview->setFocus();
}

void CMainWindow::SetModified(bool bModified) {
    m_bModified = bModified;
    setWindowModified(bModified);
}

void CMainWindow::SavedAs() {
    SetModified(false);
    AddRecent(m_pProject->m_pszFileName);
    m_settings.m_state.m_strLastProjectFolder = ProjectFolder();
    setWindowTitle(QString::fromStdString(fs::path(m_pProject->m_pszFileName).filename().string()) +
                   "[*] - Quillo");
}

QScrollBar* CMainWindow::FrameBar() const {
    return m_pFrameBar;
}

void CMainWindow::ReloadFrames() {
    m_pCompositor->SetSources(m_pFile->StreamSources());
    RegisterFollowingPictures(*m_pProject, *m_pCompositor);
    m_bUpdating = true;
    m_pFrameBar->setRange(0, static_cast<int>(m_pProject->FrameCount()) - 1);
    m_bUpdating = false;
    ShowFrame(m_pProject->CurrentIndex());
}

void CMainWindow::ShowFrame(uint32_t nIndex) {
    if (!m_bHasProject || m_pProject->FrameCount() == 0) {
        return;
    }
    nIndex = std::min(nIndex, m_pProject->FrameCount() - 1);
    m_pCompositor->GoToFrame(nIndex);
    const CPixelPicture& picture = m_pCompositor->ShownPicture();
    if (picture.m_nWidth > 0 && picture.m_nHeight > 0) {
        const QImage view(reinterpret_cast<const uchar*>(picture.m_Pixels.data()), picture.m_nWidth,
                          picture.m_nHeight, picture.m_nWidth * 4, QImage::Format_RGB32);
        m_framePicture = view.copy();
        RedrawOverlays();
    }
    UpdateFrameInfo();
    m_pEditor->FrameShown();
}

void CMainWindow::RedrawOverlays() {
    const CFrameInfo* pFrame = ShownFrameRecord();
    if (m_framePicture.isNull() || pFrame == nullptr) {
        return;
    }
    QImage shown = m_framePicture.copy();
    m_pEditor->DrawOverlays(*pFrame, shown);
    m_pPreview->SetPicture(std::move(shown));
}

uint32_t CMainWindow::ShownFrame() const {
    return m_pCompositor ? m_pCompositor->CurrentIndex() : 0;
}

CFrameInfo* CMainWindow::ShownFrameRecord() const {
    return m_bHasProject && m_pCompositor ? m_pCompositor->CurrentFrame() : nullptr;
}

CCaptureFrameWnd* CMainWindow::CaptureFrame() const {
    return m_pCapture->Frame();
}

SCaptureChoice CMainWindow::CaptureChoice() const {
    return m_pCapture->Choice();
}

void CMainWindow::SetCaptureMode(int nMode) {
    m_pCapture->SetMode(nMode);
}

void CMainWindow::UpdateFrameInfo() {
    m_bUpdating = true;
    m_pFrameBar->setValue(static_cast<int>(ShownFrame()));
    m_pFrameLabel->setText(FrameText());
    m_pDurationLabel->setText(DurationText());
    if (const CFrameInfo* pFrame = m_pCompositor->CurrentFrame()) {
        m_pDurationEdit->setValue(pFrame->m_nDuration);
    }
    m_bUpdating = false;
}

QString CMainWindow::FrameText() const {
    if (!m_bHasProject) {
        return {};
    }
    return QString("Frame %1 of %2").arg(ShownFrame() + 1).arg(m_pProject->FrameCount());
}

QString CMainWindow::DurationText() const {
    const CFrameInfo* pFrame = m_pCompositor ? m_pCompositor->CurrentFrame() : nullptr;
    if (pFrame == nullptr) {
        return {};
    }
    return "Duration " + Hundredths(m_pProject->EffectiveDuration(*pFrame));
}

void CMainWindow::SetShownDuration(int32_t nHundredths) {
    CFrameInfo* pFrame = m_pCompositor ? m_pCompositor->CurrentFrame() : nullptr;
    if (pFrame == nullptr || pFrame->m_nDuration == nHundredths) {
        return;
    }
    pFrame->m_nDuration = nHundredths;
    SetModified(true);
    UpdateFrameInfo();
}

void CMainWindow::Play() {
    if (!m_bHasProject || m_pProject->FrameCount() == 0) {
        return;
    }
    if (ShownFrame() + 1 >= m_pProject->FrameCount()) {
        ShowFrame(0);
    }
    m_bPlaying = true;
    m_pPlayButton->setText("Stop");
    m_playTimer.start(m_pProject->EffectiveDuration(*m_pCompositor->CurrentFrame()) * 10);
}

void CMainWindow::StopPlaying() {
    m_playTimer.stop();
    m_bPlaying = false;
    m_pPlayButton->setText("Play");
}

void CMainWindow::OnPlayTick() {
    const uint32_t nNext = ShownFrame() + 1;
    if (nNext >= m_pProject->FrameCount()) {
        StopPlaying();
        return;
    }
    ShowFrame(nNext);
    m_playTimer.start(m_pProject->EffectiveDuration(*m_pCompositor->CurrentFrame()) * 10);
}

void CMainWindow::AddRecent(const std::string& path) {
    m_recent.Add(path);
    FillRecentFiles();
}

void CMainWindow::FillRecentFiles() {
    for (QAction* pAction : m_recentActions) {
        m_pFileMenu->removeAction(pAction);
        pAction->deleteLater();
    }
    m_recentActions.clear();
    const std::string current = m_bHasProject ? m_pProject->m_pszFileName : std::string();
    QAction* pBefore = nullptr;
    const auto actions = m_pFileMenu->actions();
    for (qsizetype i = 0; i + 1 < actions.size(); ++i) {
        if (actions[i] == m_pRecentSeparator) {
            pBefore = actions[i + 1];
        }
    }
    for (const SRecentMenuEntry& entry : m_recent.MenuEntries(current)) {
        auto* pAction = new QAction(QString::fromStdString(entry.label), m_pFileMenu);
        pAction->setObjectName(QString("File%1").arg(entry.nCommand + 1));
        const std::string path = entry.path;
        connect(pAction, &QAction::triggered, this, [this, path] { OpenRecent(path); });
        m_pFileMenu->insertAction(pBefore, pAction);
        m_recentActions.push_back(pAction);
    }
}

void CMainWindow::OpenRecent(const std::string& path) {
    if (::access(path.c_str(), R_OK) != 0) {
        m_prompter.Error("Unable to open Quillo    ", kFileError);
        return;
    }
    m_recent.Add(path);
    m_settings.m_state.m_strLastProjectFolder = fs::path(path).parent_path().string() + "/";
    if (m_bHasProject) {
        RestartWith({path});
        return;
    }
    hide();
    QTimer::singleShot(0, this, [this, path] {
        OpenProject(path);
        show();
    });
}

void CMainWindow::RestartWith(std::vector<std::string> args) {
    m_restart = std::move(args);
    // Unsaved changes are asked about as at every close.
    close();
}

std::string CMainWindow::ProjectStem() const {
    return fs::path(m_pProject->m_pszFileName).stem().string();
}

std::string CMainWindow::ProjectFolder() const {
    std::string folder = fs::path(m_pProject->m_pszFileName).parent_path().string();
    return folder.empty() ? folder : folder + "/";
}

bool CMainWindow::EmergencySave(bool bAskName) {
    if (!m_bHasProject) {
        return false;
    }
    std::string name = ProjectFolder() + ProjectStem() + "_recovered.lumo";
    if (bAskName) {
        auto chosen = m_prompter.AskSaveName({"Save Quillo movie as...", name, kProjectFilter});
        if (!chosen) {
            return false;
        }
        name = *chosen;
    }
    return m_pFile->SaveAs(name);
}

void CMainWindow::PrepareCrashSave() {
    SProjectCopyPlan plan;
    if (!m_bHasProject || !m_bModified || !PrepareProjectCopy(*m_pFile, *m_pProject, plan)) {
        DropCrashSave();
        return;
    }
    KeepCrashSave(std::move(plan), ProjectFolder() + ProjectStem() + "_recovered.lumo");
}

void CMainWindow::CloseForAutosave() {
    m_bAutosave = true;
    m_pRecording->EndForSessionEnd();
    close();
}

bool CMainWindow::SaveSettings() {
    const QRect g = geometry();
    m_settings.m_state.m_rcMainWindow = {g.left(), g.top(), g.right() + 1, g.bottom() + 1};
    m_pCapture->Store();
    return m_settings.Exit();
}

void CMainWindow::keyPressEvent(QKeyEvent* pEvent) {
    if (m_pEditor->HandleNavigationKey(*pEvent)) {
        return;
    }
    QMainWindow::keyPressEvent(pEvent);
}

void CMainWindow::closeEvent(QCloseEvent* pEvent) {
    if (!m_bAutosave && QApplication::activeModalWidget() != nullptr) {
        QApplication::beep();
        QApplication::alert(this);
        pEvent->ignore();
        return;
    }
    StopPlaying();
    m_pRecording->EndForSessionEnd();
    if (m_bHasProject && m_bModified) {
        if (m_bAutosave) {
            m_autosaveName = ProjectFolder() + ProjectStem() + "_autosave.lumo";
            m_pFile->SaveAs(m_autosaveName);
        } else {
            const std::string stem = ProjectStem();
            const EMsgAnswer answer = m_prompter.Message(
                {"Save changes to " + stem + " ?    ", stem + " has been changed",
                 EMsgIcon::Question, EMsgButtons::YesNoCancel, EMsgAnswer::Yes});
            if (answer == EMsgAnswer::Cancel || (answer == EMsgAnswer::Yes && !m_pFile->Save())) {
                m_restart.reset();
                pEvent->ignore();
                return;
            }
        }
        SetModified(false);
    }
    if (m_bHasProject) {
        m_pFile->LeaveProject();
    }
    SaveSettings();
    if (!m_restart && (QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier)) {
        m_restart = std::vector<std::string>{};
    }
    pEvent->accept();
}
