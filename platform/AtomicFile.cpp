#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    std::string pattern = path + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) {
        return false;
    }
    ::fchmod(fd, 0644);
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            ok = false;
        } else {
            done += static_cast<std::size_t>(n);
        }
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(name.data(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(name.data());
    }
    return ok;
}

bool ReadSmallFile(const std::string& path, std::string& bytes, std::size_t maxSize) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return false;
    }
    bytes.clear();
    char buf[65536];
    bool ok = true;
    while (true) {
        std::size_t n = std::fread(buf, 1, sizeof buf, f);
        bytes.append(buf, n);
        if (bytes.size() > maxSize) {
            ok = false;
            break;
        }
        if (n < sizeof buf) {
            ok = std::ferror(f) == 0;
            break;
        }
    }
    std::fclose(f);
    return ok;
}
