#include "settings/PublishOptions.h"

#include <algorithm>

#include "publish/PublishSettings.h"
#include "settings/AppSettings.h"
#include "settings/ProgramState.h"

void ApplyProgramPublishSettings(const CAppSettings& config, const CProgramState& state,
                                 CPublishSettings& settings) {
    settings.m_bControlsOverDemo = state.m_bControlsOverDemo != 0;
    settings.m_bZoomBeforeFrame = state.m_bZoomBeforeFrame != 0;
    settings.m_nNoiseFilter = uint32_t(std::max(0, config.m_nNoiseFilter));
    settings.m_nZoomPanRate = config.m_nZoomPanRate;
    settings.m_strTempFolder = config.m_strTempDirectory;
    settings.m_bContinuePlaying = config.m_bContinuePlaying;
    settings.m_bSecureLoad = config.m_bSecureLoad;
}
