// The recent-files list: up to six project files, oldest first, and the entries the "&File"
// menu shows for them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct SRecentMenuEntry {
    std::string label;     // "&%d %s.lumo"
    std::size_t nCommand;  // 0 for File1 ... 5 for File6: the name's place in the list
    std::string path;
};

class CRecentFiles {
public:
    static constexpr std::size_t kMaxFiles = 6;

    // Works on the list kept in the program state file.
    explicit CRecentFiles(std::vector<std::string>& files) : m_files(files) {}

    // Puts a name at the end: moved there when already held, else appended, dropping the
    // oldest when the list is full.
    void Add(const std::string& path);
    // Newest first, without the open project, numbered down from the number shown.
    std::vector<SRecentMenuEntry> MenuEntries(const std::string& currentProject) const;
    const std::vector<std::string>& Files() const { return m_files; }

private:
    std::vector<std::string>& m_files;
};
