// Talk bubbles and the chapter index in published movies: the embedded text font against the
// layout's measurements, the movie's structure, and the player's pictures against the preview.
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "editor/bubble/BubbleDraw.h"
#include "editor/bubble/BubbleFont.h"
#include "editor/bubble/BubbleGui.h"
#include "project/model/BubbleAnimation.h"
#include "project/model/LogFont.h"
#include "publish/BubbleAnimation.h"
#include "publish/BubbleGlyphs.h"
#include "publish/ChapterIndex.h"
#include "tests/publish/PublishFixture.h"
#include "tests/support/TempDir.h"
#include "tests/swf/SwfJudges.h"

namespace {

constexpr int kW = 320;
constexpr int kH = 240;
constexpr int32_t kBubbleColour = 0x80FFFF;  // light yellow, red in the low byte
constexpr int32_t kTextColour = 0x800000;    // navy

// With QUILLO_KEEP_SHOTS set, screenshots (and the preview beside them) are kept there.
std::string KeepDir(const std::string& name) {
    const char* keep = std::getenv("QUILLO_KEEP_SHOTS");
    if (!keep) {
        return {};
    }
    const std::filesystem::path dir = std::filesystem::path(keep) / name;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir.string();
}

// The movie and its screenshots, kept for a look when QUILLO_KEEP_SHOTS is set.
void KeepMovie(const std::string& name, const std::string& movie, const std::string& shots) {
    const std::string keep = KeepDir(name);
    if (!keep.empty()) {
        const auto options = std::filesystem::copy_options::overwrite_existing |
                             std::filesystem::copy_options::recursive;
        std::error_code ec;
        std::filesystem::copy(movie, keep, options, ec);
        std::filesystem::copy(shots, keep, options, ec);
    }
}

std::string ShotPath(const std::string& dir, double t) {
    char name[32];
    std::snprintf(name, sizeof name, "shot-%.2f.png", t);
    return dir + "/" + name;
}

std::string Times(const std::vector<double>& at) {
    std::string times;
    for (double t : at) {
        char text[16];
        std::snprintf(text, sizeof text, "%.2f", t);
        times += (times.empty() ? "" : ",") + std::string(text);
    }
    return times;
}

void SetBubble(CFrameInfo& frame, const std::u16string& text, int x, int y, uint8_t style) {
    frame.m_pText = text;
    frame.m_pFormat = std::u16string();
    frame.m_bCountedLines = 0;
    frame.m_nBubbleX = x;
    frame.m_nBubbleY = y;
    frame.m_nBubbleStyle = style;
    frame.m_crBubble = kBubbleColour;
    frame.m_crText = kTextColour;
    frame.m_crShadow = 0x808080;
    frame.m_nPointerX = kNoPointer;
    frame.m_nPointerY = 0;
}

QImage ToImage(const std::vector<uint32_t>& picture, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            row[x] = picture[size_t(y) * w + x] | 0xFF000000u;
        }
    }
    return image;
}

int Worst(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// A fresh recording whose frames show a soft pattern in `colour`, so that bodies and text stand
// out from it.
void Background(CMemoryRecording& rec, uint32_t colour) {
    rec.Paint(0, 0, kW - 1, kH - 1, [colour](int x, int y) {
        return ((x / 16 + y / 16) % 2) ? colour : (colour & 0xE0E0E0);
    });
}

// Only the movie: the page around it is not looked at here.
SPublished PublishMovie(CMemoryRecording& rec, CScriptedPrompter& prompter, const std::string& base,
                        const std::function<void(CPublishSettings&)>& edit = {}) {
    return Publish(rec, prompter, base, [&](CPublishSettings& s) {
        s.m_bCreateWebPage = false;
        if (edit) {
            edit(s);
        }
    });
}

class BubbleMovieTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureBubbleGui()); }

    CTempDir m_Dir;
    CScriptedPrompter m_Prompter;
};

