#include <gtest/gtest.h>

#include <memory>

#include "swf/SwfAction.h"
#include "swf/SwfMovie.h"
#include "swf/SwfSpriteObject.h"
#include "tests/swf/StubObject.h"
#include "tests/swf/TagBytes.h"

namespace {

class SpriteTest : public ::testing::Test {
protected:
};

TEST_F(SpriteTest, ThreeFramesGiveFrameCountThreeAndThreeShowFrames) {
    CSwfMovie movie;
    auto timeline = movie.NewTimeline();
    timeline->GetFrame(2).AddAction(CSwfAction::Stop());
    CSwfSpriteObject sprite(std::move(timeline), CSwfString("spr"));
    CSwfFrame& frame = movie.GetFrame(0);
    frame.AddObject(sprite);

    ASSERT_EQ(frame.Tags().Size(), 2u);
    const Bytes record = TagRecord(frame.Tags()[0]);
    EXPECT_EQ(TagCode(record), 39);
    // Id 1, 3 frames; ShowFrame, ShowFrame, DoAction(Stop), ShowFrame, End.
    EXPECT_EQ(TagBody(frame.Tags()[0]),
              B({1, 0, 3, 0, 0x40, 0x00, 0x40, 0x00, 0x02, 0x03, 0x07, 0x00, 0x40, 0x00, 0, 0}));
    // PlaceObject2 with a name: flags hasName | hasCharacter, depth, id, "spr".
    EXPECT_EQ(TagBody(frame.Tags()[1]), B({0x22, 1, 0, 1, 0, "spr", 0}));
}

TEST_F(SpriteTest, DefinitionsInsideTheTimelineMoveAheadOfTheSprite) {
    CStubObject shape;
    CSwfMovie movie;
    auto timeline = movie.NewTimeline();
    timeline->GetFrame(0).AddObject(shape);
    timeline->GetFrame(1).RemoveObject(shape);
    CSwfSpriteObject sprite(std::move(timeline));
    CSwfFrame& frame = movie.GetFrame(0);
    frame.AddObject(sprite);
    // The sprite is defined once.
    movie.GetFrame(1).AddObject(sprite);

    ASSERT_EQ(frame.Tags().Size(), 3u);
    EXPECT_EQ(TagCode(TagRecord(frame.Tags()[0])), 32);
    // Id 2, 2 frames: PlaceObject2 of character 1 at depth 0, ShowFrame, RemoveObject, ShowFrame.
    EXPECT_EQ(TagBody(frame.Tags()[1]),
              B({2,    0,    2,    0, 0x85, 0x06, 0x02, 0x00, 0x00, 1, 0, 0x40,
                 0x00, 0x44, 0x01, 1, 0,    0,    0,    0x40, 0x00, 0, 0}));
    EXPECT_EQ(TagCode(TagRecord(frame.Tags()[2])), 26);
    EXPECT_EQ(movie.GetFrame(1).Tags().Size(), 1u);
    EXPECT_EQ(shape.m_nDefinitions, 1);
}

TEST_F(SpriteTest, TransformFollowsTheShapeRules) {
    CSwfSpriteObject sprite(std::make_unique<CSwfMovie>());
    EXPECT_FALSE(sprite.HasMatrix());
    sprite.SetTranslate(200, -40);
    ASSERT_TRUE(sprite.HasMatrix());
    CSwfMatrix m = sprite.GetMatrix();
    EXPECT_EQ(m.m_nScaleX, 0x10000);
    EXPECT_EQ(m.m_nRotateSkew0, 0);
    EXPECT_EQ(m.m_nTranslateX, 200);
    EXPECT_EQ(m.m_nTranslateY, -40);

    // A quarter turn about the centre (100, 100) of the bounds keeps the centre in place.
    sprite.SetTranslate(0, 0);
    sprite.SetBounds(CSwfRect(0, 0, 200, 200));
    sprite.SetRotation(90 << 16);
    m = sprite.GetMatrix();
    EXPECT_EQ(m.m_nScaleX, 0);
    EXPECT_EQ(m.m_nRotateSkew0, 0x10000);
    EXPECT_EQ(m.m_nRotateSkew1, -0x10000);
    EXPECT_EQ(m.m_nTranslateX, 200);
    EXPECT_EQ(m.m_nTranslateY, 0);
}

}  // namespace
