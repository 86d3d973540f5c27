#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "swf/SwfBitWriter.h"
#include "swf/SwfDefineShape.h"
#include "swf/SwfMovie.h"
#include "swf/SwfPlaceObject.h"
#include "swf/SwfShapeObject.h"
#include "swf/SwfTagList.h"
#include "tests/swf/SwfTestSupport.h"

namespace {

using E = SDecodedEdge;

E Curve(int32_t cx, int32_t cy, int32_t ax, int32_t ay) {
    return {'C', cx, cy, ax, ay};
}

// Stands in for a bitmap tag of the bitmap layer.
class CFakeBitmap : public CSwfCharacterTag {
public:
    void Write(CSwfBitWriter& writer) override { WriteTagHeader(writer, 21, 0); }
};

class SwfShapeTest : public ::testing::Test {
protected:
    // Adds the object to a fresh frame and decodes the DefineShape3 it emitted (the last one).
    SDecodedShape Define(CSwfShapeObject& shape) {
        CSwfFrame& frame = m_movie.GetFrame(m_nFrame++);
        frame.AddObject(shape);
        SDecodedShape decoded;
        for (size_t i = 0; i < frame.Tags().Size(); ++i) {
            if (dynamic_cast<CSwfDefineShape*>(&frame.Tags()[i]) != nullptr) {
                decoded = DecodeShape(TagBytes(frame.Tags()[i]));
                EXPECT_TRUE(decoded.ok) << "the record decodes to exactly its length";
                EXPECT_EQ(decoded.code, 32);
            }
        }
        return decoded;
    }

