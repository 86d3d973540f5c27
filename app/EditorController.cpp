#include "app/EditorController.h"

#include <QAction>
#include <QApplication>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "app/FramePreview.h"
#include "app/MainWindow.h"
#include "app/RecordingController.h"
#include "editor/BubbleTextPanel.h"
#include "editor/FrameEditCommand.h"
#include "editor/FrameOverlays.h"
#include "editor/FrameScrollBar.h"
#include "editor/MouseEdits.h"
#include "editor/SpeechDialog.h"
#include "editor/StyleDialog.h"
#include "editor/ZoomDialog.h"
#include "platform/Prompter.h"
#include "project/file/ProjectFile.h"
#include "project/model/BubbleStyle.h"
#include "project/model/Chapter.h"
#include "project/model/DemoProject.h"
#include "project/model/FrameTiming.h"
#include "project/model/Hotspot.h"
#include "project/model/TalkBubble.h"
#include "sound/speech/PulseSpeechOutput.h"
#include "sound/speech/SpeechService.h"

namespace fs = std::filesystem;

namespace {

// Typing into one frame's text box is one step of the history.
constexpr int kTextMergeId = 1;
// Keys that move more than one frame.
constexpr int kPageFrames = 10;

enum EZoom { kZoomRegion, kZoomExportSize, kZoomOut, kZoomFollow };

const char* const kKeyReference =
    "<table>"
    "<tr><td>Left / Right</td><td>previous / next frame (preview focused)</td></tr>"
    "<tr><td>Page Up / Page Down</td><td>ten frames back / on</td></tr>"
    "<tr><td>Home / End</td><td>first / last frame</td></tr>"
    "<tr><td>Delete</td><td>mark the frame deleted, or not deleted again (preview "
    "focused)</td></tr>"
    "<tr><td>Ctrl+Shift+Left / Right</td><td>previous / next chapter</td></tr>"
    "<tr><td>Ctrl+Shift+Z / Ctrl+Shift+Y</td><td>undo / redo a frame edit</td></tr>"
    "<tr><td>Alt+S</td><td>style of the bubble, hotspot and frame effects</td></tr>"
    "<tr><td>Alt+H</td><td>add or remove the hotspot</td></tr>"
    "<tr><td>Alt+R</td><td>add or edit the chapter heading</td></tr>"
    "<tr><td>Alt+D</td><td>insert a duplicate frame</td></tr>"
    "<tr><td>Alt+Z</td><td>switch between the edited and the recorded picture</td></tr>"
    "<tr><td>Alt+X / Alt+Y / Alt+N / Alt+K</td><td>zoom to region / to export size / out / "
    "following the cursor</td></tr>"
    "<tr><td>Ctrl+Z, Ctrl+Y, Ctrl+X, Ctrl+C, Ctrl+V, Ctrl+A, Ctrl+W, Ctrl+F, Ctrl+E</td>"
    "<td>in the text box: undo, redo, cut, copy, paste, select all, wrap, font, speech</td></tr>"
    "<tr><td>Mouse on the preview</td><td>drag the bubble, its pointer tip, the hotspot or a "
    "hotspot corner; Shift+drag from the bubble gives it a pointer</td></tr>"
    "</table>";

}  // namespace

CEditorController::CEditorController(CMainWindow& window) : m_window(window) {
    m_history.setUndoLimit(0);
}

CEditorController::~CEditorController() = default;

void CEditorController::BuildMenus(QMenuBar& menuBar, QMenu& fileMenu, QAction* pSave,
                                   QMenu& deletedMenu) {
    const QList<QAction*> fileActions = fileMenu.actions();
    auto* pNew = new QAction("&New", &fileMenu);
    pNew->setShortcut(QKeySequence("Ctrl+N"));
    fileMenu.insertAction(fileActions.isEmpty() ? nullptr : fileActions.first(), pNew);
    connect(pNew, &QAction::triggered, this, [this] {
        if (m_window.HasProject()) {
            m_window.RestartWith({});
        }
    });
    const qsizetype nSave = fileActions.indexOf(pSave);
    QAction* pAfterSave =
        nSave >= 0 && nSave + 1 < fileActions.size() ? fileActions[nSave + 1] : nullptr;
    auto* pSaveAs = new QAction("Save &As...", &fileMenu);
    fileMenu.insertAction(pAfterSave, pSaveAs);
    connect(pSaveAs, &QAction::triggered, this, &CEditorController::SaveAs);
    auto* pClose = new QAction("&Close", &fileMenu);
    fileMenu.insertAction(pAfterSave, pClose);
    connect(pClose, &QAction::triggered, this, [this] {
        if (m_window.HasProject()) {
            m_window.RestartWith({});
        }
    });
    m_projectActions << pSaveAs << pClose;

    BuildFrameMenu(menuBar, deletedMenu);
    QMenu* pTextMenu = menuBar.addMenu("Text");
    if (m_pText != nullptr) {
        m_pText->FillMenu(*pTextMenu);
    }
    BuildHelpMenu(menuBar);
    UpdateMenus();
}