// The embedded glyphs advance exactly as the layout measured the lines, and keep the holes of
// their outlines.
TEST_F(BubbleMovieTest, EmbeddedGlyphsCarryTheLayoutsAdvances) {
    CLogFont stored = CLogFont::Default();
    for (const int32_t height : {-13, -17, -31}) {
        SCOPED_TRACE(height);
        const CBubbleFont font(stored, height);
        ASSERT_TRUE(font.IsValid());
        const std::u16string text = u"Hello, world \u00e9t\u00e9 WAV";
        const std::vector<SSwfGlyph> glyphs = GlyphsOf(font, text);
        double width = 0;
        for (char16_t c : text) {
            const auto it = std::find_if(glyphs.begin(), glyphs.end(),
                                         [c](const SSwfGlyph& g) { return g.code == c; });
            ASSERT_NE(it, glyphs.end()) << int(c);
            width += it->advance;
        }
        width = width * font.PixelSize() / kSwfFontEm;
        EXPECT_NEAR(width, font.Width(text), 1.0);
        const auto o = std::find_if(glyphs.begin(), glyphs.end(),
                                    [](const SSwfGlyph& g) { return g.code == u'o'; });
        EXPECT_EQ(
            std::count_if(o->steps.begin(), o->steps.end(),
                          [](const SSwfGlyph::SStep& s) { return s.kind == SSwfGlyph::kMove; }),
            2);
        const auto space = std::find_if(glyphs.begin(), glyphs.end(),
                                        [](const SSwfGlyph& g) { return g.code == u' '; });
        EXPECT_TRUE(space->steps.empty());
        EXPECT_GT(space->advance, 0);
        // Every contour ends where it started, so the player's fill cannot leak.
        for (const SSwfGlyph& g : glyphs) {
            SSwfGlyph::SStep start{};
            for (size_t i = 0; i < g.steps.size(); ++i) {
                if (g.steps[i].kind == SSwfGlyph::kMove) {
                    if (i > 0) {
                        EXPECT_EQ(g.steps[i - 1].x, start.x) << int(g.code);
                        EXPECT_EQ(g.steps[i - 1].y, start.y) << int(g.code);
                    }
                    start = g.steps[i];
                }
            }
        }
    }
}

// The appearing and leaving effects: eased per frame, zooming about the bubble's centre, sliding
// in from beyond the picture's edge and ending where the bubble rests.
TEST_F(BubbleMovieTest, AnimationStepsEaseTowardsTheRestingBubble) {
    const SRect bubble{100, 40, 180, 80};
    struct SCase {
        int pair;
        int32_t speed;
        int32_t option;
    };
    for (const SCase& c : {SCase{0, 1000, 0}, SCase{1, 500, 0}, SCase{1, 500, 1}, SCase{2, 500, 0},
                           SCase{2, 500, 1}, SCase{3, 700, 1}}) {
        SCOPED_TRACE("pair " + std::to_string(c.pair) + " option " + std::to_string(c.option));
        CBubbleAnimation settings;
        settings.m_nSettings[0] = 50;  // half a second in
        settings.m_nSettings[1] = 30;
        for (const int side : {0, 1}) {
            CBubbleAnimation::SChannel& channel = settings.m_Channels[2 * c.pair + side];
            channel.m_nValues = {0, 1, c.speed, c.option};
        }
        const SBubbleAnimationPlan plan = PlanBubbleAnimation(settings, 10, bubble, 320, 240, 20);
        ASSERT_EQ(plan.in.size(), 5u);
        ASSERT_EQ(plan.out.size(), 3u);
        // The last "in" frame is the bubble at rest; the last "out" frame has it all but gone.
        const SBubbleMotion& rest = plan.in.back();
        EXPECT_EQ(rest.nAlpha, 256);
        EXPECT_EQ(rest.nScale, 0x10000);
        EXPECT_EQ(rest.nDx, 0);
        EXPECT_EQ(rest.nDy, 0);
        const SBubbleMotion& first = plan.in.front();
        const SBubbleMotion& gone = plan.out.back();
        switch (c.pair) {
            case 0:
                // Speed 1000 is pure acceleration: (1/5)^2 of the alpha.
                EXPECT_EQ(first.nAlpha, 10);
                EXPECT_EQ(gone.nAlpha, 0);
                break;
            case 1: {
                EXPECT_LT(first.nScale, 0x10000 / 2);
                // The growth point stays where it is: the centre, or the top-left corner.
                const double ox = c.option ? bubble.left * 20 : 140 * 20;
                const double oy = c.option ? bubble.top * 20 : 60 * 20;
                EXPECT_NEAR(first.nDx + ox * first.nScale / 65536.0, ox, 2);
                EXPECT_NEAR(first.nDy + oy * first.nScale / 65536.0, oy, 2);
                EXPECT_EQ(gone.nScale, 0);
                break;
            }
            case 2:
                // Speed 500 is linear: four fifths of the way still to go.
                EXPECT_NEAR(first.nDx, c.option ? (320 - 100) * 20 * 4 / 5 : -180 * 20 * 4 / 5, 1);
                EXPECT_EQ(first.nDy, 0);
                break;
            case 3:
                EXPECT_GT(first.nDy, 0);
                EXPECT_GT(gone.nDy, (240 - 40) * 20 - 20);
                break;
        }
    }
    // No switched-on channel: no animation, whatever the durations say.
    CBubbleAnimation none;
    none.m_nSettings[0] = 100;
    EXPECT_TRUE(PlanBubbleAnimation(none, 10, bubble, 320, 240, 20).in.empty());
}

