#include "platform/AtomicFile.h"

#include <cstdio>

#include "platform/ReplacingFile.h"

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    return WriteFileReplacing(path, bytes);
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
