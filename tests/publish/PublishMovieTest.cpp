// Published movies judged from outside: the structural parser reads every tag, and the player
// in a headless browser shows each project frame's picture at that frame's time.
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "project/stream/PictureBlock.h"
#include "tests/publish/PublishFixture.h"
#include "tests/support/TempDir.h"
#include "tests/swf/SwfJudges.h"

namespace {

constexpr int kW = 160;
constexpr int kH = 120;

// With QUILLO_KEEP_SHOTS set, the movie and its screenshots are copied there for a look.
void Keep(const std::string& movie, const std::string& shots) {
    if (const char* keep = std::getenv("QUILLO_KEEP_SHOTS")) {
        namespace fs = std::filesystem;
        const fs::path dir = fs::path(keep) / fs::path(movie).stem();
        std::error_code ec;
        fs::create_directories(dir, ec);
        fs::copy(movie, dir, fs::copy_options::overwrite_existing, ec);
        fs::copy(shots, dir, fs::copy_options::overwrite_existing | fs::copy_options::recursive,
                 ec);
    }
}

std::string ShotPath(const std::string& dir, double t) {
    char name[32];
    std::snprintf(name, sizeof name, "shot-%.2f.png", t);
    return dir + "/" + name;
}

// Tags of one kind over the whole movie, sprites included.
int CountKind(const QJsonArray& tags, const QString& kind) {
    int n = 0;
    for (const QJsonValue& tag : tags) {
        const QJsonObject object = tag.toObject();
        n += object["kind"].toString() == kind ? 1 : 0;
        if (object.contains("tags")) {
            n += CountKind(object["tags"].toArray(), kind);
        }
    }
    return n;
}

class PublishMovieTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string missing = CSwfJudges::Missing();
        if (!missing.empty()) {
            GTEST_SKIP() << missing;
        }
    }
    CTempDir m_Dir;
    CScriptedPrompter m_Prompter;
};

// Ten frames of half a second in flat colours (lossless bitmaps); frame 8 waits for the viewer,
// so the two frames after it never show.
TEST_F(PublishMovieTest, LosslessFramesShowAtTheirTimesAndAPauseHolds) {
    CMemoryRecording rec(m_Dir.Path().string(), kW, kH);
    rec.Paint(0, 0, kW - 1, kH - 1, [](int x, int y) {
        return ((x / 20 + y / 15) % 3 == 0) ? 0x3A6EA5 : ((x / 20) % 2 ? 0xF0F0F0 : 0x204060);
    });
    rec.Capture(0, 0, kW - 1, kH - 1, 50);
    const uint32_t colours[] = {0xC04040, 0x40C040, 0x4040C0, 0xE0E020, 0x20E0E0,
                                0xE020E0, 0x808080, 0x101010, 0xFFFFFF};
    for (int i = 1; i < 10; ++i) {
        const int l = (i * 37) % (kW - 50);
        const int t = (i * 23) % (kH - 30);
        const int r = l + 40;
        const int b = t + 25;
        if (i == 4) {
            rec.Fill(l, t, r, b, colours[1]);
        } else {
            const uint32_t c = colours[i - 1];
            rec.Paint(l, t, r, b, [c](int x, int y) { return (x + y) % 7 == 0 ? 0x000000 : c; });
        }
        CFrameInfo& frame = rec.Capture(l, t, r, b, i == 7 ? 0 : 50);
        frame.m_nRecordedDuration = 50;
    }
    ASSERT_TRUE(rec.Finish());
    const SPublished pub = Publish(rec, m_Prompter, m_Dir.File("lossless"));
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    ASSERT_GT(pub.results.nSizeKB, 0);

    const SJudgeRun parsed = CSwfJudges::Parse(pub.movie);
    ExpectCleanParse(parsed);
    EXPECT_EQ(parsed.json["header"].toObject()["signature"].toString(), "CWS");
    EXPECT_EQ(parsed.json["header"].toObject()["widthPx"].toInt(), kW);
    const QJsonArray tags = parsed.json["tags"].toArray();
    EXPECT_GE(CountKind(tags, "DefineBitmap"), 9);

    std::string times;
    std::vector<double> at;
    for (int i = 0; i < 10; ++i) {
        at.push_back(0.25 + 0.5 * i);
        times += (i ? "," : "") + std::to_string(at.back()).substr(0, 4);
    }
    const std::string shots = m_Dir.File("shots");
    const SJudgeRun rendered = CSwfJudges::Render(pub.movie, shots, times);
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    Keep(pub.movie, shots);
    for (int i = 0; i < 10; ++i) {
        const int shown = std::min(i, 7);
        const QImage shot(QString::fromStdString(ShotPath(shots, at[i])));
        const SPictureDiff diff = Compare(shot, rec.Picture(uint32_t(shown)), kW, kH);
        EXPECT_EQ(diff.nDiffering, 0)
            << "shot at " << at[i] << " s, frame " << shown + 1 << ": max " << diff.nMaxChannel;
    }
}

}  // namespace

