#include "app/Startup.h"

#include <cstdio>
#include <filesystem>

#include "platform/AtomicFile.h"

namespace fs = std::filesystem;

namespace {

CRegistryValues MakeRegistry(const SStartupOptions& options) {
    if (options.registryFiles) {
        return CRegistryValues(options.registryFiles->first, options.registryFiles->second);
    }
    return CRegistryValues();
}

}  // namespace

bool EnsureVidcapData(const std::string& settingsFolder,
                      const std::optional<std::string_view>& resource, std::string& reason) {
    const std::string path = settingsFolder + kVidcapFileName;
    std::error_code ec;
    if (fs::exists(path, ec)) {
        return true;
    }
    if (!resource) {
        reason = "the program carries no vidcap.data resource; " + path + " was not written";
        return false;
    }
    if (!WriteFileAtomically(path, *resource)) {
        reason = "cannot write " + path;
        return false;
    }
    return true;
}

CStartup::CStartup(const SStartupOptions& options)
    : m_options(options),
      m_settings(MakeRegistry(options), options.programFolder, options.settingsFolder) {}

void CStartup::Diagnose(std::string text) {
    std::fprintf(stderr, "quillomatic: %s\n", text.c_str());
    m_diagnostics.push_back(std::move(text));
}

void CStartup::Run() {
    const std::string& folder = m_settings.Folder().Path();
    if (folder.empty()) {
        Diagnose("no settings folder could be found or made; settings will not be kept");
    }
    if (!BindMp3Encoder(m_mp3, m_options.programFolder)) {
        Diagnose("MP3 encoding is not available: " + m_mp3.Error());
    }
    std::string reason;
    if (!folder.empty() && !EnsureVidcapData(folder, m_options.vidcapResource, reason)) {
        Diagnose(reason);
    }
    m_commandLine = ParseCommandLine(m_options.args, m_options.currentFolder);
    for (const std::string& error : m_commandLine.errors) {
        Diagnose(error);
    }
    m_settings.Start();
}
