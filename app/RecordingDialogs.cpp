#include "app/RecordingDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

EStopAnswer AskStopAnswer(QWidget* pParent) {
    QDialog dialog(pParent);
    dialog.setObjectName("stopDialog");
    dialog.setWindowTitle(kStopDialogTitle);
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    auto* pLayout = new QVBoxLayout(&dialog);
    auto* pRow = new QHBoxLayout;
    EStopAnswer answer = EStopAnswer::ContinueRecording;
    const std::pair<const char*, EStopAnswer> buttons[] = {
        {"Stop and Save", EStopAnswer::StopAndSave},
        {"Continue Recording", EStopAnswer::ContinueRecording},
        {"New Recording", EStopAnswer::NewRecording},
        {"Exit", EStopAnswer::Exit},
    };
    for (const auto& [text, value] : buttons) {
        auto* pButton = new QPushButton(text, &dialog);
        const EStopAnswer chosen = value;
        QObject::connect(pButton, &QPushButton::clicked, &dialog, [&dialog, &answer, chosen] {
            answer = chosen;
            dialog.accept();
        });
        pRow->addWidget(pButton);
        if (value == EStopAnswer::StopAndSave) {
            pButton->setDefault(true);
        }
    }
    pLayout->addLayout(pRow);
    // Closing the dialog without a button goes on recording: nothing is lost that way.
    dialog.exec();
    return answer;
}

void ShowHintDialog(QWidget* pParent, const QString& caption, const QString& text,
                    bool& bShowAgain) {
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, pParent);
    auto* pCheck = new QCheckBox(kRemindAgain, &box);
    pCheck->setChecked(bShowAgain);
    box.setCheckBox(pCheck);
    box.exec();
    bShowAgain = pCheck->isChecked();
}

ETrueColourChoice AskTrueColourNotice(QWidget* pParent, bool& bRemindAgain) {
    QApplication::beep();
    QMessageBox box(QMessageBox::Warning, "Quillo Configuration Notice",
                    "Quillo has detected that your desktop is NOT in True Color mode.\n\nBest "
                    "recording performance is achieved when in True Color (24 or 32 bit).",
                    QMessageBox::NoButton, pParent);
    QPushButton* pIgnore = box.addButton("Ignore", QMessageBox::AcceptRole);
    QPushButton* pChange = box.addButton("Change Display Settings", QMessageBox::ActionRole);
    box.setDefaultButton(pIgnore);
    auto* pCheck = new QCheckBox(kRemindAgain, &box);
    pCheck->setChecked(bRemindAgain);
    box.setCheckBox(pCheck);
    box.exec();
    bRemindAgain = pCheck->isChecked();
    return box.clickedButton() == pChange ? ETrueColourChoice::ChangeDisplaySettings
                                          : ETrueColourChoice::Ignore;
}
