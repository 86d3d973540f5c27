// The main window's whole-project commands: inserting a duplicate frame, the reach of an edited
// picture, saving and loading talk-bubble effects, removing deleted frames, combining projects,
// importing a video and saving the project's settings as the custom defaults. The long ones disable
// the window while they run and show their progress through the prompter.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>

#include "app/ApplyToFollowingDialog.h"
#include "app/CombineDialog.h"
#include "app/CustomDefaults.h"
#include "app/MainWindow.h"
#include "app/SettingsFiles.h"
#include "platform/Prompter.h"
#include "project/CombineProjects.h"
#include "project/DemoProject.h"
#include "project/EffectFile.h"
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

// The compositor holds the layers of following pictures; an edit marks the project modified.
SFrameEditHooks EditHooks(CFrameCompositor* pCompositor, bool& bModified) {
    SFrameEditHooks hooks;
    hooks.pCompositor = pCompositor;
    hooks.markModified = [&bModified] { bModified = true; };
    return hooks;
}

}  // namespace

void CMainWindow::BuildProjectOpsMenus() {
    QAction* pCombine = new QAction("Com&bine Quillo movies...", this);
    m_pFileMenu->insertAction(m_pRecentSeparator, pCombine);
    connect(pCombine, &QAction::triggered, this, &CMainWindow::CombineMovies);

    // The open project's settings become the defaults of every project opened or recorded
    // while "use_custom_defaults" is on.
    QAction* pDefaults = new QAction("Save Custom &Defaults...", this);
    m_pFileMenu->insertAction(m_pRecentSeparator, pDefaults);
    connect(pDefaults, &QAction::triggered, this, [this] {
        if (m_bHasProject) {
            SaveCustomDefaults(m_prompter, m_settings.Folder(), *m_pProject);
        }
    });
    connect(m_pFileMenu, &QMenu::aboutToShow, this,
            [this, pDefaults] { pDefaults->setEnabled(m_bHasProject); });

    QMenu* pFrameMenu = menuBar()->addMenu("F&rame");
    QAction* pDuplicate = pFrameMenu->addAction("Insert &Duplicate Frame");
    pDuplicate->setShortcut(QKeySequence("Alt+D"));
    connect(pDuplicate, &QAction::triggered, this, &CMainWindow::InsertDuplicateFrame);
    QMenu* pDeleted = pFrameMenu->addMenu("De&leted Frames");
    QAction* pRemove = pDeleted->addAction("&Remove...");
    connect(pRemove, &QAction::triggered, this, &CMainWindow::RemoveDeleted);

    pFrameMenu->addSeparator();
    QMenu* pEdit = pFrameMenu->addMenu("Apply Edited &Picture to");
    QAction* pFollowing = pEdit->addAction("This and &following frames...");
    connect(pFollowing, &QAction::triggered, this, &CMainWindow::ApplyEditToFollowing);
    QAction* pOnly = pEdit->addAction("This frame &only");
    connect(pOnly, &QAction::triggered, this, &CMainWindow::ApplyEditToThisFrameOnly);

    QMenu* pEffects = pFrameMenu->addMenu("Animation Special &Effects");
    QAction* pSaveEffect = pEffects->addAction("Save Effect");
    connect(pSaveEffect, &QAction::triggered, this, &CMainWindow::SaveShownEffect);
    QAction* pLoadEffect = pEffects->addAction("Load Effect");
    connect(pLoadEffect, &QAction::triggered, this, &CMainWindow::LoadShownEffect);

    connect(
        pFrameMenu, &QMenu::aboutToShow, this,
        [this, pDuplicate, pRemove, pFollowing, pOnly, pSaveEffect, pLoadEffect] {
            const CFrameInfo* pFrame = ShownFrameRecord();
            const bool bPicture = pFrame != nullptr && pFrame->HasActivePicture();
            pDuplicate->setEnabled(m_bHasProject);
            pRemove->setEnabled(m_bHasProject);
            pFollowing->setEnabled(bPicture);
            pOnly->setEnabled(bPicture);
            pSaveEffect->setEnabled(pFrame != nullptr && pFrame->m_pBubbleAnimation.has_value());
            pLoadEffect->setEnabled(pFrame != nullptr && pFrame->HasTalkBubble());
        });
}

CFrameInfo* CMainWindow::ShownFrameRecord() const {
    return m_bHasProject && m_pCompositor ? m_pCompositor->CurrentFrame() : nullptr;
}

void CMainWindow::ApplyEditToFollowing() {
    if (ShownFrameRecord() == nullptr) {
        return;
    }
    m_pProject->SetCurrentFrame(ShownFrame());
    const SFrameEditHooks hooks = EditHooks(m_pCompositor.get(), m_bModified);
    const int32_t nFrames = static_cast<int32_t>(m_pProject->FrameCount());
    const bool bApplied = RunApplyToFollowingDialog(
        *m_pProject,
        [this, nFrames](const SApplyToFollowing& initial) -> std::optional<SApplyToFollowing> {
            CApplyToFollowingDialog dialog(initial, nFrames, this);
            if (dialog.exec() != QDialog::Accepted) {
                return std::nullopt;
            }
            return dialog.Answer();
        },
        hooks);
    if (bApplied) {
        ShowFrame(ShownFrame());
    }
}

void CMainWindow::ApplyEditToThisFrameOnly() {
    const CFrameInfo* pFrame = ShownFrameRecord();
    if (pFrame == nullptr || !pFrame->m_pPicture) {
        return;
    }
    m_pProject->SetCurrentFrame(ShownFrame());
    const SFrameEditHooks hooks = EditHooks(m_pCompositor.get(), m_bModified);
    if (ApplyToThisFrameOnly(*m_pProject, hooks)) {
        ShowFrame(ShownFrame());
    }
}

void CMainWindow::SaveShownEffect() {
    const CFrameInfo* pFrame = ShownFrameRecord();
    if (pFrame != nullptr && pFrame->m_pBubbleAnimation) {
        SaveEffect(m_prompter, *pFrame->m_pBubbleAnimation, m_effectFolder);
    }
}

void CMainWindow::LoadShownEffect() {
    CFrameInfo* pFrame = ShownFrameRecord();
    if (pFrame == nullptr || !pFrame->HasTalkBubble()) {
        return;
    }
    CBubbleAnimation animation = pFrame->m_pBubbleAnimation.value_or(CBubbleAnimation{});
    if (!LoadEffect(m_prompter, animation, m_effectFolder)) {
        return;
    }
    // Without the effects dialog there is nothing else to switch the loaded effect on with.
    pFrame->m_pBubbleAnimation = animation;
    pFrame->m_bBubbleAnimation = 1;
    m_bModified = true;
    ShowFrame(ShownFrame());
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
    const SFrameEditHooks hooks = EditHooks(m_pCompositor.get(), m_bModified);
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
