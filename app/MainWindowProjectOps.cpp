// The main window's whole-project commands: inserting a duplicate frame, removing deleted
// frames, combining projects and importing a video. The long ones disable the window while
// they run and show their progress through the prompter.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>

#include "app/CombineDialog.h"
#include "app/MainWindow.h"
#include "app/SettingsFiles.h"
#include "platform/Prompter.h"
#include "project/CombineProjects.h"
#include "project/DemoProject.h"
#include "project/FrameCompositor.h"
#include "project/FrameEdits.h"
#include "project/ProjectFile.h"
#include "project/RemoveDeletedFrames.h"
#include "project/TimingData.h"
#include "project/VideoGrabber.h"
#include "project/VideoImport.h"

namespace {

// Disables a window for the life of a scope.
class CBusyWindow {
public:
    explicit CBusyWindow(QWidget& window) : m_Window(window) { m_Window.setEnabled(false); }
    ~CBusyWindow() { m_Window.setEnabled(true); }
    CBusyWindow(const CBusyWindow&) = delete;
    CBusyWindow& operator=(const CBusyWindow&) = delete;

private:
    QWidget& m_Window;
};

}  // namespace

void CMainWindow::BuildProjectOpsMenus() {
    QAction* pCombine = new QAction("Com&bine Quillo movies...", this);
    m_pFileMenu->insertAction(m_pRecentSeparator, pCombine);
    connect(pCombine, &QAction::triggered, this, &CMainWindow::CombineMovies);

    QMenu* pFrameMenu = menuBar()->addMenu("F&rame");
    QAction* pDuplicate = pFrameMenu->addAction("Insert &Duplicate Frame");
    pDuplicate->setShortcut(QKeySequence("Alt+D"));
    connect(pDuplicate, &QAction::triggered, this, &CMainWindow::InsertDuplicateFrame);
    QMenu* pDeleted = pFrameMenu->addMenu("De&leted Frames");
    QAction* pRemove = pDeleted->addAction("&Remove...");
    connect(pRemove, &QAction::triggered, this, &CMainWindow::RemoveDeleted);
    connect(pFrameMenu, &QMenu::aboutToShow, this, [this, pDuplicate, pRemove] {
        pDuplicate->setEnabled(m_bHasProject);
        pRemove->setEnabled(m_bHasProject);
    });
}

SNewProjectOptions CMainWindow::NewProjectOptions() const {
    SNewProjectOptions options;
    options.tempDir = m_settings.m_settings.m_strTempDirectory;
    options.bZlibPixels = m_settings.m_state.m_bExtraCompression != 0;
    if (m_settings.m_settings.m_bExportTimingData) {
        InstallTimingDataHooks(options.hooks);
    }
    return options;
}

void CMainWindow::InsertDuplicateFrame() {
    if (!m_bHasProject) {
        return;
    }
    m_pProject->SetCurrentFrame(ShownFrame());
    SFrameEditHooks hooks;
    hooks.pCompositor = m_pCompositor.get();
    hooks.markModified = [this] { m_bModified = true; };
    if (InsertDuplicate(*m_pProject, hooks) == nullptr) {
        return;
    }
    // The frame list changed under the compositor: it takes it in again.
    m_pCompositor->SetSources(m_pFile->StreamSources());
    RegisterFollowingPictures(*m_pProject, *m_pCompositor);
    m_bUpdating = true;
    m_pFrameBar->setRange(0, static_cast<int>(m_pProject->FrameCount()) - 1);
    m_bUpdating = false;
    ShowFrame(m_pProject->CurrentIndex());
}

void CMainWindow::RemoveDeleted() {
    if (!m_bHasProject) {
        return;
    }
    CBusyWindow busy(*this);
    RemoveDeletedFrames(*m_pProject, m_pFile->StreamSources(), m_prompter, NewProjectOptions());
    ShowFrame(ShownFrame());
}

void CMainWindow::CombineMovies() {
    CCombineDialog dialog(m_prompter, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    CBusyWindow busy(*this);
    CombineProjects(dialog.Files(), dialog.EditingOnly(), m_prompter, NewProjectOptions());
}

void CMainWindow::ImportVideoFile(const std::string& fileName) {
    CVideoGrabber grabber;
    if (!grabber.LoadFromProgramFolder()) {
        OpenProject(fileName);
        return;
    }
    hide();
    const EVideoImport result = ImportVideo(fileName, grabber, m_prompter, NewProjectOptions());
    show();
    if (result == EVideoImport::Saved) {
        RestartWith({});
    }
}
