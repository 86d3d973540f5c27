#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "swf/SwfBitWriter.h"
#include "tests/support/TempDir.h"
#include "tests/swf/SwfTestSupport.h"

namespace {

struct SBitsCase {
    const char* name;
    std::function<void(CSwfBitWriter&)> write;
    const char* expected;  // bit string
};

TEST(SwfBitWriter, PacksBitsMostSignificantFirst) {
    const std::vector<SBitsCase> cases = {
        {"single bits then align pads with zeros",
         [](CSwfBitWriter& w) {
             w.WriteBits(1, 1);
             w.WriteBits(0, 1);
             w.WriteBits(1, 1);
             w.Align();
         },
         "101 00000"},
        {"negative values in two's complement",
         [](CSwfBitWriter& w) {
             w.WriteBits(-1, 3);
             w.WriteBits(-4, 3);
             w.Align();
         },
         "111 100 00"},
        {"only the low bits of a value that does not fit",
         [](CSwfBitWriter& w) {
             w.WriteBits(0x1F, 3);
             w.Align();
         },
         "111 00000"},
        {"a value across a byte boundary",
         [](CSwfBitWriter& w) {
             w.WriteBits(0, 5);
             w.WriteBits(0x1FF, 9);
             w.Align();
         },
         "00000 111 | 111111 00"},
        {"32 bits at once", [](CSwfBitWriter& w) { w.WriteBits(0x80000001u, 32); },
         "10000000 00000000 00000000 00000001"},
        {"zero bits write nothing", [](CSwfBitWriter& w) { w.WriteBits(1, 0); }, ""},
        {"byte writers are little-endian",
         [](CSwfBitWriter& w) {
             w.WriteU8(0x1AB);
             w.WriteU16(0x1234);
             w.WriteU32(0xA1B2C3D4u);
         },
         "10101011 | 00110100 00010010 | 11010100 11000011 10110010 10100001"},
        {"byte writers continue the bit stream without aligning",
         [](CSwfBitWriter& w) {
             w.WriteBits(0xF, 4);
             w.WriteU16(0xABCD);
             w.Align();
         },
         "1111 1100 | 1101 1010 | 1011 0000"},
        {"align on a boundary adds nothing",
         [](CSwfBitWriter& w) {
             w.WriteU8(0xFF);
             w.Align();
             w.Align();
         },
         "11111111"},
    };
    for (const auto& c : cases) {
        CSwfBitWriter w;
        c.write(w);
        EXPECT_EQ(ToHex(w.ToBytes()), ToHex(Bits(c.expected))) << c.name;
    }
}

TEST(SwfBitWriter, BitsNeededAtItsLimits) {
    struct {
        uint32_t value;
        int extra;
        int expected;
    } const cases[] = {
        {0, 1, 1},           {1, 1, 2},           {4, 1, 4},           {255, 1, 9},
        {0, 0, 0},           {1, 0, 1},           {0xFFFF, 1, 17},     {0x7FFFFFFF, 0, 31},
        {0x7FFFFFFF, 1, 32}, {0xFFFFFFFF, 0, 32}, {0xFFFFFFFF, 1, 32}, {0x80000000u, 5, 32},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BitsNeeded(c.value, c.extra), c.expected) << c.value << " extra " << c.extra;
    }
}

// A large payload travels by reference from a tag body into its parent and out to the file, in
// its place between the bytes written around it.
TEST(SwfBitWriter, DeferredBlocksAreSplicedInAtTheirPosition) {
    const std::vector<uint8_t> payload = {0xD0, 0xD1, 0xD2, 0xD3, 0xD4};
    CSwfBitWriter body;
    body.WriteU8(0xB0);
    EXPECT_EQ(body.AddBlock(payload.data(), 3), 1u);
    body.WriteU8(0xB1);
    EXPECT_EQ(body.AddBlock(payload.data() + 3, 2), 2u);
    EXPECT_EQ(body.TotalLength(), 7u);

    CSwfBitWriter parent;
    parent.WriteU8(0xA0);
    parent.Append(body);
    parent.WriteU8(0xA1);
    EXPECT_EQ(body.TotalLength(), 2u) << "the blocks move to the parent";
    EXPECT_EQ(parent.TotalLength(), 9u);
    const std::vector<uint8_t> expected = {0xA0, 0xB0, 0xD0, 0xD1, 0xD2, 0xB1, 0xD3, 0xD4, 0xA1};
    EXPECT_EQ(parent.ToBytes(), expected);

    CTempDir dir;
    const std::string path = dir.File("out.bin");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(parent.WriteTo(f));
    std::fclose(f);
    EXPECT_EQ(ReadFileBytes(path), expected);
}

TEST(SwfBitWriter, AppendIntoAPartlyFilledByteShiftsTheBytes) {
    CSwfBitWriter body;
    body.WriteU8(0xFF);
    body.WriteU8(0x00);
    CSwfBitWriter parent;
    parent.WriteBits(0, 4);
    parent.Append(body);
    parent.Align();
    EXPECT_EQ(ToHex(parent.ToBytes()), ToHex(Bits("0000 1111 | 1111 0000 | 0000 0000")));
}

}  // namespace
