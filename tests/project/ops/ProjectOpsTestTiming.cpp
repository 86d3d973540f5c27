#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/ScriptedPrompter.h"
#include "project/model/DemoProject.h"
#include "project/model/TalkBubble.h"
#include "project/ops/EffectFile.h"
#include "project/ops/TimingData.h"
#include "tests/project/ops/ProjectOpsTestSupport.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class TimingDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 4; ++i) {
            CFrameInfo& f = m_project.AppendCapturedFrame();
            f.m_nDuration = 10 * (i + 1);
        }
        m_project.m_crDefaultText = 0x112233;
        m_project.m_nDefaultBubbleStyle = kBubbleSquare;
    }

    CFrameInfo& Frame(uint32_t n) { return *m_project.FrameAt(n); }

    static void GiveBubble(CFrameInfo& f, std::u16string text) {
        f.m_pText = std::move(text);
        f.m_pFormat = UnlaidBubbleLines();
    }

    CTempDir m_dir;
    CDemoProject m_project;
};

TEST(TimingTextTest, EscapesAsTheFileStoresIt) {
    struct SCase {
        std::u16string text;
        std::string stored;
    };
    const SCase cases[] = {
        {u"a\nb", "a\\nb"},
        {u"line\r\nbreak", "line\\nbreak"},
        {u"say \"hi\"", "say \\\"hi\\\""},
        {u"C:\\dir", "C:\\\\dir"},
        {u"tab\there", "tab here"},
        {u"\t\x01inner\x02\t", "inner"},
        {u"\x20AC and \xD83D\xDE00", "\xE2\x82\xAC and \xF0\x9F\x98\x80"},
        {u"broken \xD800 pair", "##ERROR##"},
        {u"", ""},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(EscapeTimingText(c.text), c.stored);
    }
}

TEST_F(TimingDataTest, FileNameSitsBesideTheProject) {
    EXPECT_EQ(TimingFileName("/work/demos/My demo.lumo"), "/work/demos/My demo_timing_data.txt");
}

TEST_F(TimingDataTest, ExportWritesOneLinePerFrameAndSkipsDeletedWhenRemoving) {
    GiveBubble(Frame(1), u"a\nb");
    Frame(2).m_bDeleted = 1;
    EXPECT_EQ(TimingDataText(m_project),
              "1, 10, \"N\", \"\"\r\n2, 20, \"N\", \"a\\nb\"\r\n3, 30, \"Y\", \"\"\r\n"
              "4, 40, \"N\", \"\"\r\n");
    EXPECT_EQ(TimingDataText(m_project, true),
              "1, 10, \"N\", \"\"\r\n2, 20, \"N\", \"a\\nb\"\r\n3, 40, \"N\", \"\"\r\n");

    const std::string project = m_dir.File("demo.lumo");
    ASSERT_TRUE(ExportTiming(m_project, project));
    EXPECT_EQ(ReadText(m_dir.File("demo_timing_data.txt")), TimingDataText(m_project));
    EXPECT_FALSE(ExportTiming(m_project, m_dir.File("missing/demo.lumo")));
}

TEST_F(TimingDataTest, LineBreakRoundTripsAndUnicodeLeavesTheBubble) {
    WriteText(m_dir.File("demo_timing_data.txt"),
              "1, 50, \"N\", \"a\\nb\"\r\n"
              "2, 20, \"y\", \"UNICODE\"\r\n"
              "3, 30, \"N\", \"##ERROR##\"\r\n");
    GiveBubble(Frame(1), u"keep me");
    GiveBubble(Frame(2), u"keep too");
    EXPECT_EQ(ImportTiming(m_project, m_dir.File("demo.lumo")), 3);

    CFrameInfo& f0 = Frame(0);
    ASSERT_TRUE(f0.HasTalkBubble());
    EXPECT_EQ(f0.m_pText, u"a\r\nb");
    EXPECT_EQ(f0.m_nTextLen, 4);
    EXPECT_EQ(f0.m_pFormat, UnlaidBubbleLines());
    EXPECT_EQ(f0.m_nBubbleStyle, kBubbleSquare);
    EXPECT_EQ(f0.m_crText, 0x112233);
    EXPECT_EQ(f0.m_nDuration, 50);
    EXPECT_EQ(f0.m_nUserDuration, 50);
    EXPECT_EQ(f0.m_bCustomDuration, 1);

    EXPECT_EQ(Frame(1).m_pText, u"keep me");
    EXPECT_EQ(Frame(1).m_bDeleted, 1);
    EXPECT_EQ(Frame(1).m_bCustomDuration, 0);  // the same duration is no change
    EXPECT_EQ(Frame(2).m_pText, u"keep too");
    EXPECT_EQ(Frame(3).m_nDuration, 40);

    // Exported again, the text reads the same.
    EXPECT_EQ(EscapeTimingText(*f0.m_pText), "a\\nb");
}