class BubblePlayerTest : public BubbleMovieTest {
protected:
    void SetUp() override {
        BubbleMovieTest::SetUp();
        const std::string missing = CSwfJudges::Missing();
        if (!missing.empty()) {
            GTEST_SKIP() << missing;
        }
    }
};

// Every style in the player next to the preview of the same frame: outside what the preview
// draws the picture is untouched (no line runs out of its bubble), and inside the bubble the
// two agree.
TEST_F(BubblePlayerTest, EveryStyleLooksLikeThePreview) {
    CMemoryRecording rec(m_Dir.Path().string(), kW, kH);
    const uint32_t colours[] = {0x3060A0, 0x40A040, 0xA04040, 0x505050,
                                0x2080C0, 0x806020, 0x6040A0};
    for (uint8_t style = 0; style <= kBubblePlaqueTransparent; ++style) {
        Background(rec, colours[style]);
        CFrameInfo& frame = rec.Capture(0, 0, kW - 1, kH - 1, 100);
        // Each bubble has a character of its own: its digit.
        SetBubble(frame,
                  u"Step " + std::u16string(1, char16_t(u'0' + style)) +
                      u": open the File\nmenu and choose Save As",
                  150 + style * 4, 100, style);
        if (style == kBubbleRound || style == kBubbleSquare || style == kBubblePanel ||
            style == kBubblePanelTransparent) {
            frame.m_nPointerX = 40;
            frame.m_nPointerY = 200;
        }
        frame.m_bUnderline = style == kBubbleHeading ? 1 : 0;
        frame.m_bShadow = style == kBubbleHeading || style == kBubblePlaque ? 1 : 0;
        frame.m_nTextAlign = style == kBubbleSquare ? kAlignLeft : kAlignCentre;
    }
    ASSERT_TRUE(rec.Finish());
    const SPublished pub = PublishMovie(rec, m_Prompter, m_Dir.File("styles"));
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    const SJudgeRun parsed = CSwfJudges::Parse(pub.movie);
    ExpectCleanParse(parsed);
    // The player finds a field's font by name: fonts with other glyphs have other names.
    std::map<QString, int> glyphsByName;
    std::function<void(const QJsonArray&)> fonts = [&](const QJsonArray& tags) {
        for (const QJsonValue& tag : tags) {
            const QJsonObject object = tag.toObject();
            if (object["tag"].toString() == "DefineFont2") {
                const QString name = object["fontName"].toString();
                const int glyphs = object["glyphs"].toInt();
                EXPECT_EQ(glyphsByName.emplace(name, glyphs).first->second, glyphs)
                    << name.toStdString();
            }
            fonts(object["tags"].toArray());
        }
    };
    fonts(parsed.json["tags"].toArray());
    EXPECT_EQ(glyphsByName.size(), 7u);

    std::vector<double> at;
    for (int i = 0; i < 7; ++i) {
        at.push_back(i + 0.55);
    }
    const std::string shots = m_Dir.File("shots");
    const SJudgeRun rendered = CSwfJudges::Render(pub.movie, shots, Times(at));
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    const std::string keep = KeepDir("bubble-styles");

    SBubbleView view;
    view.nShownWidth = view.nRecordedWidth = kW;
    view.nShownHeight = view.nRecordedHeight = kH;
    CFrameInfo* pFrame = rec.Project().FirstFrame();
    for (uint32_t i = 0; i < 7; ++i, pFrame = pFrame->m_pNext) {
        SCOPED_TRACE("style " + std::to_string(i));
        const QImage original = ToImage(rec.Picture(i), kW, kH);
        QImage preview = original.copy();
        const CBubbleLayout layout = DrawBubble(rec.Project(), *pFrame, view, preview);
        const QImage shot = QImage(QString::fromStdString(ShotPath(shots, at[i])))
                                .convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shot.width(), kW);
        if (!keep.empty()) {
            QImage pair(2 * kW + 8, kH, QImage::Format_RGB32);
            pair.fill(Qt::white);
            QPainter painter(&pair);
            painter.drawImage(0, 0, shot);
            painter.drawImage(kW + 8, 0, preview);
            painter.end();
            pair.save(QString::fromStdString(keep + "/style-" + std::to_string(i) + ".png"));
        }
        // What the preview drew, widened by 2 pixels for edges that antialias differently.
        auto drawn = [&](int x, int y) {
            for (int dy = -2; dy <= 2; ++dy) {
                for (int dx = -2; dx <= 2; ++dx) {
                    const int px = std::clamp(x + dx, 0, kW - 1);
                    const int py = std::clamp(y + dy, 0, kH - 1);
                    if (preview.pixel(px, py) != original.pixel(px, py)) {
                        return true;
                    }
                }
            }
            return false;
        };
        int outside = 0;
        double inside = 0;
        int insideCount = 0;
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                if (!drawn(x, y)) {
                    outside += Worst(shot.pixel(x, y), original.pixel(x, y)) > 48 ? 1 : 0;
                } else {
                    inside += Worst(shot.pixel(x, y), preview.pixel(x, y));
                    ++insideCount;
                }
            }
        }
        EXPECT_LE(outside, 12);
        ASSERT_GT(insideCount, 0);
        EXPECT_LT(inside / insideCount, 24.0);
        // Each line's ink lies in that line's band, as on the preview: same breaks, same rows.
        for (size_t line = 0; line < layout.lines.size(); ++line) {
            const int top = layout.LineY(line);
            const int x0 = layout.LineX(line, pFrame->m_nTextAlign);
            auto ink = [&](const QImage& image) {
                int n = 0;
                for (int y = top; y < top + layout.nLineHeight; ++y) {
                    for (int x = std::max(0, x0); x < std::min(kW, x0 + layout.widths[line]); ++x) {
                        n += Worst(image.pixel(x, y), qRgb(0, 0, 0x80)) < 60 ? 1 : 0;
                    }
                }
                return n;
            };
            const int want = ink(preview);
            const int got = ink(shot);
            EXPECT_GT(want, 20);
            EXPECT_GT(got, want / 2) << "line " << line;
            EXPECT_LT(got, want * 2) << "line " << line;
        }
    }
}

