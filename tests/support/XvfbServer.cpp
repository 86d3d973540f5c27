#include "tests/support/XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

CXvfbServer::CXvfbServer(const SOptions& options) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        m_strError = "cannot create a pipe";
        return;
    }
    const std::string screen =
        std::to_string(options.width) + "x" + std::to_string(options.height) + "x24";
    const std::string displayFd = std::to_string(fds[1]);
    std::vector<std::string> args = {"Xvfb",   "-displayfd", displayFd, "-screen",  "0",
                                     screen,   "-nolisten",  "tcp",     "-noreset", "+extension",
                                     "XFIXES", "+extension", "RANDR"};
    args.push_back(options.sharedMemory ? "+extension" : "-extension");
    args.push_back("MIT-SHM");
    m_pid = fork();
    if (m_pid == 0) {
        fcntl(fds[1], F_SETFD, 0);
        int devNull = open("/dev/null", O_RDWR);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        execvp("Xvfb", argv.data());
        _exit(127);
    }
    close(fds[1]);
    if (m_pid < 0) {
        close(fds[0]);
        m_strError = "cannot start Xvfb";
        return;
    }
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) {
            continue;
        }
        char c = 0;
        if (read(fds[0], &c, 1) != 1) {
            break;
        }
        if (c == '\n') {
            m_strDisplay = ":" + number;
            break;
        }
        number += c;
    }
    close(fds[0]);
    if (m_strDisplay.empty()) {
        m_strError = "Xvfb did not report a display (is it installed?)";
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
}

CXvfbServer::~CXvfbServer() {
    if (m_pid <= 0) {
        return;
    }
    kill(m_pid, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            return;
        }
        usleep(100 * 1000);
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
}
