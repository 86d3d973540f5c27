// The start-up steps that do not need a window: the crash reporter, the settings folder with
// its first-start files, "vidcap.data", the MP3 encoder and the command line. Each step's
// outcome is kept, and what went wrong is said on the diagnostic output.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/CommandLine.h"
#include "app/ExternalModules.h"
#include "settings/SettingsFiles.h"

inline constexpr const char* kVidcapFileName = "vidcap.data";

struct SStartupOptions {
    std::vector<std::string> args;  // after the program name
    std::string currentFolder;
    std::string programFolder;
    // The settings folder; empty: found as usual.
    std::optional<std::string> settingsFolder;
    // The program's "vidcap.data" resource; empty when the program carries none.
    std::optional<std::string_view> vidcapResource;
    // The registry files (tests); empty: the user's and the machine's.
    std::optional<std::pair<std::string, std::string>> registryFiles;
};

class CStartup {
public:
    explicit CStartup(const SStartupOptions& options);

    // Runs the steps in their order.
    void Run();

    CSettingsFiles& Settings() { return m_settings; }
    const SCommandLine& CommandLine() const { return m_commandLine; }
    bool Mp3Available() const { return m_mp3.Loaded(); }
    CPluginModule& Mp3Encoder() { return m_mp3; }
    const std::vector<std::string>& Diagnostics() const { return m_diagnostics; }

private:
    void Diagnose(std::string text);

    SStartupOptions m_options;
    CSettingsFiles m_settings;
    CPluginModule m_mp3;
    SCommandLine m_commandLine;
    std::vector<std::string> m_diagnostics;
};

// Writes "vidcap.data" from the resource when the file does not exist. Returns false with a
// reason when the file is still missing afterwards.
bool EnsureVidcapData(const std::string& settingsFolder,
                      const std::optional<std::string_view>& resource, std::string& reason);
