// Projects with talk bubbles for the bubble tests, and the picture they are drawn over.
#pragma once

#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "editor/bubble/BubbleGui.h"
#include "editor/bubble/BubbleLayout.h"
#include "project/model/DemoProject.h"
#include "project/model/TalkBubble.h"

inline constexpr int32_t kTestWidth = 320;
inline constexpr int32_t kTestHeight = 200;

inline CLogFont TestFont(const std::string& face = "Arial", int32_t nHeight = -16,
                         int32_t nWeight = 400) {
    CLogFont font = CLogFont::Default();
    font.SetFaceName(face);
    font.m_nHeight = nHeight;
    font.m_nWeight = nWeight;
    return font;
}

// A frame whose bubble shows `lines` (counted form) at the centre (x, y).
inline CFrameInfo& AddBubbleFrame(CDemoProject& project, const std::vector<std::u16string>& lines,
                                  uint8_t nStyle = kBubbleRound, int32_t x = kTestWidth / 2,
                                  int32_t y = kTestHeight / 2) {
    auto frame = std::make_unique<CFrameInfo>();
    std::u16string text;
    for (const auto& line : lines) {
        text += (text.empty() ? u"" : u"\n") + line;
    }
    frame->m_pText = text;
    frame->m_pFormat = EncodeBubbleLines(lines);
    frame->m_bCountedLines = 1;
    frame->m_pFont = TestFont();
    frame->m_nBubbleStyle = nStyle;
    frame->m_nBubbleX = x;
    frame->m_nBubbleY = y;
    frame->m_nPointerX = kNoPointer;
    frame->m_crBubble = 0xC2FFFF;  // light yellow
    frame->m_crText = 0x000000;
    frame->m_crShadow = 0x808080;
    return project.AppendFrame(std::move(frame));
}

inline CFrameInfo& AddPlainFrame(CDemoProject& project) {
    return project.AppendFrame(std::make_unique<CFrameInfo>());
}

inline SBubbleView ViewOf(const CDemoProject& project) {
    SBubbleView view;
    view.nShownWidth = view.nRecordedWidth = project.m_nWidth;
    view.nShownHeight = view.nRecordedHeight = project.m_nHeight;
    return view;
}

inline std::unique_ptr<CDemoProject> TestProject() {
    auto project = std::make_unique<CDemoProject>();
    project->m_nWidth = kTestWidth;
    project->m_nHeight = kTestHeight;
    return project;
}

// Bubbles need Qt's font engine; every bubble test starts it first.
class CBubbleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(EnsureBubbleGui()); }
};
