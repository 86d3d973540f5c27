#include <gtest/gtest.h>

#include "swf/SwfEditText.h"
#include "swf/SwfFont.h"
#include "swf/SwfMovie.h"
#include "tests/swf/TagBytes.h"

namespace {

class TextTest : public ::testing::Test {
protected:
};

TEST_F(TextTest, DeviceFontBodies) {
    struct SCase {
        bool italic, bold;
        uint8_t flags;
    };
    for (const SCase& c : {SCase{false, false, 0x84}, SCase{true, false, 0x86},
                           SCase{false, true, 0x85}, SCase{true, true, 0x87}}) {
        SCOPED_TRACE(int(c.flags));
        CSwfFont font("Arial", c.italic, c.bold);
        CSwfMovie movie;
        font.AddToFrame(movie.GetFrame(0).Tags(), movie);
        // Never placed, defined once.
        font.AddToFrame(movie.GetFrame(1).Tags(), movie);
        ASSERT_EQ(movie.GetFrame(0).Tags().Size(), 1u);
        EXPECT_EQ(movie.GetFrame(1).Tags().Size(), 0u);
        const Bytes record = TagRecord(movie.GetFrame(0).Tags()[0]);
        EXPECT_EQ(TagCode(record), 48);
        const Bytes body = TagBody(movie.GetFrame(0).Tags()[0]);
        EXPECT_EQ(body.size(), 20u);
        EXPECT_EQ(body, B({uint8_t(font.CharacterId()), 0, c.flags, 0, 5, "Arial", 0, 0, 0, 0, 0, 0,
                           0, 0, 0, 0}));
    }
}

TEST_F(TextTest, EditTextBodyAndGeneratedNames) {
    CSwfFont font("_sans", false, false);
    CSwfEditText bound(0, 0, 2000, 400, u"\u00e9t\u00e9");
    bound.SetVariableName("/:msg");
    bound.SetFont(font);
    bound.SetTextColor(CSwfColor(0x11, 0x22, 0x33));
    bound.SetEditable(false);
    bound.SetFontHeight(300);
    CSwfMovie movie;
    CSwfFrame& frame = movie.GetFrame(0);
    frame.AddObject(font);
    frame.AddObject(bound);
    ASSERT_EQ(frame.Tags().Size(), 3u);
    EXPECT_EQ(TagCode(TagRecord(frame.Tags()[1])), 37);
    // RECT (12 bits per value), HasText | ReadOnly | HasTextColor | HasFont, HasLayout |
    // NoSelect, font 1 at 300, colour with alpha, centred, leading 150, name, UTF-8 text.
    const Bytes expected = B({2, 0,  0x60, 0x00, 0x3E,    0x80, 0x00, 0x0C, 0x80, 0x8D, 0x30, 1,
                              0, 44, 1,    0x11, 0x22,    0x33, 0xFF, 2,    0,    0,    0,    0,
                              0, 0,  150,  0,    "/:msg", 0,    0xC3, 0xA9, "t",  0xC3, 0xA9, 0});
    EXPECT_EQ(TagBody(frame.Tags()[1]), expected);

    // Without a font and a variable: no font fields, a generated name, a new tag per addition.
    CSwfEditText plain(0, 0, 100, 100, u"");
    plain.AddToFrame(frame.Tags(), movie);
    const std::string name = plain.VariableName();
    ASSERT_EQ(name.rfind("T", 0), 0u);
    const int first = std::stoi(name.substr(1));
    EXPECT_GE(first, 1);
    const Bytes body = TagBody(frame.Tags()[3]);
    // After the 5-byte RECT: HasText | HasTextColor, then black with alpha.
    EXPECT_EQ(Bytes(body.begin() + 7, body.begin() + 13), B({0x84, 0x30, 0, 0, 0, 0xFF}));
    plain.AddToFrame(frame.Tags(), movie);
    EXPECT_EQ(plain.VariableName(), name);
    EXPECT_NE(TagBody(frame.Tags()[5])[0], body[0]);

    CSwfEditText another(0, 0, 100, 100, u"x");
    another.AddToFrame(frame.Tags(), movie);
    EXPECT_EQ(another.VariableName(), "T" + std::to_string(first + 1));

    // Each timeline names its own fields, whatever other movies were made before.
    CSwfMovie other;
    CSwfEditText elsewhere(0, 0, 100, 100, u"");
    elsewhere.AddToFrame(other.GetFrame(0).Tags(), other);
    EXPECT_EQ(elsewhere.VariableName(), "T1");
}

// A closed square contour of side `side` with its top-left corner at (x, y), y down.
SSwfGlyph Square(char16_t code, int32_t x, int32_t y, int32_t side, int16_t advance) {
    SSwfGlyph glyph{code, advance, {}};
    glyph.steps = {{SSwfGlyph::kMove, 0, 0, x, y},
                   {SSwfGlyph::kLine, 0, 0, x + side, y},
                   {SSwfGlyph::kCurve, x + side + 50, y + side / 2, x + side, y + side},
                   {SSwfGlyph::kLine, 0, 0, x, y + side},
                   {SSwfGlyph::kLine, 0, 0, x, y}};
    return glyph;
}

uint32_t U16(const Bytes& b, size_t at) {
    return b.at(at) | b.at(at + 1) << 8;
}

TEST_F(TextTest, EmbeddedGlyphsAreSortedWithOffsetsCodesAndLayout) {
    CSwfFont font("Face", false, true);
    // Given out of order and with a repeated code: written once each, by code.
    font.SetGlyphs({Square(u'b', 0, -700, 500, 600), Square(u'a', 10, -500, 400, 550),
                    Square(u'b', 0, 0, 1, 1)},
                   {900, 210, 33});
    ASSERT_TRUE(font.HasGlyphs());
    CSwfMovie movie;
    font.AddToFrame(movie.GetFrame(0).Tags(), movie);
    const Bytes body = TagBody(movie.GetFrame(0).Tags()[0]);
    EXPECT_EQ(body[2], 0x85);  // layout, wide codes, bold; 16-bit offsets
    ASSERT_EQ(body[4], 4);
    const size_t table = 5 + 4 + 2;  // after the name and the glyph count
    EXPECT_EQ(U16(body, 9), 2u);
    const uint32_t first = U16(body, table);
    const uint32_t second = U16(body, table + 2);
    const uint32_t codes = U16(body, table + 4);
    EXPECT_EQ(first, 6u);
    ASSERT_GT(second, first);
    ASSERT_GT(codes, second);
    // Each shape: one fill bit and no line bits, then a move that sets fill style 0.
    for (const uint32_t at : {first, second}) {
        EXPECT_EQ(body.at(table + at), 0x10);
        EXPECT_EQ(body.at(table + at + 1) >> 2, 0x03);
    }
    const size_t after = table + codes;
    EXPECT_EQ(U16(body, after), uint32_t(u'a'));
    EXPECT_EQ(U16(body, after + 2), uint32_t(u'b'));
    EXPECT_EQ(U16(body, after + 4), 900u);
    EXPECT_EQ(U16(body, after + 6), 210u);
    EXPECT_EQ(U16(body, after + 8), 33u);
    EXPECT_EQ(U16(body, after + 10), 550u);
    EXPECT_EQ(U16(body, after + 12), 600u);
    // Two bounds, then no kerning pairs closing the body.
    EXPECT_EQ(U16(body, body.size() - 2), 0u);
}

TEST_F(TextTest, LargeGlyphTablesSwitchToWideOffsets) {
    std::vector<SSwfGlyph> glyphs;
    for (char16_t code = u'A'; code < u'A' + 40; ++code) {
        SSwfGlyph glyph{code, 500, {{SSwfGlyph::kMove, 0, 0, 0, 0}}};
        // Long zig-zags of far points: a few hundred bytes of edges each.
        for (int k = 0; k < 400; ++k) {
            glyph.steps.push_back({SSwfGlyph::kLine, 0, 0, (k % 2) * 30000, k * 70});
        }
        glyphs.push_back(glyph);
    }
    CSwfFont font("Big", false, false);
    font.SetGlyphs(glyphs, {800, 200, 0});
    CSwfMovie movie;
    font.AddToFrame(movie.GetFrame(0).Tags(), movie);
    const Bytes body = TagBody(movie.GetFrame(0).Tags()[0]);
    ASSERT_GT(body.size(), 0x10000u);
    EXPECT_EQ(body[2] & 0x08, 0x08);
    const size_t table = 5 + 3 + 2;
    const uint32_t first = U16(body, table) | U16(body, table + 2) << 16;
    EXPECT_EQ(first, 4u * 41);
    const size_t codeAt = table + (U16(body, table + 160) | U16(body, table + 162) << 16);
    EXPECT_EQ(U16(body, codeAt), uint32_t(u'A'));
    EXPECT_EQ(U16(body, codeAt + 78), uint32_t(u'A' + 39));
}

// A field that draws with an embedded font takes the font's id when it is defined and asks the
// player to use the outlines.
TEST_F(TextTest, FieldWithEmbeddedFontUsesItsOutlines) {
    CSwfFont device("_sans", false, false);
    CSwfFont embedded("Face", false, false);
    embedded.SetGlyphs({Square(u'x', 0, -500, 400, 500)}, {800, 200, 0});
    CSwfMovie movie;
    CSwfFrame& frame = movie.GetFrame(0);
    frame.AddObject(device);
    frame.AddObject(embedded);
    for (const bool outlines : {false, true}) {
        CSwfEditText field(0, 0, 100, 100, u"x");
        field.SetFont(outlines ? embedded : device);
        field.SetVariableName("v");
        field.AddToFrame(frame.Tags(), movie);
        const Bytes body = TagBody(frame.Tags()[frame.Tags().Size() - 2]);
        // After the id and the 5-byte RECT: HasFont in the first flags, UseOutlines in the second.
        EXPECT_EQ(body[7] & 0x01, 0x01);
        EXPECT_EQ(body[8] & 0x01, outlines ? 0x01 : 0x00);
        EXPECT_EQ(U16(body, 9), uint32_t((outlines ? embedded : device).CharacterId()));
    }
}

}  // namespace
