// Tells the main window that the session ends: the session manager's request to save, or
// SIGTERM or SIGINT (delivered through a pipe, so that the window reacts in the event loop).
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

class CSessionEndWatcher : public QObject {
    Q_OBJECT
public:
    explicit CSessionEndWatcher(QObject* pParent = nullptr);
    ~CSessionEndWatcher() override;

signals:
    void sessionEnding();

private:
    std::unique_ptr<QSocketNotifier> m_pNotifier;
    bool m_bSignalled = false;
};
