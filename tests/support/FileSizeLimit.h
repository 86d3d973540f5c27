// While the object lives, writes that would make any file of the process larger than a given
// size fail as they do on a full disk.
#pragma once

#include <sys/resource.h>

class CFileSizeLimit {
public:
    explicit CFileSizeLimit(rlim_t nBytes);
    ~CFileSizeLimit();
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};