void CEditorController::BuildFrameMenu(QMenuBar& menuBar, QMenu& deletedMenu) {
    QMenu* pEdit = menuBar.addMenu("Ed&it");
    QAction* pUndo = m_history.createUndoAction(pEdit, "Undo Frame Edit");
    pUndo->setShortcut(QKeySequence("Ctrl+Shift+Z"));
    pEdit->addAction(pUndo);
    QAction* pRedo = m_history.createRedoAction(pEdit, "Redo Frame Edit");
    pRedo->setShortcut(QKeySequence("Ctrl+Shift+Y"));
    pEdit->addAction(pRedo);
    pEdit->addSeparator();

    auto add = [&](QMenu* pMenu, const QString& text, const QString& key, auto slot) {
        QAction* pAction = pMenu->addAction(text);
        if (!key.isEmpty()) {
            pAction->setShortcut(QKeySequence(key));
        }
        connect(pAction, &QAction::triggered, this, slot);
        m_projectActions << pAction;
        return pAction;
    };
    add(pEdit, "&Style...", "Alt+S", [this] { ShowStyle(); });
    m_pHotspotAction = add(pEdit, "Add &Hotspot", "Alt+H", [this] { ToggleHotspot(); });
    m_pChapterAction = add(pEdit, "Add &Chapter", "Alt+R", [this] { EditChapter(); });
    QMenu* pChapters = pEdit->addMenu("C&hapters");
    add(pChapters, "&Next", "Ctrl+Shift+Right", [this] { GoToChapter(true); });
    add(pChapters, "&Previous", "Ctrl+Shift+Left", [this] { GoToChapter(false); });
    pEdit->addSeparator();
    // The Delete key marks frames while the preview has the focus; in the text box it deletes
    // text.
    QAction* pFirstDeleted =
        deletedMenu.actions().isEmpty() ? nullptr : deletedMenu.actions().first();
    m_pDeleteAction = add(&deletedMenu, "&Mark Deleted\tDel", "", [this] { ToggleDeleted(); });
    deletedMenu.insertAction(pFirstDeleted, m_pDeleteAction);
    m_pDeleteAction->setCheckable(true);
    m_pHideDeletedAction = add(&deletedMenu, "&Hide", "", [this](bool bHide) {
        m_bHideDeleted = bHide;
        if (m_window.HasProject()) {
            GoTo(m_window.ShownFrame(), 1);
        }
    });
    m_pHideDeletedAction->setCheckable(true);
    deletedMenu.insertAction(pFirstDeleted, m_pHideDeletedAction);
    deletedMenu.insertSeparator(pFirstDeleted);
    QAction* pHideOthers = add(pEdit, "&Hide Multiple Objects", "Alt+M", [this](bool bHide) {
        m_bHideOthers = bHide;
        m_window.RedrawOverlays();
    });
    pHideOthers->setCheckable(true);
    add(pEdit, "&Undo Edit", "Alt+Z", [this] {
        const CFrameInfo* pFrame = m_window.ShownFrameRecord();
        if (pFrame != nullptr && pFrame->m_pPicture) {
            Edit("Undo Edit",
                 [](CFrameRecord& r) { r.m_bPictureUndone = r.m_bPictureUndone ? 0 : 1; });
        }
    });

    QMenu* pMouse = menuBar.addMenu("Mouse");
    for (auto [text, command] :
         {std::pair{"&None", EMouseCommand::kNone},
          std::pair{"&Down Click", EMouseCommand::kDownClick},
          std::pair{"&Up Click", EMouseCommand::kUpClick}, std::pair{"&Hide", EMouseCommand::kHide},
          std::pair{"&Restore", EMouseCommand::kRestore}}) {
        if (command == EMouseCommand::kHide) {
            pMouse->addSeparator();
        }
        add(pMouse, text, "", [this, command] {
            const CFrameInfo* pFrame = m_window.ShownFrameRecord();
            if (pFrame == nullptr) {
                return;
            }
            CFrameRecord trial = *pFrame;
            // Only a real change is an edit.
            if (ApplyMouseCommand(trial, command)) {
                Edit("Mouse", [command](CFrameRecord& r) { ApplyMouseCommand(r, command); });
            }
        });
    }

    QMenu* pZoom = menuBar.addMenu("Zoom");
    add(pZoom, "&Zoom to Region", "Alt+X", [this] { SetZoom(kZoomRegion); });
    add(pZoom, "Zoom to &Export Size", "Alt+Y", [this] { SetZoom(kZoomExportSize); });
    add(pZoom, "Zoom &Out", "Alt+N", [this] { SetZoom(kZoomOut); });
    add(pZoom, "Zoom &Settings...", "", [this] { ShowZoomSettings(); });
    add(pZoom, "Vantazoom (tm)", "Alt+K", [this] { SetZoom(kZoomFollow); });
}

