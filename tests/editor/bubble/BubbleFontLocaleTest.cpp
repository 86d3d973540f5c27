// Faces map to installed fonts the same way whatever the user's locale: the layout of a bubble
// saved with "Arial" or "Tahoma" is computed by two child runs of this test program under
// different locales and must come out the same.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QFileInfo>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "editor/bubble/BubbleFont.h"
#include "editor/bubble/BubbleFontFiles.h"
#include "platform/TextCodec.h"
#include "tests/editor/bubble/BubbleTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace {

constexpr const char* kOutVariable = "QUILLO_BUBBLE_LAYOUT_OUT";

std::string Describe(const std::string& face) {
    auto project = TestProject();
    CFrameInfo& frame = AddBubbleFrame(*project, {u"Straße über 12,5 km", u"ÀÉÎ ÕÜ ß € 1.234,56"});
    frame.m_pFont = TestFont(face, -15);
    const CBubbleLayout layout = LayoutBubble(*project, frame, ViewOf(*project));
    std::ostringstream out;
    out << face << " -> "
        << QFileInfo(QString::fromStdString(layout.pFont->PrimaryFile())).fileName().toStdString()
        << " W " << layout.W << " H " << layout.H << " M " << layout.Mw << "x" << layout.Mh;
    for (std::size_t i = 0; i < layout.lines.size(); ++i) {
        out << " | " << Utf16ToUtf8(layout.lines[i].text) << " " << layout.widths[i];
    }
    return out.str();
}

// Run only as a child of the test below, with the locale of its environment.
TEST(BubbleFontLocale, DISABLED_WriteLayout) {
    const char* out = std::getenv(kOutVariable);
    ASSERT_NE(out, nullptr);
    ASSERT_TRUE(EnsureBubbleGui());
    std::ofstream(out) << Describe("Arial") << "\n" << Describe("Tahoma") << "\n";
}

std::string RunChild(const CTempDir& dir, const std::string& locale) {
    const std::string out = dir.File("layout-" + locale + ".txt");
    const pid_t pid = SpawnProgram({"/proc/self/exe", "--gtest_also_run_disabled_tests",
                                    "--gtest_filter=BubbleFontLocale.DISABLED_WriteLayout"},
                                   {std::string(kOutVariable) + "=" + out, "LANG=" + locale,
                                    "LC_ALL=" + locale, "LANGUAGE=" + locale.substr(0, 2)});
    EXPECT_EQ(WaitForExit(pid, 60), 0) << locale;
    std::ifstream in(out);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(BubbleFontLocale, ArialAndTahomaLayOutTheSameInEveryLocale) {
    CTempDir dir;
    const std::string c = RunChild(dir, "C.UTF-8");
    const std::string german = RunChild(dir, "de_DE.UTF-8");
    ASSERT_FALSE(c.empty());
    EXPECT_EQ(c, german);
    EXPECT_NE(c.find("Arial -> LiberationSans-Regular.ttf"), std::string::npos) << c;
    EXPECT_NE(c.find("Tahoma -> LiberationSans-Regular.ttf"), std::string::npos) << c;
}

// Fonts are looked up in a program that has started Qt's font engine, as every user of bubbles
// does.
class BubbleFontFiles : public CBubbleTest {};

TEST_F(BubbleFontFiles, FacesMapToTheInstalledFamilies) {
    struct SCase {
        const char* face;
        uint8_t nPitchAndFamily;
        const char* family;
    };
    const SCase cases[] = {
        {"Arial", 0x22, "Liberation Sans"},
        {"TAHOMA", 0x22, "Liberation Sans"},
        {"Microsoft Sans Serif", 0x22, "Liberation Sans"},
        {"Times New Roman", 0x12, "Liberation Serif"},
        {"Courier New", 0x31, "Liberation Mono"},
        {"Some Roman Face", 0x12, "Liberation Serif"},
        {"Some Fixed Face", 0x01, "Liberation Mono"},
        {"", 0x00, "Liberation Sans"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.face);
        EXPECT_STREQ(PrimaryFamily(FontKindOfFace(c.face, c.nPitchAndFamily)), c.family);
    }
    for (const char* family :
         {"Liberation Sans", "Liberation Serif", "Liberation Mono", "DejaVu Sans"}) {
        SCOPED_TRACE(family);
        const std::string regular = FontFileOf(family, false, false);
        const std::string bold = FontFileOf(family, true, false);
        ASSERT_FALSE(regular.empty());
        EXPECT_NE(regular, bold);
    }
    EXPECT_NE(FontFileOf("Liberation Sans", false, true).find("Italic"), std::string::npos);
    EXPECT_TRUE(FontFileOf("No Such Family Anywhere", false, false).empty());
}

}  // namespace
