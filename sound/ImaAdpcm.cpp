#include "sound/ImaAdpcm.h"

#include <algorithm>

#include "project/store/ByteOrder.h"

namespace {

constexpr int16_t kSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

constexpr int kIndexChange[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

struct SChannel {
    int nPredictor = 0;
    int nIndex = 0;

    int16_t Next(unsigned nNibble) {
        const int step = kSteps[nIndex];
        int diff = step >> 3;
        if (nNibble & 1) {
            diff += step >> 2;
        }
        if (nNibble & 2) {
            diff += step >> 1;
        }
        if (nNibble & 4) {
            diff += step;
        }
        nPredictor = std::clamp(nNibble & 8 ? nPredictor - diff : nPredictor + diff, -32768, 32767);
        nIndex = std::clamp(nIndex + kIndexChange[nNibble & 7], 0, 88);
        return static_cast<int16_t>(nPredictor);
    }
};

}  // namespace

bool DecodeImaAdpcmBlock(std::span<const uint8_t> block, int nChannels, std::vector<int16_t>& out) {
    const size_t nHeader = 4 * static_cast<size_t>(nChannels);
    if (nChannels < 1 || nChannels > 2 || block.size() < nHeader) {
        return false;
    }
    SChannel channels[2];
    for (int c = 0; c < nChannels; ++c) {
        const uint8_t* p = block.data() + 4 * c;
        channels[c].nPredictor = static_cast<int16_t>(GetU16(p));
        channels[c].nIndex = std::min<int>(p[2], 88);
        out.push_back(static_cast<int16_t>(channels[c].nPredictor));
    }
    // Each channel takes four bytes (eight samples) in turn.
    const size_t nGroup = 4 * static_cast<size_t>(nChannels);
    const size_t nGroups = (block.size() - nHeader) / nGroup;
    int16_t frame[2][8];
    for (size_t g = 0; g < nGroups; ++g) {
        const uint8_t* p = block.data() + nHeader + g * nGroup;
        for (int c = 0; c < nChannels; ++c) {
            for (int i = 0; i < 4; ++i) {
                const uint8_t b = p[4 * c + i];
                frame[c][2 * i] = channels[c].Next(b & 0x0F);
                frame[c][2 * i + 1] = channels[c].Next(b >> 4);
            }
        }
        for (int i = 0; i < 8; ++i) {
            for (int c = 0; c < nChannels; ++c) {
                out.push_back(frame[c][i]);
            }
        }
    }
    return true;
}