// A bubble shown until frame 4 on frame 2 stays through frame 4, although frame 4 opens a new
// movie segment, and is gone when frame 5 starts.
TEST_F(BubblePlayerTest, ShownUntilAFrameAcrossASegmentBoundary) {
    CMemoryRecording rec(m_Dir.Path().string(), kW, kH);
    const uint32_t colours[] = {0x204080, 0x208040, 0x802040, 0x606060, 0x404000};
    for (int i = 0; i < 5; ++i) {
        Background(rec, colours[i]);
        CFrameInfo& frame = rec.Capture(0, 0, kW - 1, kH - 1, 100);
        if (i == 1) {
            SetBubble(frame, u"Still here", 160, 120, kBubblePanel);
            frame.m_bBubbleShowUntil = 1;
            frame.m_nBubbleUntilFrame = 4;
        }
        frame.m_bResync = i == 2 ? 1 : 0;
    }
    ASSERT_TRUE(rec.Finish());
    const SPublished pub = PublishMovie(rec, m_Prompter, m_Dir.File("until"));
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    const SJudgeRun parsed = CSwfJudges::Parse(pub.movie);
    ExpectCleanParse(parsed);
    // The sprite is placed in the main timeline and again in the segment that frame 4 opens.
    std::function<int(const QJsonArray&)> placed = [&](const QJsonArray& tags) {
        int n = 0;
        for (const QJsonValue& tag : tags) {
            const QJsonObject object = tag.toObject();
            n += object["kind"].toString() == "PlaceObject" &&
                         object["name"].toString().startsWith("tb")
                     ? 1
                     : 0;
            n += placed(object["tags"].toArray());
        }
        return n;
    };
    EXPECT_EQ(placed(parsed.json["tags"].toArray()), 2);
    SBubbleView view;
    view.nShownWidth = view.nRecordedWidth = kW;
    view.nShownHeight = view.nRecordedHeight = kH;
    const SRect panel =
        LayoutBubble(rec.Project(), *rec.Project().FirstFrame()->m_pNext, view).rcBubble;

    const std::vector<double> at = {0.55, 1.55, 2.55, 3.55, 4.55};
    const std::string shots = m_Dir.File("shots");
    const SJudgeRun rendered = CSwfJudges::Render(pub.movie, shots, Times(at));
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    KeepMovie("bubble-until", pub.movie, shots);
    for (int i = 0; i < 5; ++i) {
        const QImage shot(QString::fromStdString(ShotPath(shots, at[i])));
        // A corner of the panel, away from the text.
        const QRgb corner = shot.pixel(panel.left + 1, panel.top - 2);
        const bool shown = Worst(corner, qRgb(0xFF, 0xFF, 0x80)) < 8;
        EXPECT_EQ(shown, i >= 1 && i <= 3) << "frame " << i + 1;
    }
}

