#include "recording/RecordingOptions.h"

#include <algorithm>

namespace {
uint32_t ClampRate(uint32_t rate) {
    return std::clamp(rate, CRecordingOptions::kMinRate, CRecordingOptions::kMaxRate);
}
int ClampSlider(int slider) {
    return std::clamp(slider, CRecordingOptions::kMinSlider, CRecordingOptions::kMaxSlider);
}
}  // namespace

uint32_t CRecordingOptions::ScreenRateForSlider(int slider) {
    return static_cast<uint32_t>(ClampSlider(slider));
}

uint32_t CRecordingOptions::MouseRateForSlider(int slider) {
    const int s = ClampSlider(slider);
    if (s <= 4) {
        return 10;
    }
    if (s <= 14) {
        return static_cast<uint32_t>(s + 5);
    }
    return 20;
}

uint32_t CRecordingOptions::ScreenRate() const {
    return m_bCustomRates ? ClampRate(m_nScreenFps) : ScreenRateForSlider(m_nRateSlider);
}

uint32_t CRecordingOptions::MouseRate() const {
    return m_bCustomRates ? ClampRate(m_nMouseFps) : MouseRateForSlider(m_nRateSlider);
}

void CRecordingOptions::SetDefaults(const std::string& systemTempPath) {
    m_bFramesGroup = 1;
    m_bCustomRates = 0;
    m_bRecordMouse = 1;
    m_bSmoothMovement = 1;
    m_bRecordSound = 0;
    m_nRateSlider = 20;
    m_nScreenFps = ScreenRateForSlider(m_nRateSlider);
    m_nMouseFps = MouseRateForSlider(m_nRateSlider);
    m_bFollowActiveWindow = 0;
    m_bLayeredWindows = 1;
    m_bVideoHardware = 0;
    m_bExtraCompression = 0;
    m_strTempVideoDir = systemTempPath;
}

STickTiming TickTimingFor(uint32_t screenFps) {
    STickTiming timing;
    timing.nPeriodMs = 1000 / ClampRate(screenFps);
    while (timing.nPeriodMs >= 60) {
        timing.nPeriodMs /= 2;
        ++timing.nDivisor;
    }
    return timing;
}
