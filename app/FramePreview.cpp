#include "app/FramePreview.h"

#include <QPainter>

CFramePreview::CFramePreview(QWidget* pParent) : QWidget(pParent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CFramePreview::SetPicture(QImage picture) {
    m_picture = std::move(picture);
    update();
}

QRect CFramePreview::PictureRect() const {
    if (m_picture.isNull()) {
        return {};
    }
    const QSize scaled = m_picture.size().scaled(size(), Qt::KeepAspectRatio);
    return {QPoint((width() - scaled.width()) / 2, (height() - scaled.height()) / 2), scaled};
}

void CFramePreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x40, 0x40, 0x40));
    if (!m_picture.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(PictureRect(), m_picture);
    }
}
