// Published movies judged from outside: the structural parser reads every tag, and the player
// in a headless browser shows each project frame's picture at that frame's time.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

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

void ExpectCleanParse(const SJudgeRun& parsed) {
    ASSERT_EQ(parsed.exitCode, 0) << parsed.output;
    ASSERT_TRUE(parsed.json.contains("header")) << "the report was not read";
    EXPECT_TRUE(parsed.json["errors"].toArray().isEmpty()) << parsed.output;
    for (const QJsonValue& w : parsed.json["warnings"].toArray()) {
        const QString text = w.toString();
        EXPECT_FALSE(text.contains("unknown", Qt::CaseInsensitive) ||
                     text.contains("raw", Qt::CaseInsensitive))
            << text.toStdString();
    }
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

    const SJudgeRun parsed = ParseMovie(pub.movie);
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

// Counts pushes of `value` over the movie's scripts, sprites included.
int CountPushed(const QJsonArray& tags, const QString& value) {
    int n = 0;
    for (const QJsonValue& tag : tags) {
        const QJsonObject object = tag.toObject();
        for (const QJsonValue& action : object["actions"].toArray()) {
            for (const QJsonValue& v : action.toObject()["values"].toArray()) {
                n += v.toString() == value ? 1 : 0;
            }
        }
        if (object.contains("tags")) {
            n += CountPushed(object["tags"].toArray(), value);
        }
    }
    return n;
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

    const SJudgeRun parsed = ParseMovie(pub.movie);
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

    const SJudgeRun parsed = ParseMovie(pub.movie);
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
    const SJudgeRun parsed = ParseMovie(pub.movie);
    ExpectCleanParse(parsed);
    const QJsonArray tags = parsed.json["tags"].toArray();
    const int frames = parsed.json["header"].toObject()["frameCount"].toInt();
    EXPECT_EQ(frames, int(pub.results.nFrameCount));
    EXPECT_EQ(CountPushed(tags, "/control:flashframe"), frames);
    EXPECT_EQ(CountPushed(tags, "/control:export_completed"), 2);  // "false" first, then "true"
    EXPECT_EQ(parsed.json["header"].toObject()["signature"].toString(), "FWS");
}

TEST_F(PublishMovieTest, CancelLeavesNoMovieAndSaysSo) {
    CMemoryRecording rec(m_Dir.Path().string(), 32, 24);
    for (int i = 0; i < 6; ++i) {
        rec.Fill(0, 0, 31, 23, 0x111111u * uint32_t(i + 1));
        rec.Capture(0, 0, 31, 23, 50);
    }
    ASSERT_TRUE(rec.Finish());
    m_Prompter.CancelAfterSteps(3);
    const SPublished pub = Publish(rec, m_Prompter, m_Dir.File("cancelled"));
    EXPECT_TRUE(pub.results.bCancelled);
    EXPECT_EQ(pub.results.nSizeKB, -1);
    EXPECT_EQ(pub.results.strReport, "Build 1 terminated by user");
    for (const auto& entry : std::filesystem::directory_iterator(m_Dir.Path())) {
        EXPECT_EQ(entry.path().string().find("cancelled"), std::string::npos)
            << entry.path().string();
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
    ExpectCleanParse(ParseMovie(pub.movie));

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
    ExpectCleanParse(ParseMovie(pub.movie));
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