void CEditorController::BuildHelpMenu(QMenuBar& menuBar) {
    QMenu* pHelp = menuBar.addMenu("He&lp");
    connect(pHelp->addAction("&Keys..."), &QAction::triggered, this, [this] {
        QMessageBox box(QMessageBox::NoIcon, "Quillo Keys", kKeyReference, QMessageBox::Ok,
                        &m_window);
        box.setTextFormat(Qt::RichText);
        box.exec();
    });
    connect(pHelp->addAction("&About"), &QAction::triggered, this, [this] {
        QMessageBox::about(
            &m_window, "About Quillo",
            QString("<b>Quillo %1</b><br>An authoring tool for software demonstrations.<br><br>"
                    "Built with: Qt %2 (LGPL 3), zlib (zlib licence), libjpeg-turbo (IJG and "
                    "BSD licences), libzip (BSD licence), FFmpeg (LGPL 2.1), PulseAudio client "
                    "library (LGPL 2.1), espeak-ng (GPL 3), LAME (LGPL 2), libcurl (curl "
                    "licence), Hunspell (MPL 1.1 / GPL 2 / LGPL 2.1), libunwind (MIT licence), "
                    "xcb (MIT licence), fontconfig (MIT licence).")
                .arg(QUILLO_VERSION_TEXT)
                .arg(qVersion()));
    });
}

QWidget* CEditorController::BuildSidePanel(QWidget* pParent) {
    auto* pPanel = new QWidget(pParent);
    auto* pLayout = new QVBoxLayout(pPanel);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->addWidget(new QLabel("Talk bubble text:", pPanel));
    m_pText = new CBubbleTextPanel(pPanel);
    pLayout->addWidget(m_pText, 1);
    connect(m_pText, &CBubbleTextPanel::TextEdited, this, &CEditorController::ApplyTextFromPanel);
    connect(m_pText, &CBubbleTextPanel::WrapChanged, this, [this](bool bWrap) {
        Edit("Wrap Text", [bWrap](CFrameRecord& r) { r.m_bNoWrap = bWrap ? 0 : 1; });
    });
    connect(m_pText, &CBubbleTextPanel::AlignChanged, this, [this](int nAlign) {
        Edit("Alignment",
             [nAlign](CFrameRecord& r) { r.m_nTextAlign = static_cast<uint8_t>(nAlign); });
    });
    connect(m_pText, &CBubbleTextPanel::FontRequested, this, &CEditorController::ShowFont);
    connect(m_pText, &CBubbleTextPanel::SpeechRequested, this, &CEditorController::ShowSpeech);
    m_pPosition = new QLabel(pParent);
    m_pPosition->setObjectName("framePosition");
    pPanel->setMinimumWidth(180);
    return pPanel;
}

void CEditorController::WatchPreview(QWidget& preview) {
    preview.setFocusPolicy(Qt::StrongFocus);
    preview.setMouseTracking(false);
    preview.installEventFilter(this);
}

void CEditorController::ProjectOpened() {
    m_history.clear();
    m_navigator = {};
    m_layout.reset();
    UpdateMenus();
}

void CEditorController::DrawOverlays(const CFrameInfo& frame, QImage& picture) {
    SOverlayChoice choice;
    if (m_bHideOthers) {
        choice.bHotspot = m_bEditingHotspot;
        choice.bBubble = !m_bEditingHotspot;
    }
    m_layout = DrawFrameOverlays(m_window.Project(), frame, picture, choice);
}

