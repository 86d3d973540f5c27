// The movie of `quillo swf-sample`, judged from outside: the structural parser must read every
// tag back as written, and the player must show every shape where it was placed.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QJsonArray>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "tests/swf/SampleMovieFixture.h"
#include "tests/swf/SwfJudges.h"
#include "tests/swf/SwfTestSupport.h"

namespace {

// A box in stage pixels, right and bottom exclusive.
struct SBox {
    int x1, y1, x2, y2;
};

std::ostream& operator<<(std::ostream& os, const SBox& b) {
    return os << "(" << b.x1 << "," << b.y1 << ")-(" << b.x2 << "," << b.y2 << ")";
}

// What the sample draws; ids are in order of definition.
struct SShape {
    int id;
    const char* name;
    int bounds[4];      // xMin, xMax, yMin, yMax in units, as the parser reports them
    const char* fill;   // fill type and, for solid fills, its colour
    const char* color;  // "#rrggbbaa" of a solid fill
    int lineWidth;      // 0: no outline
};

const SShape kShapes[] = {
    {1, "red rectangle", {400, 2399, 400, 1599}, "Solid", "#ff0000ff", 0},
    {2, "round rectangle", {2800, 5999, 400, 1999}, "LinearGradient", nullptr, 40},
    {3, "ellipse", {6400, 9199, 400, 2399}, "RadialGradient", nullptr, 0},
    {4, "circle", {600, 2600, 3000, 5000}, "Solid", "#ff8000ff", 20},
    {5, "triangle", {4000, 6000, 3000, 4600}, "Solid", "#00ffffff", 0},
    {6, "path", {6600, 9400, 3200, 4800}, "Solid", "#800080ff", 0},
    {7, "radius-0 round rectangle", {400, 1999, 5600, 6799}, "Solid", "#006400ff", 0},
    {8, "turned square", {4000, 4799, 5200, 5999}, "Solid", "#8b4513ff", 0},
};

class SwfSampleMovieTest : public CSampleMovieFixture<SwfSampleMovieTest> {
public:
    static constexpr const char* kFileName = "sample.swf";
    static constexpr const char* kArguments = "";
    static constexpr const char* kTimes = "0.75,1.25,1.75,2.25";
    static std::vector<std::string> Clicks() { return {}; }
};

TEST_F(SwfSampleMovieTest, BothJudgesAcceptTheMovie) {
    const SJudgeRun& parse = Parsed();
    EXPECT_EQ(parse.exitCode, 0) << parse.output;
    EXPECT_TRUE(parse.json["ok"].toBool()) << parse.output;
    EXPECT_TRUE(parse.json["errors"].toArray().isEmpty()) << parse.output;
    const SJudgeRun& render = Rendered();
    EXPECT_EQ(render.exitCode, 0) << render.output;
    EXPECT_TRUE(render.json["ok"].toBool()) << render.output;
    EXPECT_TRUE(render.json["panic"].isNull()) << render.output;
    EXPECT_TRUE(render.json["errors"].toArray().isEmpty()) << render.output;
}

TEST_F(SwfSampleMovieTest, EveryTagIsKnownAndParsed) {
    const QJsonObject header = Parsed().json["header"].toObject();
    EXPECT_EQ(header["signature"].toString(), "CWS");
    EXPECT_EQ(header["version"].toInt(), 6);
    EXPECT_EQ(header["declaredLength"].toInt(), header["actualLength"].toInt());
    EXPECT_EQ(header["widthPx"].toInt(), 480);
    EXPECT_EQ(header["heightPx"].toInt(), 360);
    EXPECT_EQ(header["frameRate"].toDouble(), 2.0);
    EXPECT_EQ(header["frameCount"].toInt(), 4);
    const QJsonArray tags = Parsed().json["tags"].toArray();
    ASSERT_FALSE(tags.isEmpty());
    for (const auto& t : tags) {
        const QJsonObject tag = t.toObject();
        EXPECT_FALSE(tag["kind"].toString().isEmpty()) << tag["tag"].toString().toStdString();
        EXPECT_FALSE(tag.contains("unparsed")) << tag["tag"].toString().toStdString();
        EXPECT_FALSE(tag["tag"].toString().startsWith("Unknown"));
    }
    for (const auto& w : Parsed().json["warnings"].toArray()) {
        EXPECT_FALSE(w.toString().contains("unknown")) << w.toString().toStdString();
    }
    const QJsonObject first = tags[0].toObject();
    EXPECT_EQ(first["tag"].toString(), "FileAttributes");
    EXPECT_FALSE(first["useAs3"].toBool());
    EXPECT_TRUE(first["hasMetadata"].toBool());
    EXPECT_EQ(first["length"].toInt(), 4);
    EXPECT_EQ(tags[1].toObject()["tag"].toString(), "Metadata");
    EXPECT_TRUE(
        tags[1].toObject()["metadata"].toString().contains("Quillo screen recorder screencast"));
}

TEST_F(SwfSampleMovieTest, ShapesAreReadBackAsWritten) {
    std::map<int, QJsonObject> shapes;
    for (const auto& t : Parsed().json["tags"].toArray()) {
        if (t.toObject()["tag"].toString() == "DefineShape3") {
            shapes[t.toObject()["id"].toInt()] = t.toObject();
        }
    }
    ASSERT_EQ(shapes.size(), std::size(kShapes));
    for (const SShape& expected : kShapes) {
        const QJsonObject s = shapes[expected.id];
        const QJsonObject b = s["bounds"].toObject();
        EXPECT_EQ(b["xMin"].toInt(), expected.bounds[0]) << expected.name;
        EXPECT_EQ(b["xMax"].toInt(), expected.bounds[1]) << expected.name;
        EXPECT_EQ(b["yMin"].toInt(), expected.bounds[2]) << expected.name;
        EXPECT_EQ(b["yMax"].toInt(), expected.bounds[3]) << expected.name;
        const QJsonArray fills = s["fills"].toArray();
        ASSERT_EQ(fills.size(), 1) << expected.name;
        EXPECT_EQ(fills[0].toObject()["type"].toString(), expected.fill) << expected.name;
        if (expected.color != nullptr) {
            EXPECT_EQ(fills[0].toObject()["color"].toString(), expected.color) << expected.name;
        }
        const QJsonArray lines = s["lines"].toArray();
        EXPECT_EQ(lines.size(), expected.lineWidth > 0 ? 1 : 0) << expected.name;
        if (expected.lineWidth > 0 && !lines.isEmpty()) {
            EXPECT_EQ(lines[0].toObject()["width"].toInt(), expected.lineWidth) << expected.name;
        }
    }
    const QJsonObject linear = shapes[2]["fills"].toArray()[0].toObject();
    EXPECT_EQ(linear["stops"].toArray()[0].toArray()[1].toString(), "#0000ffff");
    EXPECT_EQ(linear["stops"].toArray()[1].toArray()[1].toString(), "#00ff00ff");
    EXPECT_EQ(linear["matrix"].toObject()["tx"].toInt(), 4399);
    const QJsonObject radial = shapes[3]["fills"].toArray()[0].toObject();
    EXPECT_EQ(radial["stops"].toArray()[0].toArray()[1].toString(), "#ffff00ff");
    EXPECT_EQ(radial["matrix"].toObject()["ty"].toInt(), 1399);
    EXPECT_EQ(shapes[6]["records"].toObject()["curves"].toInt(), 1);
    EXPECT_EQ(shapes[7]["records"].toObject()["curves"].toInt(), 0)
        << "radius 0 leaves the corner curves out";
}

// Placements and removals in file order, with the depths that layers give them: layer 1 (the
// round rectangle) is the lowest depth, layer 65502 (the red rectangle) the highest.
TEST_F(SwfSampleMovieTest, DepthsFollowLayersAndRemovalsMatchTheirPlacements) {
    std::vector<std::string> events;
    std::map<int, int> shown;  // depth -> character
    for (const auto& t : Parsed().json["tags"].toArray()) {
        const QJsonObject tag = t.toObject();
        const std::string name = tag["tag"].toString().toStdString();
        const int depth = tag["depth"].toInt();
        const int id = tag["characterId"].toInt();
        if (name == "PlaceObject2") {
            EXPECT_FALSE(tag["move"].toBool());
            if (id == 1) {
                EXPECT_EQ(tag["name"].toString(), QString::fromUtf8("red\u00e9\U0001F600"));
            }
            EXPECT_FALSE(shown.count(depth)) << "depth " << depth << " is free";
            shown[depth] = id;
            events.push_back("P" + std::to_string(id) + "@" + std::to_string(depth));
        } else if (name == "RemoveObject") {
            EXPECT_EQ(shown[depth], id) << "RemoveObject of character " << id;
            shown.erase(depth);
            events.push_back("R" + std::to_string(id) + "@" + std::to_string(depth));
        } else if (name == "ShowFrame") {
            events.push_back("|");
        }
    }
    const std::vector<std::string> expected = {"P1@8", "P2@0", "P3@5", "P4@2",
                                               "P5@4", "P6@6", "P7@1", "|",  //
                                               "R1@8", "P1@9", "|",          //
                                               "R3@5", "R4@2", "P8@7", "|",  //
                                               "R2@0", "P4@3", "|"};
    EXPECT_EQ(events, expected);

    // The moved and turned placements carry their matrices.
    const QJsonArray frames = Parsed().json["frames"].toArray();
    ASSERT_EQ(frames.size(), 4);
    std::map<int, QJsonObject> last;
    for (const auto& e : frames[3].toObject()["displayList"].toArray()) {
        last[e.toObject()["depth"].toInt()] = e.toObject()["matrix"].toObject();
    }
    EXPECT_EQ(last[9]["tx"].toInt(), 7000);
    EXPECT_EQ(last[9]["ty"].toInt(), 5000);
    EXPECT_EQ(last[3]["tx"].toInt(), -800);
    EXPECT_NEAR(last[7]["sx"].toDouble(), 0.7071, 1e-3);
    EXPECT_NEAR(last[7]["r0"].toDouble(), 0.7071, 1e-3);
    EXPECT_NEAR(last[7]["r1"].toDouble(), -0.7071, 1e-3);
}

// The bounding box of pixels clearly different from the white background inside `window`.
SBox InkBox(const QImage& image, SBox window) {
    SBox ink{window.x2, window.y2, window.x1, window.y1};
    window.x1 = std::max(window.x1, 0);
    window.y1 = std::max(window.y1, 0);
    window.x2 = std::min(window.x2, image.width());
    window.y2 = std::min(window.y2, image.height());
    for (int y = window.y1; y < window.y2; ++y) {
        for (int x = window.x1; x < window.x2; ++x) {
            const QRgb p = image.pixel(x, y);
            if (255 - qRed(p) > 48 || 255 - qGreen(p) > 48 || 255 - qBlue(p) > 48) {
                ink.x1 = std::min(ink.x1, x);
                ink.y1 = std::min(ink.y1, y);
                ink.x2 = std::max(ink.x2, x + 1);
                ink.y2 = std::max(ink.y2, y + 1);
            }
        }
    }
    return ink;
}

bool Near(const SBox& a, const SBox& b) {
    return std::abs(a.x1 - b.x1) <= 1 && std::abs(a.y1 - b.y1) <= 1 && std::abs(a.x2 - b.x2) <= 1 &&
           std::abs(a.y2 - b.y2) <= 1;
}

std::string Hex(QRgb p) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%06x", p & 0xFFFFFF);
    return buf;
}

