// The published movie's control bar worked in the web player as a viewer works it: its buttons
// step, pause and play the movie, the thumb dragged along the track seeks, also into the second
// segment of a movie cut in two. Every frame of the test movie shows its number in seven black
// or white squares, so a screenshot tells which frame is on the stage.
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <cstdlib>
#include <fstream>

#include "platform/LocalHttpServer.h"
#include "publish/controlbar/BarLayout.h"
#include "publish/controlbar/BarSizing.h"
#include "publish/package/PackageText.h"
#include "tests/publish/PublishFixture.h"
#include "tests/support/TempDir.h"
#include "tests/swf/SwfJudges.h"

namespace fs = std::filesystem;

namespace {

constexpr int kW = 320;
constexpr int kH = 120;
constexpr int kFrames = 100;
constexpr int kBits = 7;

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

// The squares get colours of their own in every frame, so that no frame's picture repeats an
// earlier one.
void DrawNumber(CMemoryRecording& rec, int number) {
    for (int i = 0; i < kBits; ++i) {
        const bool on = ((number >> i) & 1) != 0;
        const uint32_t shade = uint32_t(number);
        rec.Fill(10 + 20 * i, 10, 25 + 20 * i, 25, on ? shade : 0xFFFFFF - shade);
    }
}

int ReadNumber(const fs::path& shot) {
    const QImage image(QString::fromStdString(shot.string()));
    if (image.isNull()) {
        return -1;
    }
    int number = 0;
    for (int i = 0; i < kBits; ++i) {
        if (qGray(image.pixel(18 + 20 * i, 18)) < 128) {
            number |= 1 << i;
        }
    }
    return number;
}

// The viewer's steps, run by BarDrive.mjs; returns the frame number each shot shows.
std::map<std::string, int> Drive(const std::string& url, const fs::path& dir,
                                 const std::vector<std::string>& steps) {
    std::string command = "node " +
                          Quote(std::string(QUILLO_SOURCE_DIR) + "/tests/publish/BarDrive.mjs") +
                          " " + Quote(url) + " " + Quote(dir.string());
    for (const std::string& step : steps) {
        command += " " + Quote(step);
    }
    fs::create_directories(dir);
    const fs::path report = dir / "drive.json";
    command += " > " + Quote(report.string()) + " 2>/dev/null";
    const int status = std::system(command.c_str());
    std::ifstream in(report);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << text;
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
    EXPECT_TRUE(json["focused"].toBool()) << text;
    // With QUILLO_KEEP_SHOTS set, the screenshots are copied there for a look.
    if (const char* keep = std::getenv("QUILLO_KEEP_SHOTS")) {
        std::error_code ec;
        fs::create_directories(fs::path(keep) / dir.filename(), ec);
        fs::copy(dir, fs::path(keep) / dir.filename(),
                 fs::copy_options::overwrite_existing | fs::copy_options::recursive, ec);
    }
    std::map<std::string, int> shown;
    for (const QJsonValue& name : json["shots"].toArray()) {
        const std::string n = name.toString().toStdString();
        shown[n] = ReadNumber(dir / (n + ".png"));
    }
    return shown;
}

class ControlBarPlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string missing = CSwfJudges::Missing(); !missing.empty()) {
            GTEST_SKIP() << missing;
        }
        const SBarSize size = SizeBar(kW, kDefaultBarStyle, true);
        m_layout = LayoutBar(kW, size, {.bInfo = false, .bTime = true}, 32);
    }

    // A movie of 100 frames of a tenth of a second each; frame `resync` starts a new segment.
    std::string PublishNumbered(int resync, int width = kW, int height = kH,
                                bool startButton = false) {
        CMemoryRecording rec(m_dir.Path().string(), width, height);
        rec.Fill(0, 0, width - 1, height - 1, 0x80C0E0);
        for (int k = 1; k <= kFrames; ++k) {
            DrawNumber(rec, k);
            CFrameInfo& frame = k == 1 ? rec.Capture(0, 0, width - 1, height - 1, 10)
                                       : rec.Capture(10, 10, 25 + 20 * (kBits - 1), 25, 10);
            frame.m_bResync = k == resync ? 1 : 0;
        }
        EXPECT_TRUE(rec.Finish());
        const std::string base = "numbered " + std::to_string(resync) + " " + std::to_string(width);
        const SPublished pub =
            Publish(rec, m_prompter, (m_dir.Path() / base).string(), [&](CPublishSettings& s) {
                s.m_bPlayButtonAtStart = startButton;
                s.m_bControlBar = true;
                s.m_bCreateWebPage = true;
                s.m_nFrameRate = 10;
            });
        EXPECT_TRUE(pub.results.strError.empty()) << pub.results.strError;
        EXPECT_EQ(pub.results.nFrameCount, uint32_t(kFrames));
        std::string why;
        if (!m_bServing) {
            m_bServing = m_server.Start(m_dir.Path(), why);
            EXPECT_TRUE(m_bServing) << why;
        }
        return m_server.Address(UrlEscape(base + ".htm"));
    }

    // The thumb's centre when the movie shows `frame`, and a point on the track at `share` of its
    // travel, in player pixels.
    std::string ThumbAt(int frame) const {
        const int x = m_layout.thumb.x + m_layout.thumb.w / 2 +
                      m_layout.nTravel * (frame - 1) / (kFrames - 1);
        return std::to_string(x) + "," +
               std::to_string(kH + m_layout.thumb.y + m_layout.thumb.h / 2);
    }
    std::string TrackAt(double share) const {
        const int x = m_layout.thumb.x + m_layout.thumb.w / 2 + int(m_layout.nTravel * share);
        return std::to_string(x) + "," +
               std::to_string(kH + m_layout.thumb.y + m_layout.thumb.h / 2);
    }

    // A click on the bar's button.
    std::string Press(EBarButton kind) const {
        for (const auto& slot : m_layout.buttons) {
            if (slot.kind == kind) {
                return "click:" + std::to_string(slot.rc.x + slot.rc.w / 2) + "," +
                       std::to_string(kH + slot.rc.y + slot.rc.h / 2);
            }
        }
        return "missing button";
    }

    CTempDir m_dir;
    CScriptedPrompter m_prompter;
    CLocalHttpServer m_server;
    bool m_bServing = false;
    SBarLayout m_layout;
};

}  // namespace

