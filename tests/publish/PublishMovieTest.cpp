// Published movies judged from outside: the structural parser reads every tag, and the player
// in a headless browser shows each project frame's picture at that frame's time.
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <cstdio>
#include <filesystem>

#include "tests/publish/PublishFixture.h"
#include "tests/support/TempDir.h"
#include "tests/swf/SwfJudges.h"

namespace {

constexpr int kW = 160;
constexpr int kH = 120;

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
    for (int i = 0; i < 10; ++i) {
        const int shown = std::min(i, 7);
        const QImage shot(QString::fromStdString(ShotPath(shots, at[i])));
        const SPictureDiff diff = Compare(shot, rec.Picture(uint32_t(shown)), kW, kH);
        EXPECT_EQ(diff.nDiffering, 0)
            << "shot at " << at[i] << " s, frame " << shown + 1 << ": max " << diff.nMaxChannel;
    }
}

}  // namespace