// Two navigating bubbles: "next" on the first leaves it for the frame after it, "previous" on
// the second comes back to the first one's resting frame; the resting frames tell the control
// bar about each other.
TEST_F(BubblePlayerTest, NavigatingBubblesMoveBetweenEachOther) {
    CMemoryRecording rec(m_Dir.Path().string(), kW, kH);
    const uint32_t colours[] = {0x204080, 0x208040, 0x802040, 0x606060,
                                0x404000, 0x004040, 0x400040, 0x202020};
    const int32_t durations[] = {50, 50, 1000, 50, 50, 50, 1000, 100};
    for (int i = 0; i < 8; ++i) {
        Background(rec, colours[i]);
        CFrameInfo& frame = rec.Capture(0, 0, kW - 1, kH - 1, durations[i]);
        if (i == 2 || i == 6) {
            SetBubble(frame, i == 2 ? u"First step" : u"Second step", 160, 100, kBubbleRound);
            frame.m_bNavigation = 1;
        }
    }
    ASSERT_TRUE(rec.Finish());
    const SPublished pub = PublishMovie(rec, m_Prompter, m_Dir.File("navigation"));
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    const SJudgeRun parsed = CSwfJudges::Parse(pub.movie);
    ExpectCleanParse(parsed);
    const std::vector<QString> pushed = PushedTexts(parsed.json["tags"].toArray());
    for (const char* name : {"/control:prev_pos", "/control:next_pos", "/control:next_flag"}) {
        EXPECT_NE(std::find(pushed.begin(), pushed.end(), QString(name)), pushed.end()) << name;
    }

    SBubbleView view;
    view.nShownWidth = view.nRecordedWidth = kW;
    view.nShownHeight = view.nRecordedHeight = kH;
    CFrameInfo* third = rec.Project().FrameAt(2);
    CFrameInfo* seventh = rec.Project().FrameAt(6);
    const SRect next = LayoutBubble(rec.Project(), *third, view).navigation.rcNext;
    const CBubbleLayout second = LayoutBubble(rec.Project(), *seventh, view);
    ASSERT_TRUE(second.navigation.bPrevious);
    const SRect previous = second.navigation.rcPrevious;
    auto click = [](const SRect& rc, double t) {
        char text[48];
        std::snprintf(text, sizeof text, "%d,%d@%.2f", (rc.left + rc.right) / 2,
                      (rc.top + rc.bottom) / 2, t);
        return std::string(text);
    };
    // Frame 3 starts at 1 s and would last 10 s; the click at 1.5 s moves on to frame 4, and
    // frames 4 to 6 take 1.5 s, so the second bubble shows from about 3 s.
    const std::vector<double> at = {1.3, 2.0, 4.0, 5.0};
    const std::string shots = m_Dir.File("shots");
    const SJudgeRun rendered =
        CSwfJudges::Render(pub.movie, shots, Times(at), {click(next, 1.5), click(previous, 4.5)});
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    const int expected[] = {2, 3, 6, 2};  // 0-based frames shown
    for (size_t i = 0; i < at.size(); ++i) {
        const QImage shot(QString::fromStdString(ShotPath(shots, at[i])));
        const QRgb background = shot.pixel(kW - 8, kH - 8);
        const QRgb want = ToImage(rec.Picture(uint32_t(expected[i])), kW, kH).pixel(kW - 8, kH - 8);
        EXPECT_LT(Worst(background, want), 8) << "shot at " << at[i];
    }
}

