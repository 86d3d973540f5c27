// IMA ADPCM in WAV files (format tag 17, 4 bits per sample): blocks that each start with one
// header per channel (first sample and step index) followed by nibbles, in groups of eight per
// channel when there are two channels. Decoded with the standard shift-and-add step.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

constexpr uint16_t kWaveFormatImaAdpcm = 17;

// Decodes one block (possibly cut short at the end of the file) to interleaved 16-bit samples,
// appended to `out`. False when the block is too short to hold its headers.
bool DecodeImaAdpcmBlock(std::span<const uint8_t> block, int nChannels, std::vector<int16_t>& out);
