#include "app/RecentFiles.h"

#include <algorithm>
#include <filesystem>

void CRecentFiles::Add(const std::string& path) {
    auto at = std::find(m_files.begin(), m_files.end(), path);
    if (at != m_files.end()) {
        m_files.erase(at);
    }
    while (m_files.size() >= kMaxFiles) {
        m_files.erase(m_files.begin());
    }
    m_files.push_back(path);
}

std::vector<SRecentMenuEntry> CRecentFiles::MenuEntries(const std::string& currentProject) const {
    std::vector<SRecentMenuEntry> entries;
    for (std::size_t i = m_files.size(); i-- > 0;) {
        if (m_files[i] != currentProject && !m_files[i].empty()) {
            entries.push_back({std::string(), i, m_files[i]});
        }
    }
    std::size_t n = entries.size();
    for (SRecentMenuEntry& e : entries) {
        e.label = "&" + std::to_string(n--) + " " + std::filesystem::path(e.path).stem().string() +
                  ".lumo";
    }
    return entries;
}
