#include "settings/AppSettings.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/AtomicFile.h"
#include "project/store/StoreReader.h"
#include "project/store/StoreWriter.h"
#include "settings/SettingsFolder.h"

namespace {

constexpr const char* kHeader = "Orvane_v";

int LenientInt(const std::string& value) {
    std::int64_t v = 0;
    if (!ParseLeadingInt(value, v)) {
        return 0;
    }
    return static_cast<int>(static_cast<std::uint32_t>(v));
}

double LenientFloat(const std::string& value) {
    double v = 0;
    return ParseLeadingFloat(value, v) && std::isfinite(v) ? v : 0.0;
}

// The sound values are decimal numbers that may carry a fraction; the fraction is dropped.
int TruncatedNumber(const std::string& value) {
    double v = LenientFloat(value);
    if (!(v > -2147483648.0 && v < 2147483648.0)) {
        return 0;
    }
    return static_cast<int>(v);
}

bool LenientSwitch(const std::string& value) {
    return !value.empty() && std::toupper(static_cast<unsigned char>(value[0])) == 'Y';
}

std::string WithoutTrailingControls(std::string text) {
    while (!text.empty() && !std::isprint(static_cast<unsigned char>(text.back()))) {
        text.pop_back();
    }
    return text;
}

void AddLine(std::string& out, std::string_view key, std::string_view value) {
    out.append(key);
    out.append(value);
    out.append("\r\n");
}

std::string Num(int value) {
    return std::to_string(value);
}
std::string YesNo(bool value) {
    return value ? "Y" : "N";
}

}  // namespace

std::string SystemTempFolder() {
    std::string folder = "/tmp";
    if (const char* tmp = std::getenv("TMPDIR"); tmp != nullptr && CanEnterFolder(tmp)) {
        folder = tmp;
    }
    if (folder.back() != '/') {
        folder.push_back('/');
    }
    return folder;
}

CAppSettings::CAppSettings() {
    ResetToDefaults();
}

void CAppSettings::ResetToDefaults() {
    bool autoDetect = m_bRecordAutoDetect;
    int frequency = m_nRecordFrequency;
    int channels = m_nRecordChannels;
    int bits = m_nRecordBits;
    bool secure = m_bSecureLoad;
    m_strTempDirectory = SystemTempFolder();
    m_fDelayScale = 1.0;
    m_nDelayMinimum = 300;
    m_nFixedFps = 0;
    m_bExportTimingData = false;
    m_bContinuePlaying = false;
    m_bEnableSyncSound = false;
    m_bContinuousRecording = false;
    m_bSearchLongDelays = false;
    m_nLongDelayMinimum = 50;
    m_bAllowResync = false;
    m_nNoiseFilter = 0;
    m_bAlternatePause = false;
    m_nZoomPanRate = 200;
    m_bUseCustomDefaults = false;
    // The sound format belongs to the recording dialog and secure_load has no control: the
    // button leaves them alone.
    m_bRecordAutoDetect = autoDetect;
    m_nRecordFrequency = frequency;
    m_nRecordChannels = channels;
    m_nRecordBits = bits;
    m_bSecureLoad = secure;
}

std::string CAppSettings::Serialize() const {
    std::string out;
    char header[64];
    std::snprintf(header, sizeof header, "%s%d.%2.2d.%2.2d\r\n", kHeader, 7, 53, 47);
    out += header;
    AddLine(out, "temp_directory=", m_strTempDirectory);
    AddLine(out, "delay_scale=", FormatFixed6(m_fDelayScale));
    AddLine(out, "delay_minimum=", Num(m_nDelayMinimum));
    AddLine(out, "fixed_fps=", Num(m_nFixedFps));
    AddLine(out, "export_timing_data=", YesNo(m_bExportTimingData));
    AddLine(out, "record_auto_detect=", YesNo(m_bRecordAutoDetect));
    AddLine(out, "record_frequency=", Num(m_nRecordFrequency));
    AddLine(out, "record_channels=", Num(m_nRecordChannels));
    AddLine(out, "record_bits=", Num(m_nRecordBits));
    AddLine(out, "continue_playing=", YesNo(m_bContinuePlaying));
    AddLine(out, "enable_sync_sound=", YesNo(m_bEnableSyncSound));
    AddLine(out, "continuous_recording=", YesNo(m_bContinuousRecording));
    AddLine(out, "search_long_delays=", YesNo(m_bSearchLongDelays));
    AddLine(out, "long_delay_minimum=", Num(m_nLongDelayMinimum));
    AddLine(out, "allow_resync=", YesNo(m_bAllowResync));
    AddLine(out, "noise_filter=", Num(m_nNoiseFilter));
    AddLine(out, "alternate_pause=", YesNo(m_bAlternatePause));
    AddLine(out, "zoom_pan_rate=", Num(m_nZoomPanRate));
    AddLine(out, "use_custom_defaults=", YesNo(m_bUseCustomDefaults));
    if (m_bSecureLoad) {
        AddLine(out, "secure_load=", "Y");
    }
    return out;
}

