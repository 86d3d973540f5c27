#include <gtest/gtest.h>

#include <zlib.h>

#include <random>
#include <vector>

#include "project/stream/PictureBlock.h"
#include "project/stream/PixelCoding.h"
#include "project/stream/StreamFormat.h"

namespace {

std::vector<uint32_t> DecodeAll(EPixelCoding coding, const std::vector<uint8_t>& bytes,
                                size_t nPixels, bool* pDamaged = nullptr) {
    CByteReader reader(bytes);
    CPixelDecoder decoder(coding);
    decoder.BeginRect(reader, nPixels);
    std::vector<uint32_t> out(nPixels);
    for (uint32_t& px : out) {
        px = decoder.NextPixel();
    }
    if (pDamaged != nullptr) {
        *pDamaged = decoder.Damaged();
    }
    return out;
}

std::vector<uint8_t> Rle(const std::vector<uint32_t>& pixels) {
    std::vector<uint8_t> out;
    AppendRle24(pixels, out);
    return out;
}

uint32_t WithoutLowRed(uint32_t px) {
    return px & 0xFEFFFF;
}

TEST(StreamCodingTest, RunLengthStoresExactBytes) {
    struct SCase {
        const char* name;
        std::vector<uint32_t> pixels;
        std::vector<uint8_t> bytes;
    };
    const uint32_t c = 0x00ABCDEF;
    std::vector<SCase> cases = {
        {"single pixel is one colour, no prefix", {c}, {0x55, 0xEF, 0xCD}},
        {"two equal pixels", {c, c}, {0x80, 0x01, 0x55, 0xEF, 0xCD}},
        {"lowest red bit makes a new run", {0x00010000, 0x00000000}, {0, 0, 0, 0, 0, 0}},
        {"top byte is not part of the colour", {0xFF000001, 0x00000001}, {0x80, 0x01, 0, 1, 0}},
    };
    std::vector<uint32_t> longRun(32'769, c);
    cases.push_back({"32,768 equal pixels after the first",
                     longRun,
                     {0xFF, 0xFF, 0x80, 0x01, 0x55, 0xEF, 0xCD}});
    std::vector<uint32_t> exactRun(32'768, c);
    cases.push_back(
        {"32,767 after the first fill one prefix", exactRun, {0xFF, 0xFF, 0x55, 0xEF, 0xCD}});
    for (const SCase& k : cases) {
        SCOPED_TRACE(k.name);
        std::vector<uint8_t> bytes = Rle(k.pixels);
        EXPECT_EQ(bytes, k.bytes);
        std::vector<uint32_t> back = DecodeAll(EPixelCoding::Rle24, bytes, k.pixels.size());
        for (size_t i = 0; i < back.size(); ++i) {
            ASSERT_EQ(back[i], WithoutLowRed(k.pixels[i]) & 0xFFFFFF) << "pixel " << i;
        }
    }
}

// Screen-like content: long runs, a few colours, occasional noise.
std::vector<uint32_t> ScreenLike(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint32_t> px(n);
    uint32_t cr = 0xFFFFFF;
    for (size_t i = 0; i < n; ++i) {
        if (rng() % 50 == 0) {
            cr = rng() & 0xFFFFFF;
        }
        px[i] = rng() % 200 == 0 ? rng() : cr;
    }
    return px;
}

TEST(StreamCodingTest, RandomPixelsRoundTripInBothCodings) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        std::vector<uint32_t> pixels = ScreenLike(1 + seed * 997, seed);
        std::vector<uint8_t> rle = Rle(pixels);
        std::vector<uint32_t> back = DecodeAll(EPixelCoding::Rle24, rle, pixels.size());
        std::vector<uint8_t> zlib;
        ASSERT_TRUE(AppendZlibPixels(pixels, zlib));
        bool bDamaged = true;
        std::vector<uint32_t> backZ =
            DecodeAll(EPixelCoding::Zlib32, zlib, pixels.size(), &bDamaged);
        EXPECT_FALSE(bDamaged);
        for (size_t i = 0; i < pixels.size(); ++i) {
            ASSERT_EQ(back[i], WithoutLowRed(pixels[i]) & 0xFFFFFF);
            ASSERT_EQ(backZ[i], pixels[i] & 0xFFFFFF);
        }
    }
}

TEST(StreamCodingTest, ZlibRectOverManyPiecesIsOneStream) {
    // 300,000 pixels are 1.2 MB of input: five deflate pieces.
    std::vector<uint32_t> pixels = ScreenLike(300'000, 7);
    std::vector<uint8_t> zlib;
    ASSERT_TRUE(AppendZlibPixels(pixels, zlib));
    CByteReader reader(zlib);
    uint32_t nLength = 0;
    ASSERT_TRUE(reader.U32(nLength));
    EXPECT_EQ(nLength + 4, zlib.size());
    EXPECT_EQ(zlib[4], 0x78) << "a zlib header follows the length";
    EXPECT_EQ(DecodeAll(EPixelCoding::Zlib32, zlib, pixels.size())[299'999],
              pixels[299'999] & 0xFFFFFF);
}

TEST(StreamCodingTest, LegacyFifteenBitTokens) {
    // A repeat token of 2 and one of 1, then blue 0x1F; then red 1.
    std::vector<uint8_t> bytes = {0x02, 0x80, 0x01, 0x80, 0x1F, 0x00, 0x00, 0x04};
    std::vector<uint32_t> px = DecodeAll(EPixelCoding::Rle15, bytes, 5);
    EXPECT_EQ(px, (std::vector<uint32_t>{0x0707FF, 0x0707FF, 0x0707FF, 0x0707FF, 0x0F0707}));
}

TEST(StreamCodingTest, DamagedPixelDataReadsAsZero) {
    struct SCase {
        const char* name;
        EPixelCoding coding;
        std::vector<uint8_t> bytes;
        bool bDamaged;
    };
    std::vector<uint8_t> good;
    AppendZlibPixels(std::vector<uint32_t>(16, 0x123456), good);
    std::vector<uint8_t> truncated(good.begin(), good.end() - 3);
    std::vector<uint8_t> corrupt = good;
    corrupt[8] ^= 0x55;
    std::vector<uint8_t> huge = {0x01, 0x00, 0x00, 0x10, 0x00};
    const std::vector<SCase> cases = {
        {"run-length data ends inside a run", EPixelCoding::Rle24, {0x80}, true},
        {"run-length data ends inside a colour", EPixelCoding::Rle24, {0x12, 0x34}, true},
        {"zlib length beyond the data", EPixelCoding::Zlib32, truncated, true},
        {"zlib data that does not inflate", EPixelCoding::Zlib32, corrupt, true},
        {"zlib length above the limit", EPixelCoding::Zlib32, huge, true},
        {"no length at all", EPixelCoding::Zlib32, {0x01}, true},
    };
    for (const SCase& k : cases) {
        SCOPED_TRACE(k.name);
        bool bDamaged = false;
        std::vector<uint32_t> px = DecodeAll(k.coding, k.bytes, 16, &bDamaged);
        EXPECT_EQ(px, std::vector<uint32_t>(16, 0));
        EXPECT_EQ(bDamaged, k.bDamaged);
    }
}

TEST(StreamCodingTest, SkippingARectConsumesExactlyItsBytes) {
    std::vector<uint32_t> first = ScreenLike(5000, 3);
    std::vector<uint32_t> second = {0x00112233};
    for (EPixelCoding coding : {EPixelCoding::Rle24, EPixelCoding::Zlib32}) {
        std::vector<uint8_t> bytes;
        if (coding == EPixelCoding::Rle24) {
            AppendRle24(first, bytes);
            AppendRle24(second, bytes);
        } else {
            AppendZlibPixels(first, bytes);
            AppendZlibPixels(second, bytes);
        }
        CByteReader reader(bytes);
        CPixelDecoder decoder(coding);
        decoder.SkipRect(reader, first.size());
        decoder.BeginRect(reader, 1);
        const uint32_t crExpected = coding == EPixelCoding::Zlib32 ? 0x112233 : 0x102233;
        EXPECT_EQ(decoder.NextPixel(), crExpected);
        EXPECT_TRUE(reader.AtEnd());
    }
}

TEST(StreamCodingTest, SkippingPixelsInsideARectKeepsTheRunsInStep) {
    std::vector<uint32_t> pixels = ScreenLike(3000, 9);
    for (EPixelCoding coding : {EPixelCoding::Rle24, EPixelCoding::Zlib32}) {
        std::vector<uint8_t> bytes;
        coding == EPixelCoding::Rle24 ? AppendRle24(pixels, bytes)
                                      : static_cast<void>(AppendZlibPixels(pixels, bytes));
        CByteReader reader(bytes);
        CPixelDecoder decoder(coding);
        decoder.BeginRect(reader, pixels.size());
        size_t i = 0;
        for (uint64_t nSkip : {0u, 1u, 49u, 50u, 1000u, 7u}) {
            decoder.SkipPixels(nSkip);
            i += nSkip;
            const uint32_t mask = coding == EPixelCoding::Rle24 ? 0xFEFFFF : 0xFFFFFF;
            ASSERT_EQ(decoder.NextPixel(), pixels[i] & mask) << "after skipping to " << i;
            ++i;
        }
        decoder.SkipPixels(1u << 30);
        EXPECT_TRUE(decoder.Damaged()) << "skipping past the end of the data";
    }
}

TEST(StreamCodingTest, SkippingAHugeRectStopsAtTheEndOfTheData) {
    std::vector<uint8_t> bytes = {0x80, 0x05, 0x01, 0x02, 0x03};
    CByteReader reader(bytes);
    CPixelDecoder decoder(EPixelCoding::Rle24);
    decoder.SkipRect(reader, 65536ull * 65536ull);
    EXPECT_TRUE(reader.AtEnd());
}

TEST(StreamFormatTest, HeaderAndFirstTableEntry) {
    auto header = EncodeStreamHeader(800, 600, true);
    EXPECT_EQ(std::string(header.begin(), header.begin() + 16), "Quillomatic07.47");
    SStreamHeader parsed;
    ASSERT_TRUE(ParseStreamHeader(header, parsed));
    EXPECT_EQ(parsed.nVersion, 747);
    EXPECT_TRUE(parsed.bZlibPixels);
    EXPECT_EQ(parsed.nWidth, 800);
    EXPECT_EQ(parsed.nHeight, 600);
    EXPECT_EQ(parsed.nSize, kStreamHeaderSize);

    auto entry = EncodeTableEntry(kStreamHeaderSize, true);
    EXPECT_EQ(std::vector<uint8_t>(entry.begin(), entry.end()),
              (std::vector<uint8_t>{0x16, 0, 0, 0, 0, 0, 0, 0xFF}));
    auto later = EncodeTableEntry(0x1'0000'0016ull, false);
    EXPECT_EQ(later[4], 1);
    EXPECT_EQ(later[7], 0);
}

TEST(StreamFormatTest, OldHeadersHaveNoFlagBytes) {
    struct SCase {
        const char* name;
        std::string text;
        bool bOk;
        int nWidth;
        size_t nSize;
        int nHeight = 480;
    };
    const std::string size640x480("\x80\x02\xE0\x01", 4);
    const std::string flags("\0\0", 2);
    const std::vector<SCase> cases = {
        {"version 6.64 has the size right after the signature", "Quillomatic06.64" + size640x480,
         true, 640, 20},
        {"version 6.65 has flag bytes", "Quillomatic06.65" + std::string("\0\0", 2) + size640x480,
         true, 640, 22},
        {"another signature", "Quillomatix07.47" + std::string("\0\0", 2) + size640x480, false, 0,
         0},
        {"version without digits", "Quillomatic0x.47" + std::string("\0\0", 2) + size640x480, false,
         0, 0},
        // A size that is not one is replaced by 1024 x 768.
        {"zero width", "Quillomatic07.47" + flags + std::string("\0\0\xE0\x01", 4), true, 1024, 22,
         768},
        {"negative height", "Quillomatic07.47" + flags + std::string("\x80\x02\xFF\xFF", 4), true,
         1024, 22, 768},
        {"too short", "Quillomatic07.47", false, 0, 0},
    };
    for (const SCase& k : cases) {
        SCOPED_TRACE(k.name);
        std::vector<uint8_t> bytes(k.text.begin(), k.text.end());
        SStreamHeader h;
        EXPECT_EQ(ParseStreamHeader(bytes, h), k.bOk);
        if (k.bOk) {
            EXPECT_EQ(h.nWidth, k.nWidth);
            EXPECT_EQ(h.nHeight, k.nHeight);
            EXPECT_EQ(h.nSize, k.nSize);
            EXPECT_FALSE(h.bZlibPixels);
        }
    }
}

TEST(PictureBlockTest, RoundTripAndDamage) {
    CPixelPicture picture{7, 3, std::vector<uint32_t>(21)};
    for (size_t i = 0; i < picture.m_Pixels.size(); ++i) {
        picture.m_Pixels[i] = static_cast<uint32_t>(0xFF000000 | (i * 0x10305));
    }
    std::vector<uint8_t> block = EncodePictureBlock(picture);
    CPixelPicture back;
    ASSERT_TRUE(DecodePictureBlock(block, back));
    EXPECT_EQ(back.m_nWidth, 7);
    EXPECT_EQ(back.m_nHeight, 3);
    EXPECT_EQ(back.m_Pixels, picture.m_Pixels);

    std::vector<uint8_t> truncated(block.begin(), block.end() - 1);
    EXPECT_FALSE(DecodePictureBlock(truncated, back));
    std::vector<uint8_t> wrongLength = block;
    wrongLength[0] -= 2;
    EXPECT_FALSE(DecodePictureBlock(wrongLength, back));
    EXPECT_FALSE(DecodePictureBlock({}, back));

    // A tiny block that claims a 30000 x 30000 picture is refused before allocating it.
    const uint8_t head[8] = {0x30, 0x75, 0, 0, 0x30, 0x75, 0, 0};
    uLongf nPacked = 64;
    std::vector<uint8_t> claim(4 + nPacked);
    ASSERT_EQ(compress2(claim.data() + 4, &nPacked, head, sizeof head, 1), Z_OK);
    claim[0] = static_cast<uint8_t>(nPacked);
    claim.resize(4 + nPacked);
    EXPECT_FALSE(DecodePictureBlock(claim, back));
    EXPECT_EQ(back.m_nWidth, 7);
    EXPECT_EQ(back.m_nHeight, 3);
    EXPECT_EQ(back.m_Pixels, picture.m_Pixels);
}

}  // namespace
