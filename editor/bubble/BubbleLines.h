// The display lines of a talk bubble, from either stored form: the counted lines the editor
// writes from its text box, or the typed text split at its line ends.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "project/model/FrameInfo.h"

inline constexpr std::size_t kMaxBubbleLines = 1000;
inline constexpr std::size_t kMaxSplitLineLength = 2041;

struct SBubbleLine {
    std::u16string text;     // as drawn: without a single trailing space
    std::u16string measure;  // as measured
};

// Splits typed text: a line runs up to the first control character (at most
// kMaxSplitLineLength characters); the control characters after it are skipped up to and
// including the first line feed. A line that starts at a control character is empty and shows a
// single space.
std::vector<std::u16string> SplitBubbleText(std::u16string_view text);

// The lines a frame's bubble shows, at most kMaxBubbleLines of them: counted lines when the frame
// holds them (a damaged list ends at the end of the stored block), else its split text. A single
// trailing space is never drawn; split lines are measured without it too.
std::vector<SBubbleLine> BubbleDisplayLines(const CFrameRecord& frame);