void CEditorController::FrameShown() {
    const CFrameInfo* pFrame = m_window.ShownFrameRecord();
    if (pFrame == nullptr) {
        return;
    }
    if (m_pText != nullptr && !m_bShowingText) {
        m_pText->ShowText(pFrame->HasTalkBubble() ? pFrame->m_pText.value_or(u"") : u"",
                          pFrame->m_bNoWrap == 0, pFrame->m_nTextAlign);
    }
    if (m_pPosition != nullptr) {
        UpdateStartTimes(m_window.Project());
        m_pPosition->setText(QString::fromStdString(FramePositionText(
            static_cast<int32_t>(m_window.ShownFrame()) + 1, pFrame->m_nStartTime)));
    }
    if (m_pScrollBar != nullptr) {
        std::vector<uint32_t> deleted;
        uint32_t nIndex = 0;
        for (const CFrameInfo* p = m_window.Project().FirstFrame(); p != nullptr;
             p = p->m_pNext, ++nIndex) {
            if (p->m_bDeleted) {
                deleted.push_back(nIndex);
            }
        }
        m_pScrollBar->SetDeletedFrames(std::move(deleted), m_window.Project().FrameCount());
    }
    UpdateMenus();
}

void CEditorController::UpdateMenus() {
    const CFrameInfo* pFrame = m_window.ShownFrameRecord();
    for (QAction* pAction : m_projectActions) {
        pAction->setEnabled(pFrame != nullptr);
    }
    if (m_pHotspotAction != nullptr) {
        m_pHotspotAction->setText(pFrame != nullptr && pFrame->HasHotspot() ? "Remove &Hotspot"
                                                                            : "Add &Hotspot");
    }
    if (m_pChapterAction != nullptr) {
        m_pChapterAction->setText(pFrame != nullptr && pFrame->HasChapter() ? "Edit &Chapter"
                                                                            : "Add &Chapter");
    }
    if (m_pDeleteAction != nullptr) {
        m_pDeleteAction->setChecked(pFrame != nullptr && pFrame->m_bDeleted != 0);
    }
}

void CEditorController::Edit(const QString& what, const std::function<void(CFrameRecord&)>& change,
                             int nMergeId) {
    CFrameInfo* pFrame = m_window.ShownFrameRecord();
    if (pFrame == nullptr || m_window.Recording().Recorder().Running()) {
        return;
    }
    const CFrameRecord before = *pFrame;
    change(*pFrame);
    Record(what, *pFrame, before, nMergeId);
}

void CEditorController::Record(const QString& what, CFrameInfo& frame, const CFrameRecord& before,
                               int nMergeId) {
    m_history.push(new CFrameEditCommand(
        what, frame, before, [this](CFrameInfo& changed) { AfterEdit(changed); }, nMergeId));
    AfterEdit(frame);
}

void CEditorController::AfterEdit(CFrameInfo& frame) {
    const int64_t nIndex = m_window.Project().IndexOf(&frame);
    if (nIndex < 0) {
        return;
    }
    m_navigator.RecordEdit(static_cast<int32_t>(nIndex) + 1,
                           frame.HasTalkBubble() ? frame.m_pText.value_or(u"") : u"");
    m_window.MarkModified();
    m_window.ShowFrame(static_cast<uint32_t>(nIndex));
}

void CEditorController::ApplyTextFromPanel() {
    if (m_pText == nullptr || m_window.ShownFrameRecord() == nullptr) {
        return;
    }
    m_bEditingHotspot = false;
    const std::u16string text = m_pText->Text();
    const std::vector<std::u16string> lines = m_pText->Lines();
    const CDemoProject& project = m_window.Project();
    m_bShowingText = true;
    Edit(
        "Text",
        [&](CFrameRecord& r) {
            if (text.empty()) {
                r.m_pText.reset();
                r.m_pFormat.reset();
                return;
            }
            const bool bFirst = !r.HasTalkBubble();
            r.m_pText = text;
            r.m_pFormat = EncodeBubbleLines(lines);
            r.m_bCountedLines = 1;
            if (bFirst) {
                ApplyFirstText(r, project);
            }
        },
        kTextMergeId);
    m_bShowingText = false;
}

void CEditorController::ToggleDeleted() {
    Edit("Mark Deleted", [](CFrameRecord& r) { r.m_bDeleted = r.m_bDeleted ? 0 : 1; });
    if (m_bHideDeleted && m_window.ShownFrameRecord() != nullptr &&
        m_window.ShownFrameRecord()->m_bDeleted) {
        GoTo(m_window.ShownFrame(), 1);
    }
}