    CSwfMovie m_movie;
    uint32_t m_nFrame = 0;
};

TEST_F(SwfShapeTest, DefaultRectangleIsByteExact) {
    CSwfRectangle rect(0, 0, 100, 50);
    CSwfFrame& frame = m_movie.GetFrame(0);
    frame.AddObject(rect);
    ASSERT_EQ(frame.Tags().Size(), 2u) << "the definition, then the placement";
    std::vector<uint8_t> body = Hex("01 00");
    auto add = [&body](const std::vector<uint8_t>& bytes) {
        body.insert(body.end(), bytes.begin(), bytes.end());
    };
    add(Bits("01000 00000000 01100100 00000000 00110010"));
    add(Hex("01 00 FFFFFFFF  01 1400 000000FF"));
    add(
        Bits("0001 0001"
             "0 0 1 1 0 1 00001 0 0 1 1"
             "11 0110 0 0 01100101"
             "11 0101 0 1 0110011"
             "11 0110 0 0 10011011"
             "11 0101 0 1 1001101"
             "000000"));
    std::vector<uint8_t> expected = {static_cast<uint8_t>(body.size()), 0x08};
    expected.insert(expected.end(), body.begin(), body.end());
    EXPECT_EQ(ToHex(TagBytes(frame.Tags()[0])), ToHex(expected));
    EXPECT_EQ(rect.CharacterId(), 1);
}

TEST_F(SwfShapeTest, GeometriesGiveTheirOutlines) {
    struct SCase {
        const char* name;
        std::function<std::unique_ptr<CSwfShapeObject>()> make;
        int32_t moveX, moveY;
        std::vector<E> edges;
        std::array<int32_t, 4> bounds;  // xMin, yMin, xMax, yMax
    };
    const std::vector<SCase> cases = {
        {"rectangle",
         [] { return std::make_unique<CSwfRectangle>(10, 20, 110, 70); },
         10,
         20,
         {{'H', 101, 0}, {'V', 0, 51}, {'H', -101, 0}, {'V', 0, -51}},
         {10, 20, 110, 70}},
        {"round rectangle",
         [] { return std::make_unique<CSwfRoundRect>(0, 0, 100, 50, 10); },
         10,
         0,
         {{'H', 81, 0},
          Curve(10, 0, 0, 10),
          {'V', 0, 31},
          Curve(0, 10, -10, 0),
          {'H', -81, 0},
          Curve(-10, 0, 0, -10),
          {'V', 0, -31},
          Curve(0, -10, 10, 0)},
         {0, 0, 100, 50}},
        {"round rectangle with a radius beyond half its size",
         [] { return std::make_unique<CSwfRoundRect>(0, 0, 40, 40, 500); },
         20,
         0,
         {{'H', 1, 0},
          Curve(20, 0, 0, 20),
          {'V', 0, 1},
          Curve(0, 20, -20, 0),
          {'H', -1, 0},
          Curve(-20, 0, 0, -20),
          {'V', 0, -1},
          Curve(0, -20, 20, 0)},
         {0, 0, 40, 40}},
        {"round rectangle of radius 0 has no empty curves",
         [] { return std::make_unique<CSwfRoundRect>(0, 0, 30, 20, 0); },
         0,
         0,
         {{'H', 31, 0}, {'V', 0, 21}, {'H', -31, 0}, {'V', 0, -21}},
         {0, 0, 30, 20}},
        {"ellipse",
         [] { return std::make_unique<CSwfEllipse>(0, 0, 100, 50); },
         50,
         0,
         {Curve(-50, 0, 0, 25), Curve(0, 25, 50, 0), Curve(50, 0, 0, -25), Curve(0, -25, -50, 0)},
         {0, 0, 100, 50}},
        {"circle",
         [] { return std::make_unique<CSwfEllipse>(100, 200, 30); },
         100,
         170,
         {Curve(-30, 0, 0, 30), Curve(0, 30, 30, 0), Curve(30, 0, 0, -30), Curve(0, -30, -30, 0)},
         {70, 170, 130, 230}},
        {"ellipse of size 0 draws nothing",
         [] { return std::make_unique<CSwfEllipse>(5, 5, 5, 5); },
         5,
         5,
         {},
         {5, 5, 5, 5}},
        {"open polygon is closed",
         [] {
             const std::array<SSwfPoint, 3> p = {SSwfPoint{0, 0}, {100, 0}, {50, 80}};
             return std::make_unique<CSwfPath>(p);
         },
         0,
         0,
         {{'H', 100, 0}, {'L', -50, 80}, {'L', -50, -80}},
         {0, 0, 100, 80}},
        {"closed polygon keeps its own closing side",
         [] {
             const std::array<SSwfPoint, 4> p = {SSwfPoint{0, 0}, {100, 0}, {50, 80}, {0, 0}};
             return std::make_unique<CSwfPath>(p);
         },
         0,
         0,
         {{'H', 100, 0}, {'L', -50, 80}, {'L', -50, -80}},
         {0, 0, 100, 80}},
        {"path: equal points leave no edge, control points stay out of the bounds",
         [] {
             auto path = std::make_unique<CSwfPath>(-10, 5);
             path->LineTo(0, 0);
             path->LineTo(0, 40);
             path->CurveTo(300, 0, -280, 20);
             path->LineTo(-20, -60);
             return path;
         },
         -10,
         5,
         {{'V', 0, 40}, Curve(300, 0, -280, 20), {'L', -20, -60}},
         {-10, 5, 10, 65}},
    };
    for (const SCase& c : cases) {
        auto shape = c.make();
        const SDecodedShape s = Define(*shape);
        EXPECT_EQ(s.styleChanges, 1) << c.name;
        EXPECT_EQ(s.moveX, c.moveX) << c.name;
        EXPECT_EQ(s.moveY, c.moveY) << c.name;
        EXPECT_EQ(s.edges, c.edges) << c.name;
        EXPECT_EQ((std::array<int32_t, 4>{s.xMin, s.yMin, s.xMax, s.yMax}), c.bounds) << c.name;
        EXPECT_EQ(s.fill0, 0u) << c.name;
        EXPECT_EQ(s.fill1, 1u) << c.name;
        EXPECT_EQ(s.line, 1u) << c.name;
    }
}

TEST_F(SwfShapeTest, FillsAndOutlines) {
    CSwfRectangle noLine(0, 0, 99, 49);
    noLine.SetLineWidth(0);
    noLine.SetFillColor(CSwfColor(1, 2, 3, 4));
    SDecodedShape s = Define(noLine);
    ASSERT_EQ(s.fills.size(), 1u);
    EXPECT_EQ(s.fills[0].rgba, 0x01020304u);
    EXPECT_TRUE(s.lines.empty());
    EXPECT_EQ(s.lineBits, 0);
    EXPECT_EQ(s.line, 0u) << "the line index takes no bits";

    CSwfEllipse outline(0, 0, 99, 49);
    outline.SetFillKind(kSwfFillNone);
    outline.SetLineWidth(60);
    outline.SetLineColor(CSwfColor(9, 8, 7, 6));
    s = Define(outline);
    EXPECT_TRUE(s.fills.empty());
    EXPECT_EQ(s.fillBits, 0);
    EXPECT_EQ(s.fill1, 0u);
    ASSERT_EQ(s.lines.size(), 1u);
    EXPECT_EQ(s.lines[0], (std::pair<uint16_t, uint32_t>{60, 0x09080706u}));

    CSwfRectangle linear(100, 200, 299, 249);
    linear.SetLinearGradient(CSwfColor(255, 0, 0), CSwfColor(0, 0, 255, 128));
    s = Define(linear);
    ASSERT_EQ(s.fills.size(), 1u);
    EXPECT_EQ(s.fills[0].type, 0x10);
    EXPECT_TRUE(s.fills[0].matrix.hasScale);
    EXPECT_EQ(s.fills[0].matrix.scaleX, 200);
    EXPECT_EQ(s.fills[0].matrix.scaleY, 50);
    EXPECT_FALSE(s.fills[0].matrix.hasRotate);
    EXPECT_EQ(s.fills[0].matrix.translateX, 199);
    EXPECT_EQ(s.fills[0].matrix.translateY, 224);
    EXPECT_EQ(s.fills[0].gradient,
              (std::vector<std::pair<uint8_t, uint32_t>>{{0, 0xFF0000FFu}, {255, 0x0000FF80u}}));

    CSwfEllipse radial(0, 0, 299, 399);
    radial.SetRadialGradient(CSwfColor(0, 0, 0, 255), CSwfColor(255, 255, 255, 255));
    s = Define(radial);
    ASSERT_EQ(s.fills.size(), 1u);
    EXPECT_EQ(s.fills[0].type, 0x12);
    EXPECT_EQ(s.fills[0].matrix.scaleX, 1000) << "2 x the diagonal of 300 x 400";
    EXPECT_EQ(s.fills[0].matrix.scaleY, 1000);
    EXPECT_EQ(s.fills[0].matrix.translateX, 149);
    EXPECT_EQ(s.fills[0].matrix.translateY, 199);
}

TEST_F(SwfShapeTest, BitmapFillIsEmittedOnceBeforeItsShapes) {
    CSwfRectangle picture(20, 40, 20 + 5 * 20 - 1, 40 + 4 * 20 - 1);
    picture.SetBitmapFill(std::make_unique<CFakeBitmap>(), 5, 4);
    CSwfFrame& frame = m_movie.GetFrame(0);
    frame.AddObject(picture);
    ASSERT_EQ(frame.Tags().Size(), 3u);
    const auto* bitmap = dynamic_cast<CFakeBitmap*>(&frame.Tags()[0]);
    ASSERT_NE(bitmap, nullptr);
    const uint16_t bitmapId = bitmap->GetCharacterId();
    EXPECT_EQ(picture.BitmapId(), bitmapId);
    EXPECT_NE(bitmapId, picture.CharacterId());
    const SDecodedShape s = DecodeShape(TagBytes(frame.Tags()[1]));
    ASSERT_TRUE(s.ok);
    ASSERT_EQ(s.fills.size(), 1u);
    EXPECT_EQ(s.fills[0].type, 0x41);
    EXPECT_EQ(s.fills[0].bitmapId, bitmapId);
    EXPECT_EQ(s.fills[0].matrix.scaleX, 20 * 65536) << "one bitmap pixel per 20 units";
    EXPECT_EQ(s.fills[0].matrix.scaleY, 20 * 65536);
    EXPECT_EQ(s.fills[0].matrix.translateX, 20);
    EXPECT_EQ(s.fills[0].matrix.translateY, 40);

    // A redefinition keeps the fill and refers to the bitmap already in the movie.
    picture.SetLineWidth(0);
    CSwfFrame& next = m_movie.GetFrame(1);
    next.AddObject(picture);
    ASSERT_EQ(next.Tags().Size(), 2u);
    const SDecodedShape again = DecodeShape(TagBytes(next.Tags()[0]));
    ASSERT_EQ(again.fills.size(), 1u);
    EXPECT_EQ(again.fills[0].bitmapId, bitmapId);

    CSwfEllipse shared(0, 0, 99, 99);
    shared.SetSharedBitmapFill(picture, 10, 10);
    CSwfFrame& third = m_movie.GetFrame(2);
    third.AddObject(shared);
    EXPECT_EQ(third.Tags().Size(), 2u) << "a shared bitmap is not emitted again";
    EXPECT_EQ(DecodeShape(TagBytes(third.Tags()[0])).fills.at(0).bitmapId, bitmapId);
}

TEST_F(SwfShapeTest, StyleSettersMakeTheNextAdditionDefineAgain) {
    CSwfRectangle rect(0, 0, 99, 99);
    rect.SetRadialGradient(CSwfColor(1, 1, 1, 255), CSwfColor(2, 2, 2, 255));
    Define(rect);
    const int32_t first = rect.CharacterId();

    CSwfFrame& same = m_movie.GetFrame(m_nFrame++);
    same.AddObject(rect);
    ASSERT_EQ(same.Tags().Size(), 1u) << "no new definition without a style change";
    EXPECT_EQ(dynamic_cast<CSwfPlaceObject2&>(same.Tags()[0]).m_nCharacterId, first);

    rect.SetLineColor(CSwfColor(0, 0, 255, 255));
    const SDecodedShape s = Define(rect);
    EXPECT_NE(rect.CharacterId(), first);
    EXPECT_EQ(s.id, rect.CharacterId());
    ASSERT_EQ(s.fills.size(), 1u);
    EXPECT_EQ(s.fills[0].type, 0x12) << "the gradient survives the redefinition";
    EXPECT_EQ(s.fills[0].gradient.size(), 2u);
}

TEST_F(SwfShapeTest, StyleArraysOf255OrMoreUseTheExtendedCount) {
    CSwfShapeWithStyle shape;
    for (int i = 0; i < 300; ++i) {
        shape.AddFillStyle(std::make_unique<CSwfSolidFillStyle>(CSwfColor(1, 2, 3, 4)));
    }
    for (int i = 0; i < 254; ++i) {
        shape.AddLineStyle(std::make_unique<CSwfLineStyle>(20, CSwfColor(0, 0, 0, 255)));
    }
    shape.FinishStyles();
    EXPECT_EQ(shape.FillBits(), 9);
    EXPECT_EQ(shape.LineBits(), 8);
    CSwfBitWriter w;
    shape.Write(w);
    const std::vector<uint8_t> bytes = w.ToBytes();
    ASSERT_EQ(bytes.size(), 3 + 300 * 5 + 1 + 254 * 6 + 1u);
    EXPECT_EQ(ToHex({bytes.begin(), bytes.begin() + 4}), ToHex(Hex("FF 2C 01 00")));
    EXPECT_EQ(bytes[3 + 300 * 5], 254);
}

TEST_F(SwfShapeTest, TransformMatrix) {
    struct SCase {
        const char* name;
        int32_t tx, ty, rotation, sx, sy;
        bool hasMatrix;
        SDecodedMatrix expected;
    };
    const std::vector<SCase> cases = {
        {"identity", 0, 0, 0, 0x10000, 0x10000, false, {}},
        {"translation",
         30,
         -40,
         0,
         0x10000,
         0x10000,
         true,
         {true, 65536, 65536, true, 0, 0, 30, -40}},
        {"double size about the origin",
         0,
         0,
         0,
         0x20000,
         0x20000,
         true,
         {true, 131072, 131072, true, 0, 0, 0, 0}},
        {"quarter turn about the centre (50, 25)",
         0,
         0,
         90 << 16,
         0x10000,
         0x10000,
         true,
         {true, 0, 0, true, 65536, -65536, 75, -25}},
        {"eighth turn",
         0,
         0,
         45 << 16,
         0x10000,
         0x10000,
         true,
         {true, 46340, 46340, true, 46340, -46340, 32, -28}},
    };
    for (const SCase& c : cases) {
        CSwfRectangle rect(0, 0, 100, 50);
        rect.SetTranslate(c.tx, c.ty);
        rect.SetRotation(c.rotation);
        rect.SetScale(c.sx, c.sy);
        EXPECT_EQ(rect.HasMatrix(), c.hasMatrix) << c.name;
        if (!c.hasMatrix) {
            continue;
        }
        const CSwfMatrix m = rect.GetMatrix();
        CSwfBitWriter w;
        m.Write(w);
        CBitReader r(w.Bytes());
        SDecodedMatrix d;
        d.hasScale = r.U(1) != 0;
        int n = static_cast<int>(r.U(5));
        d.scaleX = r.S(n);
        d.scaleY = r.S(n);
        d.hasRotate = r.U(1) != 0;
        n = static_cast<int>(r.U(5));
        d.rotate0 = r.S(n);
        d.rotate1 = r.S(n);
        n = static_cast<int>(r.U(5));
        d.translateX = r.S(n);
        d.translateY = r.S(n);
        EXPECT_EQ(d.scaleX, c.expected.scaleX) << c.name;
        EXPECT_EQ(d.scaleY, c.expected.scaleY) << c.name;
        EXPECT_EQ(d.rotate0, c.expected.rotate0) << c.name;
        EXPECT_EQ(d.rotate1, c.expected.rotate1) << c.name;
        EXPECT_EQ(d.translateX, c.expected.translateX) << c.name;
        EXPECT_EQ(d.translateY, c.expected.translateY) << c.name;
    }
}

// An edge record holds deltas of 17 bits at most: longer edges and curves go out in pieces that
// still close the outline exactly.
TEST_F(SwfShapeTest, EdgesBeyondTheRecordRangeAreSplit) {
    CSwfRectangle tall(0, 0, 999, 200000);
    CSwfPath path(0, 0);
    path.LineTo(70000, -140001);
    path.CurveTo(100000, 0, 3, 90000);
    path.LineTo(-170003, 50001);
    for (CSwfShapeObject* shape :
         {static_cast<CSwfShapeObject*>(&tall), static_cast<CSwfShapeObject*>(&path)}) {
        const SDecodedShape decoded = Define(*shape);
        ASSERT_TRUE(decoded.ok);
        int64_t x = 0, y = 0;
        size_t curves = 0;
        for (const E& edge : decoded.edges) {
            for (const int32_t d : {edge.dx, edge.dy, edge.ax, edge.ay}) {
                EXPECT_LE(std::abs(d), 65535);
            }
            x += edge.dx + edge.ax;
            y += edge.dy + edge.ay;
            curves += edge.kind == 'C' ? 1 : 0;
        }
        EXPECT_EQ(x, 0);
        EXPECT_EQ(y, 0);
        EXPECT_GT(decoded.edges.size(), 4u);
        if (shape == &path) {
            EXPECT_GE(curves, 2u);
        }
    }
}

}  // namespace
