// Names where the side files put them: page markup, addresses, the manifest, and the resource
// identifier cleaned per character.
#include "publish/package/PackageText.h"

#include <gtest/gtest.h>

namespace {

TEST(PackageText, EscapesNamesForEachPlace) {
    struct SCase {
        std::string name;
        std::string html;
        std::string url;
    };
    const SCase cases[] = {
        {"plain-name_1.0", "plain-name_1.0", "plain-name_1.0"},
        {"My demo #1?.swf", "My demo #1?.swf", "My%20demo%20%231%3F.swf"},
        {"100%", "100%", "100%25"},
        {"a&b<c>\"d'", "a&amp;b&lt;c&gt;&quot;d&#39;", "a%26b%3Cc%3E%22d%27"},
        {"ruffle/café.js", "ruffle/café.js", "ruffle/caf%C3%A9.js"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(HtmlEscape(c.name), c.html) << c.name;
        EXPECT_EQ(XmlEscape(c.name), c.html) << c.name;
        EXPECT_EQ(UrlEscape(c.name), c.url) << c.name;
    }
    // Nothing in a script string can end the string or the script element.
    EXPECT_EQ(ScriptStringEscape("a\"b\\c</script>\n"), "a\\\"b\\\\c\\u003C/script\\u003E\\u000A");
}

TEST(PackageText, CleansTheResourceIdentifierPerCharacter) {
    struct SCase {
        std::string typed;
        std::string stored;
    };
    const SCase cases[] = {
        {"my demo/1", "my_demo_1"},
        {"Keep-these.as_they_are", "Keep-these.as_they_are"},
        {"a:b;c=d@e[f]g^h`i{j}k~l", "a_b_c_d_e_f_g_h_i_j_k_l"},
        // Latin-1 letters stay whole; their UTF-8 bytes are not cleaned one by one.
        {"Café_Ångström", "Café_Ångström"},
        {"x×y÷z", "x_y_z"},
        {"\u00a9\u00bf", "__"},
        {"日本", "__"},
        {std::string("bad\xff\xc3", 5), "bad__"},
        // An identifier is an XML name, which cannot start with a digit, "-" or ".".
        {"2024 demo", "_2024_demo"},
        {".hidden", "_.hidden"},
        {"", "_"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(CleanResourceIdentifier(c.typed), c.stored) << c.typed;
    }
    EXPECT_EQ(DefaultResourceIdentifier("My demo"), "My_demo_Quillo_v7.53");
}

}  // namespace
