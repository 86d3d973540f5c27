#include "app/RecordingOptionsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <filesystem>

#include "app/RecordingDialogs.h"
#include "platform/Prompter.h"
#include "settings/AppSettings.h"

CRecordingOptionsDialog::CRecordingOptionsDialog(QWidget* pParent, const CRecordingOptions& options,
                                                 IPrompter& prompter, bool& bCompressionReminder)
    : QDialog(pParent),
      m_prompter(prompter),
      m_bCompressionReminder(bCompressionReminder),
      m_options(options) {
    setObjectName("recordingOptions");
    setWindowTitle("Recording Options");
    auto* pLayout = new QVBoxLayout(this);

    m_pFrames = new QCheckBox("Frames", this);
    pLayout->addWidget(m_pFrames);
    auto* pRates = new QGroupBox("Capture Rate - Frames per second", this);
    auto* pRateLayout = new QFormLayout(pRates);
    m_pSlider = new QSlider(Qt::Horizontal, pRates);
    m_pSlider->setRange(CRecordingOptions::kMinSlider, CRecordingOptions::kMaxSlider);
    pRateLayout->addRow(m_pSlider);
    m_pCustom = new QCheckBox("Custom", pRates);
    pRateLayout->addRow(m_pCustom);
    m_pScreen = new QSpinBox(pRates);
    m_pMouse = new QSpinBox(pRates);
    for (QSpinBox* p : {m_pScreen, m_pMouse}) {
        p->setRange(static_cast<int>(CRecordingOptions::kMinRate),
                    static_cast<int>(CRecordingOptions::kMaxRate));
    }
    pRateLayout->addRow("Screen", m_pScreen);
    pRateLayout->addRow("Mouse", m_pMouse);
    pLayout->addWidget(pRates);

    m_pRecordMouse = new QCheckBox("Record mouse", this);
    m_pSmooth = new QCheckBox("Smooth movement", this);
    m_pSound = new QCheckBox("Record Sound", this);
    m_pLayered = new QCheckBox("Record transparent / layered windows", this);
    m_pVideo = new QCheckBox("Capture video hardware", this);
    m_pFollow = new QCheckBox("Follow Active Window", this);
    m_pCompression = new QCheckBox("Use extra compression on raw video", this);
    for (QCheckBox* p :
         {m_pRecordMouse, m_pSmooth, m_pSound, m_pLayered, m_pVideo, m_pFollow, m_pCompression}) {
        pLayout->addWidget(p);
    }
    auto* pFolderRow = new QHBoxLayout;
    pFolderRow->addWidget(new QLabel("Temporary Video Location", this));
    m_pFolder = new QLineEdit(this);
    m_pFolder->setObjectName("tempVideoLocation");
    pFolderRow->addWidget(m_pFolder, 1);
    auto* pBrowse = new QPushButton("Browse", this);
    pFolderRow->addWidget(pBrowse);
    pLayout->addLayout(pFolderRow);

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* pDefaults = pButtons->addButton("Defaults", QDialogButtonBox::ResetRole);
    pLayout->addWidget(pButtons);

    Fill(options);
    connect(m_pFrames, &QCheckBox::toggled, this, &CRecordingOptionsDialog::UpdateRates);
    connect(m_pCustom, &QCheckBox::toggled, this, &CRecordingOptionsDialog::UpdateRates);
    connect(m_pSlider, &QSlider::valueChanged, this, &CRecordingOptionsDialog::UpdateRates);
    connect(m_pFolder, &QLineEdit::editingFinished, this, &CRecordingOptionsDialog::CheckFolder);
    connect(pBrowse, &QPushButton::clicked, this, [this] {
        const QString folder =
            QFileDialog::getExistingDirectory(this, "Select a location:", m_pFolder->text());
        if (!folder.isEmpty()) {
            m_pFolder->setText(folder);
        }
    });
    connect(m_pCompression, &QCheckBox::toggled, this, [this](bool bOn) {
        if (bOn && m_bCompressionReminder) {
            ShowHintDialog(this, "Use extra compression on raw video...",
                           "\nSelecting this option may reduce the screen capture rate on some "
                           "computer systems.",
                           m_bCompressionReminder);
        }
    });
    connect(pDefaults, &QPushButton::clicked, this, [this] {
        CRecordingOptions defaults;
        defaults.SetDefaults(SystemTempFolder());
        Fill(defaults);
    });
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CRecordingOptionsDialog::Fill(const CRecordingOptions& o) {
    // The reminder belongs to the user switching the option on, not to filling the dialog.
    const QSignalBlocker block(m_pCompression);
    m_pFrames->setChecked(o.m_bFramesGroup != 0);
    m_pCustom->setChecked(o.m_bCustomRates != 0);
    m_pSlider->setValue(o.m_nRateSlider);
    m_pScreen->setValue(static_cast<int>(o.ScreenRate()));
    m_pMouse->setValue(static_cast<int>(o.MouseRate()));
    m_pRecordMouse->setChecked(o.m_bRecordMouse != 0);
    m_pSmooth->setChecked(o.m_bSmoothMovement != 0);
    m_pSound->setChecked(o.m_bRecordSound != 0);
    m_pFolder->setText(QString::fromStdString(o.m_strTempVideoDir));
    m_pLayered->setChecked(o.m_bLayeredWindows != 0);
    m_pVideo->setChecked(o.m_bVideoHardware != 0);
    m_pFollow->setChecked(o.m_bFollowActiveWindow != 0);
    m_pCompression->setChecked(o.m_bExtraCompression != 0);
    UpdateRates();
}

void CRecordingOptionsDialog::UpdateRates() {
    const bool bFrames = m_pFrames->isChecked();
    const bool bCustom = m_pCustom->isChecked();
    m_pSlider->setEnabled(bFrames && !bCustom);
    m_pCustom->setEnabled(bFrames);
    m_pScreen->setEnabled(bFrames && bCustom);
    m_pMouse->setEnabled(bFrames && bCustom);
    if (!bCustom) {
        m_pScreen->setValue(
            static_cast<int>(CRecordingOptions::ScreenRateForSlider(m_pSlider->value())));
        m_pMouse->setValue(
            static_cast<int>(CRecordingOptions::MouseRateForSlider(m_pSlider->value())));
    }
}

void CRecordingOptionsDialog::CheckFolder() {
    const std::string folder = m_pFolder->text().toStdString();
    std::error_code ec;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
        m_prompter.Warning(kNotADirectoryText, kNotADirectoryCaption);
    }
}

CRecordingOptions CRecordingOptionsDialog::Options() const {
    CRecordingOptions o = m_options;
    o.m_bFramesGroup = m_pFrames->isChecked() ? 1 : 0;
    o.m_bCustomRates = m_pCustom->isChecked() ? 1 : 0;
    o.m_nRateSlider = m_pSlider->value();
    o.m_nScreenFps = static_cast<uint32_t>(m_pScreen->value());
    o.m_nMouseFps = static_cast<uint32_t>(m_pMouse->value());
    o.m_bRecordMouse = m_pRecordMouse->isChecked() ? 1 : 0;
    o.m_bSmoothMovement = m_pSmooth->isChecked() ? 1 : 0;
    o.m_bRecordSound = m_pSound->isChecked() ? 1 : 0;
    o.m_strTempVideoDir = m_pFolder->text().toStdString();
    o.m_bLayeredWindows = m_pLayered->isChecked() ? 1 : 0;
    o.m_bVideoHardware = m_pVideo->isChecked() ? 1 : 0;
    o.m_bFollowActiveWindow = m_pFollow->isChecked() ? 1 : 0;
    o.m_bExtraCompression = m_pCompression->isChecked() ? 1 : 0;
    return o;
}
