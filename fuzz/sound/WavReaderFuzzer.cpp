#include "fuzz/sound/WavReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    return FuzzWavReader(pData, nSize);
}
