// A window manager (openbox) on a test's X server, so that programs under test get the focus,
// decorations and stacking of a desktop; stopped when the object goes away.
#pragma once

#include <sys/types.h>

#include <string>

class CWindowManager {
public:
    explicit CWindowManager(const std::string& display);
    ~CWindowManager();
    CWindowManager(const CWindowManager&) = delete;
    CWindowManager& operator=(const CWindowManager&) = delete;

    // The manager runs and has taken the screen.
    bool Running() const { return m_bRunning; }

private:
    std::string m_strConfig;
    pid_t m_pid = -1;
    bool m_bRunning = false;
};
