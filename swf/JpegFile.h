// Reading and writing baseline JPEG pictures of red, green, blue bytes (rows top to bottom).
// A failure gives no data and says why; showing it is the caller's choice.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The caption under which callers show a codec failure.
inline constexpr const char* kJpegErrorCaption = "Quillo Error";

struct SJpegResult {
    std::vector<uint8_t> data;  // the pixels read or the file made; empty on failure
    int nWidth = 0;             // of a picture read
    int nHeight = 0;
    std::string strError;  // why it failed, empty on success

    bool Ok() const { return strError.empty(); }
};

class CJpegFile {
public:
    // Width x height x 3 bytes; grey-scale files are expanded to three equal channels. Colour
    // spaces without a conversion to RGB (CMYK, YCCK) are refused.
    static SJpegResult ReadJpegFile(const std::string& path);
    static SJpegResult DecodeJpeg(std::span<const uint8_t> data);

    // `rgb` holds width x height x 3 bytes. With `color` false the picture is stored as one
    // grey byte per pixel (0.299 R + 0.587 G + 0.114 B, truncated). Quality 0..100.
    static SJpegResult WriteJpegFile(const std::string& path, std::span<const uint8_t> rgb,
                                     int width, int height, bool color, int quality);
    // The same JPEG file, produced in memory (from SOI to EOI).
    static SJpegResult EncodeJpeg(std::span<const uint8_t> rgb, int width, int height, bool color,
                                  int quality);
};
