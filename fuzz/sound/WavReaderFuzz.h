// The WAV readers' fuzz entry, shared by the libFuzzer target and the test that replays the
// committed corpus. The input is a whole file.
#pragma once

#include <cstddef>
#include <cstdint>

int FuzzWavReader(const uint8_t* pData, size_t nSize);
