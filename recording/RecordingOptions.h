// The values of the "Recording Options" dialog and the rates a recording runs at.
#pragma once

#include <cstdint>
#include <string>

struct STickTiming {
    uint32_t nPeriodMs = 0;  // timer period of the capture tick
    uint32_t nDivisor = 1;   // the screen is grabbed on every nDivisor-th tick
};

class CRecordingOptions {
public:
    // Screen and mouse rates are kept within these bounds whatever was typed or stored.
    static constexpr uint32_t kMinRate = 1;
    static constexpr uint32_t kMaxRate = 100;
    static constexpr int kMinSlider = 1;
    static constexpr int kMaxSlider = 20;

    int m_bCustomRates = 0;
    int m_bFramesGroup = 1;
    int m_bRecordMouse = 1;
    uint32_t m_nMouseFps = 20;
    uint32_t m_nScreenFps = 20;
    int m_nRateSlider = 20;
    int m_bSmoothMovement = 0;
    int m_bRecordSound = 0;
    std::string m_strTempVideoDir;
    int m_bLayeredWindows = 1;
    int m_bVideoHardware = 0;
    int m_bFollowActiveWindow = 0;
    int m_bExtraCompression = 0;

    // The rates a slider position gives when "Custom" is off.
    static uint32_t ScreenRateForSlider(int slider);
    static uint32_t MouseRateForSlider(int slider);

    // The rates a recording uses: typed ones with "Custom", else the slider's; always in
    // kMinRate..kMaxRate.
    uint32_t ScreenRate() const;
    uint32_t MouseRate() const;

    // What the dialog's "Defaults" button sets.
    void SetDefaults(const std::string& systemTempPath);
};

// Halves the period until it is below 60 ms, adding one to the divisor per halving.
STickTiming TickTimingFor(uint32_t screenFps);
