#include "publish/ProjectPublishSettings.h"

#include "project/ProjectSettings.h"
#include "publish/PublishSettings.h"

void ApplyProjectPublishSettings(const CProjectSettings& stored, CPublishSettings& settings) {
    if (stored.m_fPlaybackSpeed > 0) {
        settings.m_fPlaybackSpeed = float(stored.m_fPlaybackSpeed);
    }
    settings.m_fSwfDelayScale = float(stored.m_fSwfDelayScale);
    settings.m_bAdvancedCompression = stored.m_nWebPage[0] != 0;
    settings.m_bKeepAspect = stored.m_nWebPage[1] != 0;
    settings.m_bSpeakText = stored.m_bSpeakText != 0;
    settings.m_bPlayButtonAtStart = stored.m_bPlayButtonAtStart != 0;
    settings.m_bChapterIndex = stored.m_bChapterIndex != 0;
    settings.m_crWebPage = uint32_t(stored.m_crWebPage);
    settings.m_nBorderWidth = stored.m_nBorderWidth;
}
