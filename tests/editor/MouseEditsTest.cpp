// The mouse menu: click effects keep the recorded ones for "Restore", and only real changes
// count as modifications.
#include <gtest/gtest.h>

#include "editor/MouseEdits.h"

namespace {

CFrameRecord Recorded() {
    CFrameRecord f;
    f.m_bClickDown = 1;
    f.m_bShowMouse = 1;
    f.m_nCursorX = f.m_nRecCursorX = 100;
    f.m_nCursorY = f.m_nRecCursorY = 80;
    return f;
}

TEST(MouseEdits, ClickEffectsAndHidingAreRestoredAsRecorded) {
    CFrameRecord f = Recorded();
    EXPECT_FALSE(ApplyMouseCommand(f, EMouseCommand::kDownClick)) << "already a down click";
    EXPECT_TRUE(ApplyMouseCommand(f, EMouseCommand::kUpClick));
    EXPECT_EQ(f.m_bClickDown, 0);
    EXPECT_EQ(f.m_bClickUp, 1);
    EXPECT_TRUE(ApplyMouseCommand(f, EMouseCommand::kNone));
    EXPECT_EQ(f.m_bClickUp, 0);
    EXPECT_TRUE(ApplyMouseCommand(f, EMouseCommand::kHide));
    EXPECT_EQ(f.m_bMouseHidden, 1);
    EXPECT_EQ(f.m_bShowMouse, 0);
    f.m_nCursorX = 140;  // moved by the user
    EXPECT_TRUE(ApplyMouseCommand(f, EMouseCommand::kRestore));
    EXPECT_EQ(f.m_bClickDown, 1);
    EXPECT_EQ(f.m_bClickUp, 0);
    EXPECT_EQ(f.m_bClickEdited, 0);
    EXPECT_EQ(f.m_bMouseHidden, 0);
    EXPECT_EQ(f.m_bShowMouse, 1);
    EXPECT_EQ(f.m_nCursorX, 100);
    // Nothing left to restore.
    EXPECT_FALSE(ApplyMouseCommand(f, EMouseCommand::kRestore));
    // Hide is a switch.
    EXPECT_TRUE(ApplyMouseCommand(f, EMouseCommand::kHide));
    EXPECT_TRUE(ApplyMouseCommand(f, EMouseCommand::kHide));
    EXPECT_EQ(f.m_bMouseHidden, 0);
}

TEST(MouseEdits, RestoreLeavesAnUnknownRecordedCursorWhereItIs) {
    CFrameRecord f = Recorded();
    f.m_nRecCursorX = f.m_nRecCursorY = kCursorUnknown;
    f.m_nCursorX = 30;
    EXPECT_FALSE(ApplyMouseCommand(f, EMouseCommand::kRestore));
    EXPECT_EQ(f.m_nCursorX, 30);
}

}  // namespace
