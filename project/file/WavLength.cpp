#include "project/file/WavLength.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct SFileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Chunks before the data chunk are few; a file that claims more is not a sound.
constexpr int kMaxChunks = 64;
constexpr size_t kFmtBytes = 16;

}  // namespace

std::optional<std::int64_t> WavLengthMs(const std::string& fileName) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    std::unique_ptr<std::FILE, SFileCloser> file(std::fopen(fileName.c_str(), "rb"));
    unsigned char riff[12];
    if (!file || std::fread(riff, 1, sizeof riff, file.get()) != sizeof riff ||
        std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) {
        return std::nullopt;
    }
    const uint64_t nFileSize = static_cast<uint64_t>(st.st_size);
    uint64_t nPos = sizeof riff;
    uint32_t nByteRate = 0;
    for (int i = 0; i < kMaxChunks; ++i) {
        unsigned char head[8];
        if (std::fread(head, 1, sizeof head, file.get()) != sizeof head) {
            return std::nullopt;
        }
        nPos += sizeof head;
        const uint64_t nSize = Le32(head + 4);
        if (std::memcmp(head, "fmt ", 4) == 0) {
            unsigned char fmt[kFmtBytes];
            if (nSize < kFmtBytes || std::fread(fmt, 1, sizeof fmt, file.get()) != sizeof fmt) {
                return std::nullopt;
            }
            nByteRate = Le32(fmt + 8);
            nPos += sizeof fmt;
            if (std::fseek(file.get(), static_cast<long>(nSize - kFmtBytes + (nSize & 1)),
                           SEEK_CUR) != 0) {
                return std::nullopt;
            }
            nPos += nSize - kFmtBytes + (nSize & 1);
        } else if (std::memcmp(head, "data", 4) == 0) {
            if (nByteRate == 0) {
                return std::nullopt;
            }
            const uint64_t nPresent = nPos < nFileSize ? nFileSize - nPos : 0;
            const uint64_t nBytes = nSize < nPresent ? nSize : nPresent;
            return static_cast<std::int64_t>(nBytes * 1000 / nByteRate);
        } else {
            const uint64_t nSkip = nSize + (nSize & 1);
            if (nPos + nSkip > nFileSize ||
                std::fseek(file.get(), static_cast<long>(nSkip), SEEK_CUR) != 0) {
                return std::nullopt;
            }
            nPos += nSkip;
        }
    }
    return std::nullopt;
}
