#include "tests/support/TempDir.h"

#include <stdlib.h>

#include <stdexcept>
#include <system_error>

CTempDir::CTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillo-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_path = pattern;
}

CTempDir::~CTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}
