// The movie of `quillo swf-sample --all`, judged from outside: the structural parser reads the
// bitmaps, sprite, button, text field and scripts back as written, and the player shows the
// bitmaps pixel for pixel, plays the sprite while the main timeline is stopped, and runs the
// button's scripts on a click.
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/swf/SampleMovieFixture.h"
#include "tests/swf/SwfJudges.h"

namespace {

// The shots and clicks: the button at (300, 130)-(420, 170) is clicked at 0.8 s, in the middle of
// frame 3 (stop), and at 2.0 s (play again); the movie ends after its third lap, at about 5 s.
// Frames start up to a few hundredths of a second apart from run to run, so the checks follow the
// traces, not the clock.
class SwfSampleAllTest : public CSampleMovieFixture<SwfSampleAllTest> {
public:
    static constexpr const char* kFileName = "all.swf";
    static constexpr const char* kArguments = "--all ";
    static constexpr const char* kTimes = "0.60,1.10,1.60,2.40,5.50";
    static std::vector<std::string> Clicks() { return {"360,150@0.8", "360,150@2.0"}; }

protected:
    static QJsonArray Tags() { return Parsed().json["tags"].toArray(); }
    static std::vector<QJsonObject> TagsNamed(const QString& name) {
        std::vector<QJsonObject> found;
        for (const auto& t : Tags()) {
            if (t.toObject()["tag"].toString() == name) {
                found.push_back(t.toObject());
            }
        }
        return found;
    }
    static std::vector<std::string> Ops(const QJsonArray& actions) {
        std::vector<std::string> ops;
        for (const auto& a : actions) {
            ops.push_back(a.toObject()["op"].toString().toStdString());
        }
        return ops;
    }
};

bool Contains(const std::vector<std::string>& ops, const char* op) {
    return std::find(ops.begin(), ops.end(), op) != ops.end();
}

// The sample's pixel (x, y) of a bitmap of width w, and what it looks like over white.
struct SRgba {
    int r, g, b, a;
};
SRgba SamplePixel(int x, int y, int width, bool alpha) {
    return {(40 + 23 * x) & 0xFF, (200 - 30 * y) & 0xFF, (25 * width) & 0xFF,
            alpha ? 255 - 60 * ((x + y) % 4) : 255};
}
SRgba OverWhite(SRgba c) {
    auto channel = [&](int v) { return v * c.a / 255 + 255 - c.a; };
    return {channel(c.r), channel(c.g), channel(c.b), 255};
}

bool Near(QRgb got, SRgba want, int tolerance) {
    return std::abs(qRed(got) - want.r) <= tolerance &&
           std::abs(qGreen(got) - want.g) <= tolerance &&
           std::abs(qBlue(got) - want.b) <= tolerance;
}

std::string Describe(QRgb p) {
    return "(" + std::to_string(qRed(p)) + ", " + std::to_string(qGreen(p)) + ", " +
           std::to_string(qBlue(p)) + ")";
}

TEST_F(SwfSampleAllTest, ParserAcceptsTheMovie) {
    EXPECT_EQ(Parsed().exitCode, 0) << Parsed().output;
    EXPECT_TRUE(Parsed().json["errors"].toArray().isEmpty()) << Parsed().output;
    const QJsonObject header = Parsed().json["header"].toObject();
    EXPECT_EQ(header["frameCount"].toInt(), 6);
    EXPECT_EQ(header["frameRate"].toDouble(), 4.0);
}

TEST_F(SwfSampleAllTest, BitmapsAreReadBackAsWritten) {
    struct SRow {
        const char* tag;
        int format;
    };
    const SRow rows[] = {{"DefineBitsLossless", 5},
                         {"DefineBitsLossless2", 5},
                         {"DefineBitsLossless", 3},
                         {"DefineBitsLossless2", 3}};
    std::vector<QJsonObject> lossless;
    for (const auto& t : Tags()) {
        if (t.toObject()["tag"].toString().startsWith("DefineBitsLossless")) {
            lossless.push_back(t.toObject());
        }
    }
    ASSERT_EQ(lossless.size(), 36u);
    for (int row = 0; row < 4; ++row) {
        for (int width = 1; width <= 9; ++width) {
            const QJsonObject& tag = lossless[size_t(row * 9 + width - 1)];
            SCOPED_TRACE(std::string(rows[row].tag) + " width " + std::to_string(width));
            EXPECT_EQ(tag["tag"].toString(), rows[row].tag);
            EXPECT_EQ(tag["format"].toInt(), rows[row].format);
            EXPECT_EQ(tag["width"].toInt(), width);
            EXPECT_EQ(tag["height"].toInt(), 6);
            EXPECT_EQ(tag["inflatedBytes"].toInt(), tag["expectedBytes"].toInt());
        }
    }
    for (const char* name : {"DefineBitsJPEG2", "DefineBitsJPEG3"}) {
        const auto jpegs = TagsNamed(name);
        ASSERT_EQ(jpegs.size(), 1u) << name;
        EXPECT_EQ(jpegs[0]["width"].toInt(), 64) << name;
        EXPECT_EQ(jpegs[0]["height"].toInt(), 48) << name;
    }
    // No pixel of the alpha bitmaps is flagged as not premultiplied.
    for (const auto& w : Parsed().json["warnings"].toArray()) {
        EXPECT_FALSE(w.toString().contains("premultipl")) << w.toString().toStdString();
    }
}

TEST_F(SwfSampleAllTest, SpriteButtonTextAndScriptsAreReadBackAsWritten) {
    const auto sprites = TagsNamed("DefineSprite");
    ASSERT_EQ(sprites.size(), 1u);
    EXPECT_EQ(sprites[0]["frameCount"].toInt(), 4);
    int showFrames = 0, scripts = 0;
    for (const auto& t : sprites[0]["tags"].toArray()) {
        const QString name = t.toObject()["tag"].toString();
        showFrames += name == "ShowFrame";
        scripts += name == "DoAction";
        EXPECT_FALSE(name.startsWith("Define")) << name.toStdString();
    }
    EXPECT_EQ(showFrames, 4);
    EXPECT_EQ(scripts, 4);

    const auto buttons = TagsNamed("DefineButton2");
    ASSERT_EQ(buttons.size(), 1u);
    const QJsonArray records = buttons[0]["records"].toArray();
    ASSERT_EQ(records.size(), 4);
    const char* states[] = {"Up", "Over", "Down", "HitTest"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(records[i].toObject()["states"].toArray()[0].toString(), states[i]);
        EXPECT_EQ(records[i].toObject()["depth"].toInt(), 1);
    }
    // Placed in frame 1 and, after its removal, again in frame 5: defined once.
    int placements = 0;
    for (const auto& t : Tags()) {
        placements += t.toObject()["tag"].toString() == "PlaceObject2" &&
                      t.toObject()["characterId"].toInt() == buttons[0]["id"].toInt();
    }
    EXPECT_EQ(placements, 2);
    const QJsonArray conditions = buttons[0]["conditionActions"].toArray();
    ASSERT_EQ(conditions.size(), 2);
    EXPECT_EQ(conditions[0].toObject()["conditions"].toArray()[0].toString(), "overDownToOverUp");
    EXPECT_FALSE(conditions[0].toObject().contains("keyPress"));
    EXPECT_EQ(conditions[1].toObject()["keyPress"].toInt(), 13);
    for (const auto& c : conditions) {
        const auto ops = Ops(c.toObject()["actions"].toArray());
        const std::vector<std::string> start(ops.begin(), ops.begin() + 5);
        EXPECT_EQ(start, (std::vector<std::string>{"Push", "GetVariable", "Not", "If", "Stop"}));
        for (const char* op : {"SetVariable", "Jump", "Play", "StringAdd", "Trace", "End"}) {
            EXPECT_TRUE(Contains(ops, op)) << op;
        }
    }

    const auto fonts = TagsNamed("DefineFont2");
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(fonts[0]["fontName"].toString(), "_sans");
    EXPECT_TRUE(fonts[0]["deviceFont"].toBool());
    const auto texts = TagsNamed("DefineEditText");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]["variableName"].toString(), "msg");
    EXPECT_EQ(texts[0]["fontId"].toInt(), fonts[0]["id"].toInt());
    EXPECT_EQ(texts[0]["fontSize"].toInt(), 360);
    EXPECT_EQ(texts[0]["color"].toString(), "#000080ff");
    EXPECT_TRUE(texts[0]["readonly"].toBool());

    // The main timeline's scripts: one per frame.
    std::vector<QJsonArray> frameScripts;
    for (const auto& t : Tags()) {
        if (t.toObject()["tag"].toString() == "DoAction") {
            frameScripts.push_back(t.toObject()["actions"].toArray());
        }
    }
    ASSERT_EQ(frameScripts.size(), 6u);
    const QJsonArray init = frameScripts[0];
    EXPECT_EQ(init[0].toObject()["values"].toArray()[0].toString(), "msg");
    EXPECT_EQ(init[1].toObject()["values"].toArray()[0].toString(), "ready");
    EXPECT_EQ(init[4].toObject()["values"].toArray()[0].toInt(), 1);
    const auto last = Ops(frameScripts[5]);
    for (const char* op : {"Push", "GetVariable", "SetVariable", "Add", "Less", "If", "Jump",
                           "GotoFrame", "Play", "Stop"}) {
        EXPECT_TRUE(Contains(last, op)) << op;
    }
    for (const auto& a : frameScripts[5]) {
        if (a.toObject()["op"].toString() == "GotoFrame") {
            EXPECT_EQ(a.toObject()["frame"].toInt(), 1);
        }
    }
}

