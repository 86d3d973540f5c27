// The dialog "Speech": the text spoken for the current frame's talk bubble instead of its
// written text, marked-up speech allowed, with a "Speak" button to hear it.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QPlainTextEdit;

class CSpeechDialog : public QDialog {
    Q_OBJECT
public:
    // `speak` says the given text (marked up) and returns an error text, empty on success.
    CSpeechDialog(const std::u16string& speech, bool bSpeak,
                  std::function<std::string(const std::u16string&)> speak,
                  QWidget* pParent = nullptr);

    std::u16string Speech() const;
    bool SpeakSet() const;

private:
    QPlainTextEdit* m_pText = nullptr;
    QCheckBox* m_pSpeak = nullptr;
    QLabel* m_pStatus = nullptr;
};
