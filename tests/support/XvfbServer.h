// A private X server for one test or fixture: Xvfb on a display number it picks itself, stopped
// when the object goes away. Tests that use it need no display of their caller.
#pragma once

#include <sys/types.h>

#include <string>

class CXvfbServer {
public:
    struct SOptions {
        int width = 1024;
        int height = 768;
        bool sharedMemory = true;  // false starts the server without MIT-SHM
    };

    CXvfbServer() : CXvfbServer(SOptions{}) {}
    explicit CXvfbServer(const SOptions& options);
    ~CXvfbServer();
    CXvfbServer(const CXvfbServer&) = delete;
    CXvfbServer& operator=(const CXvfbServer&) = delete;

    bool Running() const { return !m_strDisplay.empty(); }
    // ":N", for CX11Display or DISPLAY.
    const std::string& Display() const { return m_strDisplay; }
    // Why the server did not start.
    const std::string& Error() const { return m_strError; }

private:
    pid_t m_pid = -1;
    std::string m_strDisplay;
    std::string m_strError;
};
