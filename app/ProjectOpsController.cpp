// The whole-project commands, and saving the project's settings as the custom defaults. The long
// commands disable the window while they run and show their progress through the prompter.
#include "app/ProjectOpsController.h"
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>

#include "app/ApplyToFollowingDialog.h"
#include "app/CombineDialog.h"
#include "app/EditorController.h"
#include "app/MainWindow.h"
#include "platform/Prompter.h"
#include "project/file/ProjectFile.h"
#include "project/model/DemoProject.h"
#include "project/ops/CombineProjects.h"
#include "project/ops/EffectFile.h"
#include "project/ops/FrameEdits.h"
#include "project/ops/RemoveDeletedFrames.h"
#include "project/ops/TimingData.h"
#include "project/ops/VideoImport.h"
#include "project/stream/FrameCompositor.h"
#include "settings/CustomDefaults.h"
#include "settings/SettingsFiles.h"
#include "video/VideoGrabber.h"

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
SFrameEditHooks EditHooks(CMainWindow& window) {
    SFrameEditHooks hooks;
    hooks.pCompositor = window.Compositor();
    hooks.markModified = [&window] { window.MarkModified(); };
    hooks.renumberHistory = [&window](int32_t nInserted) {
        window.Editor().Navigator().RenumberAfterInsert(nInserted);
    };
    return hooks;
}

}  // namespace

CProjectOpsController::CProjectOpsController(CMainWindow& window) : m_window(window) {}

void CProjectOpsController::BuildMenus(QMenuBar& menuBar, QMenu& fileMenu, QAction* pBefore) {
    QAction* pCombine = new QAction("Com&bine Quillo movies...", &fileMenu);
    fileMenu.insertAction(pBefore, pCombine);
    connect(pCombine, &QAction::triggered, this, &CProjectOpsController::CombineMovies);

    // The open project's settings become the defaults of every project opened or recorded
    // while "use_custom_defaults" is on.
    QAction* pDefaults = new QAction("Save Custom &Defaults...", &fileMenu);
    fileMenu.insertAction(pBefore, pDefaults);
    connect(pDefaults, &QAction::triggered, this, [this] {
        if (m_window.HasProject()) {
            SaveCustomDefaults(m_window.Prompter(), m_window.Settings().Folder(),
                               m_window.Project());
        }
    });
    connect(&fileMenu, &QMenu::aboutToShow, this,
            [this, pDefaults] { pDefaults->setEnabled(m_window.HasProject()); });

    QMenu* pFrameMenu = menuBar.addMenu("Frame");
    QAction* pDuplicate = pFrameMenu->addAction("Insert &Duplicate Frame");
    pDuplicate->setShortcut(QKeySequence("Alt+D"));
    connect(pDuplicate, &QAction::triggered, this, &CProjectOpsController::InsertDuplicateFrame);
    QMenu* pDeleted = pFrameMenu->addMenu("De&leted Frames");
    m_pDeletedMenu = pDeleted;
    QAction* pRemove = pDeleted->addAction("&Remove...");
    connect(pRemove, &QAction::triggered, this, &CProjectOpsController::RemoveDeleted);

    pFrameMenu->addSeparator();
    QMenu* pEdit = pFrameMenu->addMenu("Apply Edited &Picture to");
    QAction* pFollowing = pEdit->addAction("This and &following frames...");
    connect(pFollowing, &QAction::triggered, this, &CProjectOpsController::ApplyEditToFollowing);
    QAction* pOnly = pEdit->addAction("This frame &only");
    connect(pOnly, &QAction::triggered, this, &CProjectOpsController::ApplyEditToThisFrameOnly);

    QMenu* pEffects = pFrameMenu->addMenu("Animation Special &Effects");
    QAction* pSaveEffect = pEffects->addAction("Save Effect");
    connect(pSaveEffect, &QAction::triggered, this, &CProjectOpsController::SaveShownEffect);
    QAction* pLoadEffect = pEffects->addAction("Load Effect");
    connect(pLoadEffect, &QAction::triggered, this, &CProjectOpsController::LoadShownEffect);

    connect(
        pFrameMenu, &QMenu::aboutToShow, this,
        [this, pDuplicate, pRemove, pFollowing, pOnly, pSaveEffect, pLoadEffect] {
            const CFrameInfo* pFrame = m_window.ShownFrameRecord();
            const bool bPicture = pFrame != nullptr && pFrame->HasActivePicture();
            pDuplicate->setEnabled(m_window.HasProject());
            pRemove->setEnabled(m_window.HasProject());
            pFollowing->setEnabled(bPicture);
            pOnly->setEnabled(bPicture);
            pSaveEffect->setEnabled(pFrame != nullptr && pFrame->m_pBubbleAnimation.has_value());
            pLoadEffect->setEnabled(pFrame != nullptr && pFrame->HasTalkBubble());
        });
}

