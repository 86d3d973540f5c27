#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "swf/SwfBitWriter.h"
#include "swf/SwfColor.h"
#include "swf/SwfCxform.h"
#include "swf/SwfMatrix.h"
#include "swf/SwfRect.h"
#include "swf/SwfString.h"
#include "swf/SwfTag.h"
#include "swf/SwfTagStream.h"
#include "tests/swf/SwfTestSupport.h"

namespace {

struct SEncodingCase {
    const char* name;
    std::function<void(CSwfBitWriter&)> write;
    std::vector<uint8_t> expected;
};

void ExpectEncodings(const std::vector<SEncodingCase>& cases) {
    for (const auto& c : cases) {
        CSwfBitWriter w;
        c.write(w);
        EXPECT_TRUE(w.IsAligned()) << c.name;
        EXPECT_EQ(ToHex(w.ToBytes()), ToHex(c.expected)) << c.name;
    }
}

TEST(SwfPrimitives, Rect) {
    ExpectEncodings({
        // The count 1 and four 1-bit zeros are 9 bits, so the record takes two bytes.
        {"all zeros", [](CSwfBitWriter& w) { CSwfRect(0, 0, 0, 0).Write(w); },
         Bits("00001 0 0 0 0")},
        {"stored as xMin, xMax, yMin, yMax",
         [](CSwfBitWriter& w) { CSwfRect(1, 2, 3, -4).Write(w); },
         Bits("00100 0001 0011 0010 1100")},
        {"stage 11000 x 8000", [](CSwfBitWriter& w) { CSwfRect(0, 0, 11000, 8000).Write(w); },
         Bits("01111 000000000000000 010101011111000 000000000000000 001111101000000")},
    });
}

TEST(SwfPrimitives, Matrix) {
    ExpectEncodings({
        {"empty", [](CSwfBitWriter& w) { CSwfMatrix().Write(w); }, {0x00}},
        {"translation only",
         [](CSwfBitWriter& w) { CSwfMatrix(false, 0, 0, false, 0, 0, 1, -1).Write(w); },
         Bits("0 0 00010 01 11")},
        {"zero translation still has a sign bit",
         [](CSwfBitWriter& w) { CSwfMatrix(false, 0, 0, false, 0, 0, 0, 0).Write(w); },
         Bits("0 0 00001 0 0")},
        {"scale 1.0 and 0.5",
         [](CSwfBitWriter& w) { CSwfMatrix(true, 0x10000, 0x8000, false, 0, 0, 0, 0).Write(w); },
         Bits("1 10010 010000000000000000 001000000000000000 0 00001 0 0")},
        {"scale, rotation and translation",
         [](CSwfBitWriter& w) { CSwfMatrix(true, 3, 3, true, -2, 2, 100, 0).Write(w); },
         Bits("1 00011 011 011 1 00011 110 010 01000 01100100 00000000")},
    });
}

TEST(SwfPrimitives, ColorAndCxform) {
    ExpectEncodings({
        {"RGB", [](CSwfBitWriter& w) { CSwfColor(1, 2, 3).Write(w); }, {1, 2, 3}},
        {"RGBA", [](CSwfBitWriter& w) { CSwfColor(1, 2, 3, 4).Write(w); }, {1, 2, 3, 4}},
        {"RGB colour switched to alpha",
         [](CSwfBitWriter& w) {
             CSwfColor c(1, 2, 3);
             c.m_bHasAlpha = true;
             c.Write(w);
         },
         {1, 2, 3, 255}},
        {"empty: flags and a zero count", [](CSwfBitWriter& w) { CSwfCxform().Write(w); }, {0x00}},
        {"with alpha, no terms: count 1",
         [](CSwfBitWriter& w) { CSwfCxform::Rgba(false, false, 0, 0, 0, 0, 0, 0, 0, 0).Write(w); },
         {0x04}},
        {"multiply terms only",
         [](CSwfBitWriter& w) { CSwfCxform::Rgb(false, true, 256, 256, 128, 0, 0, 0).Write(w); },
         Bits("0 1 1010 0100000000 0100000000 0010000000")},
        {"add terms only, negative",
         [](CSwfBitWriter& w) { CSwfCxform::Rgb(true, false, 0, 0, 0, -255, 0, 1).Write(w); },
         Bits("1 0 1001 100000001 000000000 000000001")},
        {"fade with alpha: the count covers all eight terms",
         [](CSwfBitWriter& w) {
             CSwfCxform::Rgba(false, true, 256, 256, 256, 64, 0, 0, 0, -600).Write(w);
         },
         Bits("0 1 1011 00100000000 00100000000 00100000000 00001000000")},
        {"both groups with alpha",
         [](CSwfBitWriter& w) {
             CSwfCxform::Rgba(true, true, 1, 1, 1, 1, -1, -1, -1, -1).Write(w);
         },
         Bits("1 1 0010 01 01 01 01 11 11 11 11")},
    });
}

TEST(SwfPrimitives, Strings) {
    ExpectEncodings({
        {"terminated", [](CSwfBitWriter& w) { CSwfString("ab").Write(w, true); }, {'a', 'b', 0}},
        {"unterminated", [](CSwfBitWriter& w) { CSwfString("ab").Write(w, false); }, {'a', 'b'}},
        {"UTF-16 to UTF-8 of every length",
         [](CSwfBitWriter& w) {
             CSwfString::FromUtf16(u"A\u00e9\u20ac\U0001F600").Write(w, false);
         },
         Hex("41 c3a9 e282ac f09f9880")},
        {"lone surrogates become U+FFFD",
         [](CSwfBitWriter& w) {
             const char16_t text[] = {0xD800, u'x', 0xDC00, 0};
             CSwfString::FromUtf16(text).Write(w, false);
         },
         Hex("efbfbd 78 efbfbd")},
    });
}

TEST(SwfPrimitives, TagHeader) {
    std::vector<uint8_t> body62(62, 0xEE);
    std::vector<uint8_t> body63(63, 0xEE);
    auto withBody = [](uint16_t code, const std::vector<uint8_t>& bytes) {
        return [code, bytes](CSwfBitWriter& w) {
            CSwfBitWriter body;
            for (uint8_t b : bytes) {
                body.WriteU8(b);
            }
            WriteTagHeader(w, code, static_cast<uint32_t>(body.TotalLength()), &body);
        };
    };
    auto header = [](std::vector<uint8_t> head, const std::vector<uint8_t>& bytes) {
        head.insert(head.end(), bytes.begin(), bytes.end());
        return head;
    };
    ExpectEncodings({
        {"no body", [](CSwfBitWriter& w) { WriteTagHeader(w, 1, 0); }, {0x40, 0x00}},
        {"62 bytes: short form", withBody(9, body62), header({0x7E, 0x02}, body62)},
        {"63 bytes: long form", withBody(9, body63), header({0x7F, 0x02, 63, 0, 0, 0}, body63)},
        {"lossless bitmap, 10 bytes: long form", withBody(20, std::vector<uint8_t>(10, 1)),
         header({0x3F, 0x05, 10, 0, 0, 0}, std::vector<uint8_t>(10, 1))},
        {"lossless bitmap with alpha, empty: long form",
         [](CSwfBitWriter& w) { WriteTagHeader(w, 36, 0); },
         {0x3F, 0x09, 0, 0, 0, 0}},
    });
}

TEST(SwfPrimitives, FileHeader) {
    std::vector<uint8_t> expected = Hex("46 57 53 06 04 03 02 01");
    for (uint8_t b :
         Bits("01111 000000000000000 010101011111000 000000000000000 001111101000000")) {
        expected.push_back(b);
    }
    for (uint8_t b : Hex("00 0C 03 00")) {
        expected.push_back(b);
    }
    ASSERT_EQ(expected.size(), 21u);
    EXPECT_EQ(ToHex(SwfFileHeader(0x01020304, 11000, 8000, 12, 3)), ToHex(expected));
}

}  // namespace
