// Hotspots in the published movie, read back by the structural parser (the animation of each
// style in the hotspot sprite, the button's actions) and played in the player (a waiting hotspot
// holds the movie until it is clicked).
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <utility>

#include "tests/publish/PublishFixture.h"
#include "tests/support/TempDir.h"
#include "tests/swf/SwfJudges.h"

namespace {

constexpr int kW = 160;
constexpr int kH = 120;

// What one hotspot sprite does, frame by frame.
struct SHotspotTimeline {
    std::vector<std::vector<int>> alphas;  // per frame: alpha of each object placed there
    int loopAt = -1;                       // frame whose script goes back
    int loopTo = -1;                       // 0-based frame it goes back to
    int stopAt = -1;                       // frame whose script stops
    QJsonArray buttonActions;              // the release actions of the hotspot's button
};

void CollectDefinitions(const QJsonArray& tags, std::map<int, QJsonObject>& byId) {
    for (const QJsonValue& value : tags) {
        const QJsonObject tag = value.toObject();
        if (tag.contains("id")) {
            byId[tag["id"].toInt()] = tag;
        }
        if (tag.contains("tags")) {
            CollectDefinitions(tag["tags"].toArray(), byId);
        }
    }
}

int AlphaOf(const QString& colour) {
    return colour.size() == 9 ? colour.mid(7, 2).toInt(nullptr, 16) : -1;
}

// The alpha an object shows: its fill's, or for an outline its line's.
int ShapeAlpha(const QJsonObject& shape) {
    const QJsonArray fills = shape["fills"].toArray();
    if (!fills.isEmpty()) {
        return AlphaOf(fills[0].toObject()["color"].toString());
    }
    const QJsonArray lines = shape["lines"].toArray();
    if (!lines.isEmpty()) {
        return AlphaOf(lines[0].toObject()["fill"].toObject()["color"].toString());
    }
    return -1;
}

// The first placement in the movie whose name starts with `prefix`.
QJsonObject FindNamed(const QJsonArray& tags, const QString& prefix) {
    for (const QJsonValue& value : tags) {
        const QJsonObject tag = value.toObject();
        if (tag["kind"].toString() == "PlaceObject" && tag["name"].toString().startsWith(prefix)) {
            return tag;
        }
        if (tag.contains("tags")) {
            if (QJsonObject inner = FindNamed(tag["tags"].toArray(), prefix); !inner.isEmpty()) {
                return inner;
            }
        }
    }
    return {};
}

SHotspotTimeline ReadHotspot(const QJsonArray& tags) {
    std::map<int, QJsonObject> byId;
    CollectDefinitions(tags, byId);
    SHotspotTimeline out;
    const QJsonObject placed = FindNamed(tags, "hot");
    EXPECT_FALSE(placed.isEmpty()) << "no hotspot sprite";
    const QJsonObject sprite = byId[placed["characterId"].toInt()];
    out.alphas.emplace_back();
    for (const QJsonValue& value : sprite["tags"].toArray()) {
        const QJsonObject tag = value.toObject();
        const QString kind = tag["kind"].toString();
        const int frame = int(out.alphas.size()) - 1;
        if (kind == "ShowFrame") {
            out.alphas.emplace_back();
        } else if (kind == "PlaceObject" && !tag["move"].toBool()) {
            out.alphas.back().push_back(ShapeAlpha(byId[tag["characterId"].toInt()]));
        } else if (kind == "DoAction") {
            for (const QJsonValue& a : tag["actions"].toArray()) {
                const QString op = a.toObject()["op"].toString();
                if (op == "GotoFrame") {
                    out.loopAt = frame;
                    out.loopTo = a.toObject()["frame"].toInt();
                } else if (op == "Stop") {
                    out.stopAt = frame;
                }
            }
        }
    }
    out.alphas.pop_back();
    // The button placed at the same layer carries the click.
    for (const auto& [id, tag] : byId) {
        if (tag["kind"].toString() == "DefineButton") {
            for (const QJsonValue& c : tag["conditionActions"].toArray()) {
                for (const QJsonValue& a : c.toObject()["actions"].toArray()) {
                    out.buttonActions.append(a);
                }
            }
        }
    }
    return out;
}

std::vector<QString> Pushed(const QJsonArray& actions) {
    QJsonObject block;
    block["actions"] = actions;
    return PushedTexts(QJsonArray{block});
}

bool HasOp(const QJsonArray& actions, const QString& op) {
    return std::any_of(actions.begin(), actions.end(),
                       [&](const QJsonValue& a) { return a.toObject()["op"].toString() == op; });
}

class HotspotMovieTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string missing = CSwfJudges::Missing(); !missing.empty()) {
            GTEST_SKIP() << missing;
        }
    }

    // Five frames of half a second in flat colours; frame 2 gets the hotspot `edit` makes.
    CMemoryRecording& Record(const std::function<void(CFrameInfo&)>& edit) {
        m_pRec = std::make_unique<CMemoryRecording>(m_Dir.Path().string(), kW, kH);
        const uint32_t colours[] = {0x3060A0, 0xC04040, 0x40A040, 0xE0C020, 0x8040C0};
        for (int i = 0; i < 5; ++i) {
            m_pRec->Fill(0, 0, kW - 1, kH - 1, colours[i]);
            CFrameInfo& frame = m_pRec->Capture(0, 0, kW - 1, kH - 1, 50);
            frame.m_nRecordedDuration = 50;
            if (i == 1) {
                frame.m_bHotspot = 1;
                frame.m_crHotspot = 0x0000FF;
                frame.m_nHotspotThickness = 4;
                frame.m_nHotspotLevel = 80;
                frame.m_bHotspotRectExact = 1;
                edit(frame);
            }
        }
        EXPECT_TRUE(m_pRec->Finish());
        return *m_pRec;
    }

    QJsonArray PublishAndParse(const std::string& name) {
        const SPublished pub = Publish(*m_pRec, m_Prompter, m_Dir.File(name),
                                       [](CPublishSettings& s) { s.m_bCreateWebPage = false; });
        EXPECT_TRUE(pub.results.strError.empty()) << pub.results.strError;
        m_strMovie = pub.movie;
        const SJudgeRun parsed = CSwfJudges::Parse(pub.movie);
        ExpectCleanParse(parsed);
        return parsed.json["tags"].toArray();
    }

    CTempDir m_Dir;
    CScriptedPrompter m_Prompter;
    std::unique_ptr<CMemoryRecording> m_pRec;
    std::string m_strMovie;
};

