// The seven bubble styles, with and without pointer and navigation buttons, drawn over a fixed
// picture with the installed fonts and compared with the pictures checked in beside this file.
// QUILLO_UPDATE_GOLDEN=1 rewrites those pictures; every run leaves its own in the build folder.
#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <string>

#include "editor/bubble/BubbleDraw.h"
#include "tests/editor/bubble/BubbleTestSupport.h"

namespace {

// A blue-to-white gradient under a grid, so that blending and outlines show.
QImage Background() {
    QImage image(kTestWidth, kTestHeight, QImage::Format_RGB32);
    for (int y = 0; y < kTestHeight; ++y) {
        for (int x = 0; x < kTestWidth; ++x) {
            const int t = y * 255 / (kTestHeight - 1);
            QRgb pixel = qRgb(40 + t * 215 / 255, 90 + t * 165 / 255, 200 + t * 55 / 255);
            if (x % 20 == 0 || y % 20 == 0) {
                pixel = qRgb(30, 60, 30);
            }
            image.setPixel(x, y, pixel);
        }
    }
    return image;
}

struct SDrawn {
    QImage image;
    CBubbleLayout layout;
};

SDrawn DrawStyle(uint8_t nStyle, bool bPointerAndButtons) {
    auto project = TestProject();
    AddBubbleFrame(*project, {u"before"});
    CFrameInfo& frame = AddBubbleFrame(
        *project, {u"Talk bubble", u"Style " + std::u16string(1, u'0' + nStyle)}, nStyle, 150, 80);
    frame.m_bShadow = 1;
    frame.m_bUnderline = nStyle % 2;
    frame.m_nTextAlign = nStyle % 3;
    if (bPointerAndButtons) {
        frame.m_nPointerX = 270;
        frame.m_nPointerY = 180;
        frame.m_bNavigation = 1;
    }
    SDrawn drawn{Background(), {}};
    drawn.layout = DrawBubble(*project, frame, ViewOf(*project), drawn.image);
    return drawn;
}

std::string GoldenName(uint8_t nStyle, bool bPointerAndButtons) {
    return "style" + std::to_string(nStyle) + (bPointerAndButtons ? "-pointer-buttons" : "") +
           ".png";
}

// Pixels whose channels differ by more than kChannelSlack count as different; antialiased glyph
// edges of another rasteriser build may differ a little, shapes may not.
constexpr int kChannelSlack = 40;
constexpr double kDifferentShare = 0.004;

int DifferentPixels(const QImage& a, const QImage& b) {
    int different = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > kChannelSlack ||
                std::abs(qGreen(p) - qGreen(q)) > kChannelSlack ||
                std::abs(qBlue(p) - qBlue(q)) > kChannelSlack) {
                ++different;
            }
        }
    }
    return different;
}

class BubbleGoldenTest : public CBubbleTest,
                         public ::testing::WithParamInterface<std::tuple<int, bool>> {};

TEST_P(BubbleGoldenTest, MatchesTheCheckedInPicture) {
    const auto [nStyle, bPointerAndButtons] = GetParam();
    const SDrawn drawn = DrawStyle(static_cast<uint8_t>(nStyle), bPointerAndButtons);
    const std::string name = GoldenName(static_cast<uint8_t>(nStyle), bPointerAndButtons);
    const QString actualDir = QStringLiteral(QUILLO_GOLDEN_ACTUAL_DIR);
    QDir().mkpath(actualDir);
    ASSERT_TRUE(drawn.image.save(actualDir + "/" + QString::fromStdString(name)));

    const QString golden = QStringLiteral(QUILLO_GOLDEN_DIR "/") + QString::fromStdString(name);
    if (std::getenv("QUILLO_UPDATE_GOLDEN") != nullptr) {
        ASSERT_TRUE(drawn.image.save(golden));
        return;
    }
    const QImage expected(golden);
    ASSERT_FALSE(expected.isNull()) << "no golden picture " << golden.toStdString();
    ASSERT_EQ(expected.size(), drawn.image.size());
    const int different =
        DifferentPixels(expected.convertToFormat(QImage::Format_RGB32), drawn.image);
    EXPECT_LE(different, kDifferentShare * kTestWidth * kTestHeight)
        << name << ": " << different << " pixels differ; see " << actualDir.toStdString();
}

INSTANTIATE_TEST_SUITE_P(AllStyles, BubbleGoldenTest,
                         ::testing::Combine(::testing::Range(0, 7), ::testing::Bool()));

class BubbleDrawTest : public CBubbleTest {};

int Mix(int over, int under, int alpha) {
    return (over * alpha + under * (255 - alpha)) / 255;
}

