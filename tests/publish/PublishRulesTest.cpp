// The publisher's rules that need no player: movie geometry, frame durations and timing, the
// encoding chosen for a changed area, transparency of unchanged pixels and the noise filter.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QRegularExpression>
#include <algorithm>
#include <atomic>
#include <clocale>
#include <filesystem>

#include "platform/ScriptedPrompter.h"
#include "project/model/FrameInfo.h"
#include "project/model/ProjectSettings.h"
#include "publish/FrameBitmaps.h"
#include "publish/MovieGeometry.h"
#include "publish/ProjectPublishSettings.h"
#include "publish/TimelineStep.h"
#include "publish/ZoomView.h"
#include "swf/SwfMovie.h"
#include "swf/SwfShapeObject.h"
#include "swf/SwfTagStream.h"
#include "tests/publish/PublishFixture.h"
#include "tests/support/TempDir.h"
#include "tests/swf/SwfJudges.h"

namespace {

TEST(PublishGeometry, UnitsPerPixelFollowTheStageSize) {
    struct SCase {
        int w, h, panel, twips;
    } cases[] = {
        {640, 480, 0, 20},  {800, 768, 0, 20},  {801, 600, 0, 10},  {700, 600, 150, 10},
        {1024, 769, 0, 10}, {1601, 900, 0, 5},  {1920, 1537, 0, 5}, {3276, 1080, 0, 5},
        {3277, 1080, 0, 4}, {3440, 1440, 0, 4}, {3840, 1080, 0, 4}, {1920, 4000, 0, 4},
        {7000, 600, 0, 2},  {16383, 600, 0, 1},
    };
    for (const SCase& c : cases) {
        const SMovieGeometry g = ComputeGeometry(c.w, c.h, 0, 0, c.panel, 0, 0, false, true);
        EXPECT_EQ(g.nTwips, c.twips) << c.w << " x " << c.h;
        EXPECT_LE(g.StageWidth(), CSwfTagStream::kMaxStageUnits) << c.w << " x " << c.h;
        EXPECT_LE(g.StageHeight(), CSwfTagStream::kMaxStageUnits) << c.w << " x " << c.h;
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
        return CSwfJudges::Parse(pub.movie);
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
        auto bitmap = bitmaps.Make({0, 0, 15, 15}, canvas, false, random, true).pNew;
        ASSERT_TRUE(bitmap);
        EXPECT_EQ(bitmaps.Figures().nLastLosslessFormat,
                  colours == 255 ? CSwfDefineBitsLossless::kFormatColorMapped
                                 : CSwfDefineBitsLossless::kFormat32Bit)
            << colours;
        EXPECT_FALSE(bitmap->HasAlpha());
        auto again = bitmaps.Make({0, 0, 15, 15}, canvas, false, random, false).pNew;
        ASSERT_TRUE(again);
        EXPECT_TRUE(again->IsShared());
        CSwfMovie movie;
        movie.GetFrame(0).AddObject(*bitmap);
        movie.GetFrame(0).AddObject(*again);
        EXPECT_GT(bitmap->BitmapId(), 0);
        EXPECT_EQ(again->BitmapId(), bitmap->BitmapId());
        EXPECT_EQ(bitmaps.Figures().nReused, 1u);
        // Placed as it is at the same place, the first rectangle itself comes back.
        const SMadeBitmap shared = bitmaps.Make({0, 0, 15, 15}, canvas, false, random, true);
        EXPECT_FALSE(shared.pNew);
        EXPECT_EQ(shared.pShared, bitmap.get());
    }
}

TEST(PublishBitmaps, AnUnchangedPixelIsTransparentEightTimesAndDrawnTheNinth) {
    CScriptedPrompter prompter;
    SPublishCanvas canvas;
    canvas.Allocate(4, 1);
    canvas.current = {0x111111, 0x222222, 0x333333, 0x444444};
    CFrameBitmaps bitmaps(20, 90, prompter);
    CPublishRandom random;
    bitmaps.Make({0, 0, 3, 0}, canvas, true, random, true);  // everything new: opaque
    for (int round = 1; round <= 9; ++round) {
        canvas.current[0] += 0x010101;  // only the first pixel changes
        bitmaps.Make({0, 0, 3, 0}, canvas, true, random, true);
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

namespace {

TEST(PublishZoom, RegionsKeepThePictureProportionsAndStayInside) {
    struct SCase {
        SRect region;
        SZoomView view;
    } cases[] = {
        {{40, 30, 119, 89}, {40, 30, 80, 60}},     // already 4:3
        {{40, 30, 79, 89}, {20, 30, 80, 60}},      // too narrow: widened about its centre
        {{0, 0, 79, 14}, {0, 0, 80, 60}},          // too flat: made taller, kept inside
        {{120, 90, 200, 200}, {120, 90, 40, 30}},  // clipped to the picture first
        {{100, 100, 50, 50}, {0, 0, 160, 120}},    // reversed: the whole picture
        {{-10, -10, 500, 500}, {0, 0, 160, 120}},  // larger than the picture
    };
    for (const SCase& c : cases) {
        const SZoomView v = ZoomRegionView(c.region, 160, 120);
        EXPECT_EQ(v, c.view) << c.region.left << "," << c.region.top << "," << c.region.right << ","
                             << c.region.bottom << " gave " << v.left << "," << v.top << " "
                             << v.width << " x " << v.height;
    }
}

TEST(PublishZoom, MovesTakeTheTimeTheirRateNeedsAndEndOnTheTarget) {
    const SZoomView whole = WholePicture(160, 120);
    const SZoomView region{40, 30, 80, 60};
    struct SCase {
        int32_t rate;
        uint32_t maxSteps;
        bool cut;
        size_t steps;
    } cases[] = {
        {200, 100, false, 2},                     // 40 pixels at 200 pixels per second: 0.2 s
        {40, 100, false, 10}, {40, 4, false, 4},  // squeezed into the time there is
        {40, 100, true, 1},                       // "Cut to Zoom Region"
        {0, 100, false, 1},
    };
    for (const SCase& c : cases) {
        const std::vector<SZoomView> steps = ZoomSteps(whole, region, c.rate, c.maxSteps, c.cut);
        ASSERT_EQ(steps.size(), c.steps) << c.rate << " " << c.maxSteps;
        EXPECT_EQ(steps.back(), region);
        for (size_t k = 1; k < steps.size(); ++k) {
            EXPECT_GT(steps[k].left, steps[k - 1].left) << "the view moves on at every step";
            EXPECT_LT(steps[k].width, steps[k - 1].width);
        }
    }
    EXPECT_TRUE(ZoomSteps(region, region, 200, 10, false).empty());
    // "Follow Mouse": the cursor at a third of the region, the region kept whole and inside.
    const std::pair<SSwfPoint, SRect> follows[] = {
        {{90, 60}, {70, 45, 130, 90}}, {{5, 5}, {0, 0, 60, 45}}, {{158, 118}, {99, 74, 159, 119}}};
    for (const auto& [point, expected] : follows) {
        EXPECT_EQ(FollowRegion({0, 0, 60, 45}, point.x, point.y, 160, 120), expected)
            << point.x << "," << point.y;
    }
    const SViewTransform t = TransformFor(region, 160);
    EXPECT_DOUBLE_EQ(t.scale, 2.0);
    EXPECT_DOUBLE_EQ(t.x, -80.0);
    EXPECT_DOUBLE_EQ(t.y, -60.0);
}

TEST(PublishStoredSettings, TheProjectBlockGivesTheMovieOptionsAndItsFrameRate) {
    const std::pair<const char*, int32_t> rates[] = {{"15", 15}, {"120", 120},  {"", 0},  {"0", 0},
                                                     {"121", 0}, {"12 fps", 0}, {"-5", 0}};
    for (const auto& [text, rate] : rates) {
        CSettingsBlock block;
        block.m_strPublish[0] = text;
        EXPECT_EQ(StoredFrameRate(block), rate) << "'" << text << "'";
    }
    CProjectSettings stored;
    StoreFrameRate(stored.m_block, 24);
    stored.m_block.m_bZoomInAtStart = 1;
    stored.m_block.m_bFadeOutAtEnd = 1;
    stored.m_block.m_bLoopMovie = 1;
    stored.m_block.m_crMovieBackground = 0x102030;
    stored.m_block.m_bControlsAtTop = 1;
    CPublishSettings settings;
    ApplyProjectPublishSettings(stored, settings);
    EXPECT_EQ(settings.m_nFrameRate, 24);
    EXPECT_TRUE(settings.m_bZoomInStart);
    EXPECT_FALSE(settings.m_bZoomOutEnd);
    EXPECT_TRUE(settings.m_bFadeOutEnd);
    EXPECT_TRUE(settings.m_bLoopMovie);
    EXPECT_EQ(settings.m_crBackground, 0x102030u);
    EXPECT_TRUE(settings.m_bControlsAtTop);
    // Without a stored rate the publisher keeps its own.
    CPublishSettings unset;
    ApplyProjectPublishSettings(CProjectSettings(), unset);
    EXPECT_EQ(unset.m_nFrameRate, CPublishSettings().m_nFrameRate);
}

bool Contains(const std::vector<QString>& values, const char* value) {
    return std::find(values.begin(), values.end(), QString(value)) != values.end();
}

}  // namespace

// A zoomed frame moves and scales the timeline so that its region fills the picture area, and
// counter-scales the control sprite; the numbers are written with a point whatever the locale.
TEST_F(PublishRulesTest, ZoomStepsScaleTheTimelineAndKeepTheControlSpriteInThePointLocale) {
    CMemoryRecording rec(m_Dir.Path().string(), 160, 120);
    rec.Fill(0, 0, 159, 119, 0x808080);
    rec.Capture(0, 0, 159, 119, 100);
    rec.Fill(50, 40, 60, 50, 0xFF0000);
    CFrameInfo& zoomed = rec.Capture(50, 40, 60, 50, 100);
    zoomed.m_bZoom = 1;
    zoomed.m_rcZoom = {40, 30, 119, 89};
    ASSERT_TRUE(rec.Finish());
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const bool comma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    const SJudgeRun run = PublishAndParse(rec, "zoomsteps");
    std::setlocale(LC_NUMERIC, before.c_str());
    ExpectCleanParse(run);
    const std::vector<QString> pushed = PushedTexts(run.json["tags"].toArray());
    for (const char* value : {"-80.000000", "-60.000000", "200.000000", "40.000000", "30.000000",
                              "50.000000", "100.000000"}) {
        EXPECT_TRUE(Contains(pushed, value)) << value << (comma ? " (German numbers)" : "");
    }
    for (const QString& v : pushed) {
        EXPECT_FALSE(v.contains(QRegularExpression("^-?[0-9]+,[0-9]{6}$"))) << v.toStdString();
    }
}

// A sound that the next frame starts and that would carry the first segment past 12,000 movie
// frames starts a new segment with that frame; without the sound the movie stays in one.
TEST_F(PublishRulesTest, ASoundThatWouldCrossTheSegmentLimitStartsANewSegment) {
    for (const bool sound : {true, false}) {
        CMemoryRecording rec(m_Dir.Path().string(), 32, 24);
        rec.Fill(0, 0, 31, 23, 0x336699);
        rec.Capture(0, 0, 31, 23, 100000);  // 10,000 movie frames
        rec.Fill(0, 0, 31, 23, 0x996633);
        CFrameInfo& next = rec.Capture(0, 0, 31, 23, 100);
        if (sound) {
            next.m_pszSound = "narration.wav";
            next.m_bPlaySound = 1;
            next.m_bSingleFrameSound = 1;
            next.m_nSoundDuration = 30000;  // 3,000 movie frames
        }
        rec.Fill(0, 0, 31, 23, 0x339966);
        rec.Capture(0, 0, 31, 23, 100);
        ASSERT_TRUE(rec.Finish());
        const SJudgeRun run = PublishAndParse(rec, sound ? "sound" : "nosound");
        ExpectCleanParse(run);
        const std::vector<QString> pushed = PushedTexts(run.json["tags"].toArray());
        EXPECT_EQ(Contains(pushed, "../movie00001"), sound);
        // The main timeline stops where the segment takes over.
        EXPECT_EQ(Frames(run), sound ? 10001 : 10020) << sound;
        EXPECT_EQ(Contains(pushed, "10000"), sound) << "the segment's start frame";
    }
}
