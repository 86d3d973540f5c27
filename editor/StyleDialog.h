// The dialog "Style": the current frame's talk bubble, hotspot and frame effects on three pages.
// It edits a copy of the frame record; OK hands the copy back.
#pragma once

#include <QDialog>

#include "project/model/FrameInfo.h"

class CDemoProject;
class QCheckBox;
class QLabel;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;

class CStyleDialog : public QDialog {
    Q_OBJECT
public:
    enum EPage { kBubblePage = 0, kHotspotPage = 1, kEffectsPage = 2 };

    CStyleDialog(const CDemoProject& project, const CFrameRecord& frame, int nFrameCount,
                 QWidget* pParent = nullptr);

    void ShowPage(EPage page);
    // The record with the dialog's values.
    CFrameRecord Result() const;

private:
    QWidget* BuildBubblePage();
    QWidget* BuildHotspotPage();
    QWidget* BuildEffectsPage();
    QPushButton* ColorButton(int32_t& crColor);
    QSpinBox* FrameSpin(int32_t nValue);

    const CDemoProject& m_project;
    CFrameRecord m_frame;
    int m_nFrameCount;
    QTabWidget* m_pTabs = nullptr;

    // Talk bubble.
    QComboBox* m_pBubbleStyle = nullptr;
    QCheckBox* m_pShadow = nullptr;
    QCheckBox* m_pUnderline = nullptr;
    QComboBox* m_pAlign = nullptr;
    QCheckBox* m_pWrap = nullptr;
    QCheckBox* m_pBubbleUntil = nullptr;
    QSpinBox* m_pBubbleUntilFrame = nullptr;
    QCheckBox* m_pOnHover = nullptr;
    QCheckBox* m_pNavigation = nullptr;
    QCheckBox* m_pAnimation = nullptr;
    QLabel* m_pFontName = nullptr;

    // Hotspot.
    QSpinBox* m_pLeft = nullptr;
    QSpinBox* m_pTop = nullptr;
    QSpinBox* m_pWidth = nullptr;
    QSpinBox* m_pHeight = nullptr;
    QComboBox* m_pHotspotStyle = nullptr;
    QSlider* m_pThickness = nullptr;
    QSlider* m_pLevel = nullptr;
    QCheckBox* m_pHotspotGoto = nullptr;
    QSpinBox* m_pHotspotGotoFrame = nullptr;
    QCheckBox* m_pHotspotUrl = nullptr;
    QLineEdit* m_pHotspotUrlText = nullptr;
    QComboBox* m_pHotspotTarget = nullptr;
    QRadioButton* m_pWaitClick = nullptr;
    QRadioButton* m_pIgnoreClick = nullptr;
    QRadioButton* m_pHotspotUntil = nullptr;
    QSpinBox* m_pHotspotUntilFrame = nullptr;
    QCheckBox* m_pAnimateOnHover = nullptr;
    QCheckBox* m_pOverText = nullptr;
    QLineEdit* m_pImage = nullptr;
    QComboBox* m_pImageSize = nullptr;
    QCheckBox* m_pLockAspect = nullptr;

    // Frame effects.
    QComboBox* m_pEffect = nullptr;
    QSpinBox* m_pEffectDuration = nullptr;
    QCheckBox* m_pFrameGoto = nullptr;
    QSpinBox* m_pFrameGotoFrame = nullptr;
    QCheckBox* m_pFrameUrl = nullptr;
    QLineEdit* m_pFrameUrlText = nullptr;
    QComboBox* m_pFrameTarget = nullptr;
};

// A font of the frame record's kind from a Qt font, and back.
class QFont;
QFont FontFromLog(const CLogFont& font);
CLogFont LogFromFont(const QFont& font, const CLogFont& base);