TEST_F(BubbleDrawTest, BodiesOfTheStyles) {
    const QImage background = Background();
    const QColor bubble(0xFF, 0xFF, 0xC2);  // the test bubble colour 0xC2FFFF

    // Round bubble: a black outline at the middle of its left side.
    SDrawn round = DrawStyle(kBubbleRound, false);
    const int midY = round.layout.cy;
    const int left = round.layout.rcText.left - round.layout.Mw;
    EXPECT_EQ(round.image.pixel(left, midY), qRgb(0, 0, 0));
    EXPECT_EQ(round.image.pixel(left + 1, midY), bubble.rgb());
    EXPECT_EQ(round.image.pixel(left - 1, midY), background.pixel(left - 1, midY));

    // Panel: filled edge to edge in the bubble colour, no outline.
    SDrawn panel = DrawStyle(kBubblePanel, false);
    const SRect& b = panel.layout.rcBubble;
    EXPECT_EQ(panel.image.pixel(b.left, b.top - 3), bubble.rgb());
    EXPECT_EQ(panel.image.pixel(b.left, midY), bubble.rgb());
    EXPECT_EQ(panel.image.pixel(b.left - 1, midY), background.pixel(b.left - 1, midY));

    // Transparent panel: the bubble colour mixed over the picture at 160/255.
    SDrawn transparent = DrawStyle(kBubblePanelTransparent, false);
    const SRect& t = transparent.layout.rcBubble;
    const QRgb under = background.pixel(t.left + 1, t.top - 1);
    const QRgb mixed = transparent.image.pixel(t.left + 1, t.top - 1);
    EXPECT_NEAR(qRed(mixed), Mix(bubble.red(), qRed(under), 160), 1);
    EXPECT_NEAR(qGreen(mixed), Mix(bubble.green(), qGreen(under), 160), 1);
    EXPECT_NEAR(qBlue(mixed), Mix(bubble.blue(), qBlue(under), 160), 1);

    // Plaque: the four bevels in their shifted colours.
    SDrawn plaque = DrawStyle(kBubblePlaque, false);
    const SPlaqueFrame frame = PlaqueFrame(plaque.layout.rcText, plaque.layout.Mw);
    const int f = frame.f;
    const int cy = (frame.rcOuter.top + frame.rcOuter.bottom) / 2;
    const int cx = (frame.rcOuter.left + frame.rcOuter.right) / 2;
    EXPECT_EQ(plaque.image.pixel(frame.rcOuter.left + f / 2, cy), qRgb(255, 255, 0xC2 + 15));
    EXPECT_EQ(plaque.image.pixel(cx, frame.rcOuter.top + f / 2), qRgb(255, 255, 0xC2 + 30));
    EXPECT_EQ(plaque.image.pixel(frame.rcOuter.right - 1 - f / 2, cy),
              qRgb(255 - 15, 255 - 15, 0xC2 - 15));
    EXPECT_EQ(plaque.image.pixel(cx, frame.rcOuter.bottom - 1 - f / 2),
              qRgb(255 - 30, 255 - 30, 0xC2 - 30));
    EXPECT_EQ(plaque.image.pixel(frame.rcInner.left + 1, frame.rcInner.top + 1), bubble.rgb());
}

TEST_F(BubbleDrawTest, ButtonsAreDrawnAndHit) {
    SDrawn drawn = DrawStyle(kBubbleRound, true);
    const SBubbleNavigation& nav = drawn.layout.navigation;
    ASSERT_TRUE(nav.bShown && nav.bPrevious);
    const QRgb arrow = qRgb(0xFF - 48, 0xFF - 48, 0xC2 - 48);
    auto holdsArrowColour = [&](const SRect& area) {
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                if (drawn.image.pixel(x, y) == arrow) {
                    return true;
                }
            }
        }
        return false;
    };
    EXPECT_TRUE(holdsArrowColour(nav.rcNext));
    EXPECT_TRUE(holdsArrowColour(nav.rcPrevious));

    const int rowY = nav.nRowY;
    EXPECT_EQ(HitTestBubble(drawn.layout, nav.rcNext.left + 1, rowY), EBubbleHit::kNext);
    EXPECT_EQ(HitTestBubble(drawn.layout, nav.rcPrevious.left + 1, rowY), EBubbleHit::kPrevious);
    EXPECT_EQ(HitTestBubble(drawn.layout, drawn.layout.cx, drawn.layout.rcText.top + 1),
              EBubbleHit::kBubble);
    EXPECT_EQ(HitTestBubble(drawn.layout, 0, 0), EBubbleHit::kNone);
}

}  // namespace
