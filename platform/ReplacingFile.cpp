#include "platform/ReplacingFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

namespace {

std::string Reason() {
    return std::strerror(errno);
}

}  // namespace

CReplacingFile::~CReplacingFile() {
    Discard();
}

bool CReplacingFile::Open(const std::string& target, std::string_view prefix) {
    Discard();
    m_strError.clear();
    m_strTarget = target;
    const std::filesystem::path path(target);
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    const std::string stem = prefix.empty() ? path.filename().string() + "." : std::string(prefix);
    static const char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::minstd_rand random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = stem;
        for (int i = 0; i < 6; ++i) {
            name.push_back(kDigits[random() % (sizeof(kDigits) - 1)]);
        }
        const std::string temp = (folder / name).string();
        const int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            m_strError = "Cannot create a file in " + folder.string() + ": " + Reason();
            return false;
        }
        m_pFile = ::fdopen(fd, "w+b");
        if (m_pFile == nullptr) {
            m_strError = "Cannot write " + temp + ": " + Reason();
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        m_strTemp = temp;
        return true;
    }
    m_strError = "Cannot create a file in " + folder.string() + ": no free temporary name";
    return false;
}

bool CReplacingFile::Close() {
    if (m_pFile == nullptr) {
        return !m_strTemp.empty();
    }
    // The data reaches the disk before the rename, so that a crash never leaves an empty file in
    // place of the old one.
    std::string failure;
    if (std::fflush(m_pFile) != 0 || std::ferror(m_pFile) || ::fsync(::fileno(m_pFile)) != 0) {
        failure = Reason();
    }
    if (std::fclose(m_pFile) != 0 && failure.empty()) {
        failure = Reason();
    }
    m_pFile = nullptr;
    if (!failure.empty()) {
        m_strError = "Cannot write " + m_strTarget + ": " + failure;
        Discard();
        return false;
    }
    return true;
}

bool CReplacingFile::Commit() {
    if (!Close()) {
        return false;
    }
    if (std::rename(m_strTemp.c_str(), m_strTarget.c_str()) != 0) {
        m_strError = "Cannot replace " + m_strTarget + ": " + Reason();
        Discard();
        return false;
    }
    m_strTemp.clear();
    return true;
}

void CReplacingFile::Discard() {
    if (m_pFile != nullptr) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
    if (!m_strTemp.empty()) {
        ::unlink(m_strTemp.c_str());
        m_strTemp.clear();
    }
}

bool WriteFileReplacing(const std::string& path, std::string_view bytes, std::string* error) {
    CReplacingFile file;
    std::string why;
    if (!file.Open(path)) {
        why = file.Error();
    } else if (std::fwrite(bytes.data(), 1, bytes.size(), file.File()) != bytes.size()) {
        why = "Cannot write " + path + ": " + Reason();
    } else if (!file.Commit()) {
        why = file.Error();
    }
    if (why.empty()) {
        return true;
    }
    if (error != nullptr) {
        *error = std::move(why);
    }
    return false;
}
