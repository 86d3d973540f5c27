// The colour scheme list: built-in schemes first, the user's kept in a file in the settings
// folder, clashing names refused, deletion only on yes, damaged lines skipped.
#include <gtest/gtest.h>
#include <fstream>

#include "platform/ScriptedPrompter.h"
#include "settings/ControlScheme.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

namespace {

const TControlColors kMine = {0x112233, 0x445566, 0x778899, 0xAABBCC, 0xDDEEFF, 0x010203};

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(ControlSchemeTest, BuiltInSchemesComeFirstAndMidnightIsTheDefault) {
    const CControlSchemeList list;
    ASSERT_EQ(list.Schemes().size(), 15u);
    EXPECT_EQ(list.Schemes().front().m_strName, "Quillo");
    EXPECT_EQ(list.Schemes().back().m_strName, "Silver");
    EXPECT_EQ(DefaultScheme().m_strName, "Midnight");
    const CControlScheme* gold = list.Find("Gold");
    ASSERT_NE(gold, nullptr);
    EXPECT_EQ(gold->m_cr[kColorButton], 0x25CDC9u);
    EXPECT_EQ(gold->m_cr[kColorPanel], 0x408080u);
    const auto custom = SchemeCustomColors();
    EXPECT_EQ(custom[0], 0xC2FFFFu);
    EXPECT_EQ(custom[4], 0x646464u);
    EXPECT_EQ(custom[5], 0xFFFFFFu);
}

TEST(ControlSchemeTest, AClashingNameIsRefusedWithTheDuplicateMessage) {
    CScriptedPrompter prompter;
    CControlSchemeList list;
    for (const char* name : {"Gold", "  Gold  "}) {
        EXPECT_FALSE(list.Add(prompter, name, kMine)) << name;
    }
    ASSERT_EQ(prompter.Messages().size(), 2u);
    EXPECT_EQ(prompter.Messages()[0].caption, "Duplicate scheme name");
    EXPECT_EQ(prompter.Messages()[0].text,
              "The color scheme Gold already exists.    \nPlease use another name.");
    EXPECT_EQ(list.Find("Gold")->m_cr[kColorButton], 0x25CDC9u);

    ASSERT_TRUE(list.Add(prompter, "Night shift", kMine));
    EXPECT_FALSE(list.Add(prompter, "Night shift", TControlColors{}));
    EXPECT_FALSE(list.Add(prompter, "   ", kMine));
    EXPECT_EQ(list.Schemes().size(), 16u);
    EXPECT_EQ(list.Find("Night shift")->m_cr, kMine);
}

TEST(ControlSchemeTest, UserSchemesSurviveSavingAndLoading) {
    CTempDir dir;
    const std::string path = (dir.Path() / CControlSchemeList::kFileName).string();
    CScriptedPrompter prompter;
    CControlSchemeList list;
    ASSERT_TRUE(list.Add(prompter, "Mine #1, with spaces", kMine));
    ASSERT_TRUE(list.Add(prompter, "Tab\tand\nbreak", kMine));
    std::string error;
    ASSERT_TRUE(list.Save(path, &error)) << error;

    CControlSchemeList loaded;
    loaded.Load(path);
    EXPECT_EQ(loaded.SkippedLines(), 0);
    ASSERT_EQ(loaded.Schemes().size(), 17u);
    EXPECT_EQ(loaded.Schemes()[15].m_strName, "Mine #1, with spaces");
    EXPECT_EQ(loaded.Schemes()[15].m_cr, kMine);
    EXPECT_FALSE(loaded.Schemes()[15].m_bBuiltIn);
    EXPECT_EQ(loaded.Schemes()[16].m_strName, "Tab and break");
}

TEST(ControlSchemeTest, DamagedLinesAreSkippedAndTheRestIsKept) {
    CTempDir dir;
    const auto path = dir.Path() / CControlSchemeList::kFileName;
    std::ofstream(path, std::ios::binary) << "Good\t112233,445566,778899,AABBCC,DDEEFF,010203\r\n"
                                          << "no tab here\n"
                                          << "Short\t112233,445566\n"
                                          << "Long\t1,2,3,4,5,6,7\n"
                                          << "Wide\t1000000,0,0,0,0,0\n"
                                          << "Junk\t11zz33,0,0,0,0,0\n"
                                          << "Gold\t0,0,0,0,0,0\n"
                                          << "\tFFFFFF,0,0,0,0,0\n"
                                          << "Good\t0,0,0,0,0,0\n";
    CControlSchemeList list;
    list.Load(path.string());
    EXPECT_EQ(list.SkippedLines(), 8);
    ASSERT_EQ(list.Schemes().size(), 16u);
    EXPECT_EQ(list.Schemes().back().m_cr, kMine);
    EXPECT_EQ(list.Find("Gold")->m_cr[kColorButton], 0x25CDC9u);

    CControlSchemeList missing;
    missing.Load((dir.Path() / "absent.txt").string());
    EXPECT_EQ(missing.Schemes().size(), 15u);
}

TEST(ControlSchemeTest, DeletingAsksAndKeepsBuiltInSchemes) {
    CScriptedPrompter prompter;
    CControlSchemeList list;
    ASSERT_TRUE(list.Add(prompter, "Mine", kMine));
    prompter.QueueAnswer(EMsgAnswer::No);
    EXPECT_FALSE(list.Remove(prompter, "Mine"));
    ASSERT_NE(list.Find("Mine"), nullptr);
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(prompter.Messages()[0].text,
              "Are you sure you want to delete the Mine color scheme ?");
    EXPECT_EQ(prompter.Messages()[0].caption, "Delete color scheme");

    prompter.QueueAnswer(EMsgAnswer::Yes);
    EXPECT_TRUE(list.Remove(prompter, "Mine"));
    EXPECT_EQ(list.Find("Mine"), nullptr);
    EXPECT_FALSE(list.Remove(prompter, "Gold"));
    EXPECT_NE(list.Find("Gold"), nullptr);
}

TEST(ControlSchemeTest, ASaveOnAFullDiskLeavesTheOldFile) {
    CTempDir dir;
    const auto path = dir.Path() / CControlSchemeList::kFileName;
    std::ofstream(path, std::ios::binary) << "Old\t0,0,0,0,0,0\n";
    CScriptedPrompter prompter;
    CControlSchemeList list;
    ASSERT_TRUE(list.Add(prompter, "New", kMine));
    ASSERT_TRUE(list.Add(prompter, "Newer", kMine));
    std::string error;
    {
        CFileSizeLimit full(20);
        EXPECT_FALSE(list.Save(path.string(), &error));
    }
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadAll(path), "Old\t0,0,0,0,0,0\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}
