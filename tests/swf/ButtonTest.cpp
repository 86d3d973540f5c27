#include <gtest/gtest.h>

#include <memory>

#include "swf/SwfAction.h"
#include "swf/SwfButton.h"
#include "swf/SwfMovie.h"
#include "swf/SwfPlaceObject.h"
#include "swf/SwfSpriteObject.h"
#include "tests/swf/StubObject.h"
#include "tests/swf/TagBytes.h"

namespace {

class ButtonTest : public ::testing::Test {
protected:
    // The definition tags a button adds to an empty frame of a fresh movie.
    size_t CountTags(CSwfTagList& tags, uint16_t code) {
        size_t n = 0;
        for (size_t i = 0; i < tags.Size(); ++i) {
            n += TagCode(TagRecord(tags[i])) == code;
        }
        return n;
    }

    CStubObject m_up, m_over, m_down, m_hit;
};

// Four records: flags (up, over, down, hit), the state's id, depth 1, empty matrix, empty
// colour transform.
Bytes StateRecords(uint16_t up, uint16_t over, uint16_t down, uint16_t hit) {
    return B({0x01, up, 0, 1, 0,    0x00, 0x04, 0x02, over, 0, 1, 0,    0x00, 0x04, 0x04,
              down, 0,  1, 0, 0x00, 0x04, 0x08, hit,  0,    1, 0, 0x00, 0x04, 0x00});
}

TEST_F(ButtonTest, OneReleaseListIsTheLastListWithSizeZero) {
    CSwfButton button(m_up, m_over, m_down, m_hit);
    button.AddAction(CSwfAction::Stop(), kCondOverDownToOverUp);
    CSwfMovie movie;
    CSwfFrame& frame = movie.GetFrame(0);
    button.AddToFrame(frame.Tags(), movie);

    // Four state definitions (ids 1 to 4), the button (id 5), its placement.
    ASSERT_EQ(frame.Tags().Size(), 6u);
    EXPECT_EQ(
        m_up.m_nDefinitions + m_over.m_nDefinitions + m_down.m_nDefinitions + m_hit.m_nDefinitions,
        4);
    const Bytes record = TagRecord(frame.Tags()[4]);
    EXPECT_EQ(TagCode(record), 34);
    const Bytes expected =
        Cat(Cat(B({5, 0, 0, 31, 0}), StateRecords(1, 2, 3, 4)), B({0, 0, 0x08, 0x00, 0x07, 0}));
    EXPECT_EQ(TagBody(frame.Tags()[4]), expected);
    EXPECT_EQ(button.CharacterId(), 5);
}

TEST_F(ButtonTest, ListsBeforeTheLastCarryTheirSize) {
    CSwfButton button(m_up, m_up, m_up, m_hit);
    button.AddAction(CSwfAction::SetVariable("v", 7), kCondOverDownToOverUp);
    button.AddRecord(std::make_unique<CSwfActionSimple>(kActionPlay), kCondOverDownToOverUp);
    EXPECT_EQ(button.NextCondition(), 1);
    button.AddAction(CSwfAction::Play(), 0, 13);
    button.AddAction(CSwfAction::Stop(), kCondOverUpToIdle);
    CSwfMovie movie;
    CSwfFrame& frame = movie.GetFrame(0);
    button.AddToFrame(frame.Tags(), movie);

    // A state used twice is defined once.
    ASSERT_EQ(frame.Tags().Size(), 4u);
    const Bytes actions = B({0x96, 3, 0, 0, "v", 0, 0x96, 3, 0, 0, "7", 0, 0x1D, 0x06});
    const Bytes expected = Cat(Cat(Cat(B({3, 0, 0, 31, 0}), StateRecords(1, 1, 1, 2)),
                                   Cat(B({uint8_t(5 + actions.size()), 0, 0x08, 0x00}), actions)),
                               B({0, 0, 0, 0x02, 0x1A, 0x06, 0x07, 0}));
    EXPECT_EQ(TagBody(frame.Tags()[2]), expected);
}

TEST_F(ButtonTest, NextConditionStopsAtTheLastSlot) {
    CSwfButton button(m_up, m_over, m_down, m_hit);
    for (int i = 0; i < 10; ++i) {
        button.NextCondition();
    }
    EXPECT_EQ(button.NextCondition(), 7);
}

TEST_F(ButtonTest, AButtonWithoutActionsHasNoActionOffset) {
    CSwfButton button(m_up, m_over, m_down, m_hit);
    CSwfMovie movie;
    CSwfFrame& frame = movie.GetFrame(0);
    button.AddToFrame(frame.Tags(), movie);
    EXPECT_EQ(TagBody(frame.Tags()[4]), Cat(B({5, 0, 0, 0, 0}), StateRecords(1, 2, 3, 4)));
}

TEST_F(ButtonTest, PlacedAgainInTheSameTimelineIsNotDefinedAgain) {
    CSwfButton button(m_up, m_over, m_down, m_hit);
    button.AddAction(CSwfAction::Play(), kCondOverDownToOverUp);
    CSwfMovie movie;
    button.AddToFrame(movie.GetFrame(0).Tags(), movie);
    button.RemoveFromFrame(movie.GetFrame(2).Tags(), movie);
    button.AddToFrame(movie.GetFrame(4).Tags(), movie);
    EXPECT_EQ(CountTags(movie.GetFrame(0).Tags(), 34), 1u);
    EXPECT_EQ(movie.GetFrame(4).Tags().Size(), 1u);
    EXPECT_EQ(CountTags(movie.GetFrame(4).Tags(), 26), 1u);

    // Another timeline gets its own definition with the same actions.
    auto other = movie.NewTimeline();
    button.AddToFrame(other->GetFrame(0).Tags(), *other);
    ASSERT_EQ(CountTags(other->GetFrame(0).Tags(), 34), 1u);
    EXPECT_EQ(button.CharacterId(), 6);
    const Bytes first = TagBody(movie.GetFrame(0).Tags()[4]);
    const Bytes second = TagBody(other->GetFrame(0).Tags()[0]);
    EXPECT_EQ(Bytes(first.begin() + 2, first.end()), Bytes(second.begin() + 2, second.end()));
}

TEST_F(ButtonTest, DefineOnlyButtonEmitsNoPlacement) {
    CSwfButton button(m_up, m_over, m_down, m_hit);
    button.SetDefineOnly(true);
    CSwfMovie movie;
    button.AddToFrame(movie.GetFrame(0).Tags(), movie);
    EXPECT_EQ(CountTags(movie.GetFrame(0).Tags(), 26), 0u);
    // The states keep their own define-only setting.
    EXPECT_FALSE(m_up.IsDefineOnly());
}

}  // namespace