// The animation of each style: how long a cycle is, where it loops or stops, and the alphas of
// its first frames.
TEST_F(HotspotMovieTest, StylesAnimateInTheirCycles) {
    struct SCase {
        const char* name;
        uint8_t style;
        SRect rc;
        int loopTo;
        int loopAt;
        int stopAt;
        std::vector<int> firstAlphas;   // of the first object placed in frames 0, 1, ...
        std::vector<int> placedFrames;  // the first frames that place anything
    };
    const std::vector<SCase> cases = {
        {"Glow repeats every 38 frames",
         kHotspotGlow,
         {20, 20, 120, 40},
         0,
         38,
         -1,
         {0, 6, 12, 19},
         {0, 1, 2, 3}},
        {"Oval repeats every 41 frames",
         kHotspotOval,
         {20, 20, 120, 40},
         0,
         41,
         -1,
         {50, 60, 70, 80},
         {0, 1, 2}},
        {"Oblong repeats every 41 frames",
         kHotspotOblong,
         {20, 20, 120, 40},
         0,
         41,
         -1,
         {50, 60, 70},
         {0, 1, 2}},
        {"Zoom Oval zooms 19 frames once, then repeats 41",
         kHotspotZoomOval,
         {20, 20, 120, 40},
         19,
         60,
         -1,
         {10},
         {0, 1, 2}},
        {"Shade at level 80 fades in and stays",
         kHotspotShade,
         {20, 20, 120, 40},
         -1,
         -1,
         5,
         {10, 20, 30, 40, 51},
         {0, 1, 2, 3, 4}},
        {"Ripple on a side of 40 shows a ring for 2 frames",
         kHotspotRipple,
         {40, 40, 80, 80},
         0,
         19,
         -1,
         {142},
         {0, 2, 4, 6}},
        {"Ripple on a side of 61 shows a ring for 1 frame",
         kHotspotRipple,
         {40, 20, 101, 81},
         0,
         14,
         -1,
         {145},
         {0, 1, 2, 3}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        Record([&](CFrameInfo& f) {
            f.m_nHotspotStyle = c.style;
            f.m_rcHotspot = c.rc;
        });
        const SHotspotTimeline t = ReadHotspot(PublishAndParse("style"));
        EXPECT_EQ(t.loopTo, c.loopTo);
        EXPECT_EQ(t.loopAt, c.loopAt);
        EXPECT_EQ(t.stopAt, c.stopAt);
        for (size_t i = 0; i < c.firstAlphas.size(); ++i) {
            ASSERT_LT(i, t.alphas.size());
            ASSERT_FALSE(t.alphas[i].empty()) << "frame " << i;
            EXPECT_EQ(t.alphas[i][0], c.firstAlphas[i]) << "frame " << i;
        }
        std::vector<int> placed;
        for (size_t i = 0; i < t.alphas.size() && placed.size() < c.placedFrames.size(); ++i) {
            if (!t.alphas[i].empty()) {
                placed.push_back(int(i));
            }
        }
        EXPECT_EQ(placed, c.placedFrames);
    }
}

// What a click on the button does for each action.
TEST_F(HotspotMovieTest, ClicksActAsTheHotspotSays) {
    struct SCase {
        const char* name;
        std::function<void(CFrameInfo&)> edit;
        std::vector<QString> pushed;  // texts the release actions must push
        std::vector<QString> absent;  // texts they must not
        bool stops;
        bool opens;
    };
    const std::vector<SCase> cases = {
        {"go to frame 4",
         [](CFrameInfo& f) {
             f.m_bHotspotGoto = 1;
             f.m_nHotspotGotoFrame = 4;
         },
         {"/control:position", "/control:seek_flag", "/control:keep_playing"},
         {"/control:playing"},
         false,
         false},
        {"Stop",
         [](CFrameInfo& f) {
             f.m_bHotspotGoto = 1;
             f.m_nHotspotGotoFrame = 0;
         },
         {"/control:playing", "0"},
         {"/control:position"},
         true,
         false},
        {"address with a target",
         [](CFrameInfo& f) {
             f.m_bHotspotUrl = 1;
             f.m_pszHotspotUrl = "https://example.org/a b?x=\"1\"#c";
             f.m_pszHotspotTarget = "_blank";
         },
         {"/control:position"},
         {},
         false,
         true},
        {"hover animation and Ignore Click",
         [](CFrameInfo& f) {
             f.m_bIgnoreClick = 1;
             f.m_bHotspotAnimateOnHover = 1;
         },
         {},
         {"/control:position", "/control:playing"},
         false,
         false},
        {"Ignore Click with an address",
         [](CFrameInfo& f) {
             f.m_bIgnoreClick = 1;
             f.m_bHotspotUrl = 1;
             f.m_pszHotspotUrl = "https://example.org/";
         },
         {},
         {"/control:position", "/control:playing"},
         false,
         false},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        Record([&](CFrameInfo& f) {
            f.m_nHotspotStyle = kHotspotMouse;
            f.m_rcHotspot = {20, 20, 60, 60};
            c.edit(f);
        });
        const SHotspotTimeline t = ReadHotspot(PublishAndParse("click"));
        const std::vector<QString> pushed = Pushed(t.buttonActions);
        for (const QString& text : c.pushed) {
            EXPECT_NE(std::find(pushed.begin(), pushed.end(), text), pushed.end())
                << text.toStdString();
        }
        for (const QString& text : c.absent) {
            EXPECT_EQ(std::find(pushed.begin(), pushed.end(), text), pushed.end())
                << text.toStdString();
        }
        EXPECT_EQ(HasOp(t.buttonActions, "Stop"), c.stops);
        EXPECT_EQ(HasOp(t.buttonActions, "GetUrl"), c.opens);
        // Hovering plays the hotspot's own sprite, which waits at its first frame.
        CFrameInfo probe;
        c.edit(probe);
        const bool hovers = probe.m_bHotspotAnimateOnHover != 0;
        EXPECT_EQ(HasOp(t.buttonActions, "Play"), hovers);
        if (hovers) {
            EXPECT_EQ(t.stopAt, 0) << "the animation waits for the pointer";
        }
        if (c.opens) {
            for (const QJsonValue& a : t.buttonActions) {
                if (a.toObject()["op"].toString() == "GetUrl") {
                    EXPECT_EQ(a.toObject()["url"].toString(), "https://example.org/a b?x=\"1\"#c");
                    EXPECT_EQ(a.toObject()["target"].toString(), "_blank");
                }
            }
        }
    }
}

// A waiting hotspot holds the movie at its frame: a click beside it changes nothing, a click
// inside goes to its target frame.
TEST_F(HotspotMovieTest, WaitingHotspotHoldsUntilClickedInside) {
    CMemoryRecording& rec = Record([](CFrameInfo& f) {
        f.m_nHotspotStyle = kHotspotMouse;
        f.m_rcHotspot = {20, 20, 60, 60};
        f.m_bHotspotGoto = 1;
        f.m_nHotspotGotoFrame = 5;
        f.m_nDuration = 0;
    });
    PublishAndParse("wait");
    const std::string shots = m_Dir.File("shots");
    const SJudgeRun rendered =
        CSwfJudges::Render(m_strMovie, shots, "2.00,3.00,4.00", {"120,100@2.50", "40,40@3.50"});
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    struct SShot {
        const char* file;
        uint32_t frame;  // 0-based project frame on show
    };
    for (const SShot& s :
         {SShot{"shot-2.00.png", 1}, SShot{"shot-3.00.png", 1}, SShot{"shot-4.00.png", 4}}) {
        const QImage shot(QString::fromStdString(shots + "/" + s.file));
        const SPictureDiff diff = Compare(shot, rec.Picture(s.frame), kW, kH);
        EXPECT_EQ(diff.nDiffering, 0) << s.file << " should show frame " << s.frame + 1;
    }
}

// A hotspot movie goes beside the published movie and is loaded by that name, never by the
// author's path; a missing one is a publish error and the movie is still made. A script address
// opened in the movie's own window is warned about.
TEST_F(HotspotMovieTest, HotspotMoviesAndScriptAddressesAreHandledSafely) {
    namespace fs = std::filesystem;
    fs::create_directories(m_Dir.File("clips dir"));
    fs::create_directories(m_Dir.File("out"));
    const std::string clip = m_Dir.File("clips dir/clip #1.swf");
    std::ofstream(clip, std::ios::binary) << "FWS-clip";
    auto publish = [&](const std::string& file, const char* url, const char* target) {
        Record([&](CFrameInfo& f) {
            f.m_nHotspotStyle = kHotspotFlashMovie;
            f.m_rcHotspot = {20, 20, 60, 60};
            f.m_pszHotspotImage = file;
            f.m_nImageWidthPct = 50;
            f.m_nImageHeightPct = 50;
            if (url != nullptr) {
                f.m_bHotspotUrl = 1;
                f.m_pszHotspotUrl = std::string(url);
                f.m_pszHotspotTarget = std::string(target);
            }
        });
        return Publish(*m_pRec, m_Prompter, m_Dir.File("out/movie"),
                       [](CPublishSettings& s) { s.m_bCreateWebPage = false; });
    };
    size_t seen = 0;
    // A warning among the messages since the last look.
    auto warned = [&] {
        const auto& messages = m_Prompter.Messages();
        const auto from = messages.begin() + std::ptrdiff_t(std::exchange(seen, messages.size()));
        return std::any_of(from, messages.end(), [](const SPromptMessage& m) {
            return m.caption == "Quillo Warning" && m.text.find("javascript:") != std::string::npos;
        });
    };

    SPublished pub = publish(clip, "javascript:alert(1)", "");
    EXPECT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    EXPECT_TRUE(fs::exists(m_Dir.File("out/clip #1.swf")));
    const std::vector<QString> pushed =
        PushedTexts(CSwfJudges::Parse(pub.movie).json["tags"].toArray());
    // Loaded by its name beside the movie, as an address: the "#" must not start a fragment.
    EXPECT_NE(std::find(pushed.begin(), pushed.end(), "clip%20%231.swf"), pushed.end());
    for (const QString& text : pushed) {
        EXPECT_FALSE(text.contains("clips dir")) << text.toStdString();
    }
    EXPECT_TRUE(warned());

    pub = publish(m_Dir.File("clips dir/gone.swf"), "javascript:alert(1)", "_blank");
    EXPECT_NE(pub.results.strError.find("gone.swf cannot be found"), std::string::npos)
        << pub.results.strError;
    EXPECT_GT(pub.results.nSizeKB, 0) << "the movie is still made";
    EXPECT_FALSE(warned()) << "a script address in a new window runs";
}

}  // namespace
