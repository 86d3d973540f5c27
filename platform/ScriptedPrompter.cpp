#include "platform/ScriptedPrompter.h"

EMsgAnswer CScriptedPrompter::Message(const SPromptMessage& message) {
    m_messages.push_back(message);
    if (m_answers.empty()) {
        return message.defaultAnswer;
    }
    EMsgAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::optional<std::string> CScriptedPrompter::NextFileName(const SFileRequest& request) {
    m_fileRequests.push_back(request);
    if (m_fileNames.empty()) {
        return std::nullopt;
    }
    auto name = std::move(m_fileNames.front());
    m_fileNames.pop_front();
    return name;
}

std::optional<std::string> CScriptedPrompter::AskSaveName(const SFileRequest& request) {
    return NextFileName(request);
}

std::optional<std::string> CScriptedPrompter::AskOpenName(const SFileRequest& request) {
    return NextFileName(request);
}

void CScriptedPrompter::BeginProgress(std::string_view caption) {
    m_caption = caption;
    m_captions.push_back(m_caption);
    m_progressOpen = true;
}

void CScriptedPrompter::SetProgress(int percent) {
    m_steps.push_back({m_caption, percent});
}

bool CScriptedPrompter::IsCancelled() {
    return m_cancelAfter >= 0 && static_cast<int>(m_steps.size()) >= m_cancelAfter;
}

std::string CScriptedPrompter::Transcript() const {
    std::string out;
    for (const auto& m : m_messages) {
        out += m.caption + ": " + m.text + "\n";
    }
    return out;
}
