#include "editor/FrameScrollBar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>

CFrameScrollBar::CFrameScrollBar(QWidget* pParent) : QScrollBar(Qt::Horizontal, pParent) {
    setToolTip(
        "<b>Quillo Scroll Bar</b><br>To quickly find previously edited frames right click on the "
        "scroll bar or hold down the ctrl key when clicking on the scroll arrows.");
}

void CFrameScrollBar::SetDeletedFrames(std::vector<uint32_t> deleted, uint32_t nFrames) {
    if (deleted == m_deleted && nFrames == m_nFrames) {
        return;
    }
    m_deleted = std::move(deleted);
    m_nFrames = nFrames;
    update();
}

void CFrameScrollBar::paintEvent(QPaintEvent* pEvent) {
    QScrollBar::paintEvent(pEvent);
    if (m_deleted.empty() || m_nFrames == 0) {
        return;
    }
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove =
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    // Frame i sits where the handle's centre is when frame i is shown.
    const int nTravel = groove.width() - handle.width();
    const int nLeft = groove.left() + handle.width() / 2;
    const int nMarkWidth =
        std::clamp(nTravel / static_cast<int>(std::max<uint32_t>(m_nFrames, 1)), 2, 16);
    QPainter painter(this);
    for (uint32_t nIndex : m_deleted) {
        const int x =
            m_nFrames > 1
                ? nLeft + static_cast<int>(static_cast<int64_t>(nTravel) * nIndex / (m_nFrames - 1))
                : nLeft;
        painter.fillRect(
            QRect(x - nMarkWidth / 2, groove.top() + 2, nMarkWidth, groove.height() - 4),
            QColor(0xD0, 0x20, 0x20, 200));
    }
}
