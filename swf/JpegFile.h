// Reading and writing baseline JPEG pictures of red, green, blue bytes (rows top to bottom).
// Failures are shown through the prompter and give an empty result.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class IPrompter;

class CJpegFile {
public:
    // Width x height x 3 bytes; grey-scale files are expanded to three equal channels. Colour
    // spaces without a conversion to RGB (CMYK, YCCK) are refused.
    static std::vector<uint8_t> ReadJpegFile(const std::string& path, int& width, int& height,
                                             IPrompter& prompter);
    static std::vector<uint8_t> DecodeJpeg(std::span<const uint8_t> data, int& width, int& height,
                                           IPrompter& prompter);

    // `rgb` holds width x height x 3 bytes. With `color` false the picture is stored as one
    // grey byte per pixel (0.299 R + 0.587 G + 0.114 B, truncated). Quality 0..100.
    // Returns 1 on success, 0 on failure.
    static int WriteJpegFile(const std::string& path, std::span<const uint8_t> rgb, int width,
                             int height, bool color, int quality, IPrompter& prompter);
    // The same JPEG file, produced in memory (from SOI to EOI).
    static std::vector<uint8_t> EncodeJpeg(std::span<const uint8_t> rgb, int width, int height,
                                           bool color, int quality, IPrompter& prompter);
};