void CEditorController::ToggleHotspot() {
    const CDemoProject& project = m_window.Project();
    m_bEditingHotspot = true;
    Edit("Hotspot", [&project](CFrameRecord& r) {
        if (r.HasHotspot()) {
            r.m_bHotspot = 0;
            return;
        }
        CHotspot::SwitchOn(r, project);
        SRect& rc = r.m_rcHotspot;
        if (rc.right - rc.left < 4 || rc.bottom - rc.top < 4) {
            // No default rectangle yet: a quarter of the picture in its middle.
            rc = {project.m_nWidth * 3 / 8, project.m_nHeight * 3 / 8, project.m_nWidth * 5 / 8,
                  project.m_nHeight * 5 / 8};
        }
    });
}

bool CEditorController::RaiseOpenDialog() {
    if (m_pDialog == nullptr) {
        return false;
    }
    m_pDialog->raise();
    m_pDialog->activateWindow();
    return true;
}

void CEditorController::EditChapter() {
    const CFrameInfo* pFrame = m_window.ShownFrameRecord();
    if (pFrame == nullptr) {
        return;
    }
    if (RaiseOpenDialog()) {
        return;
    }
    auto* pDialog = new QInputDialog(&m_window);
    pDialog->setAttribute(Qt::WA_DeleteOnClose);
    pDialog->setObjectName("chapterDialog");
    pDialog->setWindowTitle("Chapter Heading");
    pDialog->setLabelText("Chapter heading (empty removes it):");
    pDialog->setTextValue(pFrame->HasChapter() ? QString::fromStdU16String(*pFrame->m_pChapter)
                                               : QString());
    m_pDialog = pDialog;
    connect(pDialog, &QDialog::finished, this, [this, pDialog](int nResult) {
        m_pDialog = nullptr;
        if (nResult != QDialog::Accepted) {
            return;
        }
        const QString title = pDialog->textValue().trimmed();
        Edit("Chapter", [&title](CFrameRecord& r) {
            CChapter::Set(r,
                          title.isEmpty() ? std::nullopt : std::optional(title.toStdU16String()));
        });
    });
    pDialog->open();
}

void CEditorController::ShowStyle() {
    CFrameInfo* pFrame = m_window.ShownFrameRecord();
    if (pFrame == nullptr) {
        return;
    }
    if (RaiseOpenDialog()) {
        return;
    }
    auto* pDialog = new CStyleDialog(m_window.Project(), *pFrame,
                                     static_cast<int>(m_window.Project().FrameCount()), &m_window);
    pDialog->setAttribute(Qt::WA_DeleteOnClose);
    pDialog->setObjectName("styleDialog");
    m_pDialog = pDialog;
    connect(pDialog, &QDialog::finished, this, [this, pDialog, pFrame](int nResult) {
        m_pDialog = nullptr;
        if (nResult != QDialog::Accepted || m_window.Project().IndexOf(pFrame) < 0) {
            return;
        }
        CDemoProject& project = m_window.Project();
        const CFrameRecord before = *pFrame;
        const CFrameRecord result = pDialog->Result();
        static_cast<CFrameRecord&>(*pFrame) = result;
        // The last choices become the project's defaults for the next bubble and hotspot.
        if (result.HasTalkBubble()) {
            project.m_nDefaultBubbleStyle = result.m_nBubbleStyle;
            if (result.m_pFont && result.m_pFont != before.m_pFont) {
                project.m_CurrentFont = *result.m_pFont;
            }
            if (result.m_crText != before.m_crText) {
                SetBubbleTextColor(*pFrame, project, result.m_crText);
            }
            if (result.m_crBubble != before.m_crBubble) {
                SetBubbleColor(*pFrame, project, result.m_crBubble);
            }
            if (result.m_crShadow != before.m_crShadow) {
                SetBubbleShadowColor(*pFrame, project, result.m_crShadow);
            }
        }
        if (result.HasHotspot()) {
            const bool bLevel = CHotspot(result).UsesLevel();
            const int nSlider = bLevel ? result.m_nHotspotLevel : result.m_nHotspotThickness;
            const int nBefore = bLevel ? before.m_nHotspotLevel : before.m_nHotspotThickness;
            if (nSlider != nBefore) {
                CHotspot::SetSliderValue(*pFrame, project, nSlider);
            }
            project.m_nDefaultHotspotStyle = result.m_nHotspotStyle;
            project.m_crDefaultHotspot = result.m_crHotspot;
        }
        Record("Style", *pFrame, before);
    });
    pDialog->open();
}