namespace {

int CountPushed(const QJsonArray& tags, const QString& value) {
    const std::vector<QString> pushed = PushedTexts(tags);
    return int(std::count(pushed.begin(), pushed.end(), value));
}

// A smooth picture with noise, as photographs and anti-aliased screens are: JPEG wins.
uint32_t Photo(int x, int y) {
    const uint32_t n = uint32_t(x * 7919 + y * 104729) * 2654435761u >> 28;
    const uint32_t r = uint32_t(128 + 100 * std::sin(x / 17.0)) + n;
    const uint32_t g = uint32_t(128 + 100 * std::cos(y / 13.0)) + n;
    const uint32_t b = uint32_t((x + y) & 0xFF) / 2 + 60 + n;
    return (std::min(r, 255u) << 16) | (std::min(g, 255u) << 8) | std::min(b, 255u);
}

}  // namespace

// A photograph-like first frame becomes a JPEG bitmap; later small changes with unchanged pixels
// left transparent; the output name has spaces and brackets.
TEST_F(PublishMovieTest, JpegAndTransparentAreasShowWithinTolerance) {
    CMemoryRecording rec(m_Dir.Path().string(), kW, kH);
    rec.Paint(0, 0, kW - 1, kH - 1, Photo);
    rec.Capture(0, 0, kW - 1, kH - 1, 100);
    rec.Paint(20, 20, 70, 60, [](int x, int y) { return (x ^ y) & 4 ? 0xFF0000 : Photo(x, y); });
    rec.Capture(20, 20, 70, 60, 100);
    rec.Fill(90, 70, 150, 110, 0x2040FF);
    rec.Capture(90, 70, 150, 110, 100);
    ASSERT_TRUE(rec.Finish());
    const SPublished pub = Publish(rec, m_Prompter, m_Dir.File("my movie (1)"),
                                   [](CPublishSettings& s) { s.m_bAdvancedCompression = true; });
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    ASSERT_TRUE(std::filesystem::exists(pub.movie));

    const SJudgeRun parsed = CSwfJudges::Parse(pub.movie);
    ExpectCleanParse(parsed);
    int jpeg = 0;
    for (const QJsonValue& tag : parsed.json["tags"].toArray()) {
        jpeg += tag.toObject()["tag"].toString().startsWith("DefineBitsJPEG") ? 1 : 0;
    }
    EXPECT_EQ(jpeg, 1);

    const std::string shots = m_Dir.File("shots");
    const SJudgeRun rendered = CSwfJudges::Render(pub.movie, shots, "0.50,1.50,2.50");
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    Keep(pub.movie, shots);
    const double at[] = {0.5, 1.5, 2.5};
    for (uint32_t i = 0; i < 3; ++i) {
        const QImage shot(QString::fromStdString(ShotPath(shots, at[i])));
        const SPictureDiff diff = Compare(shot, rec.Picture(i), kW, kH);
        // JPEG at quality 90 over the whole picture; the lossless areas on top of it.
        EXPECT_LT(diff.fMean, 4.0) << "frame " << i + 1;
        EXPECT_LE(diff.nMaxChannel, 80) << "frame " << i + 1;
    }
}