void CAppSettings::Parse(const std::string& text) {
    struct SKey {
        std::string_view key;
        void (*apply)(CAppSettings&, const std::string&);
    };
    static const SKey kKeys[] = {
        {"temp_directory=",
         [](CAppSettings& s, const std::string& v) {
             std::string folder = WithoutTrailingControls(v);
             if (CanEnterFolder(folder)) {
                 s.m_strTempDirectory = folder;
             }
         }},
        {"delay_scale=",
         [](CAppSettings& s, const std::string& v) { s.m_fDelayScale = LenientFloat(v); }},
        {"delay_minimum=",
         [](CAppSettings& s, const std::string& v) { s.m_nDelayMinimum = LenientInt(v); }},
        {"fixed_fps=",
         [](CAppSettings& s, const std::string& v) { s.m_nFixedFps = LenientInt(v); }},
        {"export_timing_data=",
         [](CAppSettings& s, const std::string& v) { s.m_bExportTimingData = LenientSwitch(v); }},
        {"record_auto_detect=",
         [](CAppSettings& s, const std::string& v) { s.m_bRecordAutoDetect = LenientSwitch(v); }},
        {"record_frequency=",
         [](CAppSettings& s, const std::string& v) { s.m_nRecordFrequency = TruncatedNumber(v); }},
        {"record_channels=",
         [](CAppSettings& s, const std::string& v) { s.m_nRecordChannels = TruncatedNumber(v); }},
        {"record_bits=",
         [](CAppSettings& s, const std::string& v) { s.m_nRecordBits = TruncatedNumber(v); }},
        {"continue_playing=",
         [](CAppSettings& s, const std::string& v) { s.m_bContinuePlaying = LenientSwitch(v); }},
        {"enable_sync_sound=",
         [](CAppSettings& s, const std::string& v) { s.m_bEnableSyncSound = LenientSwitch(v); }},
        {"continuous_recording=",
         [](CAppSettings& s, const std::string& v) {
             s.m_bContinuousRecording = LenientSwitch(v);
         }},
        {"search_long_delays=",
         [](CAppSettings& s, const std::string& v) { s.m_bSearchLongDelays = LenientSwitch(v); }},
        {"long_delay_minimum=",
         [](CAppSettings& s, const std::string& v) { s.m_nLongDelayMinimum = LenientInt(v); }},
        {"allow_resync=",
         [](CAppSettings& s, const std::string& v) { s.m_bAllowResync = LenientSwitch(v); }},
        {"noise_filter=",
         [](CAppSettings& s, const std::string& v) { s.m_nNoiseFilter = LenientInt(v); }},
        {"alternate_pause=",
         [](CAppSettings& s, const std::string& v) { s.m_bAlternatePause = LenientSwitch(v); }},
        {"zoom_pan_rate=",
         [](CAppSettings& s, const std::string& v) { s.m_nZoomPanRate = LenientInt(v); }},
        {"use_custom_defaults=",
         [](CAppSettings& s, const std::string& v) { s.m_bUseCustomDefaults = LenientSwitch(v); }},
        {"secure_load=",
         [](CAppSettings& s, const std::string& v) { s.m_bSecureLoad = LenientSwitch(v); }},
    };
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        bool matched = false;
        for (const SKey& k : kKeys) {
            if (line.compare(0, k.key.size(), k.key) == 0) {
                std::string value = line.substr(k.key.size());
                if (!value.empty() && value.back() == '\r') {
                    value.pop_back();
                }
                k.apply(*this, value);
                matched = true;
                break;
            }
        }
        // Older files began with the temporary folder alone on a line.
        if (!matched) {
            std::string folder = WithoutTrailingControls(line);
            if (folder.rfind(kHeader, 0) != 0 && CanEnterFolder(folder)) {
                m_strTempDirectory = folder;
            }
        }
    }
}

bool CAppSettings::LoadConfig(const CSettingsFolder& folder) {
    std::string text;
    for (const std::string& path : {folder.Path().empty() ? std::string() : folder.File(kFileName),
                                    folder.ProgramFile(kFileName)}) {
        if (!path.empty() && ReadSmallFile(path, text)) {
            Parse(text);
            return true;
        }
    }
    return false;
}

bool CAppSettings::SaveConfig(const std::string& folder) const {
    if (folder.empty()) {
        return false;
    }
    std::string path = folder;
    if (path.back() != '/') {
        path.push_back('/');
    }
    return WriteFileAtomically(path + kFileName, Serialize());
}
