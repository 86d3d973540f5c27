// The "Recording Options" dialog: every value of CRecordingOptions, the "Defaults" button, the
// folder check of "Temporary Video Location" and the reminder of "Use extra compression on raw
// video".
#pragma once

#include <QDialog>

#include "recording/RecordingOptions.h"

class IPrompter;
class QCheckBox;
class QLineEdit;
class QSlider;
class QSpinBox;

inline constexpr const char* kNotADirectoryText = "This is not a valid directory location.    ";
inline constexpr const char* kNotADirectoryCaption = "Temporary Video Location Warning...";

class CRecordingOptionsDialog : public QDialog {
    Q_OBJECT
public:
    // `bCompressionReminder` is the option that shows the extra-compression hint; the hint's
    // check box writes it back.
    CRecordingOptionsDialog(QWidget* pParent, const CRecordingOptions& options, IPrompter& prompter,
                            bool& bCompressionReminder);

    CRecordingOptions Options() const;

private:
    void Fill(const CRecordingOptions& options);
    void UpdateRates();
    void CheckFolder();

    IPrompter& m_prompter;
    bool& m_bCompressionReminder;
    CRecordingOptions m_options;
    QCheckBox* m_pFrames = nullptr;
    QCheckBox* m_pCustom = nullptr;
    QSpinBox* m_pScreen = nullptr;
    QSpinBox* m_pMouse = nullptr;
    QSlider* m_pSlider = nullptr;
    QCheckBox* m_pRecordMouse = nullptr;
    QCheckBox* m_pSmooth = nullptr;
    QCheckBox* m_pSound = nullptr;
    QLineEdit* m_pFolder = nullptr;
    QCheckBox* m_pLayered = nullptr;
    QCheckBox* m_pVideo = nullptr;
    QCheckBox* m_pFollow = nullptr;
    QCheckBox* m_pCompression = nullptr;
};