// More than 12,000 movie frames: the movie continues in the sprite "movie00001"; with "Loop
// movie" its last frame seeks back to frame 1 through "/control:position" and plays on.
TEST_F(PublishMovieTest, LongMoviePlaysAcrossTheSegmentBoundaryAndSeeksBack) {
    CMemoryRecording rec(m_Dir.Path().string(), 64, 48);
    rec.Fill(0, 0, 63, 47, 0x808080);
    rec.Capture(0, 0, 63, 47, 9990);
    const uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF};
    for (int i = 0; i < 3; ++i) {
        rec.Fill(0, 0, 63, 47, colours[i]);
        rec.Capture(0, 0, 63, 47, 100);
    }
    ASSERT_TRUE(rec.Finish());
    const SPublished pub = Publish(rec, m_Prompter, m_Dir.File("long"), [](CPublishSettings& s) {
        s.m_nFrameRate = 120;
        s.m_bLoopMovie = true;
    });
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;

    const SJudgeRun parsed = CSwfJudges::Parse(pub.movie);
    ExpectCleanParse(parsed);
    bool segment = false;
    for (const QJsonValue& tag : parsed.json["tags"].toArray()) {
        if (tag.toObject()["kind"].toString() == "DefineSprite") {
            segment = segment || tag.toObject()["frameCount"].toInt() > 200;
        }
    }
    EXPECT_TRUE(segment);
    // Named when the main timeline hands over to it and when a seek lands in it.
    EXPECT_EQ(CountPushed(parsed.json["tags"].toArray(), "../movie00001"), 2);
    // The main timeline ends with the frame that shows the one segment sprite.
    EXPECT_EQ(parsed.json["header"].toObject()["frameCount"].toInt(), 12109);

    const std::string shots = m_Dir.File("shots");
    const SJudgeRun rendered =
        CSwfJudges::Render(pub.movie, shots, "99.50,100.50,101.50,102.50,104.50");
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    Keep(pub.movie, shots);
    const std::pair<double, uint32_t> expected[] = {
        {99.5, 0}, {100.5, 1}, {101.5, 2}, {102.5, 3}, {104.5, 0}};
    for (const auto& [t, frame] : expected) {
        const QImage shot(QString::fromStdString(ShotPath(shots, t)));
        const SPictureDiff diff = Compare(shot, rec.Picture(frame), 64, 48);
        EXPECT_EQ(diff.nDiffering, 0) << "shot at " << t << " s, frame " << frame + 1;
    }
}

TEST_F(PublishMovieTest, VideoExportMarksEveryMovieFrame) {
    CMemoryRecording rec(m_Dir.Path().string(), 32, 24);
    rec.Fill(0, 0, 31, 23, 0x336699);
    rec.Capture(0, 0, 31, 23, 50);
    rec.Fill(4, 4, 10, 10, 0xFFFFFF);
    rec.Capture(4, 4, 10, 10, 0);
    ASSERT_TRUE(rec.Finish());
    const SPublished pub = Publish(rec, m_Prompter, m_Dir.File("video"),
                                   [](CPublishSettings& s) { s.m_bVideoExport = true; });
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    const SJudgeRun parsed = CSwfJudges::Parse(pub.movie);
    ExpectCleanParse(parsed);
    const QJsonArray tags = parsed.json["tags"].toArray();
    const int frames = parsed.json["header"].toObject()["frameCount"].toInt();
    EXPECT_EQ(frames, int(pub.results.nFrameCount));
    EXPECT_EQ(CountPushed(tags, "/control:flashframe"), frames);
    EXPECT_EQ(CountPushed(tags, "/control:export_completed"), 2);  // "false" first, then "true"
    EXPECT_EQ(parsed.json["header"].toObject()["signature"].toString(), "FWS");
}

// A cancel during the walk ends the movie at the frames placed so far: the movie is still
// written (through its temporary file) and plays; the report and the size say it was cancelled.
TEST_F(PublishMovieTest, CancelWritesAPlayableMovieOfTheFramesSoFar) {
    CMemoryRecording rec(m_Dir.Path().string(), 32, 24);
    for (int i = 0; i < 6; ++i) {
        rec.Fill(0, 0, 31, 23, 0x111111u * uint32_t(i + 1));
        rec.Capture(0, 0, 31, 23, 50);
    }
    ASSERT_TRUE(rec.Finish());
    CScriptedPrompter whole;
    const SPublished full = Publish(rec, whole, m_Dir.File("whole"));
    ASSERT_FALSE(full.results.bCancelled);

    m_Prompter.CancelAfterSteps(3);
    const SPublished pub = Publish(rec, m_Prompter, m_Dir.File("cancelled"));
    EXPECT_TRUE(pub.results.bCancelled);
    EXPECT_EQ(pub.results.nSizeKB, -1);
    EXPECT_EQ(pub.results.strReport, "Build 1 terminated by user");
    EXPECT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    ASSERT_TRUE(std::filesystem::exists(pub.movie));
    EXPECT_FALSE(std::filesystem::exists(pub.movie + ".part"));

    const SJudgeRun parsed = CSwfJudges::Parse(pub.movie);
    ExpectCleanParse(parsed);
    const int frames = parsed.json["header"].toObject()["frameCount"].toInt();
    EXPECT_EQ(frames, int(pub.results.nFrameCount));
    EXPECT_GT(frames, 0);
    EXPECT_LT(pub.results.nFrameCount, full.results.nFrameCount);
    // The build report says so too.
    std::ifstream report(m_Dir.File("cancelled.txt"), std::ios::binary);
    std::string path;
    std::string status;
    std::getline(report, path);
    std::getline(report, status);
    EXPECT_EQ(status, "Build 1 terminated by user\r");
}

