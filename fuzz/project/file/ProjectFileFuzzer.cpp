#include "fuzz/project/file/ProjectFileFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    return FuzzProjectOpen(pData, nSize);
}
