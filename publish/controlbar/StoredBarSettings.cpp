#include "publish/controlbar/StoredBarSettings.h"

#include "project/model/ProjectSettings.h"
#include "publish/PublishSettings.h"
#include "publish/controlbar/BarSizing.h"

namespace {

// The first number: the switches that differ from their defaults.
enum : int {
    kNoControls = 1,
    kNoInfo = 2,
    kNoTime = 4,
    kVolume = 8,
    kStopEnd = 16,
};

}  // namespace

void ApplyStoredBarSettings(const CProjectSettings& stored, CPublishSettings& settings) {
    for (size_t i = 0; i < settings.m_crControlBar.size(); ++i) {
        settings.m_crControlBar[i] = uint32_t(stored.m_crControlBar[i]) & 0xFFFFFF;
    }
    const int flags = stored.m_nControlBarValues[0];
    settings.m_bControlBar = (flags & kNoControls) == 0;
    settings.m_bShowInfo = (flags & kNoInfo) == 0;
    settings.m_bShowTime = (flags & kNoTime) == 0;
    settings.m_bVolume = (flags & kVolume) != 0;
    settings.m_bStopEnd = (flags & kStopEnd) != 0;
    const int style = stored.m_nControlBarValues[1];
    settings.m_nControlBarStyle = style > 0 ? BarStyleOf(style - 1) : kDefaultBarStyle;
}

void StoreBarSettings(const CPublishSettings& settings, CProjectSettings& stored) {
    for (size_t i = 0; i < settings.m_crControlBar.size(); ++i) {
        stored.m_crControlBar[i] = int32_t(settings.m_crControlBar[i] & 0xFFFFFF);
    }
    int flags = 0;
    flags |= settings.m_bControlBar ? 0 : kNoControls;
    flags |= settings.m_bShowInfo ? 0 : kNoInfo;
    flags |= settings.m_bShowTime ? 0 : kNoTime;
    flags |= settings.m_bVolume ? kVolume : 0;
    flags |= settings.m_bStopEnd ? kStopEnd : 0;
    stored.m_nControlBarValues[0] = flags;
    stored.m_nControlBarValues[1] = BarStyleOf(settings.m_nControlBarStyle) + 1;
}
