// The pixel payloads of lossless bitmaps, laid out as players read them, and the zlib
// compression shared by lossless pixels and JPEG alpha planes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace swf_bitmap {

// Bytes of one colour-mapped row: one index per pixel, padded to a multiple of 4.
constexpr uint32_t ColorMappedStride(uint32_t width) {
    return (width + 3) & ~uint32_t{3};
}

// The palette (3 bytes red, green, blue per entry, or 4 with alpha) followed by the rows of
// indexes, each padded with zero bytes to a multiple of 4. Palette entries are packed with red
// in the low byte and alpha in the high byte; with `alpha` the colours are premultiplied.
std::vector<uint8_t> ColorMappedPayload(uint32_t width, uint32_t height,
                                        std::span<const uint8_t> indexes,
                                        std::span<const uint32_t> palette, bool alpha);

// Four bytes per pixel: alpha, red, green, blue. Pixels are 0xAARRGGBB with straight
// (unmultiplied) alpha; with `alpha` the colours are premultiplied, without it the first byte is
// 0xFF and the pixel's high byte is ignored.
std::vector<uint8_t> ArgbPayload(uint32_t width, uint32_t height, std::span<const uint32_t> pixels,
                                 bool alpha);

// channel x alpha / 255, truncated.
constexpr uint8_t Premultiply(uint8_t channel, uint8_t alpha) {
    return uint8_t(unsigned{channel} * alpha / 255u);
}

// Red, green, blue bytes multiplied by one alpha byte per pixel, for the JPEG data of a bitmap
// with an alpha plane: players take that data as premultiplied colour.
std::vector<uint8_t> PremultipliedRgb(std::span<const uint8_t> rgb, std::span<const uint8_t> alpha);

// One zlib stream at the best compression level.
std::vector<uint8_t> Compress(std::span<const uint8_t> data);

}  // namespace swf_bitmap
