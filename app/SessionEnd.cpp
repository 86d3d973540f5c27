#include "app/SessionEnd.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>

namespace {

int g_pipe[2] = {-1, -1};

void OnTerminate(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
}

}  // namespace

CSessionEndWatcher::CSessionEndWatcher(QObject* pParent) : QObject(pParent) {
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
    }
    if (g_pipe[0] >= 0) {
        ::fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
        m_pNotifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
        connect(m_pNotifier.get(), &QSocketNotifier::activated, this, [this] {
            char buffer[16];
            [[maybe_unused]] const ssize_t n = ::read(g_pipe[0], buffer, sizeof buffer);
            if (!m_bSignalled) {
                m_bSignalled = true;
                emit sessionEnding();
            }
        });
        struct sigaction action {};
        action.sa_handler = OnTerminate;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGTERM, &action, nullptr);
        ::sigaction(SIGINT, &action, nullptr);
    }
    if (auto* pApp = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(pApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
            if (!m_bSignalled) {
                m_bSignalled = true;
                emit sessionEnding();
            }
        });
    }
}

CSessionEndWatcher::~CSessionEndWatcher() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}
