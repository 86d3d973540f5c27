// Writes a picture (0x00RRGGBB pixels, top row first) as an 8-bit RGB PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The PNG bytes of a width x height picture; empty when the size is not usable.
std::vector<uint8_t> EncodePng(const std::vector<uint32_t>& pixels, int nWidth, int nHeight);
bool WritePngFile(const std::string& path, const std::vector<uint32_t>& pixels, int nWidth,
                  int nHeight);