void CProjectOpsController::ApplyEditToFollowing() {
    if (m_window.ShownFrameRecord() == nullptr) {
        return;
    }
    m_window.Project().SetCurrentFrame(m_window.ShownFrame());
    const SFrameEditHooks hooks = EditHooks(m_window);
    const int32_t nFrames = static_cast<int32_t>(m_window.Project().FrameCount());
    const bool bApplied = RunApplyToFollowingDialog(
        m_window.Project(),
        [this, nFrames](const SApplyToFollowing& initial) -> std::optional<SApplyToFollowing> {
            CApplyToFollowingDialog dialog(initial, nFrames, &m_window);
            if (dialog.exec() != QDialog::Accepted) {
                return std::nullopt;
            }
            return dialog.Answer();
        },
        hooks);
    if (bApplied) {
        m_window.ShowFrame(m_window.ShownFrame());
    }
}

void CProjectOpsController::ApplyEditToThisFrameOnly() {
    const CFrameInfo* pFrame = m_window.ShownFrameRecord();
    if (pFrame == nullptr || !pFrame->m_pPicture) {
        return;
    }
    m_window.Project().SetCurrentFrame(m_window.ShownFrame());
    const SFrameEditHooks hooks = EditHooks(m_window);
    if (ApplyToThisFrameOnly(m_window.Project(), hooks)) {
        m_window.ShowFrame(m_window.ShownFrame());
    }
}

void CProjectOpsController::SaveShownEffect() {
    const CFrameInfo* pFrame = m_window.ShownFrameRecord();
    if (pFrame != nullptr && pFrame->m_pBubbleAnimation) {
        SaveEffect(m_window.Prompter(), *pFrame->m_pBubbleAnimation, m_effectFolder);
    }
}

void CProjectOpsController::LoadShownEffect() {
    CFrameInfo* pFrame = m_window.ShownFrameRecord();
    if (pFrame == nullptr || !pFrame->HasTalkBubble()) {
        return;
    }
    CBubbleAnimation animation = pFrame->m_pBubbleAnimation.value_or(CBubbleAnimation{});
    if (!LoadEffect(m_window.Prompter(), animation, m_effectFolder)) {
        return;
    }
    // Without the effects dialog there is nothing else to switch the loaded effect on with.
    pFrame->m_pBubbleAnimation = animation;
    pFrame->m_bBubbleAnimation = 1;
    m_window.MarkModified();
    m_window.ShowFrame(m_window.ShownFrame());
}

SNewProjectOptions CProjectOpsController::NewProjectOptions() const {
    const CSettingsFiles& settings = m_window.Settings();
    SNewProjectOptions options;
    options.tempDir = settings.m_settings.m_strTempDirectory;
    options.bZlibPixels = settings.m_state.m_bExtraCompression != 0;
    // The open project stays open: a new project may not take the place of its files.
    if (m_window.HasProject()) {
        options.inUse = StreamFileNames(m_window.Project());
    }
    if (settings.m_settings.m_bExportTimingData) {
        InstallTimingDataHooks(options.hooks);
    }
    return options;
}

void CProjectOpsController::InsertDuplicateFrame() {
    if (!m_window.HasProject()) {
        return;
    }
    m_window.Project().SetCurrentFrame(m_window.ShownFrame());
    const SFrameEditHooks hooks = EditHooks(m_window);
    if (InsertDuplicate(m_window.Project(), hooks) == nullptr) {
        return;
    }
    m_window.ReloadFrames();
}

void CProjectOpsController::RemoveDeleted() {
    if (!m_window.HasProject()) {
        return;
    }
    CBusyWindow busy(m_window);
    RemoveDeletedFrames(m_window.Project(), m_window.File().StreamSources(), m_window.Prompter(),
                        NewProjectOptions());
    m_window.ShowFrame(m_window.ShownFrame());
}

void CProjectOpsController::CombineMovies() {
    CCombineDialog dialog(m_window.Prompter(), &m_window);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    CBusyWindow busy(m_window);
    CombineProjects(dialog.Files(), dialog.EditingOnly(), m_window.Prompter(), NewProjectOptions());
}

void CProjectOpsController::ImportVideoFile(const std::string& fileName) {
    CVideoGrabber grabber;
    if (!grabber.LoadFromProgramFolder()) {
        m_window.OpenProject(fileName);
        return;
    }
    m_window.hide();
    const EVideoImport result =
        ImportVideo(fileName, grabber, m_window.Prompter(), NewProjectOptions());
    m_window.show();
    if (result == EVideoImport::Saved) {
        m_window.RestartWith({});
    }
}
