#include "settings/SettingsFolder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "settings/RegistryValues.h"

namespace fs = std::filesystem;

namespace {

std::string WithSlash(std::string path) {
    if (!path.empty() && path.back() != '/') {
        path.push_back('/');
    }
    return path;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr ? std::string(home) : std::string();
}

// The XDG_DOCUMENTS_DIR line of user-dirs.dirs: XDG_DOCUMENTS_DIR="$HOME/Documents".
std::string DocumentsFromUserDirs() {
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
        config = xdg;
    } else if (!HomeFolder().empty()) {
        config = HomeFolder() + "/.config";
    } else {
        return {};
    }
    std::ifstream in(config + "/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_DOCUMENTS_DIR=";
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) != 0) {
            continue;
        }
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.rfind("$HOME", 0) == 0) {
            value = HomeFolder() + value.substr(5);
        }
        return value.empty() || value.front() != '/' ? std::string() : value;
    }
    return {};
}

}  // namespace

bool CanEnterFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec) && ::access(path.c_str(), X_OK) == 0;
}

bool EnsureFolder(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    std::error_code ec;
    fs::create_directories(path, ec);
    return CanEnterFolder(path);
}

std::string DocumentsFolder() {
    if (const char* docs = std::getenv("XDG_DOCUMENTS_DIR"); docs != nullptr && *docs != '\0') {
        return docs;
    }
    return DocumentsFromUserDirs();
}

std::string RunningProgramFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

CSettingsFolder::CSettingsFolder(std::string programFolder, const CRegistryValues* registry,
                                 std::optional<std::string> folder)
    : m_programFolder(std::move(programFolder)) {
    if (!folder) {
        if (const char* env = std::getenv(kEnvironmentOverride); env != nullptr && *env != '\0') {
            folder = env;
        }
    }
    if (folder) {
        if (EnsureFolder(*folder)) {
            m_path = WithSlash(*folder);
        }
        return;
    }
    for (const std::string& parent : {DocumentsFolder(), HomeFolder()}) {
        if (!parent.empty() && EnsureFolder(WithSlash(parent) + kFolderName)) {
            m_path = WithSlash(WithSlash(parent) + kFolderName);
            return;
        }
    }
    std::error_code ec;
    if (!m_programFolder.empty() && fs::exists(fs::path(m_programFolder) / kProgramName, ec)) {
        m_path = WithSlash(m_programFolder);
        return;
    }
    if (registry != nullptr) {
        if (auto location = registry->Location(); location && CanEnterFolder(*location)) {
            m_path = WithSlash(*location);
        }
    }
}

std::string CSettingsFolder::ProgramFile(std::string_view name) const {
    return m_programFolder.empty() ? std::string() : WithSlash(m_programFolder) + std::string(name);
}
