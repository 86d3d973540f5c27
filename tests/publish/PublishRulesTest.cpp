// The publisher's rules that need no player: movie geometry, frame durations and timing, the
// encoding chosen for a changed area, transparency of unchanged pixels and the noise filter.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <algorithm>
#include <atomic>
#include <filesystem>

#include "platform/ScriptedPrompter.h"
#include "project/FrameInfo.h"
#include "publish/FrameBitmaps.h"
#include "publish/MovieGeometry.h"
#include "publish/PublishRun.h"
#include "tests/publish/PublishFixture.h"
#include "tests/support/TempDir.h"
#include "tests/swf/SwfJudges.h"

namespace {

TEST(PublishGeometry, UnitsPerPixelFollowTheStageSize) {
    struct SCase {
        int w, h, panel, twips;
    } cases[] = {
        {640, 480, 0, 20},   {800, 768, 0, 20},  {801, 600, 0, 10},
        {700, 600, 150, 10}, {1024, 769, 0, 10}, {1601, 900, 0, 5},
        {1920, 1537, 0, 5},  {7000, 600, 0, 4},  {20000, 600, 0, 1},
    };
    for (const SCase& c : cases) {
        const SMovieGeometry g = ComputeGeometry(c.w, c.h, 0, 0, c.panel, 0, 0, false, true);
        EXPECT_EQ(g.nTwips, c.twips) << c.w << " x " << c.h;
        EXPECT_LE(g.StageWidth(), 32767) << c.w << " x " << c.h;
        EXPECT_DOUBLE_EQ(g.fZoom, 100.0);
    }
    // Shown at half size: the control sprite is zoomed to 200 %, by the smaller ratio with
    // keep-aspect.
    EXPECT_DOUBLE_EQ(ComputeGeometry(640, 480, 320, 240, 0, 0, 0, false, true).fZoom, 200.0);
    EXPECT_DOUBLE_EQ(ComputeGeometry(640, 480, 320, 480, 0, 0, 0, false, true).fZoom, 100.0);
    EXPECT_DOUBLE_EQ(ComputeGeometry(640, 480, 320, 480, 0, 0, 0, false, false).fZoom, 200.0);
    // The bar adds rows in movie pixels unless it lies over the picture.
    EXPECT_EQ(ComputeGeometry(640, 480, 0, 240, 0, 30, 0, false, true).nBarHeight, 60);
    EXPECT_EQ(ComputeGeometry(640, 480, 0, 240, 0, 30, 0, true, true).nBarHeight, 0);
}

TEST(PublishTiming, FrameDurationTakesTheFirstKnownLength) {
    CFrameInfo f;
    f.m_nRecordedDuration = 40;
    EXPECT_EQ(PublishDuration(f, 2.0f), 40);
    f.m_nNaturalDuration = 30;
    EXPECT_EQ(PublishDuration(f, 2.0f), 30);
    f.m_bSingleFrameSound = 1;
    f.m_nSoundDuration = 250;
    EXPECT_EQ(PublishDuration(f, 2.0f), 250);
    f.m_nDuration = 120;
    EXPECT_EQ(PublishDuration(f, 2.0f), 120);
    f.m_pFormat = u"Hello";  // a timed talk bubble
    EXPECT_EQ(PublishDuration(f, 1.5f), 180);
    f.m_bBubbleOnHover = 1;
    EXPECT_EQ(PublishDuration(f, 1.5f), 120);
    f.m_nFrameEffect = kEffectFadeOut;
    f.m_nFrameEffectDuration = 50;
    EXPECT_EQ(PublishDuration(f, 1.5f), 170);
    f.m_nFrameEffect = kEffectTransitionalFadesStart;
    EXPECT_EQ(PublishDuration(f, 1.5f), 120);
}

class PublishRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!CSwfJudges::Missing().empty()) {
            GTEST_SKIP() << CSwfJudges::Missing();
        }
    }
    SJudgeRun PublishAndParse(CMemoryRecording& rec, const std::string& base,
                              const std::function<void(CPublishSettings&)>& edit = {}) {
        const SPublished pub = Publish(rec, m_Prompter, m_Dir.File(base), edit);
        EXPECT_TRUE(pub.results.strError.empty()) << pub.results.strError;
        m_Results = pub.results;
        return ParseMovie(pub.movie);
    }
    static int Bitmaps(const SJudgeRun& run) {
        int n = 0;
        for (const QJsonValue& tag : run.json["tags"].toArray()) {
            n += tag.toObject()["kind"].toString() == "DefineBitmap" ? 1 : 0;
        }
        return n;
    }
    static int Frames(const SJudgeRun& run) {
        return run.json["header"].toObject()["frameCount"].toInt();
    }
    CTempDir m_Dir;
    CScriptedPrompter m_Prompter;
    SPublishResults m_Results;
};

TEST_F(PublishRulesTest, EveryFrameGetsAMovieFrameAndAMovieHasAtLeastFive) {
    CMemoryRecording one(m_Dir.Path().string(), 16, 16);
    one.Fill(0, 0, 15, 15, 0x00FF00);
    one.Capture(0, 0, 15, 15, 10);
    ASSERT_TRUE(one.Finish());
    EXPECT_EQ(Frames(PublishAndParse(one, "one")), 5);

    // At 10 frames per second a frame of 3/100 s is shorter than a movie frame.
    CMemoryRecording quick(m_Dir.Path().string(), 16, 16);
    for (int i = 0; i < 12; ++i) {
        quick.Fill(0, 0, 15, 15, 0x101010u * uint32_t(i + 1));
        quick.Capture(0, 0, 15, 15, 3);
    }
    ASSERT_TRUE(quick.Finish());
    const SJudgeRun run = PublishAndParse(quick, "quick");
    EXPECT_EQ(Frames(run), 12);
    EXPECT_EQ(Bitmaps(run), 12);

    // Playing twice as fast halves the movie.
    CMemoryRecording slow(m_Dir.Path().string(), 16, 16);
    for (int i = 0; i < 4; ++i) {
        slow.Fill(0, 0, 15, 15, 0x202020u * uint32_t(i + 1));
        slow.Capture(0, 0, 15, 15, 100);
    }
    ASSERT_TRUE(slow.Finish());
    EXPECT_EQ(Frames(PublishAndParse(slow, "slow",
                                     [](CPublishSettings& s) { s.m_fPlaybackSpeed = 2.0f; })),
              20);
    EXPECT_EQ(m_Results.nPlayingSeconds, 2);
}

