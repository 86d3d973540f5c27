#include "app/QtTray.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace {

// The small icon size of the desktop: 12 below 13 pixels, 16 below 17, else 20.
int SmallIconSize() {
    const int metric = QApplication::style()->pixelMetric(QStyle::PM_SmallIconSize);
    return metric < 13 ? 12 : metric < 17 ? 16 : 20;
}

QIcon DrawIcon(ETrayIcon icon) {
    const int size = SmallIconSize();
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    if (icon == ETrayIcon::Recording) {
        painter.setBrush(QColor(0xD0, 0x20, 0x20));
        painter.drawEllipse(QRectF(1, 1, size - 2, size - 2));
    } else {
        painter.setBrush(QColor(0x20, 0x40, 0xC0));
        const qreal bar = size / 4.0;
        painter.drawRect(QRectF(bar * 0.5, 1, bar, size - 2));
        painter.drawRect(QRectF(bar * 2.5, 1, bar, size - 2));
    }
    return QIcon(pixmap);
}

}  // namespace

CQtTray::CQtTray(QObject* pParent) : QObject(pParent) {
    connect(&m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    emit clicked();
                }
            });
}

void CQtTray::Show(ETrayIcon icon) {
    if (icon == m_shown) {
        return;
    }
    // One place holds one icon: the old one goes before the new one comes.
    m_icon.hide();
    m_shown = icon;
    if (icon == ETrayIcon::None) {
        return;
    }
    m_icon.setIcon(DrawIcon(icon));
    m_icon.setToolTip(icon == ETrayIcon::Recording ? kRecordingTrayTip : kPausedTrayTip);
    m_icon.show();
}