void CEditorController::ShowFont() {
    const CFrameInfo* pFrame = m_window.ShownFrameRecord();
    if (pFrame == nullptr || !pFrame->HasTalkBubble()) {
        return;
    }
    const CLogFont current = pFrame->m_pFont.value_or(m_window.Project().m_CurrentFont);
    auto* pDialog = new QFontDialog(FontFromLog(current), &m_window);
    pDialog->setAttribute(Qt::WA_DeleteOnClose);
    pDialog->setWindowTitle("Font");
    connect(pDialog, &QFontDialog::fontSelected, this, [this, current](const QFont& font) {
        const CLogFont chosen = LogFromFont(font, current);
        m_window.Project().m_CurrentFont = chosen;
        Edit("Font", [&chosen](CFrameRecord& r) { r.m_pFont = chosen; });
    });
    pDialog->open();
}

void CEditorController::ShowSpeech() {
    const CFrameInfo* pFrame = m_window.ShownFrameRecord();
    if (pFrame == nullptr || !pFrame->HasTalkBubble() || m_pDialog != nullptr) {
        return;
    }
    auto speak = [this](const std::u16string& text) -> std::string {
        if (!m_pVoice) {
            m_pVoice = std::make_unique<CSpeechVoice>(std::make_unique<CPulseSpeechOutput>());
        }
        const SSpeechText spoken =
            text.empty() ? SpeechTextOf(*m_window.ShownFrameRecord()) : SpeechTextFrom(text, true);
        switch (m_pVoice->Speak(spoken)) {
            case ESpeechResult::kOk:
                return {};
            case ESpeechResult::kUnavailable:
                return "The speech engine is not available.";
            case ESpeechResult::kFailed:
                break;
        }
        return "The text could not be spoken.";
    };
    auto* pDialog =
        new CSpeechDialog(pFrame->m_pSpeech.value_or(u""), pFrame->m_bSpeak != 0, speak, &m_window);
    pDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_pDialog = pDialog;
    connect(pDialog, &QDialog::finished, this, [this, pDialog](int nResult) {
        m_pDialog = nullptr;
        if (m_pVoice) {
            m_pVoice->Cancel();
        }
        if (nResult != QDialog::Accepted) {
            return;
        }
        const std::u16string speech = pDialog->Speech();
        const bool bSpeak = pDialog->SpeakSet();
        Edit("Speech", [&](CFrameRecord& r) {
            r.m_pSpeech = speech.empty() ? std::nullopt : std::optional(speech);
            r.m_bSpeak = bSpeak ? 1 : 0;
        });
    });
    pDialog->open();
}

void CEditorController::SetZoom(int nKind) {
    const CDemoProject& project = m_window.Project();
    const int32_t nWidth = project.m_nWidth;
    const int32_t nHeight = project.m_nHeight;
    // The size the movie is exported at: the preview size of the settings, else two thirds of
    // the recording.
    const int32_t nExportWidth = project.m_Settings.m_nPreviewWidth > 0
                                     ? std::min<int32_t>(project.m_Settings.m_nPreviewWidth, nWidth)
                                     : nWidth * 2 / 3;
    const int32_t nExportHeight =
        project.m_Settings.m_nPreviewHeight > 0
            ? std::min<int32_t>(project.m_Settings.m_nPreviewHeight, nHeight)
            : nHeight * 2 / 3;
    Edit("Zoom", [&](CFrameRecord& r) {
        switch (nKind) {
            case kZoomOut:
                r.m_bZoom = 0;
                return;
            case kZoomRegion:
                if (r.m_rcZoom.right - r.m_rcZoom.left < 8 ||
                    r.m_rcZoom.bottom - r.m_rcZoom.top < 8) {
                    r.m_rcZoom = project.m_rcDefaultZoom;
                }
                if (r.m_rcZoom.right - r.m_rcZoom.left < 8 ||
                    r.m_rcZoom.bottom - r.m_rcZoom.top < 8) {
                    r.m_rcZoom = {nWidth / 4, nHeight / 4, nWidth * 3 / 4, nHeight * 3 / 4};
                }
                r.m_bZoomFollowMouse = 0;
                break;
            case kZoomExportSize: {
                const int32_t x = (nWidth - nExportWidth) / 2;
                const int32_t y = (nHeight - nExportHeight) / 2;
                r.m_rcZoom = {x, y, x + nExportWidth, y + nExportHeight};
                r.m_bZoomFollowMouse = 0;
                break;
            }
            case kZoomFollow: {
                // The cursor sits at one third of the region's width and height.
                const int32_t cx = r.m_nCursorX == -99999 ? nWidth / 2 : r.m_nCursorX;
                const int32_t cy = r.m_nCursorY == -99999 ? nHeight / 2 : r.m_nCursorY;
                const int32_t x = std::clamp(cx - nExportWidth / 3, 0, nWidth - nExportWidth);
                const int32_t y = std::clamp(cy - nExportHeight / 3, 0, nHeight - nExportHeight);
                r.m_rcZoom = {x, y, x + nExportWidth, y + nExportHeight};
                r.m_bZoomFollowMouse = 1;
                break;
            }
            default:
                return;
        }
        r.m_bZoom = 1;
    });
}

