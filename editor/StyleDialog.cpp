#include "editor/StyleDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "editor/FrameOverlays.h"
#include "project/model/DemoProject.h"
#include "project/model/StyleNames.h"
#include "project/model/TalkBubble.h"

namespace {

template <std::size_t N>
QComboBox* NameList(const std::array<std::string_view, N>& names, int nCurrent, QWidget* pParent) {
    auto* pBox = new QComboBox(pParent);
    for (std::string_view name : names) {
        pBox->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    pBox->setCurrentIndex(nCurrent >= 0 && nCurrent < static_cast<int>(N) ? nCurrent : 0);
    return pBox;
}

QComboBox* TargetList(const std::optional<std::string>& current, QWidget* pParent) {
    QComboBox* pBox = NameList(kUrlTargets, 0, pParent);
    pBox->setEditable(true);
    pBox->setCurrentText(QString::fromStdString(current.value_or("")));
    return pBox;
}

void PaintSwatch(QPushButton* pButton, int32_t crColor) {
    const QColor colour = ColorFromUser(crColor);
    pButton->setStyleSheet(QString("background-color: %1; color: %2;")
                               .arg(colour.name())
                               .arg(colour.lightness() > 128 ? "black" : "white"));
}

std::optional<std::string> TextOrNone(const QString& text) {
    if (text.isEmpty()) {
        return std::nullopt;
    }
    return text.toStdString();
}

}  // namespace

QFont FontFromLog(const CLogFont& font) {
    QFont qfont(QString::fromStdString(font.FaceName()));
    qfont.setPixelSize(std::max(1, std::abs(font.m_nHeight)));
    qfont.setWeight(static_cast<QFont::Weight>(std::clamp(font.m_nWeight, 100, 900)));
    qfont.setItalic(font.m_bItalic != 0);
    return qfont;
}

CLogFont LogFromFont(const QFont& font, const CLogFont& base) {
    CLogFont out = base;
    out.SetFaceName(font.family().toStdString());
    const int nPixels = font.pixelSize() > 0 ? font.pixelSize()
                                             : static_cast<int>(font.pointSizeF() * 96 / 72 + 0.5);
    out.m_nHeight = -std::max(1, nPixels);
    out.m_nWeight = font.weight();
    out.m_bItalic = font.italic() ? 1 : 0;
    // The bubble's own underline switch draws the underline; the font's byte stays clear.
    out.m_bUnderline = 0;
    out.m_bStrikeOut = 0;
    return out;
}

CStyleDialog::CStyleDialog(const CDemoProject& project, const CFrameRecord& frame, int nFrameCount,
                           QWidget* pParent)
    : QDialog(pParent), m_project(project), m_frame(frame), m_nFrameCount(nFrameCount) {
    setWindowTitle("Style");
    auto* pLayout = new QVBoxLayout(this);
    m_pTabs = new QTabWidget(this);
    m_pTabs->setObjectName("styleTabs");
    m_pTabs->addTab(BuildBubblePage(), "Talk Bubble");
    m_pTabs->addTab(BuildHotspotPage(), "Hotspot");
    m_pTabs->addTab(BuildEffectsPage(), "Frame Effects");
    m_pTabs->setTabEnabled(kBubblePage, frame.HasTalkBubble());
    m_pTabs->setTabEnabled(kHotspotPage, frame.HasHotspot());
    pLayout->addWidget(m_pTabs);
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    pLayout->addWidget(pButtons);
    ShowPage(frame.HasTalkBubble() ? kBubblePage
                                   : (frame.HasHotspot() ? kHotspotPage : kEffectsPage));
}

void CStyleDialog::ShowPage(EPage page) {
    if (m_pTabs->isTabEnabled(page)) {
        m_pTabs->setCurrentIndex(page);
    }
}

QPushButton* CStyleDialog::ColorButton(int32_t& crColor) {
    auto* pButton = new QPushButton("Color...", this);
    pButton->setFixedWidth(96);
    PaintSwatch(pButton, crColor);
    connect(pButton, &QPushButton::clicked, this, [this, pButton, &crColor] {
        const QColor chosen = QColorDialog::getColor(ColorFromUser(crColor), this, "Color");
        if (chosen.isValid()) {
            crColor = UserFromColor(chosen);
            PaintSwatch(pButton, crColor);
        }
    });
    return pButton;
}

QSpinBox* CStyleDialog::FrameSpin(int32_t nValue) {
    auto* pSpin = new QSpinBox(this);
    // 0 is "Stop": the movie stops instead of going to a frame.
    pSpin->setRange(0, std::max(1, m_nFrameCount));
    pSpin->setSpecialValueText("Stop");
    pSpin->setValue(std::clamp(nValue, 0, std::max(1, m_nFrameCount)));
    return pSpin;
}

QWidget* CStyleDialog::BuildBubblePage() {
    auto* pPage = new QWidget(this);
    auto* pForm = new QFormLayout(pPage);
    const uint8_t nStyle = m_frame.m_nBubbleStyle == kNoStyle ? m_project.m_nDefaultBubbleStyle
                                                              : m_frame.m_nBubbleStyle;
    m_pBubbleStyle = NameList(kBubbleStyleNames, nStyle, pPage);
    m_pBubbleStyle->setObjectName("bubbleStyle");
    pForm->addRow("Style:", m_pBubbleStyle);

    auto* pFontRow = new QHBoxLayout;
    const CLogFont font = m_frame.m_pFont.value_or(m_project.m_CurrentFont);
    m_pFontName = new QLabel(QString("%1, %2 px")
                                 .arg(QString::fromStdString(font.FaceName()))
                                 .arg(std::abs(font.m_nHeight)),
                             pPage);
    auto* pFont = new QPushButton("Font...", pPage);
    connect(pFont, &QPushButton::clicked, this, [this] {
        const CLogFont current = m_frame.m_pFont.value_or(m_project.m_CurrentFont);
        bool bOk = false;
        const QFont chosen = QFontDialog::getFont(&bOk, FontFromLog(current), this, "Font");
        if (bOk) {
            m_frame.m_pFont = LogFromFont(chosen, current);
            m_pFontName->setText(QString("%1, %2 px")
                                     .arg(QString::fromStdString(m_frame.m_pFont->FaceName()))
                                     .arg(std::abs(m_frame.m_pFont->m_nHeight)));
        }
    });
    pFontRow->addWidget(m_pFontName, 1);
    pFontRow->addWidget(pFont);
    pForm->addRow("Font:", pFontRow);

    if (m_frame.m_crText == -1) {
        m_frame.m_crText = m_project.m_crDefaultText;
    }
    pForm->addRow("Font Color:", ColorButton(m_frame.m_crText));
    pForm->addRow("Background:", ColorButton(m_frame.m_crBubble));
    auto* pShadowRow = new QHBoxLayout;
    m_pShadow = new QCheckBox("Shadow", pPage);
    m_pShadow->setObjectName("shadow");
    m_pShadow->setChecked(m_frame.m_bShadow != 0);
    pShadowRow->addWidget(m_pShadow);
    pShadowRow->addWidget(ColorButton(m_frame.m_crShadow));
    pShadowRow->addStretch(1);
    pForm->addRow(pShadowRow);
    m_pUnderline = new QCheckBox("&Underline", pPage);
    m_pUnderline->setChecked(m_frame.m_bUnderline != 0);
    pForm->addRow(m_pUnderline);
    m_pAlign = new QComboBox(pPage);
    m_pAlign->addItems({"Centered", "Left", "Right"});
    m_pAlign->setCurrentIndex(std::min<int>(m_frame.m_nTextAlign, 2));
    pForm->addRow("Alignment:", m_pAlign);
    m_pWrap = new QCheckBox("&Wrap Text", pPage);
    m_pWrap->setChecked(m_frame.m_bNoWrap == 0);
    pForm->addRow(m_pWrap);

    auto* pUntilRow = new QHBoxLayout;
    m_pBubbleUntil = new QCheckBox("Show until frame", pPage);
    m_pBubbleUntil->setChecked(m_frame.m_bBubbleShowUntil != 0);
    m_pBubbleUntilFrame = FrameSpin(m_frame.m_nBubbleUntilFrame);
    pUntilRow->addWidget(m_pBubbleUntil);
    pUntilRow->addWidget(m_pBubbleUntilFrame);
    pUntilRow->addStretch(1);
    pForm->addRow(pUntilRow);
    m_pOnHover = new QCheckBox("Show when mouse over Hotspot", pPage);
    m_pOnHover->setChecked(m_frame.m_bBubbleOnHover != 0);
    pForm->addRow(m_pOnHover);
    m_pNavigation = new QCheckBox("Navigation buttons", pPage);
    m_pNavigation->setChecked(m_frame.m_bNavigation != 0);
    pForm->addRow(m_pNavigation);
    m_pAnimation = new QCheckBox("Animation", pPage);
    m_pAnimation->setChecked(m_frame.m_bBubbleAnimation != 0);
    pForm->addRow(m_pAnimation);
    return pPage;
}

QWidget* CStyleDialog::BuildHotspotPage() {
    auto* pPage = new QWidget(this);
    auto* pForm = new QFormLayout(pPage);
    auto spin = [&](int nValue, int nMin, int nMax) {
        auto* pSpin = new QSpinBox(pPage);
        pSpin->setRange(nMin, nMax);
        pSpin->setValue(nValue);
        return pSpin;
    };
    const SRect& rc = m_frame.m_rcHotspot;
    auto* pRect = new QHBoxLayout;
    m_pLeft = spin(rc.left, -m_project.m_nWidth, 2 * m_project.m_nWidth);
    m_pTop = spin(rc.top, -m_project.m_nHeight, 2 * m_project.m_nHeight);
    m_pWidth = spin(rc.right - rc.left, 1, 2 * m_project.m_nWidth);
    m_pHeight = spin(rc.bottom - rc.top, 1, 2 * m_project.m_nHeight);
    for (auto [pLabel, pSpin] : {std::pair{"Left", m_pLeft}, std::pair{"Top", m_pTop},
                                 std::pair{"Width", m_pWidth}, std::pair{"Height", m_pHeight}}) {
        pRect->addWidget(new QLabel(pLabel, pPage));
        pRect->addWidget(pSpin);
    }
    pForm->addRow("Rectangle:", pRect);
    const uint8_t nStyle = m_frame.m_nHotspotStyle == kNoStyle ? m_project.m_nDefaultHotspotStyle
                                                               : m_frame.m_nHotspotStyle;
    m_pHotspotStyle = NameList(kHotspotStyleNames, nStyle, pPage);
    pForm->addRow("Style:", m_pHotspotStyle);
    pForm->addRow("Color:", ColorButton(m_frame.m_crHotspot));
    auto slider = [&](int nValue) {
        auto* pSlider = new QSlider(Qt::Horizontal, pPage);
        pSlider->setRange(1, 100);
        pSlider->setValue(std::clamp(nValue, 1, 100));
        return pSlider;
    };
    m_pThickness = slider(m_frame.m_nHotspotThickness);
    pForm->addRow("Thickness:", m_pThickness);
    m_pLevel = slider(m_frame.m_nHotspotLevel);
    pForm->addRow("Level:", m_pLevel);

    auto* pActions = new QGroupBox("Action", pPage);
    auto* pActionForm = new QFormLayout(pActions);
    auto* pGotoRow = new QHBoxLayout;
    m_pHotspotGoto = new QCheckBox("Go to Frame", pActions);
    m_pHotspotGoto->setObjectName("hotspotGoto");
    m_pHotspotGoto->setChecked(m_frame.m_bHotspotGoto != 0);
    m_pHotspotGotoFrame = FrameSpin(m_frame.m_nHotspotGotoFrame);
    m_pHotspotGotoFrame->setObjectName("hotspotGotoFrame");
    pGotoRow->addWidget(m_pHotspotGoto);
    pGotoRow->addWidget(m_pHotspotGotoFrame);
    pGotoRow->addStretch(1);
    pActionForm->addRow(pGotoRow);
    auto* pUrlRow = new QHBoxLayout;
    m_pHotspotUrl = new QCheckBox("URL / Command", pActions);
    m_pHotspotUrl->setChecked(m_frame.m_bHotspotUrl != 0);
    m_pHotspotUrlText =
        new QLineEdit(QString::fromStdString(m_frame.m_pszHotspotUrl.value_or("")), pActions);
    pUrlRow->addWidget(m_pHotspotUrl);
    pUrlRow->addWidget(m_pHotspotUrlText, 1);
    pActionForm->addRow(pUrlRow);
    m_pHotspotTarget = TargetList(m_frame.m_pszHotspotTarget, pActions);
    pActionForm->addRow("Target:", m_pHotspotTarget);
    pForm->addRow(pActions);

    auto* pWait = new QGroupBox("Wait", pPage);
    auto* pWaitLayout = new QHBoxLayout(pWait);
    m_pWaitClick = new QRadioButton("Wait for click", pWait);
    m_pWaitClick->setObjectName("waitForClick");
    m_pIgnoreClick = new QRadioButton("Ignore Click", pWait);
    m_pHotspotUntil = new QRadioButton("Show until frame", pWait);
    m_pHotspotUntilFrame = FrameSpin(m_frame.m_nHotspotUntilFrame);
    auto* pGroup = new QButtonGroup(pWait);
    for (QRadioButton* p : {m_pWaitClick, m_pIgnoreClick, m_pHotspotUntil}) {
        pGroup->addButton(p);
        pWaitLayout->addWidget(p);
    }
    pWaitLayout->addWidget(m_pHotspotUntilFrame);
    (m_frame.m_bHotspotShowUntil ? m_pHotspotUntil
                                 : (m_frame.m_bIgnoreClick ? m_pIgnoreClick : m_pWaitClick))
        ->setChecked(true);
    pForm->addRow(pWait);
    m_pAnimateOnHover = new QCheckBox("Animate when mouse over Hotspot", pPage);
    m_pAnimateOnHover->setChecked(m_frame.m_bHotspotAnimateOnHover != 0);
    pForm->addRow(m_pAnimateOnHover);
    m_pOverText = new QCheckBox("Place hotspot over text", pPage);
    m_pOverText->setChecked(m_frame.m_bHotspotOverText != 0);
    pForm->addRow(m_pOverText);

    auto* pImageRow = new QHBoxLayout;
    m_pImage = new QLineEdit(QString::fromStdString(m_frame.m_pszHotspotImage.value_or("")), pPage);
    m_pImage->setPlaceholderText("picture or movie file of an Image or Flash Movie hotspot");
    m_pImageSize = new QComboBox(pPage);
    for (int16_t i = 0; i < 10; ++i) {
        m_pImageSize->addItem(QString::fromStdString(ImageSizeName(i, 0, 0)));
    }
    m_pImageSize->setCurrentIndex(std::clamp<int>(m_frame.m_nImageSizeMode, 0, 9));
    m_pLockAspect = new QCheckBox("Lock aspect", pPage);
    m_pLockAspect->setChecked(m_frame.m_bImageLockAspect != 0);
    pImageRow->addWidget(m_pImage, 1);
    pImageRow->addWidget(m_pImageSize);
    pImageRow->addWidget(m_pLockAspect);
    pForm->addRow("File:", pImageRow);
    // The slider and the file that the chosen style uses.
    auto styled = [this] {
        const int nStyle = m_pHotspotStyle->currentIndex();
        const bool bLevel = nStyle == kHotspotShade || nStyle == kHotspotHighlight;
        m_pThickness->setEnabled(!bLevel);
        m_pLevel->setEnabled(bLevel);
        const bool bFile = nStyle == kHotspotImage || nStyle == kHotspotFlashMovie;
        m_pImage->setEnabled(bFile);
        m_pImageSize->setEnabled(bFile);
        m_pLockAspect->setEnabled(bFile);
    };
    connect(m_pHotspotStyle, &QComboBox::currentIndexChanged, this, styled);
    styled();
    return pPage;
}

QWidget* CStyleDialog::BuildEffectsPage() {
    auto* pPage = new QWidget(this);
    auto* pForm = new QFormLayout(pPage);
    m_pEffect = NameList(kFrameEffectNames, m_frame.m_nFrameEffect, pPage);
    pForm->addRow("Effect:", m_pEffect);
    m_pEffectDuration = new QSpinBox(pPage);
    m_pEffectDuration->setRange(0, 100000);
    m_pEffectDuration->setValue(m_frame.m_nFrameEffectDuration);
    pForm->addRow("Duration (1/100 s):", m_pEffectDuration);
    // Only the fades, the sweep and the cross fade take time.
    auto timed = [this] {
        const int nEffect = m_pEffect->currentIndex();
        m_pEffectDuration->setEnabled(nEffect >= 1 && nEffect <= 5);
    };
    connect(m_pEffect, &QComboBox::currentIndexChanged, this, timed);
    timed();
    if (m_frame.m_crFrameEffect == -1) {
        m_frame.m_crFrameEffect = m_project.m_crDefaultFrameEffect;
    }
    pForm->addRow("Color:", ColorButton(m_frame.m_crFrameEffect));
    auto* pGotoRow = new QHBoxLayout;
    m_pFrameGoto = new QCheckBox("Go to Frame", pPage);
    m_pFrameGoto->setChecked(m_frame.m_bFrameGoto != 0);
    m_pFrameGotoFrame = FrameSpin(m_frame.m_nFrameGotoFrame);
    pGotoRow->addWidget(m_pFrameGoto);
    pGotoRow->addWidget(m_pFrameGotoFrame);
    pGotoRow->addStretch(1);
    pForm->addRow("Frame action:", pGotoRow);
    auto* pUrlRow = new QHBoxLayout;
    m_pFrameUrl = new QCheckBox("URL / Command", pPage);
    m_pFrameUrl->setChecked(m_frame.m_bFrameUrl != 0);
    m_pFrameUrlText =
        new QLineEdit(QString::fromStdString(m_frame.m_pszFrameUrl.value_or("")), pPage);
    pUrlRow->addWidget(m_pFrameUrl);
    pUrlRow->addWidget(m_pFrameUrlText, 1);
    pForm->addRow(pUrlRow);
    m_pFrameTarget = TargetList(m_frame.m_pszFrameTarget, pPage);
    pForm->addRow("Target:", m_pFrameTarget);
    return pPage;
}

CFrameRecord CStyleDialog::Result() const {
    CFrameRecord r = m_frame;
    if (r.HasTalkBubble()) {
        r.m_nBubbleStyle = static_cast<uint8_t>(m_pBubbleStyle->currentIndex());
        r.m_bShadow = m_pShadow->isChecked() ? 1 : 0;
        r.m_bUnderline = m_pUnderline->isChecked() ? 1 : 0;
        r.m_nTextAlign = static_cast<uint8_t>(m_pAlign->currentIndex());
        r.m_bNoWrap = m_pWrap->isChecked() ? 0 : 1;
        r.m_bBubbleShowUntil = m_pBubbleUntil->isChecked() ? 1 : 0;
        r.m_nBubbleUntilFrame = m_pBubbleUntilFrame->value();
        r.m_bBubbleOnHover = m_pOnHover->isChecked() ? 1 : 0;
        r.m_bNavigation = m_pNavigation->isChecked() ? 1 : 0;
        r.m_bBubbleAnimation = m_pAnimation->isChecked() ? 1 : 0;
    }
    if (r.HasHotspot()) {
        const SRect rc{m_pLeft->value(), m_pTop->value(), m_pLeft->value() + m_pWidth->value(),
                       m_pTop->value() + m_pHeight->value()};
        if (!(rc == r.m_rcHotspot)) {
            r.m_rcHotspot = rc;
            r.m_bHotspotRectExact = 1;
        }
        r.m_nHotspotStyle = static_cast<uint8_t>(m_pHotspotStyle->currentIndex());
        r.m_nHotspotThickness = static_cast<uint8_t>(m_pThickness->value());
        r.m_nHotspotLevel = static_cast<uint8_t>(m_pLevel->value());
        r.m_bHotspotGoto = m_pHotspotGoto->isChecked() ? 1 : 0;
        r.m_nHotspotGotoFrame = m_pHotspotGotoFrame->value();
        r.m_bHotspotUrl = m_pHotspotUrl->isChecked() ? 1 : 0;
        r.m_pszHotspotUrl = TextOrNone(m_pHotspotUrlText->text());
        r.m_pszHotspotTarget = TextOrNone(m_pHotspotTarget->currentText());
        r.m_bIgnoreClick = m_pIgnoreClick->isChecked() ? 1 : 0;
        r.m_bHotspotShowUntil = m_pHotspotUntil->isChecked() ? 1 : 0;
        r.m_nHotspotUntilFrame = m_pHotspotUntilFrame->value();
        r.m_bHotspotAnimateOnHover = m_pAnimateOnHover->isChecked() ? 1 : 0;
        r.m_bHotspotOverText = m_pOverText->isChecked() ? 1 : 0;
        r.m_pszHotspotImage = TextOrNone(m_pImage->text());
        r.m_nImageSizeMode = static_cast<int16_t>(m_pImageSize->currentIndex());
        r.m_bImageLockAspect = m_pLockAspect->isChecked() ? 1 : 0;
    }
    r.m_nFrameEffect = static_cast<uint8_t>(m_pEffect->currentIndex());
    r.m_nFrameEffectDuration = m_pEffectDuration->value();
    r.m_bFrameGoto = m_pFrameGoto->isChecked() ? 1 : 0;
    r.m_nFrameGotoFrame = m_pFrameGotoFrame->value();
    r.m_bFrameUrl = m_pFrameUrl->isChecked() ? 1 : 0;
    r.m_pszFrameUrl = TextOrNone(m_pFrameUrlText->text());
    r.m_pszFrameTarget = TextOrNone(m_pFrameTarget->currentText());
    return r;
}
