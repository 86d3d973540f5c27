// The one channel through which core operations talk to the user: message boxes, file names
// and the progress window. The desktop program shows Qt dialogs, the headless command writes to
// stderr, and tests script the answers.
#pragma once

#include <optional>
#include <string>
#include <string_view>

enum class EMsgIcon { None, Information, Warning, Error, Question };

enum class EMsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };

enum class EMsgAnswer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

// What a message box shows. Texts are UTF-8.
struct SPromptMessage {
    std::string text;
    std::string caption;
    EMsgIcon icon = EMsgIcon::None;
    EMsgButtons buttons = EMsgButtons::Ok;
    // The answer a box gives when nobody can answer it (headless runs) and the focused button.
    EMsgAnswer defaultAnswer = EMsgAnswer::Ok;
};

// A request for a file name. `filter` uses the "Description (*.ext)" form of file dialogs.
struct SFileRequest {
    std::string caption;
    std::string initialName;
    std::string filter;
};

class IPrompter {
public:
    virtual ~IPrompter() = default;

    virtual EMsgAnswer Message(const SPromptMessage& message) = 0;

    // An empty result means the user cancelled.
    virtual std::optional<std::string> AskSaveName(const SFileRequest& request) = 0;
    virtual std::optional<std::string> AskOpenName(const SFileRequest& request) = 0;

    // The progress window: one caption at a time, a percentage 0..100 and a cancel flag that the
    // long operation polls.
    virtual void BeginProgress(std::string_view caption) = 0;
    virtual void SetProgress(int percent) = 0;
    virtual bool IsCancelled() = 0;
    virtual void EndProgress() = 0;

    // Convenience for the common single-button boxes.
    void Error(std::string_view text, std::string_view caption);
    void Warning(std::string_view text, std::string_view caption);
    void Info(std::string_view text, std::string_view caption);
};

// Opens the progress window for the life of a scope, so that every return path closes it.
class CProgressScope {
public:
    CProgressScope(IPrompter& prompter, std::string_view caption);
    ~CProgressScope();
    CProgressScope(const CProgressScope&) = delete;
    CProgressScope& operator=(const CProgressScope&) = delete;

    void Set(int percent) { m_prompter.SetProgress(percent); }
    bool Cancelled() { return m_prompter.IsCancelled(); }

private:
    IPrompter& m_prompter;
};