void CEditorController::ShowZoomSettings() {
    const CFrameInfo* pFrame = m_window.ShownFrameRecord();
    if (pFrame == nullptr) {
        return;
    }
    if (RaiseOpenDialog()) {
        return;
    }
    auto* pDialog = new CZoomDialog(*pFrame, m_window.Project().m_nWidth,
                                    m_window.Project().m_nHeight, &m_window);
    pDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_pDialog = pDialog;
    connect(pDialog, &QDialog::finished, this, [this, pDialog](int nResult) {
        m_pDialog = nullptr;
        if (nResult == QDialog::Accepted) {
            Edit("Zoom", [pDialog](CFrameRecord& r) { pDialog->Apply(r); });
        }
    });
    pDialog->open();
}

void CEditorController::GoToChapter(bool bForward) {
    const CDemoProject& project = m_window.Project();
    const CFrameInfo* pFrame = m_window.ShownFrameRecord();
    if (pFrame == nullptr) {
        return;
    }
    const CFrameInfo* p = bForward ? pFrame->m_pNext : pFrame->m_pPrev;
    while (p != nullptr && (!p->HasChapter() || (m_bHideDeleted && p->m_bDeleted))) {
        p = bForward ? p->m_pNext : p->m_pPrev;
    }
    if (p == nullptr) {
        QApplication::beep();
        return;
    }
    m_window.ShowFrame(static_cast<uint32_t>(project.IndexOf(p)));
}

void CEditorController::GoTo(int64_t nIndex, int nDirection) {
    const CDemoProject& project = m_window.Project();
    const int64_t nCount = project.FrameCount();
    if (nCount == 0) {
        return;
    }
    nIndex = std::clamp<int64_t>(nIndex, 0, nCount - 1);
    if (m_bHideDeleted) {
        // The nearest frame that is shown, in the direction of travel first.
        auto shown = [&](int64_t i) {
            return !project.FrameAt(static_cast<uint32_t>(i))->m_bDeleted;
        };
        int64_t i = nIndex;
        while (i >= 0 && i < nCount && !shown(i)) {
            i += nDirection;
        }
        if (i < 0 || i >= nCount) {
            i = nIndex;
            while (i >= 0 && i < nCount && !shown(i)) {
                i -= nDirection;
            }
        }
        if (i < 0 || i >= nCount) {
            return;
        }
        nIndex = i;
    }
    m_window.ShowFrame(static_cast<uint32_t>(nIndex));
}

bool CEditorController::HandleNavigationKey(QKeyEvent& event) {
    if (!m_window.HasProject() ||
        event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)) {
        return false;
    }
    const int64_t n = m_window.ShownFrame();
    const int64_t nLast = static_cast<int64_t>(m_window.Project().FrameCount()) - 1;
    switch (event.key()) {
        case Qt::Key_Left:
            GoTo(n - 1, -1);
            return true;
        case Qt::Key_Right:
            GoTo(n + 1, 1);
            return true;
        case Qt::Key_PageUp:
            GoTo(n - kPageFrames, -1);
            return true;
        case Qt::Key_PageDown:
            GoTo(n + kPageFrames, 1);
            return true;
        case Qt::Key_Home:
            GoTo(0, 1);
            return true;
        case Qt::Key_End:
            GoTo(nLast, -1);
            return true;
        default:
            return false;
    }
}

void CEditorController::SaveAs() {
    if (!m_window.HasProject()) {
        return;
    }
    const std::string current = m_window.Project().m_pszFileName;
    auto name = m_window.Prompter().AskSaveName(
        {"Save Quillo movie as...", current, "Quillo file (*.lumo)"});
    if (!name) {
        return;
    }
    std::string target = *name;
    if (fs::path(target).extension().empty()) {
        target += ".lumo";
    }
    if (m_window.File().SaveAs(target)) {
        m_window.SavedAs();
    }
}

