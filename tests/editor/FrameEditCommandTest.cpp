// The history of frame edits: undo and redo put records back, typing merges within one frame.
#include <gtest/gtest.h>

#include <QUndoStack>

#include "editor/FrameEditCommand.h"

namespace {

void SetText(QUndoStack& stack, CFrameInfo& frame, std::u16string text, int& shown) {
    const CFrameRecord before = frame;
    frame.m_pText = std::move(text);
    stack.push(new CFrameEditCommand(
        "Text", frame, before, [&shown](CFrameInfo&) { ++shown; }, 1));
}

TEST(FrameEditCommand, UndoAndRedoRestoreTheRecordsAndTypingIsOneStepPerFrame) {
    QUndoStack stack;
    CFrameInfo a;
    CFrameInfo b;
    int shown = 0;
    SetText(stack, a, u"H", shown);
    SetText(stack, a, u"Hi", shown);
    SetText(stack, b, u"Other", shown);
    const CFrameRecord beforeMove = a;
    a.m_nBubbleX = 90;
    stack.push(new CFrameEditCommand("Move", a, beforeMove, [&shown](CFrameInfo&) { ++shown; }));
    // Pushing does not apply the edit a second time.
    EXPECT_EQ(shown, 0);
    ASSERT_EQ(stack.count(), 3);

    stack.undo();
    EXPECT_EQ(a.m_nBubbleX, 0);
    EXPECT_EQ(a.m_pText, u"Hi");
    stack.undo();
    EXPECT_FALSE(b.m_pText.has_value());
    stack.undo();
    EXPECT_FALSE(a.m_pText.has_value());
    EXPECT_EQ(shown, 3);
    stack.redo();
    EXPECT_EQ(a.m_pText, u"Hi");
    stack.redo();
    stack.redo();
    EXPECT_EQ(a.m_nBubbleX, 90);
    EXPECT_EQ(b.m_pText, u"Other");
}

}  // namespace
