#include "tests/support/FileSizeLimit.h"

#include <csignal>

CFileSizeLimit::CFileSizeLimit(rlim_t nBytes) {
    // A write past the limit then fails with EFBIG instead of ending the process.
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit limit = m_old;
    limit.rlim_cur = nBytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

CFileSizeLimit::~CFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_oldHandler);
}