// Two 1920-wide monitors side by side: the stage takes 4 units per pixel so that it fits the
// header, and the movie is whole.
TEST_F(PublishMovieTest, ADoubleWideRecordingPublishes) {
    CMemoryRecording rec(m_Dir.Path().string(), 3840, 1080);
    rec.Fill(0, 0, 3839, 1079, 0x204060);
    rec.Capture(0, 0, 3839, 1079, 50);
    rec.Fill(3000, 500, 3799, 899, 0xE0E020);
    rec.Capture(3000, 500, 3799, 899, 50);
    ASSERT_TRUE(rec.Finish());
    const SPublished pub = Publish(rec, m_Prompter, m_Dir.File("wide"));
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    const SJudgeRun parsed = CSwfJudges::Parse(pub.movie);
    ExpectCleanParse(parsed);
    const QJsonObject size = parsed.json["header"].toObject()["frameSize"].toObject();
    EXPECT_EQ(size["xMax"].toInt() - size["xMin"].toInt(), 3840 * 4) << parsed.output;
    EXPECT_EQ(size["yMax"].toInt() - size["yMin"].toInt(), 1080 * 4) << parsed.output;
}

// A box that flips between two pictures at one place, with another box laid over part of it for
// a while: each picture's shape is defined once however often it shows, and every frame still
// shows its own picture (a shape placed again lies above what was placed since).
TEST_F(PublishMovieTest, APictureShownAgainAtItsPlaceReusesItsShape) {
    CMemoryRecording rec(m_Dir.Path().string(), kW, kH);
    rec.Fill(0, 0, kW - 1, kH - 1, 0x204060);
    rec.Capture(0, 0, kW - 1, kH - 1, 50);
    constexpr int kFlips = 16;
    for (int i = 1; i <= kFlips; ++i) {
        const uint32_t c = i % 2 ? 0xE0E020 : 0x20E0E0;
        rec.Paint(30, 30, 89, 69, [c](int x, int y) { return (x + y) % 5 == 0 ? 0x000000 : c; });
        if (i == 7) {
            rec.Fill(70, 50, 129, 99, 0xC04040);
            rec.Capture(30, 30, 129, 99, 50);
        } else {
            rec.Capture(30, 30, 89, 69, 50);
        }
    }
    ASSERT_TRUE(rec.Finish());
    const SPublished pub = Publish(rec, m_Prompter, m_Dir.File("flips"));
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;

    const SJudgeRun parsed = CSwfJudges::Parse(pub.movie);
    ExpectCleanParse(parsed);
    const QJsonArray tags = parsed.json["tags"].toArray();
    EXPECT_LE(CountKind(tags, "DefineShape"), 8);
    EXPECT_GE(CountKind(tags, "PlaceObject"), kFlips);

    std::string times;
    std::vector<double> at;
    for (int i = 0; i <= kFlips; ++i) {
        at.push_back(0.25 + 0.5 * i);
        times += (i ? "," : "") + std::to_string(at.back()).substr(0, 4);
    }
    const std::string shots = m_Dir.File("shots");
    const SJudgeRun rendered = CSwfJudges::Render(pub.movie, shots, times);
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    Keep(pub.movie, shots);
    for (int i = 0; i <= kFlips; ++i) {
        const QImage shot(QString::fromStdString(ShotPath(shots, at[i])));
        const SPictureDiff diff = Compare(shot, rec.Picture(uint32_t(i)), kW, kH);
        EXPECT_EQ(diff.nDiffering, 0) << "shot at " << at[i] << " s: max " << diff.nMaxChannel;
    }
}

// "Small file size": 8-bit pictures through the movie's colour table, whose tree is reduced to
// the palette size: a colour is shown as the nearest leaf; white stays white.
TEST_F(PublishMovieTest, EightBitPicturesStayWithinThePaletteError) {
    CMemoryRecording rec(m_Dir.Path().string(), kW, kH);
    rec.Fill(0, 0, kW - 1, kH - 1, 0xFFFFFF);
    rec.Paint(10, 10, 150, 60, [](int x, int y) {
        return uint32_t((x / 10) * 0x0B1D29 + (y / 10) * 0x170B05) & 0xFFFFFF;
    });
    rec.Capture(0, 0, kW - 1, kH - 1, 100);
    rec.Fill(30, 70, 130, 110, 0x123456);
    rec.Capture(30, 70, 130, 110, 100);
    ASSERT_TRUE(rec.Finish());
    const SPublished pub = Publish(rec, m_Prompter, m_Dir.File("eight"), [](CPublishSettings& s) {
        s.m_nPictureQuality = kQualitySmallFile;
    });
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    ExpectCleanParse(CSwfJudges::Parse(pub.movie));

    const std::string shots = m_Dir.File("shots");
    const SJudgeRun rendered = CSwfJudges::Render(pub.movie, shots, "0.50,1.50");
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    Keep(pub.movie, shots);
    for (uint32_t i = 0; i < 2; ++i) {
        const QImage shot(QString::fromStdString(ShotPath(shots, 0.5 + i)));
        const SPictureDiff diff = Compare(shot, rec.Picture(i), kW, kH);
        EXPECT_LE(diff.nMaxChannel, 32) << "frame " << i + 1;
        EXPECT_LT(diff.fMean, 2.0) << "frame " << i + 1;
        EXPECT_EQ(shot.pixel(kW - 2, kH - 2) & 0xFFFFFF, 0xFFFFFFu) << "white stays white";
    }
}

