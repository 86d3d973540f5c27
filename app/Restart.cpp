#include "app/Restart.h"

#include <linux/close_range.h>
#include <unistd.h>

#include <climits>

bool RestartProgram(const std::vector<std::string>& args) {
    char self[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::vector<char*> argv;
    static char name[] = "quillomatic";
    argv.push_back(n > 0 ? self : name);
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    // The new instance must not inherit the open project, its locks or the display connection.
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    ::execv("/proc/self/exe", argv.data());
    return false;
}
