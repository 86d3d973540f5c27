// The side panel's text box for the current frame's talk bubble. Typing into it gives the frame
// its bubble (and an empty box takes the bubble away); its menu holds the text commands.
#pragma once

#include <QPlainTextEdit>
#include <string>

class QMenu;

class CBubbleTextPanel : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CBubbleTextPanel(QWidget* pParent = nullptr);

    // Shows a frame's text without reporting it as typed.
    void ShowText(const std::u16string& text, bool bWrap, int nAlign);
    // The text as typed, lines ending in CR LF.
    std::u16string Text() const;
    // The lines as the box shows them: one per paragraph.
    std::vector<std::u16string> Lines() const;

    // Fills `menu` with the text commands; the keys act while the box has the focus.
    void FillMenu(QMenu& menu);
    QAction* WrapAction() const { return m_pWrap; }

signals:
    // The user changed the text.
    void TextEdited();
    void WrapChanged(bool bWrap);
    void AlignChanged(int nAlign);
    void FontRequested();
    void SpeechRequested();

protected:
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private:
    QAction* AddAction(QMenu& menu, const QString& text, const QKeySequence& key);

    bool m_bShowing = false;
    QAction* m_pWrap = nullptr;
    QList<QAction*> m_actions;
};
