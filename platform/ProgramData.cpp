#include "platform/ProgramData.h"

#include <cstdlib>
#include <system_error>

std::filesystem::path RunningExecutableFolder() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : self.parent_path();
}

std::filesystem::path FindProgramData(std::string_view name) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (const char* dir = std::getenv("QUILLO_DATA_DIR"); dir != nullptr && *dir != '\0') {
        const fs::path p = fs::path(dir) / name;
        return fs::exists(p, ec) ? p : fs::path();
    }
    const fs::path exe = RunningExecutableFolder();
    for (const fs::path& base : {exe, exe.parent_path(), fs::path(QUILLO_BINARY_DIR)}) {
        if (!base.empty() && fs::exists(base / name, ec)) {
            return base / name;
        }
    }
    return {};
}
