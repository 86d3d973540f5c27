#include "swf/SwfOutputFile.h"

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

CSwfOutputFile::~CSwfOutputFile() {
    Discard();
}

bool CSwfOutputFile::Open(const std::string& target) {
    Discard();
    m_strTarget = target;
    std::filesystem::path folder = std::filesystem::path(target).parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    static const char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::minstd_rand random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "$wf";
        for (int i = 0; i < 6; ++i) {
            name.push_back(kDigits[random() % (sizeof(kDigits) - 1)]);
        }
        const std::string temp = (folder / name).string();
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            m_strError = "Cannot create a file in " + folder.string() + ": " + Reason();
            return false;
        }
        m_pFile = ::fdopen(fd, "wb");
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

bool CSwfOutputFile::Commit() {
    if (m_pFile == nullptr) {
        return false;
    }
    // The data reaches the disk before the rename, so that a crash never leaves an empty movie
    // in place of the old one.
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
    if (std::rename(m_strTemp.c_str(), m_strTarget.c_str()) != 0) {
        m_strError = "Cannot replace " + m_strTarget + ": " + Reason();
        Discard();
        return false;
    }
    m_strTemp.clear();
    return true;
}

void CSwfOutputFile::Discard() {
    if (m_pFile != nullptr) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
    if (!m_strTemp.empty()) {
        ::unlink(m_strTemp.c_str());
        m_strTemp.clear();
    }
}
