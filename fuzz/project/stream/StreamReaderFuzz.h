// The stream reader's fuzz entry, shared by the libFuzzer target and the test that replays the
// committed corpus.
//
// Input: byte 0 = frame count - 1 (modulo 32); byte 1 = switches (bit 0 15-bit pixels, bit 1 old
// record size, bit 2 even frames are key frames, bit 3 the last frame is a key frame, bit 4
// frame 1 duplicates picture 0, bit 5 frames take their cursor from a cursor table); bytes 2-3 =
// length T of the offset table; T bytes of table; the rest is the record data with its header.
#pragma once

#include <cstddef>
#include <cstdint>

int FuzzStreamReader(const uint8_t* pData, size_t nSize);
