// The advanced options kept in "config.txt": one key=value line each, read leniently and
// written in a fixed order.
#pragma once

#include <string>

class CSettingsFolder;

class CAppSettings {
public:
    static constexpr const char* kFileName = "config.txt";

    // Every value at its default; the temporary folder is the system's.
    CAppSettings();
    // What the "Default" button of "Advanced Options" sets for the values of this file.
    void ResetToDefaults();

    // Reads "config.txt" from the settings folder, else from the program's folder. Returns
    // false when neither exists (the values are then unchanged).
    bool LoadConfig(const CSettingsFolder& folder);
    // Writes "config.txt" into `folder` (with or without a trailing '/').
    bool SaveConfig(const std::string& folder) const;

    std::string Serialize() const;
    void Parse(const std::string& text);

    std::string m_strTempDirectory;
    double m_fDelayScale = 1.0;
    int m_nDelayMinimum = 300;
    int m_nFixedFps = 0;
    bool m_bExportTimingData = false;
    bool m_bRecordAutoDetect = true;
    int m_nRecordFrequency = 11025;
    int m_nRecordChannels = 1;
    int m_nRecordBits = 16;
    bool m_bContinuePlaying = false;
    bool m_bEnableSyncSound = false;
    bool m_bContinuousRecording = false;
    bool m_bSearchLongDelays = false;
    int m_nLongDelayMinimum = 50;
    bool m_bAllowResync = false;
    int m_nNoiseFilter = 0;
    bool m_bAlternatePause = false;
    int m_nZoomPanRate = 200;
    bool m_bUseCustomDefaults = false;
    bool m_bSecureLoad = false;
};

// The system's temporary folder with a trailing '/': $TMPDIR when it can be entered, else /tmp.
std::string SystemTempFolder();
