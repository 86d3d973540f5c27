#include "sound/SoundPath.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace {

std::string WithSlashes(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool OpensForReading(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec) &&
           ::access(path.c_str(), R_OK) == 0;
}

std::string CurrentFolder(const SSoundSearch& where) {
    if (!where.currentFolder.empty()) {
        return where.currentFolder;
    }
    std::error_code ec;
    return std::filesystem::current_path(ec).string();
}

}  // namespace

std::string SoundFileName(const std::string& name) {
    const size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::string SoundNameWithoutExtension(const std::string& name) {
    const size_t nFileStart = name.size() - SoundFileName(name).size();
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot < nFileStart ? name : name.substr(0, dot);
}

std::string CleanedCopyName(const std::string& sound) {
    return SoundNameWithoutExtension(sound) + "_denoise.wav";
}

std::string ProfileFileName(const std::string& sound) {
    return SoundNameWithoutExtension(sound) + "_denoise.dat";
}

std::optional<std::string> FindSoundFile(const std::string& relative, const std::string& absolute,
                                         const SSoundSearch& where) {
    const std::string rel = WithSlashes(relative);
    const std::string abs = WithSlashes(absolute);
    const std::string current = CurrentFolder(where);
    std::vector<std::string> candidates;
    if (!rel.empty()) {
        if (!where.projectFolder.empty()) {
            candidates.push_back(Join(WithSlashes(where.projectFolder), rel));
        }
        candidates.push_back(Join(current, rel));
    }
    if (!abs.empty()) {
        candidates.push_back(abs);
        candidates.push_back(Join(current, SoundFileName(abs)));
        if (!where.ownFileFolder.empty()) {
            candidates.push_back(Join(WithSlashes(where.ownFileFolder), SoundFileName(abs)));
        }
    }
    for (const std::string& c : candidates) {
        if (OpensForReading(c)) {
            return c;
        }
    }
    return std::nullopt;
}
