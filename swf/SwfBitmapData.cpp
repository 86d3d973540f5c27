#include "swf/SwfBitmapData.h"

#include <zlib.h>

#include <new>

namespace swf_bitmap {

std::vector<uint8_t> ColorMappedPayload(uint32_t width, uint32_t height,
                                        std::span<const uint8_t> indexes,
                                        std::span<const uint32_t> palette, bool alpha) {
    const size_t entryBytes = alpha ? 4 : 3;
    const size_t stride = ColorMappedStride(width);
    std::vector<uint8_t> out(palette.size() * entryBytes + stride * height, 0);
    uint8_t* p = out.data();
    for (uint32_t entry : palette) {
        const uint8_t r = uint8_t(entry), g = uint8_t(entry >> 8), b = uint8_t(entry >> 16);
        if (alpha) {
            const uint8_t a = uint8_t(entry >> 24);
            *p++ = Premultiply(r, a);
            *p++ = Premultiply(g, a);
            *p++ = Premultiply(b, a);
            *p++ = a;
        } else {
            *p++ = r;
            *p++ = g;
            *p++ = b;
        }
    }
    for (uint32_t y = 0; y < height; ++y) {
        const size_t from = size_t(y) * width;
        for (uint32_t x = 0; x < width && from + x < indexes.size(); ++x) {
            p[x] = indexes[from + x];
        }
        p += stride;
    }
    return out;
}

std::vector<uint8_t> ArgbPayload(uint32_t width, uint32_t height, std::span<const uint32_t> pixels,
                                 bool alpha) {
    const size_t count = size_t(width) * height;
    std::vector<uint8_t> out(count * 4, 0);
    for (size_t i = 0; i < count && i < pixels.size(); ++i) {
        const uint32_t px = pixels[i];
        const uint8_t a = alpha ? uint8_t(px >> 24) : 0xFF;
        const uint8_t r = uint8_t(px >> 16), g = uint8_t(px >> 8), b = uint8_t(px);
        uint8_t* q = out.data() + i * 4;
        q[0] = a;
        q[1] = alpha ? Premultiply(r, a) : r;
        q[2] = alpha ? Premultiply(g, a) : g;
        q[3] = alpha ? Premultiply(b, a) : b;
    }
    return out;
}

std::vector<uint8_t> PremultipliedRgb(std::span<const uint8_t> rgb,
                                      std::span<const uint8_t> alpha) {
    std::vector<uint8_t> out(rgb.begin(), rgb.end());
    for (size_t i = 0; i < out.size(); ++i) {
        const size_t pixel = i / 3;
        out[i] = Premultiply(out[i], pixel < alpha.size() ? alpha[pixel] : 255);
    }
    return out;
}

std::vector<uint8_t> Compress(std::span<const uint8_t> data) {
    uLongf size = compressBound(uLong(data.size()));
    std::vector<uint8_t> out(size);
    if (compress2(out.data(), &size, data.data(), uLong(data.size()), Z_BEST_COMPRESSION) != Z_OK) {
        throw std::bad_alloc();
    }
    out.resize(size);
    return out;
}

}  // namespace swf_bitmap