// The movie fades in from the background colour and out to it at the end; frames fade in from
// black, fade out to white and cross-fade from the picture before.
TEST_F(PublishMovieTest, StartEndAndFrameTransitionsShowAtTheirTimes) {
    CMemoryRecording rec(m_Dir.Path().string(), 64, 48);
    const uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
    const uint8_t effects[] = {kEffectNone, kEffectFadeIn, kEffectFadeOut, kEffectCrossFade};
    for (int i = 0; i < 4; ++i) {
        rec.Fill(0, 0, 63, 47, colours[i]);
        CFrameInfo& frame = rec.Capture(0, 0, 63, 47, i == 0 ? 100 : 200);
        frame.m_nFrameEffect = effects[i];
        frame.m_nFrameEffectDuration = i == 0 ? 0 : 100;
        frame.m_crFrameEffect = i == 1 ? 0x000000 : 0xFFFFFF;
    }
    ASSERT_TRUE(rec.Finish());
    const SPublished pub = Publish(rec, m_Prompter, m_Dir.File("effects"), [](CPublishSettings& s) {
        s.m_bFadeInStart = true;
        s.m_bFadeOutEnd = true;
    });
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    ExpectCleanParse(CSwfJudges::Parse(pub.movie));
    const double end = pub.results.nFrameCount / 10.0 + 0.5;  // stopped on its last frame

    // Movie frames: the start fade takes 27 frames, frame 1 is shown from 32 to 42, frame 2 from
    // 42 (fading in over 10), frame 3 from 72 (fading out over its last 10, 92 to 101), frame 4
    // from 102 (cross-fading over 10, its end pulled forward by 10 to 122), then the end fade.
    struct SShot {
        double t;
        const char* what;
        std::function<bool(QRgb)> ok;
    };
    auto near = [](QRgb c, int r, int g, int b, int tol) {
        return std::abs(qRed(c) - r) <= tol && std::abs(qGreen(c) - g) <= tol &&
               std::abs(qBlue(c) - b) <= tol;
    };
    const std::vector<SShot> shots = {
        {0.05, "white at the start", [&](QRgb c) { return near(c, 255, 255, 255, 4); }},
        {1.35, "red half faded in",
         [&](QRgb c) { return qRed(c) > 240 && qGreen(c) > 40 && qGreen(c) < 230; }},
        {3.55, "red", [&](QRgb c) { return near(c, 255, 0, 0, 0); }},
        {4.35, "green under nearly opaque black",
         [&](QRgb c) { return qRed(c) < 10 && qGreen(c) < 100 && qBlue(c) < 10; }},
        {4.75, "green fading in", [&](QRgb c) { return qGreen(c) > 60 && qGreen(c) < 200; }},
        {6.05, "green", [&](QRgb c) { return near(c, 0, 255, 0, 0); }},
        {8.05, "blue", [&](QRgb c) { return near(c, 0, 0, 255, 0); }},
        {10.05, "white over blue, nearly opaque",
         [&](QRgb c) { return qRed(c) >= 180 && qRed(c) == qGreen(c) && qBlue(c) == 255; }},
        {10.45, "blue crossing to yellow",
         [&](QRgb c) { return qBlue(c) > 120 && qRed(c) > 20 && qRed(c) < 140; }},
        {11.55, "yellow", [&](QRgb c) { return near(c, 255, 255, 0, 0); }},
        {end, "white at the end", [&](QRgb c) { return near(c, 255, 255, 255, 4); }},
    };
    std::string times;
    for (const SShot& s : shots) {
        char text[16];
        std::snprintf(text, sizeof text, "%.2f", s.t);
        times += (times.empty() ? "" : ",") + std::string(text);
    }
    const std::string dir = m_Dir.File("shots");
    const SJudgeRun rendered = CSwfJudges::Render(pub.movie, dir, times);
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    Keep(pub.movie, dir);
    for (const SShot& s : shots) {
        const QImage shot(QString::fromStdString(ShotPath(dir, s.t)));
        const QRgb c = shot.pixel(32, 24);
        EXPECT_TRUE(s.ok(c)) << s.what << " at " << s.t << " s: " << qRed(c) << "," << qGreen(c)
                             << "," << qBlue(c);
    }
}

