#include "platform/BrowserOpener.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>
#include <cstring>

extern char** environ;

bool OpenInBrowser(const std::string& url, std::string& why) {
    std::string program = "xdg-open";
    std::string argument = url;
    char* argv[] = {program.data(), argument.data(), nullptr};
    // The browser must not inherit signals that the caller blocks to wait for them itself.
    posix_spawnattr_t attr;
    ::posix_spawnattr_init(&attr);
    sigset_t none;
    sigemptyset(&none);
    ::posix_spawnattr_setsigmask(&attr, &none);
    ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, argv[0], nullptr, &attr, argv, environ);
    ::posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        why = std::string("cannot start xdg-open: ") + std::strerror(rc);
        return false;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            why = std::string("xdg-open was lost: ") + std::strerror(errno);
            return false;
        }
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        why = "xdg-open could not open " + url;
        return false;
    }
    return true;
}
