// Prompter for tests: records every message and progress step, answers from a script, and can
// cancel a long operation after a given number of progress steps.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/Prompter.h"

class CScriptedPrompter : public IPrompter {
public:
    struct SProgressStep {
        std::string caption;
        int percent = 0;
    };

    // Answers are taken in order; when none is left a message gets its default answer.
    void QueueAnswer(EMsgAnswer answer) { m_answers.push_back(answer); }
    // File names are taken in order; when none is left the request is cancelled.
    void QueueFileName(std::optional<std::string> name) { m_fileNames.push_back(std::move(name)); }
    // IsCancelled() turns true once this many progress steps have been reported.
    void CancelAfterSteps(int steps) { m_cancelAfter = steps; }

    EMsgAnswer Message(const SPromptMessage& message) override;
    std::optional<std::string> AskSaveName(const SFileRequest& request) override;
    std::optional<std::string> AskOpenName(const SFileRequest& request) override;
    void BeginProgress(std::string_view caption) override;
    void SetProgress(int percent) override;
    bool IsCancelled() override;
    void EndProgress() override { m_progressOpen = false; }

    const std::vector<SPromptMessage>& Messages() const { return m_messages; }
    const std::vector<SFileRequest>& FileRequests() const { return m_fileRequests; }
    const std::vector<SProgressStep>& ProgressSteps() const { return m_steps; }
    const std::vector<std::string>& ProgressCaptions() const { return m_captions; }
    bool ProgressOpen() const { return m_progressOpen; }
    // The text of every message so far, one per line, for compact assertions.
    std::string Transcript() const;

private:
    std::optional<std::string> NextFileName(const SFileRequest& request);

    std::deque<EMsgAnswer> m_answers;
    std::deque<std::optional<std::string>> m_fileNames;
    std::vector<SPromptMessage> m_messages;
    std::vector<SFileRequest> m_fileRequests;
    std::vector<SProgressStep> m_steps;
    std::vector<std::string> m_captions;
    std::string m_caption;
    int m_cancelAfter = -1;
    bool m_progressOpen = false;
};