namespace {

// A 4 x 4 grid of 40 x 30 cells, each its own colour.
uint32_t Cell(int column, int row) {
    return 0x200000u * uint32_t(column + 1) + 0x003000u * uint32_t(row + 1) +
           uint32_t((column * 4 + row) * 13 + 20);
}
uint32_t Grid(int x, int y) {
    return Cell(x / 40, y / 30);
}

int CountNear(const QImage& shot, uint32_t colour, int tolerance) {
    int n = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb c = shot.pixel(x, y);
            n += std::abs(qRed(c) - int(colour >> 16 & 0xFF)) <= tolerance &&
                         std::abs(qGreen(c) - int(colour >> 8 & 0xFF)) <= tolerance &&
                         std::abs(qBlue(c) - int(colour & 0xFF)) <= tolerance
                     ? 1
                     : 0;
        }
    }
    return n;
}

// The picture that a view of `scale` at (left, top) shows over a 160 x 120 stage.
std::vector<uint32_t> Zoomed(int left, int top, int scale) {
    std::vector<uint32_t> out(160 * 120);
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 160; ++x) {
            out[size_t(y) * 160 + x] = Grid(left + x / scale, top + y / scale);
        }
    }
    return out;
}

struct SBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // right, bottom exclusive
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};
SBox BoxOf(const QImage& shot, uint32_t colour) {
    SBox box;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if ((shot.pixel(x, y) & 0xFFFFFF) == colour) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
        }
    }
    return box;
}

std::string TimesText(const std::vector<double>& times) {
    std::string text;
    for (double t : times) {
        char value[16];
        std::snprintf(value, sizeof value, "%.2f", t);
        text += (text.empty() ? "" : ",") + std::string(value);
    }
    return text;
}

}  // namespace

// Frame 2 zooms to the middle of the grid, frame 3 pans to its top-right corner at the same
// scale, each move running before its frame at 20 pixels per second; frame 4 cuts back to the
// whole picture.
TEST_F(PublishMovieTest, ZoomToRegionAndPanShowTheRegionOverThePictureArea) {
    CMemoryRecording rec(m_Dir.Path().string(), 160, 120);
    rec.Paint(0, 0, 159, 119, Grid);
    rec.Capture(0, 0, 159, 119, 300);
    const SRect regions[] = {{40, 30, 119, 89}, {80, 0, 159, 59}};
    for (const SRect& region : regions) {
        CFrameInfo& frame = rec.Capture(0, 0, 0, 0, 400);
        frame.m_bZoom = 1;
        frame.m_rcZoom = region;
    }
    rec.Capture(0, 0, 0, 0, 100).m_bZoomCut = 1;
    ASSERT_TRUE(rec.Finish());
    const SPublished pub = Publish(rec, m_Prompter, m_Dir.File("zoom"),
                                   [](CPublishSettings& s) { s.m_nZoomPanRate = 20; });
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    ExpectCleanParse(CSwfJudges::Parse(pub.movie));

    // Movie frames: the zoom in runs in 11..30 and frame 2 starts at 30; the pan runs in 51..70
    // before frame 3 at 70; frame 4 cuts back at 110. The shots in the moves allow the player to
    // run a few frames late.
    const std::vector<double> times = {1.05, 2.35, 4.55, 6.45, 9.05, 11.55};
    const std::string dir = m_Dir.File("shots");
    const SJudgeRun rendered = CSwfJudges::Render(pub.movie, dir, TimesText(times));
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    Keep(pub.movie, dir);
    auto shot = [&](double t) { return QImage(QString::fromStdString(ShotPath(dir, t))); };

    struct SWhole {
        double t;
        std::vector<uint32_t> picture;
    };
    const SWhole wholes[] = {{1.05, Zoomed(0, 0, 1)},
                             {4.55, Zoomed(40, 30, 2)},
                             {9.05, Zoomed(80, 0, 2)},
                             {11.55, Zoomed(0, 0, 1)}};
    for (const SWhole& w : wholes) {
        // At twice the size every picture pixel covers exactly four stage pixels.
        const SPictureDiff diff = Compare(shot(w.t), w.picture, 160, 120);
        EXPECT_EQ(diff.nDiffering, 0) << "shot at " << w.t << " s: max " << diff.nMaxChannel;
    }
    // Half way into the zoom the top-left cell is smaller than before and not yet gone; half way
    // through the pan the middle cell is partly shown, still at twice its size.
    const int corner = CountNear(shot(2.35), Cell(0, 0), 2);
    EXPECT_GT(corner, 100);
    EXPECT_LT(corner, 40 * 30 - 100);
    const int middle = CountNear(shot(6.45), Cell(1, 1), 2);
    EXPECT_GT(middle, 300);
    EXPECT_LT(middle, 80 * 60 - 300);
}

