// The editor's authoring commands on the open project: the talk-bubble text panel, moving and
// sizing overlays on the preview, the style window, hotspots, chapter headings, deleted frames,
// zoom regions, keyboard navigation between frames, the frame position display and the history
// of frame edits with its undo and redo. The main window draws frames; this controller changes
// frame records and tells it when to draw again.
#pragma once

#include <QObject>
#include <QPoint>
#include <QUndoStack>
#include <functional>
#include <memory>
#include <optional>

#include "editor/FrameNavigator.h"
#include "editor/OverlayDrag.h"
#include "editor/bubble/BubbleLayout.h"
#include "project/model/FrameInfo.h"

class CBubbleTextPanel;
class CFrameScrollBar;
class CMainWindow;
class CSpeechVoice;
class QAction;
class QImage;
class QKeyEvent;
class QLabel;
class QMenu;
class QMenuBar;
class QWidget;

class CEditorController : public QObject {
    Q_OBJECT
public:
    explicit CEditorController(CMainWindow& window);
    ~CEditorController() override;

    // The File menu's "&New", "Save &As..." and "&Close" around `pSave`, "&Hide" and the marking
    // of deleted frames in `deletedMenu`, and the editor's menus.
    void BuildMenus(QMenuBar& menuBar, QMenu& fileMenu, QAction* pSave, QMenu& deletedMenu);
    // The side panel with the talk-bubble text box.
    QWidget* BuildSidePanel(QWidget* pParent);
    // The frame position display, for the window's status bar.
    QLabel* PositionLabel() const { return m_pPosition; }
    // Mouse and keys of the preview come here.
    void WatchPreview(QWidget& preview);
    void SetScrollBar(CFrameScrollBar& bar) { m_pScrollBar = &bar; }

    // Draws the shown frame's overlays onto its composed picture and keeps the bubble's layout
    // for the mouse.
    void DrawOverlays(const CFrameInfo& frame, QImage& picture);
    // The shown frame changed: the text panel, the position display and the scroll bar's marks
    // follow it.
    void FrameShown();
    // A project was opened: a fresh history.
    void ProjectOpened();
    // Frame navigation keys (arrows, Page Up/Down, Home, End); false for other keys.
    bool HandleNavigationKey(QKeyEvent& event);

    QUndoStack& History() { return m_history; }
    CFrameNavigator& Navigator() { return m_navigator; }
    bool DeletedHidden() const { return m_bHideDeleted; }
    CBubbleTextPanel* TextPanel() const { return m_pText; }
    // The dialog of "&Style...", "Add/Edit &Chapter" or "Sp&eech..." while it is open.
    QWidget* OpenDialog() const { return m_pDialog; }

    // The commands.
    void ToggleDeleted();
    void ToggleHotspot();
    void EditChapter();
    void ShowStyle();
    void GoToChapter(bool bForward);
    void SetZoom(int nKind);
    void ShowZoomSettings();
    void ShowFont();
    void ShowSpeech();
    void ApplyTextFromPanel();

private:
    // Changes the shown frame's record through `change` as one step of the history.
    void Edit(const QString& what, const std::function<void(CFrameRecord&)>& change,
              int nMergeId = -1);
    // Puts an edit already made to `frame` (from `before`) into the history.
    void Record(const QString& what, CFrameInfo& frame, const CFrameRecord& before,
                int nMergeId = -1);
    void AfterEdit(CFrameInfo& frame);
    // A command that opens a panel brings the one already open to the front instead; true when
    // there was one.
    bool RaiseOpenDialog();
    void GoTo(int64_t nIndex, int nDirection);
    void BuildFrameMenu(QMenuBar& menuBar, QMenu& deletedMenu);
    void BuildHelpMenu(QMenuBar& menuBar);
    void SaveAs();
    bool eventFilter(QObject* pObject, QEvent* pEvent) override;
    bool MousePress(QWidget& preview, const QPoint& pos, bool bShift);
    void MouseMove(QWidget& preview, const QPoint& pos);
    void MouseRelease();
    QPoint ToPicture(QWidget& preview, const QPoint& pos) const;
    void UpdateMenus();

    CMainWindow& m_window;
    QUndoStack m_history;
    CFrameNavigator m_navigator;
    std::optional<CBubbleLayout> m_layout;
    bool m_bHideDeleted = false;
    bool m_bShowingText = false;
    // "&Hide Multiple Objects": only the overlay being edited is shown.
    bool m_bHideOthers = false;
    bool m_bEditingHotspot = false;

    // A drag on the preview.
    EDragPart m_dragPart = EDragPart::kNone;
    QPoint m_dragStart;
    CFrameRecord m_dragBefore;
    CFrameInfo* m_pDragFrame = nullptr;

    CBubbleTextPanel* m_pText = nullptr;
    CFrameScrollBar* m_pScrollBar = nullptr;
    QLabel* m_pPosition = nullptr;
    QWidget* m_pDialog = nullptr;
    QAction* m_pHotspotAction = nullptr;
    QAction* m_pChapterAction = nullptr;
    QAction* m_pDeleteAction = nullptr;
    QAction* m_pHideDeletedAction = nullptr;
    QList<QAction*> m_projectActions;
    std::unique_ptr<CSpeechVoice> m_pVoice;
};
