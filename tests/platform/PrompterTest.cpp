#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/ConsolePrompter.h"
#include "platform/ScriptedPrompter.h"

namespace {

std::string ReadAll(std::FILE* f) {
    std::rewind(f);
    std::string out;
    char buf[256];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        out.append(buf, n);
    }
    return out;
}

TEST(ScriptedPrompter, AnswersInOrderThenFallsBackToDefault) {
    CScriptedPrompter prompter;
    prompter.QueueAnswer(EMsgAnswer::No);
    SPromptMessage question{"Save changes?", "Quillo Warning", EMsgIcon::Question,
                            EMsgButtons::YesNoCancel, EMsgAnswer::Yes};
    EXPECT_EQ(prompter.Message(question), EMsgAnswer::No);
    EXPECT_EQ(prompter.Message(question), EMsgAnswer::Yes);
    prompter.Error("Disk full", "Quillo Error");
    ASSERT_EQ(prompter.Messages().size(), 3u);
    EXPECT_EQ(prompter.Messages()[2].icon, EMsgIcon::Error);
    EXPECT_EQ(
        prompter.Transcript(),
        "Quillo Warning: Save changes?\nQuillo Warning: Save changes?\nQuillo Error: Disk full\n");
}

TEST(ScriptedPrompter, ProgressScopeClosesAndCancelFollowsSteps) {
    CScriptedPrompter prompter;
    prompter.CancelAfterSteps(2);
    {
        CProgressScope progress(prompter, "Saving...");
        EXPECT_TRUE(prompter.ProgressOpen());
        progress.Set(10);
        EXPECT_FALSE(progress.Cancelled());
        progress.Set(20);
        EXPECT_TRUE(progress.Cancelled());
    }
    EXPECT_FALSE(prompter.ProgressOpen());
    ASSERT_EQ(prompter.ProgressSteps().size(), 2u);
    EXPECT_EQ(prompter.ProgressSteps()[1].caption, "Saving...");
}

TEST(ScriptedPrompter, FileNamesRunOutAsCancel) {
    CScriptedPrompter prompter;
    prompter.QueueFileName("/tmp/a.lumo");
    EXPECT_EQ(prompter.AskSaveName({"Save As", "", "Projects (*.lumo)"}), "/tmp/a.lumo");
    EXPECT_EQ(prompter.AskSaveName({"Save As", "", "Projects (*.lumo)"}), std::nullopt);
    EXPECT_EQ(prompter.FileRequests().size(), 2u);
}

TEST(ConsolePrompter, WritesMessagesWithDefaultAnswerAndTakesPresetName) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    CConsolePrompter prompter(f);
    EXPECT_EQ(prompter.Message({"Overwrite?", "Quillo Warning", EMsgIcon::Warning,
                                EMsgButtons::YesNo, EMsgAnswer::No}),
              EMsgAnswer::No);
    prompter.PresetFileName("out.lumo");
    EXPECT_EQ(prompter.AskSaveName({"Save", "", ""}), "out.lumo");
    EXPECT_EQ(prompter.AskSaveName({"Save", "", ""}), std::nullopt);
    prompter.BeginProgress("Saving");
    for (int p = 0; p <= 100; ++p) {
        prompter.SetProgress(p);
    }
    prompter.EndProgress();
    EXPECT_EQ(ReadAll(f),
              "Quillo Warning [warning]: Overwrite? -> No\n"
              "Saving 0%\nSaving 10%\nSaving 20%\nSaving 30%\nSaving 40%\nSaving 50%\n"
              "Saving 60%\nSaving 70%\nSaving 80%\nSaving 90%\nSaving 100%\n");
    std::fclose(f);
}

}  // namespace