QPoint CEditorController::ToPicture(QWidget& preview, const QPoint& pos) const {
    const auto& view = static_cast<CFramePreview&>(preview);
    const QRect r = view.PictureRect();
    const QSize size = view.Picture().size();
    if (r.isEmpty() || size.isEmpty()) {
        return {};
    }
    return {static_cast<int>(static_cast<int64_t>(pos.x() - r.x()) * size.width() / r.width()),
            static_cast<int>(static_cast<int64_t>(pos.y() - r.y()) * size.height() / r.height())};
}

bool CEditorController::MousePress(QWidget& preview, const QPoint& pos, bool bShift) {
    CFrameInfo* pFrame = m_window.ShownFrameRecord();
    if (pFrame == nullptr || m_window.Playing()) {
        return false;
    }
    const auto& view = static_cast<CFramePreview&>(preview);
    const QRect r = view.PictureRect();
    // Handles are six screen pixels wide whatever the scale.
    const int32_t nTolerance =
        r.width() > 0 ? std::max(2, 6 * view.Picture().width() / r.width()) : 6;
    const QPoint at = ToPicture(preview, pos);
    m_dragPart = HitTestOverlays(*pFrame, m_layout, at.x(), at.y(), nTolerance, bShift);
    if (m_dragPart == EDragPart::kNone) {
        return false;
    }
    m_dragStart = at;
    m_bEditingHotspot = m_dragPart != EDragPart::kBubble && m_dragPart != EDragPart::kPointerTip &&
                        m_dragPart != EDragPart::kNewPointer;
    m_dragBefore = *pFrame;
    m_pDragFrame = pFrame;
    return true;
}

void CEditorController::MouseMove(QWidget& preview, const QPoint& pos) {
    if (m_dragPart == EDragPart::kNone || m_pDragFrame != m_window.ShownFrameRecord()) {
        return;
    }
    const QPoint at = ToPicture(preview, pos);
    static_cast<CFrameRecord&>(*m_pDragFrame) =
        DragOverlay(m_dragBefore, m_dragPart, m_dragStart.x(), m_dragStart.y(),
                    at.x() - m_dragStart.x(), at.y() - m_dragStart.y());
    m_window.RedrawOverlays();
}

void CEditorController::MouseRelease() {
    if (m_dragPart == EDragPart::kNone || m_pDragFrame == nullptr) {
        return;
    }
    const bool bMoved = m_pDragFrame->m_nBubbleX != m_dragBefore.m_nBubbleX ||
                        m_pDragFrame->m_nBubbleY != m_dragBefore.m_nBubbleY ||
                        m_pDragFrame->m_nPointerX != m_dragBefore.m_nPointerX ||
                        m_pDragFrame->m_nPointerY != m_dragBefore.m_nPointerY ||
                        !(m_pDragFrame->m_rcHotspot == m_dragBefore.m_rcHotspot);
    const EDragPart part = m_dragPart;
    m_dragPart = EDragPart::kNone;
    if (bMoved) {
        const bool bBubble = part == EDragPart::kBubble || part == EDragPart::kPointerTip ||
                             part == EDragPart::kNewPointer;
        Record(bBubble ? "Move Talk Bubble" : "Move Hotspot", *m_pDragFrame, m_dragBefore);
    }
    m_pDragFrame = nullptr;
}

bool CEditorController::eventFilter(QObject* pObject, QEvent* pEvent) {
    auto* pPreview = qobject_cast<QWidget*>(pObject);
    if (pPreview == nullptr) {
        return false;
    }
    switch (pEvent->type()) {
        case QEvent::MouseButtonPress: {
            auto* pMouse = static_cast<QMouseEvent*>(pEvent);
            pPreview->setFocus(Qt::MouseFocusReason);
            if (pMouse->button() == Qt::LeftButton) {
                return MousePress(*pPreview, pMouse->position().toPoint(),
                                  pMouse->modifiers() & Qt::ShiftModifier);
            }
            return false;
        }
        case QEvent::MouseMove:
            if (m_dragPart != EDragPart::kNone) {
                MouseMove(*pPreview, static_cast<QMouseEvent*>(pEvent)->position().toPoint());
                return true;
            }
            return false;
        case QEvent::MouseButtonRelease:
            if (m_dragPart != EDragPart::kNone) {
                MouseMove(*pPreview, static_cast<QMouseEvent*>(pEvent)->position().toPoint());
                MouseRelease();
                return true;
            }
            return false;
        case QEvent::KeyPress: {
            auto* pKey = static_cast<QKeyEvent*>(pEvent);
            if (pKey->key() == Qt::Key_Delete && pKey->modifiers() == Qt::NoModifier) {
                ToggleDeleted();
                return true;
            }
            return HandleNavigationKey(*pKey);
        }
        default:
            return false;
    }
}
