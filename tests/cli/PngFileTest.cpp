#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "cli/PngFile.h"

namespace {

uint32_t Get32(const std::vector<uint8_t>& b, std::size_t at) {
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) |
           b[at + 3];
}

TEST(PngFile, ChunksChecksumsAndPixels) {
    const std::vector<uint32_t> pixels = {0x112233, 0xFFFFFF, 0x000000,
                                          0xA0B0C0, 0x0000FF, 0xFF0000};
    const std::vector<uint8_t> png = EncodePng(pixels, 3, 2);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
    std::vector<std::string> types;
    std::vector<uint8_t> idat;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = Get32(png, at);
        const std::string type(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                               png.begin() + static_cast<std::ptrdiff_t>(at + 8));
        types.push_back(type);
        const uLong crc = crc32(crc32(0, nullptr, 0), png.data() + at + 4, length + 4);
        EXPECT_EQ(Get32(png, at + 8 + length), crc) << type;
        if (type == "IHDR") {
            EXPECT_EQ(Get32(png, at + 8), 3u);
            EXPECT_EQ(Get32(png, at + 12), 2u);
            EXPECT_EQ(png[at + 16], 8);
            EXPECT_EQ(png[at + 17], 2);
        } else if (type == "IDAT") {
            idat.assign(png.begin() + static_cast<std::ptrdiff_t>(at + 8),
                        png.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
        }
        at += 12 + length;
    }
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    std::vector<uint8_t> raw(2 * (1 + 3 * 3));
    uLongf rawSize = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &rawSize, idat.data(), idat.size()), Z_OK);
    const std::vector<uint8_t> expected = {0, 0x11, 0x22, 0x33, 0xFF, 0xFF, 0xFF, 0,    0, 0,
                                           0, 0xA0, 0xB0, 0xC0, 0,    0,    0xFF, 0xFF, 0, 0};
    EXPECT_EQ(raw, expected);
}

TEST(PngFile, RefusesSizesThatDoNotMatch) {
    EXPECT_TRUE(EncodePng({1, 2, 3}, 2, 2).empty());
    EXPECT_TRUE(EncodePng({}, 0, 0).empty());
}

}  // namespace
