// Pieces shared by the reading and the writing of project files: the messages, the version
// limits and small helpers around stdio files.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "project/file/OffsetTable.h"

namespace projectfile {

namespace fs = std::filesystem;

inline constexpr const char* kSaveCaption = "Save Quillo...";
inline constexpr const char* kErrorCaption = "Quillo Error";
inline constexpr const char* kInUse =
    "Selected file is currently in use.  Please select a different file name.   ";
inline constexpr const char* kDiskFull =
    "Unable to save to selected file (disk full?).  Please select another location.    ";
inline constexpr const char* kCorruptedSave =
    "Cannot save to selected file (project is corrupted).  Save operation aborted.   ";
inline constexpr const char* kCannotCreate =
    "Cannot save to selected file.  Save operation aborted.   ";
inline constexpr const char* kLaterVersion =
    "This demo was created with a later version of Quillo\n"
    "Please upgrade to the latest version of Quillo from the Brindlework web site.";
inline constexpr const char* kMissingSource = "Unable to open source video file:    \n%s    ";

inline constexpr int kOldestVersion = 1;
inline constexpr int kLaterVersionFirst = 748;
inline constexpr int kLaterVersionLast = 7469;
inline constexpr std::size_t kMaxCursorPixels = 1 << 20;
inline constexpr std::int32_t kCorruptedDuration = 10;

struct SFileCloser {
    void operator()(std::FILE* f) const {
        if (f != nullptr) {
            std::fclose(f);
        }
    }
};
using TFile = std::unique_ptr<std::FILE, SFileCloser>;

inline std::optional<std::uint64_t> FileSize(std::FILE* f) {
    struct stat st {};
    if (f == nullptr || ::fstat(::fileno(f), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(st.st_size);
}

inline bool SeekTo(std::FILE* f, std::uint64_t pos) {
    return ::fseeko(f, static_cast<off_t>(pos), SEEK_SET) == 0;
}

inline bool WriteAll(std::FILE* f, const void* data, std::size_t size) {
    return size == 0 || std::fwrite(data, 1, size, f) == size;
}

// Drops bytes after the trailer. When that fails the file is still whole: bytes after the
// trailer are never read.
inline void Truncate(std::FILE* f, std::uint64_t size) {
    if (std::fflush(f) == 0 && ::ftruncate(::fileno(f), static_cast<off_t>(size)) == 0) {
        return;
    }
    std::clearerr(f);
}

inline bool Sync(std::FILE* f) {
    return std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
}

// Writes the trailer offset slot: 8 bytes in a 64-bit table, 4 in a 32-bit one.
inline bool WriteSlot(std::FILE* f, const SOffsetTable& table, std::uint64_t value) {
    std::uint8_t b[8];
    for (int i = 0; i < 8; ++i) {
        b[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return SeekTo(f, table.nSlotPos) && WriteAll(f, b, table.EntrySize()) && Sync(f);
}

inline std::string FolderOf(const std::string& file) {
    fs::path p(file);
    std::string folder = p.has_parent_path() ? p.parent_path().string() : std::string(".");
    if (folder.empty() || folder.back() != '/') {
        folder.push_back('/');
    }
    return folder;
}

inline std::string StemOf(const std::string& file) {
    return fs::path(file).stem().string();
}

inline bool EndsWithLumo(const std::string& name) {
    if (name.size() < 5) {
        return false;
    }
    std::string ext = name.substr(name.size() - 5);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return ext == ".lumo";
}

inline bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out) {
    TFile f(std::fopen(path.c_str(), "rb"));
    auto size = FileSize(f.get());
    if (!size) {
        return false;
    }
    out.resize(static_cast<std::size_t>(*size));
    return out.empty() || std::fread(out.data(), 1, out.size(), f.get()) == out.size();
}

inline std::string RelativeName(const std::string& file, const std::string& folder) {
    fs::path rel = fs::path(file).lexically_relative(fs::path(folder));
    if (folder.empty() || rel.empty() || fs::path(file).is_relative()) {
        return file;
    }
    return rel.string();
}

// A readable regular file: names from a project file must never make the reader wait on a
// pipe or a device.
inline bool IsReadableFile(const std::string& name) {
    struct stat st {};
    return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(name.c_str(), R_OK) == 0;
}

}  // namespace projectfile