TEST_F(ControlBarPlayTest, ButtonsStepPauseAndPlayTheMovie) {
    const std::string url = PublishNumbered(0);
    // Play pauses wherever the movie has got to; each previous then goes 5 frames back and stops at
    // the first frame, however near it starts.
    auto shown = Drive(url, m_dir.Path() / "buttons",
                       {"click:160,60",
                        "wait:0.25",
                        Press(kButtonPlay),
                        "wait:0.5",
                        "shot:paused",
                        "wait:0.5",
                        "shot:stillPaused",
                        Press(kButtonPrevious),
                        "wait:0.3",
                        "shot:previous1",
                        Press(kButtonPrevious),
                        "wait:0.3",
                        "shot:previous2",
                        Press(kButtonPrevious),
                        "wait:0.3",
                        "shot:previous3",
                        Press(kButtonNext),
                        "wait:0.3",
                        "shot:next",
                        Press(kButtonNext),
                        "wait:0.3",
                        "shot:nextAgain",
                        Press(kButtonPlay),
                        "wait:0.55",
                        "shot:playing",
                        "wait:0.5",
                        "shot:playingOn",
                        Press(kButtonPlay),
                        "wait:0.3",
                        "shot:pausedAgain",
                        "wait:0.5",
                        "shot:pausedStill"});
    ASSERT_GE(shown["paused"], 2);
    ASSERT_LE(shown["paused"], 12) << "the pause came late";
    EXPECT_EQ(shown["stillPaused"], shown["paused"]);
    int expected = shown["paused"];
    for (const char* shot : {"previous1", "previous2", "previous3"}) {
        expected = std::max(1, expected - 5);
        EXPECT_EQ(shown[shot], expected) << shot;
    }
    EXPECT_EQ(expected, 1);
    EXPECT_EQ(shown["next"], 6);
    EXPECT_EQ(shown["nextAgain"], 11);
    EXPECT_GT(shown["playing"], 11);
    EXPECT_GT(shown["playingOn"], shown["playing"] + 2);
    EXPECT_GE(shown["pausedAgain"], shown["playingOn"]);
    EXPECT_EQ(shown["pausedStill"], shown["pausedAgain"]);
}