TEST_F(TimingDataTest, EmptyTextRemovesTheBubbleAndStrayLinesAreIgnored) {
    GiveBubble(Frame(0), u"gone");
    const std::string text =
        "1, 10, \"N\", \"\"\r\n"
        "0, 99, \"N\", \"zero\"\r\n"
        "5, 99, \"N\", \"beyond\"\r\n"
        "-2, 99, \"N\", \"negative\"\r\n"
        "garbage line\r\n"
        "2 , 25 , \"n\" , \"escaped \\\"quote\\\" and \\\\\"\n"
        "3, 30, \"N\", \"unterminated\r\n";
    EXPECT_EQ(ApplyTimingData(m_project, text), 2);
    EXPECT_FALSE(Frame(0).HasTalkBubble());
    EXPECT_EQ(Frame(1).m_pText, u"escaped \"quote\" and \\");
    EXPECT_EQ(Frame(1).m_nDuration, 25);
    EXPECT_FALSE(Frame(2).HasTalkBubble());
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_NE(Frame(i).m_nDuration, 99);
    }
}

TEST_F(TimingDataTest, DurationsBeyondTheLongestFrameAreIgnored) {
    const std::string text =
        "1, 999999, \"N\", \"\"\r\n"
        "2, 1000000, \"N\", \"\"\r\n"
        "3, 2147483647, \"N\", \"\"\r\n"
        "4, 99999999999, \"N\", \"\"\r\n";
    EXPECT_EQ(ApplyTimingData(m_project, text), 1);
    EXPECT_EQ(Frame(0).m_nDuration, kMaxFrameDuration);
    EXPECT_EQ(Frame(1).m_nDuration, 20);
    EXPECT_EQ(Frame(2).m_nDuration, 30);
    EXPECT_EQ(Frame(3).m_nDuration, 40);
}

TEST_F(TimingDataTest, LinesOfALaterProjectApplyAfterTheFramesBeforeIt) {
    EXPECT_EQ(ApplyTimingData(m_project, "1, 77, \"N\", \"third\"\r\n3, 1, \"N\", \"x\"\r\n", 2),
              1);
    EXPECT_EQ(Frame(2).m_nDuration, 77);
    EXPECT_EQ(Frame(2).m_pText, u"third");
    EXPECT_EQ(ImportTiming(m_project, m_dir.File("none.lumo")), 0);
}