// The movie zooms in from the black background, frame 2 gets a white sweeping highlight from
// the top-left to the bottom-right corner, and the movie zooms out to black at its end.
TEST_F(PublishMovieTest, StartAndEndZoomsAndTheSweepingHighlightShowAtTheirTimes) {
    CMemoryRecording rec(m_Dir.Path().string(), 160, 120);
    rec.Fill(0, 0, 159, 119, 0x00C000);
    rec.Capture(0, 0, 159, 119, 200);
    rec.Fill(0, 0, 159, 119, 0x0000A0);
    CFrameInfo& swept = rec.Capture(0, 0, 159, 119, 200);
    swept.m_nFrameEffect = kEffectSweepingHighlight;
    swept.m_nFrameEffectDuration = 200;
    swept.m_crFrameEffect = 0xFFFFFF;
    ASSERT_TRUE(rec.Finish());
    const SPublished pub = Publish(rec, m_Prompter, m_Dir.File("sweep"), [](CPublishSettings& s) {
        s.m_bZoomInStart = true;
        s.m_bZoomOutEnd = true;
        s.m_crBackground = 0x000000;
    });
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    ExpectCleanParse(CSwfJudges::Parse(pub.movie));
    // The zoom in takes 26 frames, then 100 %, frame 1 from 31, frame 2 (4 s with its effect)
    // from 51 with the sweep in 51..70; the zoom out from 91 over 21 frames. The shots allow the
    // player to run a few frames late.
    EXPECT_EQ(pub.results.nFrameCount, 113u);

    const std::vector<double> times = {2.15, 3.55, 5.85, 6.65, 7.55, 9.75, 11.85};
    const std::string dir = m_Dir.File("shots");
    const SJudgeRun rendered = CSwfJudges::Render(pub.movie, dir, TimesText(times));
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    Keep(pub.movie, dir);
    auto shot = [&](double t) { return QImage(QString::fromStdString(ShotPath(dir, t))); };
    auto rgb = [](const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; };

    // Part way through the zoom in and the zoom out the picture is smaller, in its proportions
    // and centred on the picture area, over black.
    for (const auto& [t, colour] : {std::pair{2.15, 0x00C000u}, std::pair{9.75, 0x0000A0u}}) {
        const QImage image = shot(t);
        const SBox box = BoxOf(image, colour);
        EXPECT_EQ(rgb(image, 5, 5), 0u) << t;
        EXPECT_GT(box.Width(), 160 / 10) << t;
        EXPECT_LT(box.Width(), 160 * 9 / 10) << t;
        EXPECT_NEAR(box.Height() * 4.0 / 3.0, box.Width(), 2.0) << t;
        EXPECT_NEAR(box.left + box.right, 160, 2) << t;
        EXPECT_NEAR(box.top + box.bottom, 120, 2) << t;
    }
    EXPECT_EQ(CountNear(shot(3.55), 0x00C000, 0), 160 * 120);

    // The band lies along a diagonal x + y = c and moves from the top-left to the bottom-right;
    // white at alpha 150 over blue at its middle.
    double along[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        const QImage image = shot(i == 0 ? 5.85 : 6.65);
        int strongest = 0;
        double sum = 0;
        double weight = 0;
        for (int y = 0; y < 120; ++y) {
            for (int x = 0; x < 160; ++x) {
                const int red = qRed(image.pixel(x, y));
                strongest = std::max(strongest, red);
                sum += double(red) * (x + y);
                weight += red;
            }
        }
        ASSERT_GT(weight, 0) << "no band at shot " << i;
        along[i] = sum / weight;
        EXPECT_NEAR(strongest, 150, 8) << "shot " << i;
    }
    EXPECT_LT(along[0] + 40, along[1]);
    EXPECT_EQ(CountNear(shot(7.55), 0x0000A0, 0), 160 * 120);
    EXPECT_EQ(CountNear(shot(11.85), 0x000000, 0), 160 * 120);
}

