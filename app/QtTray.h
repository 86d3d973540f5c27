// The recording's notification-area icon through QSystemTrayIcon: a red dot while recording, two
// bars while paused. A click on either stops the recording, as the recording icon's tip says.
#pragma once

#include <QObject>
#include <QSystemTrayIcon>

#include "platform/Tray.h"

class CQtTray : public QObject, public ITray {
    Q_OBJECT
public:
    explicit CQtTray(QObject* pParent = nullptr);

    void Show(ETrayIcon icon) override;
    ETrayIcon Shown() const override { return m_shown; }

signals:
    void clicked();

private:
    QSystemTrayIcon m_icon;
    ETrayIcon m_shown = ETrayIcon::None;
};
