#include "app/ApplyToFollowingDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

CApplyToFollowingDialog::CApplyToFollowingDialog(const SApplyToFollowing& initial,
                                                 int32_t nFrameCount, QWidget* pParent)
    : QDialog(pParent) {
    setWindowTitle("Apply edit to following frames...");
    auto* pLayout = new QVBoxLayout(this);
    auto* pForm = new QFormLayout;
    m_pLastFrame = new QSpinBox(this);
    m_pLastFrame->setRange(1, std::max(1, nFrameCount));
    m_pLastFrame->setValue(initial.nLastFrame);
    pForm->addRow("Apply up to frame:", m_pLastFrame);

    auto* pSliderRow = new QHBoxLayout;
    m_pTransparency = new QSlider(Qt::Horizontal, this);
    m_pTransparency->setRange(0, 100);
    m_pTransparency->setValue(std::min<int>(initial.nTransparency, 100));
    auto* pPercent = new QLabel(this);
    pPercent->setMinimumWidth(pPercent->fontMetrics().horizontalAdvance("100 %"));
    auto showPercent = [pPercent](int value) { pPercent->setText(QString("%1 %").arg(value)); };
    showPercent(m_pTransparency->value());
    connect(m_pTransparency, &QSlider::valueChanged, pPercent, showPercent);
    pSliderRow->addWidget(m_pTransparency, 1);
    pSliderRow->addWidget(pPercent);
    pForm->addRow("Transparency", pSliderRow);
    pLayout->addLayout(pForm);

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    pLayout->addWidget(pButtons);
}

SApplyToFollowing CApplyToFollowingDialog::Answer() const {
    SApplyToFollowing answer;
    answer.nLastFrame = m_pLastFrame->value();
    answer.nTransparency = static_cast<uint8_t>(m_pTransparency->value());
    return answer;
}
