#include "platform/ConsolePrompter.h"

#include <unistd.h>

#include <algorithm>
#include <utility>

namespace {
const char* IconWord(EMsgIcon icon) {
    switch (icon) {
        case EMsgIcon::Error:
            return "error";
        case EMsgIcon::Warning:
            return "warning";
        case EMsgIcon::Question:
            return "question";
        case EMsgIcon::Information:
            return "info";
        case EMsgIcon::None:
            break;
    }
    return "message";
}

const char* AnswerWord(EMsgAnswer answer) {
    switch (answer) {
        case EMsgAnswer::Ok:
            return "OK";
        case EMsgAnswer::Cancel:
            return "Cancel";
        case EMsgAnswer::Yes:
            return "Yes";
        case EMsgAnswer::No:
            return "No";
        case EMsgAnswer::Retry:
            return "Retry";
        case EMsgAnswer::Abort:
            return "Abort";
        case EMsgAnswer::Ignore:
            return "Ignore";
    }
    return "OK";
}
}  // namespace

CConsolePrompter::CConsolePrompter(std::FILE* out) : m_out(out), m_tty(isatty(fileno(out)) == 1) {}

EMsgAnswer CConsolePrompter::Message(const SPromptMessage& message) {
    if (m_tty && m_lastPercent >= 0) {
        std::fputc('\n', m_out);
    }
    std::fprintf(m_out, "%s [%s]: %s", message.caption.c_str(), IconWord(message.icon),
                 message.text.c_str());
    if (message.buttons != EMsgButtons::Ok) {
        std::fprintf(m_out, " -> %s", AnswerWord(message.defaultAnswer));
    }
    std::fputc('\n', m_out);
    std::fflush(m_out);
    return message.defaultAnswer;
}

std::optional<std::string> CConsolePrompter::AskSaveName(const SFileRequest& request) {
    auto name = std::exchange(m_presetName, std::nullopt);
    if (!name && !request.initialName.empty()) {
        name = request.initialName;
    }
    return name;
}

std::optional<std::string> CConsolePrompter::AskOpenName(const SFileRequest&) {
    return std::exchange(m_presetName, std::nullopt);
}

void CConsolePrompter::BeginProgress(std::string_view caption) {
    m_progressCaption = caption;
    m_lastPercent = -1;
}

void CConsolePrompter::SetProgress(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (!m_showProgress || percent == m_lastPercent) {
        return;
    }
    // A terminal gets one line rewritten in place; a log gets a line every tenth.
    if (m_tty) {
        std::fprintf(m_out, "\r%s %3d%%", m_progressCaption.c_str(), percent);
        std::fflush(m_out);
    } else if (m_lastPercent < 0 || percent / 10 != m_lastPercent / 10 || percent == 100) {
        std::fprintf(m_out, "%s %d%%\n", m_progressCaption.c_str(), percent);
    }
    m_lastPercent = percent;
}

void CConsolePrompter::EndProgress() {
    if (m_showProgress && m_tty && m_lastPercent >= 0) {
        std::fputc('\n', m_out);
    }
    m_lastPercent = -1;
    m_progressCaption.clear();
}