// Shots in the middle of each of the four frames (2 frames per second).
TEST_F(SwfSampleMovieTest, PlayerShowsEveryShapeAndFillWhereItWasPlaced) {
    ASSERT_EQ(Rendered().exitCode, 0) << Rendered().output;
    const SBox red{20, 20, 120, 80}, redMoved{370, 270, 470, 330};
    const SBox round{140, 20, 300, 100}, ellipse{320, 20, 460, 120};
    const SBox circle{30, 150, 130, 250}, circleMoved{0, 150, 90, 250};
    const SBox triangle{200, 150, 300, 230}, path{330, 160, 470, 240};
    const SBox square{20, 280, 100, 340}, turned{192, 252, 248, 308};
    struct SFrame {
        const char* time;
        std::vector<std::pair<const char*, SBox>> shown;
        std::vector<std::pair<const char*, SBox>> gone;
    };
    const std::vector<SFrame> frames = {
        {"0.75",
         {{"red", red},
          {"round", round},
          {"ellipse", ellipse},
          {"circle", circle},
          {"triangle", triangle},
          {"path", path},
          {"square", square}},
         {{"moved red", redMoved}, {"turned", turned}}},
        {"1.25",
         {{"moved red", redMoved},
          {"round", round},
          {"ellipse", ellipse},
          {"circle", circle},
          {"triangle", triangle},
          {"path", path},
          {"square", square}},
         {{"red", red}}},
        {"1.75",
         {{"moved red", redMoved},
          {"round", round},
          {"triangle", triangle},
          {"path", path},
          {"square", square},
          {"turned", turned}},
         {{"ellipse", ellipse}, {"circle", circle}}},
        {"2.25",
         {{"moved red", redMoved},
          {"moved circle", circleMoved},
          {"triangle", triangle},
          {"path", path},
          {"square", square},
          {"turned", turned}},
         {{"round", round}, {"ellipse", ellipse}}},
    };
    for (const SFrame& f : frames) {
        const QImage shot = Shot(f.time);
        ASSERT_EQ(shot.width(), 480) << f.time;
        ASSERT_EQ(shot.height(), 360) << f.time;
        for (const auto& [name, box] : f.shown) {
            const SBox window{box.x1 - 4, box.y1 - 4, box.x2 + 4, box.y2 + 4};
            const SBox ink = InkBox(shot, window);
            EXPECT_TRUE(Near(ink, box)) << "at " << f.time << " s the " << name << " covers " << ink
                                        << ", expected " << box;
        }
        for (const auto& [name, box] : f.gone) {
            const SBox ink = InkBox(shot, box);
            EXPECT_TRUE(ink.x1 >= ink.x2)
                << "at " << f.time << " s the " << name << " area still shows " << ink;
        }
    }

    struct SProbe {
        const char* time;
        int x, y;
        QRgb color;
        const char* what;
    };
    const std::vector<SProbe> probes = {
        {"0.75", 70, 50, 0xff0000, "red rectangle"},
        {"1.25", 420, 300, 0xff0000, "red rectangle, moved"},
        {"0.75", 150, 60, 0x0000ff, "linear gradient, start colour left of the ramp"},
        {"0.75", 290, 60, 0x00ff00, "linear gradient, end colour right of the ramp"},
        {"0.75", 220, 20, 0x000000, "round rectangle outline"},
        {"0.75", 390, 70, 0xffff00, "radial gradient centre"},
        {"0.75", 80, 200, 0xff8000, "circle"},
        {"2.25", 40, 200, 0xff8000, "circle, moved"},
        {"0.75", 250, 180, 0x00ffff, "triangle"},
        {"0.75", 380, 200, 0x800080, "path"},
        {"0.75", 455, 175, 0x800080, "path inside its curve"},
        {"0.75", 467, 163, 0xffffff, "path outside its curve"},
        {"0.75", 60, 310, 0x006400, "radius-0 round rectangle"},
        {"1.75", 220, 280, 0x8b4513, "turned square"},
        {"1.75", 202, 262, 0xffffff, "corner of the square before turning"},
    };
    for (const SProbe& p : probes) {
        const QRgb got = Shot(p.time).pixel(p.x, p.y);
        const bool near = std::abs(qRed(got) - qRed(p.color)) <= 3 &&
                          std::abs(qGreen(got) - qGreen(p.color)) <= 3 &&
                          std::abs(qBlue(got) - qBlue(p.color)) <= 3;
        EXPECT_TRUE(near) << p.what << " at (" << p.x << "," << p.y << "), " << p.time
                          << " s: " << Hex(got) << ", expected " << Hex(p.color);
    }
    // Towards its rim the radial gradient has turned from yellow to magenta.
    const QRgb rim = Shot("0.75").pixel(326, 70);
    EXPECT_GT(qBlue(rim), qGreen(rim)) << Hex(rim);
    // The circle's outline is navy.
    const QRgb edge = Shot("0.75").pixel(80, 149);
    EXPECT_GT(qBlue(edge), qRed(edge)) << Hex(edge);
}

}  // namespace
