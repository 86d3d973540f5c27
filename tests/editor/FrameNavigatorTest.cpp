// The edit history's order and renumbering, its descriptions, and the frame position display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/FrameNavigator.h"

namespace {

std::vector<int32_t> Frames(const CFrameNavigator& navigator) {
    std::vector<int32_t> frames;
    for (const SEditHistoryEntry& entry : navigator.History()) {
        if (entry.nFrame != -1) {
            frames.push_back(entry.nFrame);
        }
    }
    return frames;
}

struct SHistoryCase {
    const char* name;
    std::vector<int32_t> edits;
    std::vector<int32_t> expected;  // most recent first
};

TEST(FrameNavigator, EditHistoryKeepsEachFrameOnceMostRecentFirst) {
    const SHistoryCase cases[] = {
        {"repeated frame moves to the front", {5, 7, 5}, {5, 7}},
        {"same frame twice is one entry", {3, 3}, {3}},
        {"oldest falls off past eight", {1, 2, 3, 4, 5, 6, 7, 8, 9}, {9, 8, 7, 6, 5, 4, 3, 2}},
        {"a repeat in a full list drops nothing",
         {1, 2, 3, 4, 5, 6, 7, 8, 1},
         {1, 8, 7, 6, 5, 4, 3, 2}},
        {"the last entry repeated", {1, 2, 3, 4, 5, 6, 7, 8, 8}, {8, 7, 6, 5, 4, 3, 2, 1}},
    };
    for (const SHistoryCase& c : cases) {
        CFrameNavigator navigator;
        for (int32_t n : c.edits) {
            navigator.RecordEdit(n, u"");
        }
        EXPECT_EQ(Frames(navigator), c.expected) << c.name;
    }
}

TEST(FrameNavigator, InsertingAFrameRenumbersLaterEntriesOnly) {
    CFrameNavigator navigator;
    for (int32_t n : {9, 4, 3, 2}) {
        navigator.RecordEdit(n, u"");
    }
    // A duplicate of frame 3 lands at position 4.
    navigator.RenumberAfterInsert(4);
    EXPECT_EQ(Frames(navigator), (std::vector<int32_t>{2, 3, 5, 10}));
}

TEST(FrameNavigator, DescriptionIsThirtyCharactersWithControlsAsSpaces) {
    CFrameNavigator navigator;
    navigator.RecordEdit(1, u"0123456789012345678901234567890123456789");
    navigator.RecordEdit(2, u"one\r\ntwo");
    navigator.RecordEdit(3, u"");
    EXPECT_EQ(navigator.History()[2].description, "012345678901234567890123456789");
    EXPECT_EQ(navigator.History()[1].description, "one  two");
    EXPECT_EQ(navigator.History()[0].description, "");
    // A character that 8-bit text cannot hold does not end or shorten the description.
    EXPECT_EQ(EditDescription(u"a\u20ACb"), "a?b");
}

TEST(FrameNavigator, PositionTextTakesTheFormOfItsLength) {
    const struct {
        int32_t nFrame;
        int32_t nTime;
        const char* expected;
    } cases[] = {
        {1, 0, "Frame # 1   0.00 sec"},
        {7, 5999, "Frame # 7   59.99 sec"},
        {8, 6000, "Frame # 8   1 min  :  0.00 sec"},
        {9, 359999, "Frame # 9   59 min  :  59.99 sec"},
        {10, 360000, "Frame # 10   1 hr  :  0 min  :  0.00 sec"},
        {11, 366105, "Frame # 11   1 hr  :  1 min  :  1.05 sec"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FramePositionText(c.nFrame, c.nTime), c.expected) << c.nTime;
    }
}

}  // namespace
