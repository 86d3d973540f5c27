// The playing length of a WAV file, read from its header: what a project needs to know of the
// sounds its frames name when it opens.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Milliseconds of sound in a RIFF WAVE file, rounded down; empty when the file is not one or
// its header is damaged. A data chunk longer than the file counts only the bytes present.
std::optional<std::int64_t> WavLengthMs(const std::string& fileName);
