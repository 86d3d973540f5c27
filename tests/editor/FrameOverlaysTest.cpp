// The hotspot as the preview and `quillo frame --overlays` draw it, style by style.
#include <gtest/gtest.h>

#include <QImage>

#include "editor/FrameOverlays.h"
#include "project/model/FrameInfo.h"

namespace {

constexpr QRgb kGrey = 0xFF808080;

QImage Picture() {
    QImage image(100, 80, QImage::Format_RGB32);
    image.fill(kGrey);
    return image;
}

CFrameInfo Hotspot(uint8_t nStyle, SRect rc) {
    CFrameInfo frame;
    frame.m_bHotspot = 1;
    frame.m_nHotspotStyle = nStyle;
    frame.m_rcHotspot = rc;
    frame.m_crHotspot = 0x0000FF;  // red, in the user's colour order
    frame.m_nHotspotThickness = 3;
    frame.m_nHotspotLevel = 50;
    return frame;
}

TEST(FrameOverlays, EachHotspotStyleMarksItsOwnArea) {
    const SRect rc{20, 20, 60, 50};
    const QPoint corner(21, 21);
    const QPoint side(21, 35);
    const QPoint centre(40, 35);
    const QPoint outside(5, 5);
    const struct {
        uint8_t nStyle;
        bool bCorner, bSide, bCentre, bOutside;  // whether the pixel changes
    } cases[] = {
        {kHotspotRipple, true, true, false, false},    {kHotspotOval, false, true, false, false},
        {kHotspotShade, false, false, false, true},    {kHotspotHighlight, true, true, true, false},
        {kHotspotZoomOval, false, true, false, false},
    };
    for (const auto& c : cases) {
        QImage image = Picture();
        DrawHotspot(Hotspot(c.nStyle, rc), image);
        EXPECT_EQ(image.pixel(corner) != kGrey, c.bCorner) << int(c.nStyle);
        EXPECT_EQ(image.pixel(side) != kGrey, c.bSide) << int(c.nStyle);
        EXPECT_EQ(image.pixel(centre) != kGrey, c.bCentre) << int(c.nStyle);
        EXPECT_EQ(image.pixel(outside) != kGrey, c.bOutside) << int(c.nStyle);
    }
    // The outline is in the chosen colour, read the right way round.
    QImage image = Picture();
    DrawHotspot(Hotspot(kHotspotRipple, rc), image);
    EXPECT_EQ(image.pixel(side), 0xFFFF0000u);
}

TEST(FrameOverlays, HotspotsOffThePictureOrSwitchedOffLeaveItAlone) {
    for (const SRect& rc :
         {SRect{-50, -50, -10, -10}, SRect{200, 10, 260, 40}, SRect{30, 30, 30, 30}}) {
        QImage image = Picture();
        DrawHotspot(Hotspot(kHotspotRipple, rc), image);
        EXPECT_EQ(image, Picture());
    }
    // Partly outside: drawn where it lies on the picture.
    QImage image = Picture();
    DrawHotspot(Hotspot(kHotspotRipple, {-20, 10, 30, 40}), image);
    EXPECT_NE(image.pixel(28, 20), kGrey);
    CFrameInfo off = Hotspot(kHotspotShade, {10, 10, 40, 40});
    off.m_bHotspot = 0;
    image = Picture();
    DrawHotspot(off, image);
    EXPECT_EQ(image, Picture());
}

}  // namespace
