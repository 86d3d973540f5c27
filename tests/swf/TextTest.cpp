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
    bound.SetFont(&font);
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

}  // namespace
