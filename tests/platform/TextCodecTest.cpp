// Conversions between UTF-8 and the program's UTF-16 texts.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/TextCodec.h"

namespace {

TEST(TextCodec, Utf8BecomesUtf16AndBack) {
    struct SCase {
        const char* name;
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"empty", "", u""},
        {"ASCII with a control", "a\tb", u"a\tb"},
        {"two bytes", "\xC3\xA9t\xC3\xA9", u"\u00e9t\u00e9"},
        {"three bytes", "\xE2\x82\xAC", u"\u20ac"},
        {"four bytes become a pair", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"the highest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8ToUtf16(c.utf8), std::optional<std::u16string>(c.utf16));
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
    }
}

TEST(TextCodec, TextThatIsNotUtf8GivesNothing) {
    struct SCase {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"a stray continuation byte", "a\x80"},
        {"a lead byte without its continuation", "ab\xC3"},
        {"a cut three-byte sequence", "\xE2\x82"},
        {"an ASCII byte where a continuation belongs", "\xC3(x"},
        {"a lead byte that no sequence starts with", "\xF8\x88\x80\x80\x80"},
        {"an encoded surrogate", "\xED\xA0\x80"},
        {"past U+10FFFF", "\xF4\x90\x80\x80"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.bytes), std::nullopt) << c.name;
    }
}

}  // namespace
