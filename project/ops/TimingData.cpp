#include "project/ops/TimingData.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "platform/TextCodec.h"
#include "project/file/ProjectFile.h"
#include "project/model/BubbleStyle.h"
#include "project/model/DemoProject.h"
#include "project/model/TalkBubble.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kConversionError = "##ERROR##";
constexpr const char* kUnicodeMarker = "UNICODE";

bool IsControl(char16_t c) {
    return c < 0x20 || c == 0x7F;
}

// Reads one quoted field at `pos`, past blanks and a comma; a backslash escapes the next
// character and a backslash before n stands for a line break.
bool ReadQuoted(std::string_view line, size_t& pos, std::string& out) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t' || line[pos] == ',')) {
        ++pos;
    }
    if (pos >= line.size() || line[pos] != '"') {
        return false;
    }
    ++pos;
    out.clear();
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == '"') {
            return true;
        }
        if (c == '\\' && pos < line.size()) {
            const char next = line[pos++];
            if (next == 'n') {
                out += "\r\n";
            } else {
                out += next;
            }
        } else {
            out += c;
        }
    }
    return false;
}

bool ReadNumber(std::string_view line, size_t& pos, long long& value) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
        ++pos;
    }
    bool bNegative = false;
    if (pos < line.size() && (line[pos] == '-' || line[pos] == '+')) {
        bNegative = line[pos] == '-';
        ++pos;
    }
    const size_t start = pos;
    value = 0;
    while (pos < line.size() && std::isdigit(static_cast<unsigned char>(line[pos])) != 0) {
        if (value < 1'000'000'000'000LL) {
            value = value * 10 + (line[pos] - '0');
        }
        ++pos;
    }
    if (bNegative) {
        value = -value;
    }
    return pos > start;
}

void RemoveBubble(CFrameRecord& frame) {
    frame.m_pFormat.reset();
    frame.m_pText.reset();
    frame.m_nFormatLen = 0;
    frame.m_nTextLen = 0;
}

void ApplyLine(CDemoProject& project, CFrameInfo& frame, int32_t nDuration, char cMark,
               const std::string& text) {
    if (nDuration != frame.m_nDuration) {
        frame.m_nDuration = nDuration;
        frame.m_nUserDuration = nDuration;
        frame.m_bCustomDuration = 1;
    }
    frame.m_bDeleted = std::toupper(static_cast<unsigned char>(cMark)) == 'Y' ? 1 : 0;
    if (text.empty()) {
        RemoveBubble(frame);
        return;
    }
    if (text == kConversionError || text == kUnicodeMarker) {
        return;
    }
    std::optional<std::u16string> wide = Utf8ToUtf16(text);
    if (!wide) {
        return;
    }
    if (!frame.HasTalkBubble()) {
        ApplyFirstText(frame, project);
    }
    frame.m_pText = std::move(*wide);
    frame.m_pFormat = UnlaidBubbleLines();
    frame.RecomputeLengths();
}

}  // namespace

std::string TimingFileName(const std::string& projectFile) {
    const fs::path path(projectFile);
    return (path.parent_path() / (path.stem().string() + "_timing_data.txt")).string();
}

std::string EscapeTimingText(std::u16string_view text) {
    size_t nFirst = 0;
    size_t nEnd = text.size();
    while (nFirst < nEnd && IsControl(text[nFirst])) {
        ++nFirst;
    }
    while (nEnd > nFirst && IsControl(text[nEnd - 1])) {
        --nEnd;
    }
    std::string out;
    for (size_t i = nFirst; i < nEnd; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < nEnd && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return kConversionError;
        }
        if (c == '\n') {
            out += "\\n";
        } else if (c == '"') {
            out += "\\\"";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            continue;
        } else if (c < 0x20 || c == 0x7F) {
            out += ' ';
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

std::string TimingDataText(const CDemoProject& project, bool bSkipDeleted) {
    std::string out;
    int nNumber = 0;
    for (const CFrameInfo* f = project.FirstFrame(); f != nullptr; f = f->m_pNext) {
        if (bSkipDeleted && f->m_bDeleted) {
            continue;
        }
        ++nNumber;
        const std::string text =
            f->HasTalkBubble() && f->m_pText ? EscapeTimingText(*f->m_pText) : std::string();
        char head[64];
        std::snprintf(head, sizeof head, "%d, %d, \"%s\", \"", nNumber, f->m_nDuration,
                      f->m_bDeleted ? "Y" : "N");
        out += head;
        out += text;
        out += "\"\r\n";
    }
    return out;
}

bool ExportTiming(const CDemoProject& project, const std::string& projectFile, bool bSkipDeleted) {
    std::ofstream file(TimingFileName(projectFile), std::ios::binary | std::ios::trunc);
    if (!file) {
        return false;
    }
    const std::string text = TimingDataText(project, bSkipDeleted);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(file);
}

int ApplyTimingData(CDemoProject& project, std::string_view text, uint32_t nFramesBefore) {
    std::vector<CFrameInfo*> frames;
    for (CFrameInfo* f = project.FirstFrame(); f != nullptr; f = f->m_pNext) {
        frames.push_back(f);
    }
    int nApplied = 0;
    size_t lineStart = 0;
    while (lineStart < text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) {
            lineEnd = text.size();
        }
        std::string_view line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        size_t pos = 0;
        long long nNumber = 0;
        long long nDuration = 0;
        if (!ReadNumber(line, pos, nNumber)) {
            continue;
        }
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
            ++pos;
        }
        if (pos >= line.size() || line[pos] != ',') {
            continue;
        }
        ++pos;
        std::string mark;
        std::string bubble;
        if (!ReadNumber(line, pos, nDuration) || !ReadQuoted(line, pos, mark) ||
            !ReadQuoted(line, pos, bubble)) {
            continue;
        }
        const long long nPosition = nNumber + static_cast<long long>(nFramesBefore);
        if (nNumber < 1 || nPosition > static_cast<long long>(frames.size()) || nDuration < 0 ||
            nDuration > kMaxFrameDuration) {
            continue;
        }
        ApplyLine(project, *frames[static_cast<size_t>(nPosition - 1)],
                  static_cast<int32_t>(nDuration), mark.empty() ? 'N' : mark[0], bubble);
        ++nApplied;
    }
    return nApplied;
}

int ImportTiming(CDemoProject& project, const std::string& projectFile, uint32_t nFramesBefore) {
    std::ifstream file(TimingFileName(projectFile), std::ios::binary);
    if (!file) {
        return 0;
    }
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    return ApplyTimingData(project, text, nFramesBefore);
}

void InstallTimingDataHooks(SProjectFileHooks& hooks) {
    hooks.bExportTimingData = true;
    hooks.writeTimingData = [](const CDemoProject& project, const std::string& projectFile) {
        ExportTiming(project, projectFile);
    };
    hooks.readTimingData = [](CDemoProject& project, const std::string& projectFile) {
        ImportTiming(project, projectFile);
    };
}
