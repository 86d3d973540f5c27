#include "app/RecoveryDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

bool AskRecoveryOptions(QWidget* pParent, SRecoveryOptions& options) {
    QDialog dialog(pParent);
    dialog.setWindowTitle("Quillo Recovery");
    auto* pLayout = new QVBoxLayout(&dialog);
    auto* pGroup = new QGroupBox("Maximum recovery screen size", &dialog);
    auto* pForm = new QFormLayout(pGroup);
    auto* pWidth = new QSpinBox(pGroup);
    auto* pHeight = new QSpinBox(pGroup);
    for (QSpinBox* p : {pWidth, pHeight}) {
        p->setRange(1, 8192);
    }
    pWidth->setValue(options.nMaxWidth);
    pHeight->setValue(options.nMaxHeight);
    pForm->addRow("Horizontal:", pWidth);
    pForm->addRow("Vertical:", pHeight);
    pLayout->addWidget(pGroup);
    auto* pMouse = new QCheckBox("Recover mouse activity", &dialog);
    pMouse->setChecked(options.bRecoverMouse);
    pLayout->addWidget(pMouse);
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(pButtons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(pButtons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    pLayout->addWidget(pButtons);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    options.nMaxWidth = pWidth->value();
    options.nMaxHeight = pHeight->value();
    options.bRecoverMouse = pMouse->isChecked();
    return true;
}

void AskRecordingSize(QWidget* pParent, int32_t& width, int32_t& height) {
    QDialog dialog(pParent);
    dialog.setWindowTitle(kSizeQuestionCaption);
    auto* pLayout = new QVBoxLayout(&dialog);
    auto* pText = new QLabel(kSizeQuestionText, &dialog);
    pText->setWordWrap(true);
    pLayout->addWidget(pText);
    auto* pForm = new QFormLayout;
    auto* pWidth = new QSpinBox(&dialog);
    auto* pHeight = new QSpinBox(&dialog);
    for (QSpinBox* p : {pWidth, pHeight}) {
        p->setRange(1, 8192);
    }
    pWidth->setValue(width);
    pHeight->setValue(height);
    pForm->addRow("Width:", pWidth);
    pForm->addRow("Height:", pHeight);
    pLayout->addLayout(pForm);
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(pButtons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(pButtons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    pLayout->addWidget(pButtons);
    if (dialog.exec() == QDialog::Accepted) {
        width = pWidth->value();
        height = pHeight->value();
    }
}

ELeftoverChoice AskLeftoverChoice(QWidget* pParent, const std::string& name) {
    QApplication::beep();
    QMessageBox box(QMessageBox::Warning, "Quillo Recovery",
                    QString("A previous screen capture (%1) has been detected.\nWould you like to "
                            "recover this file?")
                        .arg(QString::fromStdString(name)),
                    QMessageBox::NoButton, pParent);
    QPushButton* pRecover = box.addButton("Recover", QMessageBox::AcceptRole);
    box.addButton("Ignore", QMessageBox::RejectRole);
    QPushButton* pDelete = box.addButton("Delete", QMessageBox::DestructiveRole);
    box.setDefaultButton(pRecover);
    box.exec();
    if (box.clickedButton() == pRecover) {
        return ELeftoverChoice::Recover;
    }
    if (box.clickedButton() == pDelete) {
        return ELeftoverChoice::Delete;
    }
    return ELeftoverChoice::Ignore;
}
