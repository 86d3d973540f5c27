#include "fuzz/project/stream/StreamReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    return FuzzStreamReader(pData, nSize);
}