TEST_F(ControlBarPlayTest, TheThumbSeeksAndNextStopsAtTheLastFrame) {
    const std::string url = PublishNumbered(0);
    auto shown = Drive(url, m_dir.Path() / "thumb",
                       {"click:160,60",
                        "wait:0.25",
                        Press(kButtonPlay),
                        "wait:0.3",
                        Press(kButtonPrevious),
                        "wait:0.2",
                        Press(kButtonPrevious),
                        "wait:0.2",
                        Press(kButtonPrevious),
                        "wait:0.2",
                        "drag:" + ThumbAt(1) + ">" + TrackAt(0.5),
                        "wait:0.3",
                        "shot:middle",
                        "wait:0.5",
                        "shot:middleStill",
                        "drag:" + ThumbAt(50) + ">" + TrackAt(1.2),
                        "wait:0.3",
                        "shot:end",
                        Press(kButtonPrevious),
                        "wait:0.3",
                        "shot:back",
                        Press(kButtonPlay),
                        "wait:0.3",
                        Press(kButtonPlay),
                        "wait:0.3",
                        "shot:nearEnd",
                        Press(kButtonNext),
                        "wait:0.3",
                        "shot:last"});
    EXPECT_NEAR(shown["middle"], 50, 2);
    EXPECT_EQ(shown["middleStill"], shown["middle"]);
    EXPECT_EQ(shown["end"], kFrames);
    EXPECT_EQ(shown["back"], kFrames - 5);
    EXPECT_GT(shown["nearEnd"], kFrames - 5);
    EXPECT_EQ(shown["last"], kFrames) << "next from frame " << shown["nearEnd"];
}

TEST_F(ControlBarPlayTest, SeekingIntoTheSecondSegmentPlaysFromThere) {
    const std::string url = PublishNumbered(40);
    std::vector<std::string> steps = {"click:160,60",
                                      "wait:0.25",
                                      Press(kButtonPlay),
                                      "wait:0.3",
                                      Press(kButtonPrevious),
                                      "wait:0.2",
                                      Press(kButtonPrevious),
                                      "wait:0.2",
                                      Press(kButtonPrevious),
                                      "wait:0.2",
                                      "drag:" + ThumbAt(1) + ">" + TrackAt(0.75),
                                      "wait:0.4",
                                      "shot:seeked",
                                      Press(kButtonPlay),
                                      "wait:0.5",
                                      "shot:playing",
                                      Press(kButtonPlay),
                                      "wait:0.3",
                                      "shot:paused"};
    // Back into the first segment, 45 frames before.
    for (int i = 0; i < 9; ++i) {
        steps.insert(steps.end(), {Press(kButtonPrevious), "wait:0.2"});
    }
    steps.push_back("shot:backInFirst");
    auto shown = Drive(url, m_dir.Path() / "segments", steps);
    EXPECT_NEAR(shown["seeked"], 75, 2);
    EXPECT_GT(shown["playing"], shown["seeked"] + 2);
    EXPECT_LE(shown["playing"], shown["seeked"] + 8);
    EXPECT_GE(shown["paused"], shown["playing"]);
    EXPECT_EQ(shown["backInFirst"], shown["paused"] - 45);
}

// The start button, in each of its three picture sizes, holds the movie on its first frame until
// it is clicked; then the movie plays.
TEST_F(ControlBarPlayTest, TheStartButtonHoldsTheMovieUntilClicked) {
    struct SCase {
        int width, height;
    };
    for (const SCase c : {SCase{300, 160}, SCase{400, 200}, SCase{700, 300}}) {
        const std::string url = PublishNumbered(0, c.width, c.height, true);
        const std::string centre = std::to_string(c.width / 2) + "," + std::to_string(c.height / 2);
        auto shown = Drive(url, m_dir.Path() / ("start" + std::to_string(c.width)),
                           {"wait:0.5", "shot:waiting", "wait:1", "shot:stillWaiting",
                            "click:" + centre, "wait:0.6", "shot:playing"});
        EXPECT_EQ(shown["waiting"], 1) << c.width;
        EXPECT_EQ(shown["stillWaiting"], 1) << c.width;
        EXPECT_GE(shown["playing"], 4) << c.width;
    }
}