// A project with more chapters than the index holds lists the first 1024.
TEST_F(BubbleMovieTest, ChapterIndexHoldsTheFirst1024Chapters) {
    const std::string missing = CSwfJudges::Missing();
    if (!missing.empty()) {
        GTEST_SKIP() << missing;
    }
    CMemoryRecording rec(m_Dir.Path().string(), 64, 48);
    for (int i = 0; i < 1025; ++i) {
        rec.Fill(i % 60, 0, i % 60 + 3, 3, 0x102030 * uint32_t(i % 7 + 1));
        CFrameInfo& frame = rec.Capture(i % 60, 0, i % 60 + 3, 3, 10);
        frame.m_pChapter = u"Chapter " + std::u16string(1, char16_t(u'A' + i % 26));
    }
    ASSERT_TRUE(rec.Finish());
    // Buttons of the whole movie, and whether the index sprite is in it.
    auto count = [&](bool index, bool& named) {
        const SPublished pub =
            PublishMovie(rec, m_Prompter, m_Dir.File(index ? "chapters" : "no-index"),
                         [index](CPublishSettings& s) {
                             s.m_bControlBar = true;
                             s.m_bChapterIndex = index;
                         });
        EXPECT_TRUE(pub.results.strError.empty()) << pub.results.strError;
        const SJudgeRun parsed = CSwfJudges::Parse(pub.movie);
        ExpectCleanParse(parsed);
        int buttons = 0;
        std::function<void(const QJsonArray&)> walk = [&](const QJsonArray& tags) {
            for (const QJsonValue& tag : tags) {
                const QJsonObject object = tag.toObject();
                buttons += object["tag"].toString() == "DefineButton2" ? 1 : 0;
                named = named || object["name"].toString() == "chapterbox";
                walk(object["tags"].toArray());
            }
        };
        walk(parsed.json["tags"].toArray());
        return buttons;
    };
    bool named = false;
    bool namedWithout = false;
    const int withIndex = count(true, named);
    const int withoutIndex = count(false, namedWithout);
    EXPECT_TRUE(named);
    EXPECT_FALSE(namedWithout);
    // One button per listed chapter and the one that opens the collapsed index; the rest are the
    // control bar's.
    EXPECT_EQ(withIndex - withoutIndex, 1024 + 1);
}

// Clicking a chapter in the open index seeks the movie to that chapter.
TEST_F(BubblePlayerTest, ChapterEntrySeeksToItsFrame) {
    CMemoryRecording rec(m_Dir.Path().string(), kW, kH);
    const uint32_t colours[] = {0x204080, 0x208040, 0x802040};
    const char16_t* titles[] = {u"Intro", u"Middle", u"End"};
    for (int i = 0; i < 3; ++i) {
        Background(rec, colours[i]);
        CFrameInfo& frame = rec.Capture(0, 0, kW - 1, kH - 1, 500);
        frame.m_pChapter = titles[i];
    }
    ASSERT_TRUE(rec.Finish());
    const SPublished pub =
        PublishMovie(rec, m_Prompter, m_Dir.File("chapter seek"), [](CPublishSettings& s) {
            s.m_bControlBar = true;
            s.m_bChapterIndex = true;
        });
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    ExpectCleanParse(CSwfJudges::Parse(pub.movie));
    const CBubbleFont font(CLogFont::Default(), CLogFont::Default().m_nHeight);
    const int line = font.Height() + font.ExternalLeading();
    // The open index sits at (10, 20) with a 5-pixel margin; the third title's middle.
    char click[48];
    std::snprintf(click, sizeof click, "%d,%d@0.30", 10 + 20, 20 + 5 + 2 * line + line / 2);
    const std::string shots = m_Dir.File("shots");
    const SJudgeRun rendered = CSwfJudges::Render(pub.movie, shots, "0.25,1.50", {click});
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    KeepMovie("chapter-index", pub.movie, shots);
    const QImage before(QString::fromStdString(ShotPath(shots, 0.25)));
    const QImage after(QString::fromStdString(ShotPath(shots, 1.50)));
    const QImage first = ToImage(rec.Picture(0), kW, kH);
    const QImage last = ToImage(rec.Picture(2), kW, kH);
    EXPECT_LT(Worst(before.pixel(kW - 8, kH - 8), first.pixel(kW - 8, kH - 8)), 8);
    EXPECT_LT(Worst(after.pixel(kW - 8, kH - 8), last.pixel(kW - 8, kH - 8)), 8);
}

}  // namespace
