#include "tests/support/PulseTestServer.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::string Script() {
    return std::string(QUILLO_SOURCE_DIR) + "/scripts/sound-test-server.sh";
}

}  // namespace

CPulseTestServer::CPulseTestServer() {
    const std::string command = "'" + Script() + "' start '" + m_dir.Path().string() + "'";
    std::FILE* p = ::popen(command.c_str(), "r");
    if (!p) {
        return;
    }
    char line[4096] = {};
    const bool bRead = std::fgets(line, sizeof line, p) != nullptr;
    const int status = ::pclose(p);
    std::string text = bRead ? line : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    const std::string prefix = "PULSE_SERVER=";
    if (status == 0 && text.rfind(prefix, 0) == 0) {
        ::setenv("PULSE_SERVER", text.substr(prefix.size()).c_str(), 1);
        m_bRunning = true;
    }
}

CPulseTestServer::~CPulseTestServer() {
    const std::string command = "'" + Script() + "' stop '" + m_dir.Path().string() + "'";
    std::system(command.c_str());
    ::unsetenv("PULSE_SERVER");
}
