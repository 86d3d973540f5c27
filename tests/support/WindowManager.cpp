#include "tests/support/WindowManager.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

constexpr int kStartAttempts = 3;

// A window manager holds the root window's substructure redirection, which nobody else can
// then select.
bool RootIsManaged(const std::string& display) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    bool managed = false;
    if (xcb_connection_has_error(c) == 0) {
        xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
        xcb_generic_error_t* error = xcb_request_check(
            c, xcb_change_window_attributes_checked(c, s->root, XCB_CW_EVENT_MASK, &mask));
        managed = error != nullptr;
        std::free(error);
    }
    xcb_disconnect(c);
    return managed;
}

}  // namespace

CWindowManager::CWindowManager(const std::string& display) {
    // Without key bindings: the desktop's own (Print for a screenshot tool) would take keys
    // that the programs under test register.
    char config[] = "/tmp/quillo-openbox-XXXXXX.xml";
    const int fd = mkstemps(config, 4);
    if (fd < 0) {
        return;
    }
    const char text[] =
        "<?xml version=\"1.0\"?>\n"
        "<openbox_config xmlns=\"http://openbox.org/3.4/rc\"><keyboard/><mouse/>"
        "</openbox_config>\n";
    const bool written = write(fd, text, sizeof text - 1) == static_cast<ssize_t>(sizeof text - 1);
    close(fd);
    m_strConfig = config;
    if (!written) {
        return;
    }
    // On a loaded machine openbox now and then gives up at start; a few more tries cost nothing.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int attempt = 0; attempt < kStartAttempts && !m_bRunning; ++attempt) {
        m_pid = fork();
        if (m_pid == 0) {
            const int devNull = open("/dev/null", O_RDWR);
            dup2(devNull, STDOUT_FILENO);
            dup2(devNull, STDERR_FILENO);
            setenv("DISPLAY", display.c_str(), 1);
            execlp("openbox", "openbox", "--sm-disable", "--config-file", config,
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        if (m_pid < 0) {
            return;
        }
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                break;
            }
            if (RootIsManaged(display)) {
                m_bRunning = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (m_pid > 0) {
            return;
        }
    }
}

CWindowManager::~CWindowManager() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
    if (!m_strConfig.empty()) {
        unlink(m_strConfig.c_str());
    }
}