TEST_F(SwfSampleAllTest, PlayerShowsTheBitmapsPixelForPixel) {
    ASSERT_EQ(Rendered().exitCode, 0) << Rendered().output;
    const QImage shot = Shot("0.60");
    ASSERT_EQ(shot.width(), 480);
    for (int row = 0; row < 4; ++row) {
        const bool alpha = row % 2 == 1;
        for (int width = 1; width <= 9; ++width) {
            const int x0 = 20 + 14 * (width - 1), y0 = 20 + 16 * row;
            for (int y = 0; y < 6; ++y) {
                for (int x = 0; x < width; ++x) {
                    const SRgba want = OverWhite(SamplePixel(x, y, width, alpha));
                    const QRgb got = shot.pixel(x0 + x, y0 + y);
                    EXPECT_TRUE(Near(got, want, alpha ? 2 : 0))
                        << "row " << row << " width " << width << " pixel " << x << "," << y << ": "
                        << Describe(got);
                }
            }
            // Nothing of the bitmap spills out of its place.
            EXPECT_EQ(shot.pixel(x0 + width, y0 + 2) & 0xFFFFFF, 0xFFFFFFu);
            EXPECT_EQ(shot.pixel(x0, y0 + 6) & 0xFFFFFF, 0xFFFFFFu);
        }
    }
    // JPEG pixels within JPEG tolerance; the right half of the second one is 96/255 opaque
    // over the blue box.
    for (int y = 2; y < 48; y += 9) {
        for (int x = 2; x < 64; x += 7) {
            const SRgba c{x * 4, y * 5, 255 - x * 2, 255};
            EXPECT_TRUE(Near(shot.pixel(200 + x, 20 + y), c, 12))
                << "JPEG " << x << "," << y << ": " << Describe(shot.pixel(200 + x, 20 + y));
            const int a = x < 32 ? 255 : 96;
            const SRgba over{c.r * a / 255, c.g * a / 255, c.b * a / 255 + 255 - a, 255};
            EXPECT_TRUE(Near(shot.pixel(280 + x, 20 + y), over, 12))
                << "JPEG with alpha " << x << "," << y << ": "
                << Describe(shot.pixel(280 + x, 20 + y));
        }
    }
}

