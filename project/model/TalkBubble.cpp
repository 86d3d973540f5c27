#include "project/model/TalkBubble.h"

#include <algorithm>

#include "project/model/DemoProject.h"

std::optional<CTalkBubble> CTalkBubble::Of(const CFrameRecord& frame) {
    if (!frame.HasTalkBubble()) {
        return std::nullopt;
    }
    return CTalkBubble(frame);
}

std::u16string_view CTalkBubble::Text() const {
    if (!m_frame.m_pText) {
        return {};
    }
    return *m_frame.m_pText;
}

const CLogFont& CTalkBubble::Font(const CDemoProject& project) const {
    return m_frame.m_pFont ? *m_frame.m_pFont : project.m_CurrentFont;
}

bool CTalkBubble::NeedsLayout() const {
    return m_frame.m_pFormat && !m_frame.m_pFormat->empty() &&
           m_frame.m_pFormat->front() == kLinesUnlaid;
}

std::vector<std::u16string> CTalkBubble::Lines() const {
    return DecodeBubbleLines(*m_frame.m_pFormat, m_frame.m_bCountedLines != 0);
}

std::u16string EncodeBubbleLines(const std::vector<std::u16string>& lines) {
    std::u16string out;
    for (const std::u16string& line : lines) {
        if (line.empty()) {
            out.push_back(kLineEmpty);
            continue;
        }
        for (std::size_t pos = 0; pos < line.size(); pos += kMaxLineLength) {
            const std::size_t n = std::min(kMaxLineLength, line.size() - pos);
            out.push_back(static_cast<char16_t>(n));
            out.append(line, pos, n);
        }
    }
    out.push_back(kLinesEnd);
    return out;
}

namespace {

std::vector<std::u16string> DecodeCounted(std::u16string_view format) {
    std::vector<std::u16string> lines;
    std::size_t pos = 0;
    while (pos < format.size()) {
        const char16_t unit = format[pos++];
        if (unit == kLineEmpty) {
            lines.emplace_back();
            continue;
        }
        if (unit == 0 || unit >= kLinesEnd) {
            break;
        }
        const std::size_t n = std::min<std::size_t>(unit, format.size() - pos);
        lines.emplace_back(format.substr(pos, n));
        pos += n;
    }
    return lines;
}

std::vector<std::u16string> DecodeControlSeparated(std::u16string_view format) {
    std::vector<std::u16string> lines;
    std::size_t pos = 0;
    while (pos < format.size() && format[pos] != 0) {
        std::size_t end = pos;
        while (end < format.size() && format[end] >= 32) {
            ++end;
        }
        lines.emplace_back(format.substr(pos, end - pos));
        if (end >= format.size() || format[end] == 0) {
            break;
        }
        pos = end + 1;
        if (format[end] == u'\r' && pos < format.size() && format[pos] == u'\n') {
            ++pos;
        }
    }
    return lines;
}

}  // namespace

std::vector<std::u16string> DecodeBubbleLines(std::u16string_view format, bool bCounted) {
    return bCounted ? DecodeCounted(format) : DecodeControlSeparated(format);
}

std::u16string UnlaidBubbleLines() {
    return std::u16string(1, kLinesUnlaid);
}
