#include "platform/DiskSpace.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <cstdint>

std::optional<uint64_t> FreeDiskSpace(const std::string& folder) {
    struct statvfs s {};
    if (::statvfs(folder.empty() ? "." : folder.c_str(), &s) != 0) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(s.f_bavail) * s.f_frsize;
}

int64_t FreeDiskBytes(const std::string& folder) {
    const std::optional<uint64_t> bytes = FreeDiskSpace(folder);
    return bytes ? static_cast<int64_t>(std::min<uint64_t>(*bytes, INT64_MAX)) : INT64_MAX;
}
