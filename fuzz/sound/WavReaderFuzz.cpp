#include "fuzz/sound/WavReaderFuzz.h"

#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "sound/WavFile.h"

namespace {

// Touches every sample byte a reader reports, so that a range past the input is caught.
void CheckRange(const std::vector<uint8_t>& file, const SWavInfo& info) {
    if (!info.bHasData) {
        return;
    }
    if (info.nDataOffset > file.size() || info.nDataBytes > file.size() - info.nDataOffset) {
        std::abort();
    }
    volatile unsigned sum = 0;
    for (uint64_t i = 0; i < info.nDataBytes; ++i) {
        sum = sum + file[info.nDataOffset + i];
    }
    if (info.bDirect && info.nDataBytes % info.format.nBlockAlign != 0) {
        std::abort();
    }
}

}  // namespace

int FuzzWavReader(const uint8_t* pData, size_t nSize) {
    // A copy of exactly the input's size, so that reading past it is an error the sanitizer sees.
    const std::vector<uint8_t> file(pData, pData + nSize);
    if (const auto info = ReadWavInfo(file)) {
        CheckRange(file, *info);
    }
    const auto strict = ReadStrictWavHeader(
        [&file](uint64_t offset, std::span<uint8_t> out) -> size_t {
            if (offset >= file.size()) {
                return 0;
            }
            const size_t n = std::min<size_t>(out.size(), file.size() - offset);
            std::memcpy(out.data(), file.data() + offset, n);
            return n;
        },
        file.size());
    if (strict) {
        CheckRange(file, *strict);
    }
    return 0;
}
