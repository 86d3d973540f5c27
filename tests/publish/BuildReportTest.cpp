// The build report: its lines, and the transcript of the talk bubbles the movie shows.
#include "publish/package/BuildReport.h"

#include <gtest/gtest.h>

#include "project/model/DemoProject.h"

namespace {

CFrameInfo& AddFrame(CDemoProject& project, const std::u16string* text, bool deleted = false) {
    auto frame = std::make_unique<CFrameInfo>();
    if (text != nullptr) {
        frame->m_pText = *text;
        frame->m_pFormat = *text;
    }
    frame->m_bDeleted = deleted ? 1 : 0;
    return project.InsertAfter(project.LastFrame(), std::move(frame));
}

SBuildReport Report() {
    SBuildReport r;
    r.strMoviePath = "/home/ann/My demo.swf";
    r.nBuildNumber = 7;
    r.strCreatedAt = "Fri Dec 11 13:08:38 2026";
    r.nSizeKB = 123;
    r.nFrameRate = 10;
    r.nPlayingSeconds = 42;
    return r;
}

TEST(BuildReport, ListsTheFiguresAndTheTranscript) {
    SBuildReport r = Report();
    r.transcript = {"Click File", "Then Save"};
    EXPECT_EQ(BuildReportText(r),
              "/home/ann/My demo.swf\r\n"
              "Build 7 successfully completed\r\n"
              "Created at: Fri Dec 11 13:08:38 2026\r\n"
              "Flash player required: v6.0 or above\r\n"
              "Size: 123 KB\r\n"
              "Total frames in main movie: 420\r\n"
              "Playback frame rate: 10\r\n"
              "Approximate playback time: 42 seconds\r\n"
              "\r\nAnnotated text transcript:\r\n\r\n"
              "Click File\r\n"
              "Then Save\r\n");
}

TEST(BuildReport, WithoutBubblesHasNoTranscriptAndACancelSaysSo) {
    SBuildReport r = Report();
    r.bCancelled = true;
    r.nSizeKB = -1;
    const std::string text = BuildReportText(r);
    EXPECT_NE(text.find("\r\nBuild 7 terminated by user\r\n"), std::string::npos);
    EXPECT_EQ(text.find("transcript"), std::string::npos);
    EXPECT_TRUE(text.ends_with("Approximate playback time: 42 seconds\r\n"));
}

TEST(BuildReport, TranscriptTakesTheShownBubblesInFrameOrder) {
    CDemoProject project;
    const std::u16string first = u"Open the menu";
    const std::u16string gone = u"deleted frame";
    const std::u16string second = u"Grüße, \U0001F600";
    AddFrame(project, nullptr);
    AddFrame(project, &first);
    AddFrame(project, &gone, true);
    AddFrame(project, nullptr);
    AddFrame(project, &second);
    EXPECT_EQ(TalkBubbleTranscript(project),
              (std::vector<std::string>{"Open the menu", "Grüße, \U0001F600"}));

    CDemoProject none;
    AddFrame(none, nullptr);
    EXPECT_TRUE(TalkBubbleTranscript(none).empty());
}

TEST(BuildReport, ALongBubbleIsCutAtACharacterBoundary) {
    CDemoProject project;
    // 4095 ASCII bytes, then a 2-byte character that would straddle the 4096-byte limit.
    const std::u16string text = std::u16string(4095, u'a') + u"éé";
    AddFrame(project, &text);
    const std::vector<std::string> transcript = TalkBubbleTranscript(project);
    ASSERT_EQ(transcript.size(), 1u);
    EXPECT_EQ(transcript[0], std::string(4095, 'a'));
}

}  // namespace
