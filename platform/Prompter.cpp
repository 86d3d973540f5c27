#include "platform/Prompter.h"

namespace {
void Simple(IPrompter& prompter, std::string_view text, std::string_view caption, EMsgIcon icon) {
    prompter.Message(
        {std::string(text), std::string(caption), icon, EMsgButtons::Ok, EMsgAnswer::Ok});
}
}  // namespace

void IPrompter::Error(std::string_view text, std::string_view caption) {
    Simple(*this, text, caption, EMsgIcon::Error);
}

void IPrompter::Warning(std::string_view text, std::string_view caption) {
    Simple(*this, text, caption, EMsgIcon::Warning);
}

void IPrompter::Info(std::string_view text, std::string_view caption) {
    Simple(*this, text, caption, EMsgIcon::Information);
}

CProgressScope::CProgressScope(IPrompter& prompter, std::string_view caption)
    : m_prompter(prompter) {
    m_prompter.BeginProgress(caption);
}

CProgressScope::~CProgressScope() {
    m_prompter.EndProgress();
}
