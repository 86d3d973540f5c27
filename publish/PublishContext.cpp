#include "publish/PublishContext.h"

#include "platform/Prompter.h"

SPublishContext::SPublishContext(CDemoProject& project, CFrameCompositor& compositor,
                                 IPrompter& prompter, const CPublishSettings& settings,
                                 std::atomic<bool>& cancel)
    : project(project),
      compositor(compositor),
      prompter(prompter),
      settings(settings),
      cancel(cancel) {}

bool SPublishContext::Cancelled() const {
    return cancel || prompter.IsCancelled();
}
