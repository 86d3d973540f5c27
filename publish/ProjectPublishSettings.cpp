#include "publish/ProjectPublishSettings.h"

#include <charconv>
#include <string>

#include "project/model/ProjectSettings.h"
#include "publish/PublishSettings.h"
#include "publish/controlbar/StoredBarSettings.h"

namespace {

constexpr int32_t kMaxFrameRate = 120;
constexpr size_t kMaxAboutText = 128;

}  // namespace

int32_t StoredFrameRate(const CSettingsBlock& block) {
    const std::string& text = block.m_strPublish[0];
    int32_t rate = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), rate);
    if (ec != std::errc() || end != text.data() + text.size() || rate < 1 || rate > kMaxFrameRate) {
        return 0;
    }
    return rate;
}

void StoreFrameRate(CSettingsBlock& block, int32_t rate) {
    block.m_strPublish[0] = std::to_string(rate);
}

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
    ApplyStoredBarSettings(stored, settings);

    const CSettingsBlock& block = stored.m_block;
    if (const int32_t rate = StoredFrameRate(block); rate != 0) {
        settings.m_nFrameRate = rate;
    }
    settings.m_bZoomInStart = block.m_bZoomInAtStart != 0;
    settings.m_bZoomOutEnd = block.m_bZoomOutAtEnd != 0;
    settings.m_bFadeInStart = block.m_bFadeInAtStart != 0;
    settings.m_bFadeOutEnd = block.m_bFadeOutAtEnd != 0;
    settings.m_bLoopMovie = block.m_bLoopMovie != 0;
    settings.m_bFadeInText = block.m_bFadeInText != 0;
    settings.m_bCreateWebPage = block.m_bCreateWebPage != 0;
    settings.m_crBackground = uint32_t(block.m_crMovieBackground) & 0xFFFFFF;
    settings.m_bControlsAtTop = block.m_bControlsAtTop != 0;
    settings.m_bClickSound = block.m_bClickSound != 0;
    settings.m_bKeySound = block.m_bKeySound != 0;
    settings.m_nPlayUsing = block.m_nPlayUsing;
    settings.m_bFullScreen = block.m_bFullScreen != 0;
    settings.m_bRightClickHotspots = block.m_bRightClickHotspots != 0;
    settings.m_bPlayFromUrl = block.m_bPlayFromUrl != 0;
    settings.m_strPlayUrl = block.m_strPlayUrl;
    settings.m_strAboutText = block.m_strAboutText.substr(0, kMaxAboutText);
}
