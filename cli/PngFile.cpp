#include "cli/PngFile.h"

#include <zlib.h>

#include <cstdio>

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(v >> shift));
    }
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    Put32(out, static_cast<uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc =
        crc32(crc32(0, nullptr, 0), out.data() + start, static_cast<uInt>(out.size() - start));
    Put32(out, static_cast<uint32_t>(crc));
}

}  // namespace

std::vector<uint8_t> EncodePng(const std::vector<uint32_t>& pixels, int nWidth, int nHeight) {
    if (nWidth <= 0 || nHeight <= 0 ||
        pixels.size() != static_cast<std::size_t>(nWidth) * static_cast<std::size_t>(nHeight)) {
        return {};
    }
    // Every row starts with filter type 0 (none).
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(nHeight) * (1 + 3 * static_cast<std::size_t>(nWidth)));
    for (int y = 0; y < nHeight; ++y) {
        raw.push_back(0);
        for (int x = 0; x < nWidth; ++x) {
            const uint32_t px = pixels[static_cast<std::size_t>(y) * nWidth + x];
            raw.push_back(static_cast<uint8_t>(px >> 16));
            raw.push_back(static_cast<uint8_t>(px >> 8));
            raw.push_back(static_cast<uint8_t>(px));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) !=
        Z_OK) {
        return {};
    }
    packed.resize(packedSize);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    Put32(header, static_cast<uint32_t>(nWidth));
    Put32(header, static_cast<uint32_t>(nHeight));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, truecolour, deflate, no interlace
    Chunk(out, "IHDR", header);
    Chunk(out, "IDAT", packed);
    Chunk(out, "IEND", {});
    return out;
}

bool WritePngFile(const std::string& path, const std::vector<uint32_t>& pixels, int nWidth,
                  int nHeight) {
    const std::vector<uint8_t> png = EncodePng(pixels, nWidth, nHeight);
    if (png.empty()) {
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok;
}
