// A private sound server for one test, started with scripts/sound-test-server.sh in a fresh
// folder and stopped when the object goes. While it runs, PULSE_SERVER names it, so the sound
// layer of the test process talks only to it.
#pragma once

#include <string>

#include "tests/support/TempDir.h"

class CPulseTestServer {
public:
    CPulseTestServer();
    ~CPulseTestServer();
    CPulseTestServer(const CPulseTestServer&) = delete;
    CPulseTestServer& operator=(const CPulseTestServer&) = delete;

    bool IsRunning() const { return m_bRunning; }
    // The fifo that feeds the "quillo_in" source: signed 16-bit mono at 44100 Hz.
    std::string InputFifo() const { return m_dir.File("in.fifo"); }
    static constexpr const char* kOutputMonitor = "quillo_out.monitor";
    static constexpr const char* kInput = "quillo_in";

private:
    CTempDir m_dir;
    bool m_bRunning = false;
};
