#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "swf/SwfBitmapRect.h"
#include "swf/SwfBitmapTags.h"
#include "swf/SwfMovie.h"
#include "tests/swf/TagBytes.h"

namespace {

class BitmapTest : public ::testing::Test {
protected:
};

Bytes Inflate(const Bytes& data, size_t expected) {
    Bytes out(expected + 64);
    uLongf length = uLongf(out.size());
    EXPECT_EQ(uncompress(out.data(), &length, data.data(), uLong(data.size())), Z_OK);
    out.resize(length);
    return out;
}

TEST_F(BitmapTest, LosslessHeadersAndPayloads) {
    struct SCase {
        const char* name;
        std::unique_ptr<CSwfDefineBitsLossless> tag;
        uint16_t code;
        Bytes fields;  // after the id, before the compressed data
        Bytes payload;
    };
    SCase cases[] = {
        {"1x1 32-bit", CSwfDefineBitsLossless::TrueColor(1, 1, {{0x00123456u}}, false), 20,
         B({5, 1, 0, 1, 0}), B({0xFF, 0x12, 0x34, 0x56})},
        {"1x1 32-bit alpha", CSwfDefineBitsLossless::TrueColor(1, 1, {{0x80FF0000u}}, true), 36,
         B({5, 1, 0, 1, 0}), B({0x80, 0x80, 0, 0})},
        {"3x1 colour-mapped, two entries",
         CSwfDefineBitsLossless::ColorMapped(3, 1, {{0x0000FFu, 0xFF0000u}}, {{1, 0, 1}}, false),
         20, B({3, 3, 0, 1, 0, 1}), B({0xFF, 0, 0, 0, 0, 0xFF, 1, 0, 1, 0})},
        {"1x2 colour-mapped alpha",
         CSwfDefineBitsLossless::ColorMapped(1, 2, {{0x80FFFFFFu}}, {{0, 0}}, true), 36,
         B({3, 1, 0, 2, 0, 0}), B({0x80, 0x80, 0x80, 0x80, 0, 0, 0, 0, 0, 0, 0, 0})},
        {"empty palette gets one entry",
         CSwfDefineBitsLossless::ColorMapped(1, 1, {}, {{0}}, false), 20, B({3, 1, 0, 1, 0, 0}),
         B({0, 0, 0, 0, 0, 0, 0})},
    };
    for (SCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes record = TagRecord(*c.tag);
        EXPECT_EQ(TagCode(record), c.code);
        // Always the long header, however small the body.
        ASSERT_EQ(record[0] & 0x3F, 0x3F);
        const Bytes body = TagBody(*c.tag);
        EXPECT_EQ(uint32_t(record[2] | record[3] << 8), body.size());
        EXPECT_EQ(Bytes(body.begin(), body.begin() + 2), B({c.tag->GetCharacterId(), 0}));
        EXPECT_EQ(Bytes(body.begin() + 2, body.begin() + 2 + c.fields.size()), c.fields);
        const Bytes compressed(body.begin() + 2 + c.fields.size(), body.end());
        EXPECT_EQ(compressed.size(), c.tag->EncodedSize());
        EXPECT_EQ(Inflate(compressed, c.payload.size()), c.payload);
    }
}

TEST_F(BitmapTest, ColourMappedRowsOfEveryWidthArePaddedInsideTheTag) {
    for (uint16_t width = 1; width <= 9; ++width) {
        SCOPED_TRACE(width);
        const std::vector<uint8_t> indexes(width * 3u, 1);
        auto tag = CSwfDefineBitsLossless::ColorMapped(width, 3, {{0u, 0xFFFFFFu}}, indexes, false);
        const Bytes body = TagBody(*tag);
        const size_t stride = (width + 3u) / 4u * 4u;
        const Bytes pixels = Inflate(Bytes(body.begin() + 8, body.end()), 6 + stride * 3);
        ASSERT_EQ(pixels.size(), 6 + stride * 3);
        for (size_t x = 0; x < stride; ++x) {
            EXPECT_EQ(pixels[6 + stride + x], x < width ? 1 : 0);
        }
    }
}

TEST_F(BitmapTest, JpegTagsWrapTheDataInMarkers) {
    const auto jpeg = std::make_shared<const std::vector<uint8_t>>(
        std::vector<uint8_t>{0xFF, 0xD8, 0x11, 0x22, 0xFF, 0xD9});
    CSwfDefineBitsJpeg2 jpeg2(jpeg);
    jpeg2.SetCharacterId(1);
    const Bytes record2 = TagRecord(jpeg2);
    EXPECT_EQ(TagCode(record2), 21);
    EXPECT_EQ(TagBody(jpeg2),
              B({1, 0, 0xFF, 0xD9, 0xFF, 0xD8, 0xFF, 0xD8, 0x11, 0x22, 0xFF, 0xD9, 0xFF, 0xD9}));
    EXPECT_EQ(TagBody(jpeg2).size(), jpeg->size() + 8);

    const Bytes alpha = {0, 128, 255, 255};
    CSwfDefineBitsJpeg3 jpeg3(jpeg, alpha);
    jpeg3.SetCharacterId(2);
    EXPECT_EQ(TagCode(TagRecord(jpeg3)), 35);
    const Bytes body = TagBody(jpeg3);
    // The alpha offset n + 6 counts from the byte after it to the alpha plane.
    EXPECT_EQ(Bytes(body.begin(), body.begin() + 6), B({2, 0, 12, 0, 0, 0}));
    EXPECT_EQ(Bytes(body.begin() + 6, body.begin() + 18),
              B({0xFF, 0xD9, 0xFF, 0xD8, 0xFF, 0xD8, 0x11, 0x22, 0xFF, 0xD9, 0xFF, 0xD9}));
    const Bytes plane(body.begin() + 18, body.end());
    EXPECT_EQ(plane.size(), jpeg3.EncodedAlphaSize());
    EXPECT_EQ(Inflate(plane, alpha.size()), alpha);
}

TEST_F(BitmapTest, RectanglesEmitTheirBitmapOnceAndReportItsSize) {
    const std::vector<uint32_t> pixels(4 * 3, 0x00336699u);
    auto lossless = CSwfDefineBitsLossless::TrueColor(4, 3, pixels, false);
    const uint32_t encoded = lossless->EncodedSize();
    CSwfBitmapRect owner(0, 0, 4 * 20 - 1, 3 * 20 - 1, std::move(lossless));
    CSwfBitmapRect shared(200, 0, 200 + 4 * 20 - 1, 3 * 20 - 1, owner);
    EXPECT_EQ(owner.Kind(), CSwfBitmapRect::kLossless);
    EXPECT_EQ(owner.EncodedSize(), encoded);
    EXPECT_EQ(shared.EncodedSize(), encoded);
    EXPECT_EQ(shared.BitmapId(), owner.BitmapId());
    EXPECT_TRUE(shared.IsShared());

    CSwfMovie movie;
    CSwfFrame& frame = movie.GetFrame(0);
    frame.AddObject(owner);
    frame.AddObject(shared);
    // Bitmap, owner's shape and placement, shared shape and placement.
    ASSERT_EQ(frame.Tags().Size(), 5u);
    const uint16_t codes[] = {20, 32, 26, 32, 26};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(TagCode(TagRecord(frame.Tags()[i])), codes[i]) << i;
    }
    // Both shapes fill with the one bitmap, scaled 20 units per pixel: after id, RECT and the
    // counts, the fill type 0x41 and the bitmap id.
    for (size_t i : {size_t{1}, size_t{3}}) {
        const Bytes body = TagBody(frame.Tags()[i]);
        const auto fill = std::find(body.begin() + 2, body.end(), 0x41);
        ASSERT_NE(fill, body.end());
        EXPECT_EQ(fill[1] | fill[2] << 8, owner.BitmapId());
    }

    const auto jpeg = std::make_shared<const std::vector<uint8_t>>(Bytes{0xFF, 0xD8, 0xFF, 0xD9});
    CSwfBitmapRect photo(0, 0, 19, 19, 1, 1, jpeg, Bytes{128});
    EXPECT_EQ(photo.Kind(), CSwfBitmapRect::kJpeg);
    EXPECT_TRUE(photo.HasAlpha());
    EXPECT_EQ(photo.EncodedSize(), 4u);
}

}  // namespace
