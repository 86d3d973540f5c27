#include "publish/CursorStep.h"

#include "publish/PublishContext.h"

CCursorStep::CCursorStep(SPublishContext& context) : m_context(context) {}

void CCursorStep::AddInputEffects(const CFrameInfo&) {}

void CCursorStep::AddCursorMotion(const CFrameInfo&) {}
