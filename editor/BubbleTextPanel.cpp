#include "editor/BubbleTextPanel.h"

#include <QContextMenuEvent>
#include <QMenu>

#include "project/model/FrameInfo.h"

CBubbleTextPanel::CBubbleTextPanel(QWidget* pParent) : QPlainTextEdit(pParent) {
    setObjectName("bubbleText");
    setPlaceholderText("Type the talk bubble's text for this frame here.");
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_bShowing) {
            emit TextEdited();
        }
    });
}

void CBubbleTextPanel::ShowText(const std::u16string& text, bool bWrap, int nAlign) {
    m_bShowing = true;
    QString shown = QString::fromStdU16String(text);
    shown.replace("\r\n", "\n");
    shown.replace('\r', '\n');
    if (shown != toPlainText()) {
        // Undo in the box belongs to the text it shows.
        setPlainText(shown);
    }
    setLineWrapMode(bWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    if (m_pWrap != nullptr) {
        m_pWrap->setChecked(bWrap);
    }
    QTextOption option = document()->defaultTextOption();
    option.setAlignment(nAlign == kAlignLeft    ? Qt::AlignLeft
                        : nAlign == kAlignRight ? Qt::AlignRight
                                                : Qt::AlignHCenter);
    document()->setDefaultTextOption(option);
    m_bShowing = false;
}

std::u16string CBubbleTextPanel::Text() const {
    QString text = toPlainText();
    text.replace('\n', "\r\n");
    return text.toStdU16String();
}

std::vector<std::u16string> CBubbleTextPanel::Lines() const {
    std::vector<std::u16string> lines;
    for (const QString& line : toPlainText().split('\n')) {
        lines.push_back(line.toStdU16String());
    }
    return lines;
}

QAction* CBubbleTextPanel::AddAction(QMenu& menu, const QString& text, const QKeySequence& key) {
    QAction* pAction = menu.addAction(text);
    if (!key.isEmpty()) {
        pAction->setShortcut(key);
        // These keys are the text box's only while it has the focus.
        pAction->setShortcutContext(Qt::WidgetShortcut);
        addAction(pAction);
    }
    m_actions.push_back(pAction);
    return pAction;
}

void CBubbleTextPanel::FillMenu(QMenu& menu) {
    connect(AddAction(menu, "&Undo", QKeySequence("Ctrl+Z")), &QAction::triggered, this,
            &QPlainTextEdit::undo);
    connect(AddAction(menu, "&Redo", QKeySequence("Ctrl+Y")), &QAction::triggered, this,
            &QPlainTextEdit::redo);
    menu.addSeparator();
    connect(AddAction(menu, "Cu&t", QKeySequence("Ctrl+X")), &QAction::triggered, this,
            &QPlainTextEdit::cut);
    connect(AddAction(menu, "&Copy", QKeySequence("Ctrl+C")), &QAction::triggered, this,
            &QPlainTextEdit::copy);
    connect(AddAction(menu, "&Paste", QKeySequence("Ctrl+V")), &QAction::triggered, this,
            &QPlainTextEdit::paste);
    connect(AddAction(menu, "&Delete", QKeySequence(Qt::Key_Delete)), &QAction::triggered, this,
            [this] { textCursor().removeSelectedText(); });
    connect(AddAction(menu, "Select &All", QKeySequence("Ctrl+A")), &QAction::triggered, this,
            &QPlainTextEdit::selectAll);
    menu.addSeparator();
    m_pWrap = AddAction(menu, "&Wrap Text", QKeySequence("Ctrl+W"));
    m_pWrap->setCheckable(true);
    m_pWrap->setChecked(lineWrapMode() != QPlainTextEdit::NoWrap);
    connect(m_pWrap, &QAction::triggered, this, [this](bool bWrap) { emit WrapChanged(bWrap); });
    connect(AddAction(menu, "&Left", {}), &QAction::triggered, this,
            [this] { emit AlignChanged(kAlignLeft); });
    connect(AddAction(menu, "&Centered", {}), &QAction::triggered, this,
            [this] { emit AlignChanged(kAlignCentre); });
    connect(AddAction(menu, "&Right", {}), &QAction::triggered, this,
            [this] { emit AlignChanged(kAlignRight); });
    menu.addSeparator();
    connect(AddAction(menu, "&Font...", QKeySequence("Ctrl+F")), &QAction::triggered, this,
            &CBubbleTextPanel::FontRequested);
    connect(AddAction(menu, "Sp&eech...", QKeySequence("Ctrl+E")), &QAction::triggered, this,
            &CBubbleTextPanel::SpeechRequested);
}

void CBubbleTextPanel::contextMenuEvent(QContextMenuEvent* pEvent) {
    QMenu menu(this);
    menu.addActions(m_actions);
    menu.exec(pEvent->globalPos());
}
