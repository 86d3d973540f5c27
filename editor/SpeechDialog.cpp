#include "editor/SpeechDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

CSpeechDialog::CSpeechDialog(const std::u16string& speech, bool bSpeak,
                             std::function<std::string(const std::u16string&)> speak,
                             QWidget* pParent)
    : QDialog(pParent) {
    setWindowTitle("Speech");
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(new QLabel("Text spoken for this talk bubble:", this));
    m_pText = new QPlainTextEdit(QString::fromStdU16String(speech), this);
    pLayout->addWidget(m_pText, 1);
    m_pSpeak = new QCheckBox("Speak this text instead of the talk bubble's text", this);
    m_pSpeak->setChecked(bSpeak);
    pLayout->addWidget(m_pSpeak);
    m_pStatus = new QLabel(this);
    pLayout->addWidget(m_pStatus);
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* pSay = pButtons->addButton("Speak", QDialogButtonBox::ActionRole);
    connect(pSay, &QPushButton::clicked, this, [this, speak] {
        const std::string error = speak(Speech());
        m_pStatus->setText(QString::fromStdString(error));
    });
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    pLayout->addWidget(pButtons);
    resize(420, 260);
}

std::u16string CSpeechDialog::Speech() const {
    return m_pText->toPlainText().toStdU16String();
}

bool CSpeechDialog::SpeakSet() const {
    return m_pSpeak->isChecked();
}
