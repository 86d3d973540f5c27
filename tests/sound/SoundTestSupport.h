// Helpers of the sound tests: running the outside tools (sox, ffmpeg) that make and judge sound
// files, and writing small WAV files.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Quotes a string for the shell.
std::string ShellQuote(const std::string& s);
// Runs a shell command; true when it exits with 0.
bool RunShell(const std::string& command);
// Runs a shell command and returns what it wrote to stdout; nothing when it failed.
std::optional<std::vector<uint8_t>> ShellOutput(const std::string& command);
// `sox FILE -t s16 -` without dither: the file's samples as signed 16-bit.
std::vector<int16_t> SoxSamples16(const std::string& path);

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes);

// A PCM WAV file with the 44-byte header.
void WriteWav16(const std::string& path, int nRate, int nChannels, std::span<const int16_t> s);

std::vector<int16_t> AsSamples16(std::span<const uint8_t> bytes);