TEST_F(PublishRulesTest, NoiseFilterSkipsAreasWithAtMostItsCountOfChangedPixels) {
    CMemoryRecording rec(m_Dir.Path().string(), 64, 64);
    rec.Fill(0, 0, 63, 63, 0xFFFFFF);
    rec.Capture(0, 0, 63, 63, 50);
    for (int x = 10; x < 13; ++x) {
        rec.At(x, 10) = 0;  // 3 changed pixels: filtered
    }
    rec.Capture(10, 10, 12, 10, 50);
    for (int x = 40; x < 44; ++x) {
        rec.At(x, 40) = 0;  // 4 changed pixels: drawn
    }
    rec.Capture(40, 40, 43, 40, 50);
    ASSERT_TRUE(rec.Finish());
    const SJudgeRun run =
        PublishAndParse(rec, "noise", [](CPublishSettings& s) { s.m_nNoiseFilter = 3; });
    EXPECT_EQ(Bitmaps(run), 2);
}

TEST(PublishBitmaps, ColourCountChoosesTheFormatAndRepeatsAreReused) {
    CScriptedPrompter prompter;
    for (const int colours : {255, 256}) {
        SPublishCanvas canvas;
        canvas.Allocate(16, 16);
        for (int i = 0; i < 256; ++i) {
            canvas.current[size_t(i)] = uint32_t(std::min(i, colours - 1)) * 0x010305u;
        }
        CFrameBitmaps bitmaps(20, 90, prompter);
        CPublishRandom random;
        auto bitmap = bitmaps.Make({0, 0, 15, 15}, canvas, false, random);
        EXPECT_EQ(bitmaps.Figures().nLastLosslessFormat,
                  colours == 255 ? CSwfDefineBitsLossless::kFormatColorMapped
                                 : CSwfDefineBitsLossless::kFormat32Bit)
            << colours;
        EXPECT_FALSE(bitmap->HasAlpha());
        auto again = bitmaps.Make({0, 0, 15, 15}, canvas, false, random);
        EXPECT_TRUE(again->IsShared());
        EXPECT_EQ(again->BitmapId(), bitmap->BitmapId());
        EXPECT_EQ(bitmaps.Figures().nReused, 1u);
    }
}

TEST(PublishBitmaps, AnUnchangedPixelIsTransparentEightTimesAndDrawnTheNinth) {
    CScriptedPrompter prompter;
    SPublishCanvas canvas;
    canvas.Allocate(4, 1);
    canvas.current = {0x111111, 0x222222, 0x333333, 0x444444};
    CFrameBitmaps bitmaps(20, 90, prompter);
    CPublishRandom random;
    bitmaps.Make({0, 0, 3, 0}, canvas, true, random);  // everything new: opaque
    for (int round = 1; round <= 9; ++round) {
        canvas.current[0] += 0x010101;  // only the first pixel changes
        bitmaps.Make({0, 0, 3, 0}, canvas, true, random);
        EXPECT_EQ(canvas.repeats[1], round <= 8 ? round : 0) << round;
        EXPECT_EQ(canvas.repeats[0], 0) << round;
    }
}

}  // namespace

namespace {

// The worker thread: a second publish is refused while one runs, and the caller hears of the
// end with the results.
TEST(PublishWorker, RefusesASecondPublishAndReportsTheEnd) {
    CTempDir dir;
    CMemoryRecording rec(dir.Path().string(), 400, 300);
    for (int i = 0; i < 40; ++i) {
        rec.Paint(0, 0, 399, 299, [i](int x, int y) { return uint32_t(x * y + i) * 2654435761u; });
        rec.Capture(0, 0, 399, 299, 50);
    }
    ASSERT_TRUE(rec.Finish());
    CScriptedPrompter prompter;
    CMoviePublisher publisher(rec.Project(), rec.Compositor(), prompter);
    publisher.Settings().m_bControlBar = false;
    std::atomic<int> ends{0};
    SPublishResults seen;
    ASSERT_TRUE(publisher.Start(dir.File("worker"), [&](const SPublishResults& r) {
        seen = r;
        ++ends;
    }));
    // The first one is still busy with 40 large pictures.
    if (!publisher.Start(dir.File("second"), {})) {
        ASSERT_FALSE(prompter.Messages().empty());
        EXPECT_EQ(prompter.Messages().back().text, "Publishing in progress.    ");
        EXPECT_EQ(prompter.Messages().back().caption, "Quillo Warning");
    }
    publisher.Wait();
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(seen.strError.empty()) << seen.strError;
    EXPECT_EQ(seen.nBuildNumber, 1);
    EXPECT_EQ(seen.nFrameCount, 200u);
    EXPECT_EQ(seen.nPlayingSeconds, 20);
    EXPECT_TRUE(std::filesystem::exists(dir.File("worker.swf")));
    // The build number grows with every publish.
    publisher.CreateMovie(dir.File("worker"));
    EXPECT_EQ(publisher.Results().nBuildNumber, 2);
}

}  // namespace
