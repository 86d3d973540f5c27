// The desktop program's start-up for the window tests: its settings folder, registry files and
// temporary folder lie in the test's own folder.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/Startup.h"
#include "tests/support/TempDir.h"

inline std::unique_ptr<CStartup> StartProgramIn(const CTempDir& dir, std::vector<std::string> args,
                                                const std::string& settingsFolder) {
    SStartupOptions o;
    o.args = std::move(args);
    o.currentFolder = dir.Path().string();
    o.programFolder = dir.File("bin");
    o.settingsFolder = settingsFolder;
    o.registryFiles = {{dir.File("user.ini"), dir.File("machine.ini")}};
    o.vidcapResource = std::string_view("vidcap");
    auto startup = std::make_unique<CStartup>(o);
    startup->Run();
    std::filesystem::create_directories(dir.File("tmp"));
    startup->Settings().m_settings.m_strTempDirectory = dir.File("tmp") + "/";
    return startup;
}

// The same without the hints a first recording or publish shows.
inline std::unique_ptr<CStartup> StartProgramWithoutHints(const CTempDir& dir,
                                                          std::vector<std::string> args) {
    auto startup = StartProgramIn(dir, std::move(args), dir.File("settings"));
    startup->Settings().m_state.m_bRecordingHint = 0;
    startup->Settings().m_state.m_bCreatingHint = 0;
    return startup;
}
