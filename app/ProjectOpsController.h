// The main window's whole-project commands: "Com&bine Quillo movies..." of the File menu, the
// "F&rame" menu (a duplicate frame, removing deleted frames, the reach of an edited picture, and
// saving and loading talk-bubble effects) and importing a video chosen to open.
#pragma once

#include <QObject>
#include <string>

#include "project/ops/NewProject.h"

class CFrameInfo;
class CMainWindow;
class QAction;
class QMenu;
class QMenuBar;

class CProjectOpsController : public QObject {
    Q_OBJECT
public:
    explicit CProjectOpsController(CMainWindow& window);

    // Adds "Combine" to the File menu before `pBefore` and the "F&rame" menu to the menu bar.
    void BuildMenus(QMenuBar& menuBar, QMenu& fileMenu, QAction* pBefore);
    // The "De&leted Frames" menu, for the editor's entries beside "&Remove...".
    QMenu* DeletedMenu() const { return m_pDeletedMenu; }
    // Without the grabber plug-in the file is opened as a project.
    void ImportVideoFile(const std::string& fileName);

private:
    SNewProjectOptions NewProjectOptions() const;
    void InsertDuplicateFrame();
    void RemoveDeleted();
    void CombineMovies();
    void ApplyEditToFollowing();
    void ApplyEditToThisFrameOnly();
    void SaveShownEffect();
    void LoadShownEffect();

    CMainWindow& m_window;
    std::string m_effectFolder;
    QMenu* m_pDeletedMenu = nullptr;  // where the last effect file was saved or loaded
};
