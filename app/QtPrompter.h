// The desktop program's prompter: message boxes, file dialogs and a progress dialog.
#pragma once

#include <QPointer>
#include <QProgressDialog>

#include "platform/Prompter.h"

class QWidget;

class CQtPrompter : public IPrompter {
public:
    explicit CQtPrompter(QWidget* pParent = nullptr) : m_pParent(pParent) {}
    ~CQtPrompter() override;

    void SetParent(QWidget* pParent) { m_pParent = pParent; }

    EMsgAnswer Message(const SPromptMessage& message) override;
    std::optional<std::string> AskSaveName(const SFileRequest& request) override;
    std::optional<std::string> AskOpenName(const SFileRequest& request) override;
    void BeginProgress(std::string_view caption) override;
    void SetProgress(int percent) override;
    bool IsCancelled() override;
    void EndProgress() override;

private:
    QWidget* m_pParent;
    QPointer<QProgressDialog> m_pProgress;
    bool m_bCancelled = false;
};
