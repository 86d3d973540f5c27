#include "editor/ZoomDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <algorithm>

CZoomDialog::CZoomDialog(const CFrameRecord& frame, int32_t nWidth, int32_t nHeight,
                         QWidget* pParent)
    : QDialog(pParent) {
    setWindowTitle("Zoom Settings");
    auto* pForm = new QFormLayout(this);
    m_pZoom = new QCheckBox("Zoom to this region", this);
    m_pZoom->setChecked(frame.m_bZoom != 0);
    pForm->addRow(m_pZoom);
    // A region is kept within the recorded picture.
    auto spin = [this](int nValue, int nMin, int nMax) {
        auto* pSpin = new QSpinBox(this);
        pSpin->setRange(nMin, std::max(nMin, nMax));
        pSpin->setValue(std::clamp(nValue, nMin, std::max(nMin, nMax)));
        return pSpin;
    };
    const SRect& rc = frame.m_rcZoom;
    m_pLeft = spin(rc.left, 0, nWidth - 8);
    m_pTop = spin(rc.top, 0, nHeight - 8);
    m_pWidth = spin(rc.right - rc.left, 8, nWidth);
    m_pHeight = spin(rc.bottom - rc.top, 8, nHeight);
    pForm->addRow("Left:", m_pLeft);
    pForm->addRow("Top:", m_pTop);
    pForm->addRow("Width:", m_pWidth);
    pForm->addRow("Height:", m_pHeight);
    m_pFollow = new QCheckBox("Follow the mouse", this);
    m_pFollow->setChecked(frame.m_bZoomFollowMouse != 0);
    pForm->addRow(m_pFollow);
    m_pCut = new QCheckBox("Cut to the region instead of zooming", this);
    m_pCut->setChecked(frame.m_bZoomCut != 0);
    pForm->addRow(m_pCut);
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    pForm->addRow(pButtons);
    m_nWidth = nWidth;
    m_nHeight = nHeight;
}

void CZoomDialog::Apply(CFrameRecord& frame) const {
    frame.m_bZoom = m_pZoom->isChecked() ? 1 : 0;
    const int32_t nLeft = m_pLeft->value();
    const int32_t nTop = m_pTop->value();
    frame.m_rcZoom = {nLeft, nTop, std::min(nLeft + m_pWidth->value(), m_nWidth),
                      std::min(nTop + m_pHeight->value(), m_nHeight)};
    frame.m_bZoomFollowMouse = m_pFollow->isChecked() ? 1 : 0;
    frame.m_bZoomCut = m_pCut->isChecked() ? 1 : 0;
}
