#include <gtest/gtest.h>

#include <zlib.h>

#include <vector>

#include "swf/SwfBitmapData.h"

namespace {

std::vector<uint8_t> B3(std::initializer_list<uint8_t> bytes) {
    return bytes;
}

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& data, size_t size) {
    std::vector<uint8_t> out(size + 16);
    uLongf length = uLongf(out.size());
    EXPECT_EQ(uncompress(out.data(), &length, data.data(), uLong(data.size())), Z_OK);
    out.resize(length);
    return out;
}

TEST(BitmapData, ColourMappedRowsArePaddedToFourBytes) {
    for (uint32_t width = 1; width <= 9; ++width) {
        SCOPED_TRACE(width);
        const uint32_t height = 2;
        std::vector<uint8_t> indexes;
        for (uint32_t i = 0; i < width * height; ++i) {
            indexes.push_back(uint8_t(1 + i));
        }
        const std::vector<uint8_t> payload = swf_bitmap::ColorMappedPayload(
            width, height, indexes, {{0x000000FFu, 0x00FF0000u}}, false);
        const uint32_t stride = (width + 3) / 4 * 4;
        ASSERT_EQ(payload.size(), 6 + stride * height);
        EXPECT_EQ(std::vector<uint8_t>(payload.begin(), payload.begin() + 6),
                  (std::vector<uint8_t>{0xFF, 0, 0, 0, 0, 0xFF}));
        for (uint32_t y = 0; y < height; ++y) {
            for (uint32_t x = 0; x < stride; ++x) {
                const uint8_t expected = x < width ? uint8_t(1 + y * width + x) : 0;
                EXPECT_EQ(payload[6 + y * stride + x], expected) << "x " << x << " y " << y;
            }
        }
    }
}

TEST(BitmapData, AlphaPixelsArePremultiplied) {
    struct SCase {
        uint32_t pixel;
        bool alpha;
        std::vector<uint8_t> bytes;
    };
    const SCase cases[] = {
        {0x80FF8040u, true, {0x80, 0x80, 0x40, 0x20}},
        {0x00FFFFFFu, true, {0, 0, 0, 0}},
        {0xFF123456u, true, {0xFF, 0x12, 0x34, 0x56}},
        {0x01FFFFFFu, true, {1, 1, 1, 1}},
        // Without alpha the high byte is ignored and the first byte is opaque.
        {0x00123456u, false, {0xFF, 0x12, 0x34, 0x56}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pixel);
        EXPECT_EQ(swf_bitmap::ArgbPayload(1, 1, {{c.pixel}}, c.alpha), c.bytes);
    }
    // Palette entries with alpha are premultiplied the same way (red in the low byte).
    EXPECT_EQ(swf_bitmap::ColorMappedPayload(1, 1, {{0}}, {{0x804080FFu}}, true),
              (std::vector<uint8_t>{0x80, 0x40, 0x20, 0x80, 0, 0, 0, 0}));
}

TEST(BitmapData, JpegColoursArePremultipliedByTheirAlphaPlane) {
    EXPECT_EQ(swf_bitmap::PremultipliedRgb(B3({200, 100, 50, 10, 20, 30}), {{96, 255}}),
              B3({75, 37, 18, 10, 20, 30}));
}

TEST(BitmapData, MissingPixelsAreZeroAndCompressionRoundTrips) {
    const std::vector<uint8_t> payload = swf_bitmap::ArgbPayload(3, 2, {{0x00112233u}}, true);
    ASSERT_EQ(payload.size(), 24u);
    EXPECT_EQ(payload[4], 0u);
    const std::vector<uint8_t> packed = swf_bitmap::Compress(payload);
    EXPECT_EQ(Inflate(packed, payload.size()), payload);
    EXPECT_EQ(Inflate(swf_bitmap::Compress({}), 0), std::vector<uint8_t>{});
}

}  // namespace
