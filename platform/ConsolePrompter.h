// Prompter for headless runs: messages and progress go to a stream (stderr by default), every
// question takes its default answer, and file names come from what the caller preset.
#pragma once

#include <atomic>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/Prompter.h"

class CConsolePrompter : public IPrompter {
public:
    explicit CConsolePrompter(std::FILE* out = stderr);

    // A name given on the command line answers the next save or open request.
    void PresetFileName(std::optional<std::string> name) { m_presetName = std::move(name); }
    // Silences progress lines (for --quiet); messages are always written.
    void SetShowProgress(bool show) { m_showProgress = show; }
    // Lets a signal handler or a caller cancel the running operation.
    void RequestCancel() { m_cancelled = true; }

    EMsgAnswer Message(const SPromptMessage& message) override;
    std::optional<std::string> AskSaveName(const SFileRequest& request) override;
    std::optional<std::string> AskOpenName(const SFileRequest& request) override;
    void BeginProgress(std::string_view caption) override;
    void SetProgress(int percent) override;
    bool IsCancelled() override { return m_cancelled; }
    void EndProgress() override;

private:
    std::FILE* m_out;
    std::optional<std::string> m_presetName;
    std::string m_progressCaption;
    int m_lastPercent = -1;
    bool m_showProgress = true;
    bool m_tty = false;
    std::atomic<bool> m_cancelled = false;
};