TEST(EffectFileTest, SavedEffectLoadsBackAndFailuresAreTold) {
    CTempDir dir;
    CBubbleAnimation a;
    for (int i = 0; i < CBubbleAnimation::kSettings; ++i) {
        a.m_nSettings[i] = i * 3 - 4;
    }
    a.m_Channels[0].m_nValues = {1, 2, 3, 4};
    a.m_Channels[0].m_fValue = 0.5f;
    a.m_Channels[9].m_nValues = {-9, 8, -7, 6};
    a.m_nFurther = {11, 12, 13};

    CScriptedPrompter prompter;
    std::string folder = dir.Path().string();
    prompter.QueueFileName(dir.File("wobble"));
    ASSERT_TRUE(SaveEffect(prompter, a, folder));
    ASSERT_EQ(prompter.FileRequests().size(), 1u);
    EXPECT_EQ(prompter.FileRequests()[0].caption, "Save Effect...");
    EXPECT_EQ(prompter.FileRequests()[0].filter, "Quillo Effects (*.lumo_effect)");
    const std::string text = ReadText(dir.File("wobble.lumo_effect"));
    EXPECT_EQ(text.substr(0, 2), "3\n");
    EXPECT_NE(text.find("1\n1\n2\n0.500000\n3\n4\n"), std::string::npos);

    CBubbleAnimation b;
    prompter.QueueFileName(dir.File("wobble.lumo_effect"));
    ASSERT_TRUE(LoadEffect(prompter, b, folder));
    EXPECT_EQ(prompter.FileRequests()[1].caption, "Load Effect...");
    EXPECT_EQ(b, a);

    // Format 1 keeps the further settings; a channel marked 0 keeps its values.
    WriteText(
        dir.File("old.lumo_effect"), "1\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n0\n" + [] {
            std::string s;
            for (int i = 1; i < 10; ++i) {
                s += "1\n7\n7\n2.000000\n7\n7\n";
            }
            return s;
        }());
    CBubbleAnimation c = a;
    ASSERT_TRUE(ReadEffectFile(dir.File("old.lumo_effect"), c));
    EXPECT_EQ(c.m_nSettings[9], 10);
    EXPECT_EQ(c.m_Channels[0], a.m_Channels[0]);
    EXPECT_EQ(c.m_Channels[9].m_nValues[0], 7);
    EXPECT_EQ(c.m_nFurther, a.m_nFurther);

    WriteText(dir.File("cut.lumo_effect"), "3\n1\n2\n");
    CBubbleAnimation d = a;
    prompter.QueueFileName(dir.File("cut.lumo_effect"));
    EXPECT_FALSE(LoadEffect(prompter, d, folder));
    EXPECT_EQ(d, a);
    prompter.QueueFileName(dir.File("missing/x.lumo_effect"));
    EXPECT_FALSE(SaveEffect(prompter, a, folder));
    EXPECT_EQ(prompter.Transcript(),
              "Quillo Error: Unable to load effect.\nQuillo Error: Unable to save effect.\n");
    EXPECT_EQ(prompter.Messages()[0].caption, "Quillo Error");
    EXPECT_EQ(folder, dir.File("missing"));

    EXPECT_EQ(prompter.FileRequests()[1].initialName, dir.Path().string() + "/");

    // The last folder is gone: the dialog starts with an empty name.
    prompter.QueueFileName(std::nullopt);
    EXPECT_FALSE(LoadEffect(prompter, d, folder));
    EXPECT_EQ(prompter.FileRequests().back().initialName, "");
    EXPECT_EQ(prompter.Messages().size(), 2u);
}

}  // namespace

namespace {

TEST(TimingHooksTest, SavesWriteTheFileAndOpensReadItBack) {
    CTempDir dir;
    const std::string path = dir.File("demo.lumo");
    RecordProjectFile(dir.Path().string(), path, 32, 24, 4);
    {
        CDemoProject project;
        CScriptedPrompter prompter;
        SProjectFileHooks hooks;
        InstallTimingDataHooks(hooks);
        CProjectFile file(project, prompter, hooks);
        ASSERT_TRUE(file.Open(path));
        project.FrameAt(1)->m_pText = u"two\nlines";
        project.FrameAt(1)->m_pFormat = UnlaidBubbleLines();
        ASSERT_TRUE(file.Save());
    }
    const std::string timing = ReadText(dir.File("demo_timing_data.txt"));
    EXPECT_NE(timing.find("2, 8, \"N\", \"two\\nlines\"\r\n"), std::string::npos) << timing;
    WriteText(dir.File("demo_timing_data.txt"), "3, 250, \"Y\", \"from the file\"\r\n");

    CDemoProject project;
    CScriptedPrompter prompter;
    SProjectFileHooks hooks;
    InstallTimingDataHooks(hooks);
    CProjectFile file(project, prompter, hooks);
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ(project.FrameAt(2)->m_nDuration, 250);
    EXPECT_EQ(project.FrameAt(2)->m_bDeleted, 1);
    EXPECT_EQ(project.FrameAt(2)->m_pText, u"from the file");
    EXPECT_EQ(project.FrameAt(1)->m_pText, u"two\nlines");
}

}  // namespace