TEST_F(SwfSampleAllTest, ButtonStopsAndRestartsTheMovieWhileTheSpritePlaysOn) {
    ASSERT_EQ(Rendered().exitCode, 0) << Rendered().output;
    EXPECT_TRUE(Rendered().json["ok"].toBool()) << Rendered().output;
    EXPECT_TRUE(Rendered().json["errors"].toArray().isEmpty()) << Rendered().output;
    EXPECT_TRUE(Rendered().json["panic"].isNull()) << Rendered().output;
    struct STrace {
        double t;
        std::string msg;
    };
    std::vector<STrace> traces;
    for (const auto& t : Rendered().json["traces"].toArray()) {
        traces.push_back(
            {t.toObject()["t"].toDouble(), t.toObject()["msg"].toString().toStdString()});
    }
    auto between = [&](double from, double to, const std::string& prefix) {
        int n = 0;
        for (const STrace& t : traces) {
            n += t.t > from && t.t < to && t.msg.rfind(prefix, 0) == 0;
        }
        return n;
    };
    auto firstAfter = [&](double from, const std::string& prefix) {
        for (const STrace& t : traces) {
            if (t.t >= from && t.msg.rfind(prefix, 0) == 0) {
                return t.msg;
            }
        }
        return std::string();
    };
    auto timeOf = [&](const std::string& msg) {
        for (const STrace& t : traces) {
            if (t.msg == msg) {
                return t.t;
            }
        }
        return -1.0;
    };
    auto lastBefore = [&](double to, const std::string& prefix) {
        std::string last;
        for (const STrace& t : traces) {
            if (t.t < to && t.msg.rfind(prefix, 0) == 0) {
                last = t.msg;
            }
        }
        return last;
    };
    EXPECT_EQ(firstAfter(0, "main frame"), "main frame 1");
    const double stopAt = timeOf("button: stopped"), playAt = timeOf("button: playing");
    ASSERT_GE(stopAt, 0.8) << "the first click stops the movie";
    ASSERT_GE(playAt, 2.0) << "the second click plays it again";
    // Stopped: the main timeline shows no new frame, the sprite goes on through its own.
    EXPECT_EQ(between(stopAt, playAt, "main frame"), 0);
    EXPECT_GE(between(stopAt, playAt, "sprite frame"), 4);
    const std::string stoppedIn = lastBefore(stopAt, "main frame ");
    ASSERT_FALSE(stoppedIn.empty());
    const int frame = std::stoi(stoppedIn.substr(11));
    EXPECT_EQ(firstAfter(playAt, "main frame"), "main frame " + std::to_string(frame + 1));
    // Frame 6 goes back to frame 2 until the third lap, then the movie stops.
    EXPECT_EQ(between(0, 10, "main frame 6"), 3);
    EXPECT_EQ(between(0, 10, "main frame 2"), 3);
    const auto lastMain = std::find_if(traces.rbegin(), traces.rend(), [](const STrace& t) {
        return t.msg.rfind("main frame", 0) == 0;
    });
    ASSERT_NE(lastMain, traces.rend());
    EXPECT_EQ(lastMain->msg, "main frame 6");
    EXPECT_GT(between(lastMain->t + 0.1, 10, "sprite frame"), 0);

    // On screen: the marker stays put while stopped, the sprite's square changes colour.
    const QImage before = Shot("0.60"), stopped = Shot("1.10"), later = Shot("1.60");
    const QImage resumed = Shot("2.40"), done = Shot("5.50");
    auto markerX = [](const QImage& shot) {
        for (int x = 0; x < shot.width(); ++x) {
            if ((shot.pixel(x, 310) & 0xFFFFFF) == 0xFF0000u) {
                return x;
            }
        }
        return -1;
    };
    EXPECT_EQ(markerX(stopped), 40 + 60 * (frame - 1)) << "marker of frame " << frame;
    EXPECT_EQ(markerX(later), markerX(stopped));
    EXPECT_LE(markerX(before), markerX(stopped));
    EXPECT_GT(markerX(resumed), markerX(stopped));
    EXPECT_EQ(markerX(done), 340) << "marker of frame 6";
    EXPECT_NE(stopped.pixel(70, 150), later.pixel(70, 150)) << "sprite square";

    // The text field bound to "msg" shows "ready", "stopped", "playing" and "done" in turn.
    auto text = [](const QImage& shot) {
        std::vector<QRgb> pixels;
        int ink = 0;
        for (int y = 190; y < 220; ++y) {
            for (int x = 300; x < 470; ++x) {
                pixels.push_back(shot.pixel(x, y));
                ink += qBlue(shot.pixel(x, y)) > qRed(shot.pixel(x, y)) + 60;
            }
        }
        return std::make_pair(pixels, ink);
    };
    const auto ready = text(before), stop = text(stopped), play = text(resumed), end = text(done);
    for (const auto* t : {&ready, &stop, &play, &end}) {
        EXPECT_GT(t->second, 20) << "the text field shows dark blue text";
    }
    EXPECT_NE(ready.first, stop.first);
    EXPECT_NE(stop.first, play.first);
    EXPECT_NE(play.first, end.first);
    EXPECT_EQ(stop.first, text(later).first);
}

}  // namespace
