#include "editor/bubble/BubbleLines.h"

#include "project/model/TalkBubble.h"

namespace {

constexpr char16_t kLineFeed = u'\n';

bool IsControl(char16_t c) {
    return c < 32;
}

std::u16string WithoutTrailingSpace(std::u16string line) {
    if (!line.empty() && line.back() == u' ') {
        line.pop_back();
    }
    return line;
}

// Skips control characters from `pos` up to and including the first line feed.
std::size_t SkipLineEnd(std::u16string_view text, std::size_t pos) {
    while (pos < text.size() && IsControl(text[pos])) {
        if (text[pos++] == kLineFeed) {
            break;
        }
    }
    return pos;
}

}  // namespace

std::vector<std::u16string> SplitBubbleText(std::u16string_view text) {
    // The typed text ends at its terminator when it carries one.
    if (const std::size_t nul = text.find(u'\0'); nul != std::u16string_view::npos) {
        text = text.substr(0, nul);
    }
    std::vector<std::u16string> lines;
    std::size_t pos = 0;
    while (pos < text.size() && lines.size() < kMaxBubbleLines) {
        if (IsControl(text[pos])) {
            lines.emplace_back(u" ");
            pos = SkipLineEnd(text, pos);
            continue;
        }
        std::size_t end = pos;
        while (end < text.size() && !IsControl(text[end]) && end - pos < kMaxSplitLineLength) {
            ++end;
        }
        lines.emplace_back(text.substr(pos, end - pos));
        pos = SkipLineEnd(text, end);
    }
    return lines;
}

std::vector<SBubbleLine> BubbleDisplayLines(const CFrameRecord& frame) {
    std::vector<SBubbleLine> out;
    // Text set without a layout waits for the editor; until then its typed lines are shown.
    const bool bCounted = frame.m_bCountedLines != 0 && frame.m_pFormat &&
                          !(!frame.m_pFormat->empty() && frame.m_pFormat->front() == kLinesUnlaid);
    if (bCounted) {
        std::vector<std::u16string> lines = DecodeBubbleLines(*frame.m_pFormat, true);
        if (lines.size() > kMaxBubbleLines) {
            lines.resize(kMaxBubbleLines);
        }
        for (std::u16string& line : lines) {
            std::u16string drawn = WithoutTrailingSpace(line);
            out.push_back({std::move(drawn), std::move(line)});
        }
        return out;
    }
    const std::u16string_view text = frame.m_pText ? std::u16string_view(*frame.m_pText) : u"";
    for (std::u16string& line : SplitBubbleText(text)) {
        std::u16string drawn = WithoutTrailingSpace(std::move(line));
        out.push_back({drawn, drawn});
    }
    return out;
}