// Frame 1's own "Go to Frame" seeks through "/control:position" from the main timeline into the
// third segment: the long gray frame and the green one in between never show.
TEST_F(PublishMovieTest, AFrameLinkSeeksIntoALaterSegment) {
    CMemoryRecording rec(m_Dir.Path().string(), 64, 48);
    const std::pair<uint32_t, int32_t> frames[] = {
        {0xFF0000, 50}, {0x808080, 9990}, {0x00FF00, 4000}, {0x0000FF, 100}, {0xFFFF00, 100}};
    for (const auto& [colour, duration] : frames) {
        rec.Fill(0, 0, 63, 47, colour);
        rec.Capture(0, 0, 63, 47, duration);
    }
    CFrameInfo& link = *rec.Project().FirstFrame();
    link.m_bFrameGoto = 1;
    link.m_nFrameGotoFrame = 4;
    ASSERT_TRUE(rec.Finish());
    const SPublished pub = Publish(rec, m_Prompter, m_Dir.File("seek"),
                                   [](CPublishSettings& s) { s.m_nFrameRate = 120; });
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    const SJudgeRun parsed = CSwfJudges::Parse(pub.movie);
    ExpectCleanParse(parsed);
    // Frame 2 starts at movie frame 61, frame 3 opens segment 1 at 12048 and frame 4 segment 2
    // at 16848.
    EXPECT_EQ(CountPushed(parsed.json["tags"].toArray(), "16849"), 1) << "the link's position";
    EXPECT_GE(CountPushed(parsed.json["tags"].toArray(), "../movie00002"), 1);

    const std::string dir = m_Dir.File("shots");
    const SJudgeRun rendered = CSwfJudges::Render(pub.movie, dir, "0.30,0.70,1.20,2.20");
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    Keep(pub.movie, dir);
    const std::pair<double, uint32_t> expected[] = {{0.3, 0}, {0.7, 3}, {1.2, 3}, {2.2, 4}};
    for (const auto& [t, frame] : expected) {
        const QImage shot(QString::fromStdString(ShotPath(dir, t)));
        const SPictureDiff diff = Compare(shot, rec.Picture(frame), 64, 48);
        EXPECT_EQ(diff.nDiffering, 0) << "shot at " << t << " s, frame " << frame + 1;
    }
}

// A panned recording: the pictures are the whole 128 x 96 desktop and the movie shows the
// 64 x 48 recorded area where each frame's pan position puts it.
TEST_F(PublishMovieTest, APannedRecordingShowsTheRecordedAreaWhereItWas) {
    CMemoryRecording rec(m_Dir.Path().string(), 64, 48);
    CPixelPicture desktop{128, 96, std::vector<uint32_t>(128 * 96)};
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 128; ++x) {
            desktop.m_Pixels[size_t(y) * 128 + x] = Cell(x / 32, y / 24);
        }
    }
    const std::pair<uint16_t, uint16_t> pans[] = {{0, 0}, {64, 48}, {32, 24}};
    for (const auto& [x, y] : pans) {
        CFrameInfo& frame = rec.Capture(0, 0, 0, 0, 100);
        frame.m_nPanX = x;
        frame.m_nPanY = y;
    }
    rec.Project().FirstFrame()->m_pPanPicture = EncodePictureBlock(desktop);
    ASSERT_TRUE(rec.Finish());
    const SPublished pub = Publish(rec, m_Prompter, m_Dir.File("pan"));
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    const SJudgeRun parsed = CSwfJudges::Parse(pub.movie);
    ExpectCleanParse(parsed);
    EXPECT_EQ(parsed.json["header"].toObject()["widthPx"].toInt(), 64);

    const std::string dir = m_Dir.File("shots");
    const SJudgeRun rendered = CSwfJudges::Render(pub.movie, dir, "0.55,1.55,2.55");
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    Keep(pub.movie, dir);
    for (uint32_t i = 0; i < 3; ++i) {
        const std::vector<uint32_t> picture = rec.Picture(i);
        ASSERT_EQ(picture.size(), desktop.m_Pixels.size());
        std::vector<uint32_t> area(64 * 48);
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                area[size_t(y) * 64 + x] =
                    picture[size_t(y + pans[i].second) * 128 + x + pans[i].first];
            }
        }
        const QImage shot(QString::fromStdString(ShotPath(dir, 0.55 + i)));
        const SPictureDiff diff = Compare(shot, area, 64, 48);
        EXPECT_EQ(diff.nDiffering, 0) << "frame " << i + 1 << ": max " << diff.nMaxChannel;
    }
}
