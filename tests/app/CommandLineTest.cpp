// The desktop program's command line: every switch, the order rules and the refused values.
#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {

SCommandLine Parse(std::vector<std::string> args) {
    return ParseCommandLine(args, "/home/user/demos");
}

TEST(CommandLineTest, CaptureRectangleIsTopLeftBottomRight) {
    const SCommandLine line = Parse({"/s:10,20,110,220"});
    ASSERT_TRUE(line.captureRect);
    EXPECT_EQ(*line.captureRect, (SCaptureRect{20, 10, 200, 100}));
    EXPECT_TRUE(line.errors.empty());
}

TEST(CommandLineTest, SwitchesAreComparedByTheirFirstCharactersInAnyCase) {
    const SCommandLine line = Parse({"/R:talk", "/Pan", "/HIDDEN", "/close", "Intro.LUMO"});
    EXPECT_EQ(line.recordFile, "/home/user/demos/talk.lumo");
    EXPECT_TRUE(line.bPan);
    EXPECT_TRUE(line.bHidden);
    EXPECT_TRUE(line.bChangeEnd);
    EXPECT_EQ(line.projectFile, "/home/user/demos/Intro.LUMO");
    EXPECT_FALSE(line.bRecoverMode);
}

TEST(CommandLineTest, RecordFileKeepsItsLumoEndingAndFolder) {
    EXPECT_EQ(Parse({"/r:/tmp/out.Lumo"}).recordFile, "/tmp/out.Lumo");
    EXPECT_EQ(Parse({"/r:sub/out"}).recordFile, "/home/user/demos/sub/out.lumo");
    EXPECT_FALSE(Parse({"/r:"}).recordFile);
    EXPECT_EQ(Parse({"/r:"}).errors.size(), 1u);
}

TEST(CommandLineTest, RecoverOnlyAsFirstArgumentAndThenAloneCounts) {
    const SCommandLine first = Parse({"-RECOVER", "/p", "a.lumo"});
    EXPECT_TRUE(first.bRecoverMode);
    EXPECT_FALSE(first.bPan);
    EXPECT_FALSE(first.projectFile);

    // As the second argument it is not a switch: it ends the processing.
    const SCommandLine second = Parse({"/p", "-recover", "/h"});
    EXPECT_FALSE(second.bRecoverMode);
    EXPECT_TRUE(second.bPan);
    EXPECT_FALSE(second.bHidden);
    EXPECT_FALSE(Parse({"-recovery"}).bRecoverMode);
}

TEST(CommandLineTest, FirstNonSwitchEndsProcessing) {
    const SCommandLine other = Parse({"notes.txt", "/p", "b.lumo"});
    EXPECT_FALSE(other.projectFile);
    EXPECT_FALSE(other.bPan);
    const SCommandLine lumo = Parse({"/p", "/srv/a.lumo", "/h"});
    EXPECT_EQ(lumo.projectFile, "/srv/a.lumo");
    EXPECT_FALSE(lumo.bHidden);
}

TEST(CommandLineTest, UnusableCaptureRectanglesAreRefused) {
    for (const char* arg : {"/s:10,20,10,220", "/s:110,20,10,220", "/s:10,20,110,20", "/s:1,2,3",
                            "/s:a,b,c,d", "/s:1,2,3,4,5"}) {
        SCOPED_TRACE(arg);
        const SCommandLine line = Parse({arg, "/p"});
        EXPECT_FALSE(line.captureRect);
        EXPECT_EQ(line.errors.size(), 1u);
        // A refused value does not stop the switches after it.
        EXPECT_TRUE(line.bPan);
    }
}

TEST(CommandLineTest, CaptureRectangleIsClippedToTheScreen) {
    EXPECT_EQ(ClipToScreen({20, 10, 200, 100}, 640, 480), (SCaptureRect{20, 10, 200, 100}));
    EXPECT_EQ(ClipToScreen({600, 400, 200, 200}, 640, 480), (SCaptureRect{600, 400, 40, 80}));
    EXPECT_EQ(ClipToScreen({-50, -10, 200, 100}, 640, 480), (SCaptureRect{0, 0, 150, 90}));
    EXPECT_FALSE(ClipToScreen({700, 10, 50, 50}, 640, 480));
}

}  // namespace
