// The program state file "Quillomatic.ini": window places, the recording options, the last
// folders and output names, the option pages' values, the recent files, the settings block and
// the default talk-bubble style. Written at every exit and read at start; groups are read only
// when the file's number is above their threshold, so an older or shorter file leaves the later
// groups at their defaults.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "project/model/SettingsBlock.h"

class CStoreReader;

// The style saved by "Make this the default font".
struct SDefaultTalkStyle {
    std::int32_t m_bSet = 0;
    TFontImage m_font = DefaultTalkBubbleFont();
    std::int32_t m_crText = 0;
    std::int32_t m_crShadow = 0;
    std::int32_t m_bUnderline = 0;
    std::int32_t m_bShadow = 0;
    std::int32_t m_crBubble = 0xC2FFFF;

    bool operator==(const SDefaultTalkStyle&) const = default;
};

struct CProgramState {
    static constexpr const char* kFileName = "Quillomatic.ini";
    static constexpr int kVersion = 747;
    static constexpr std::size_t kMaxRecentFiles = 6;

    // Capture frame window: left, right, top, bottom.
    std::array<std::int32_t, 4> m_rcCaptureFrame = {100, 740, 100, 580};
    // 0 "Full Screen", 1 "Selected Area" (the mode at start-up), 2 "Active Window".
    std::int32_t m_nCaptureMode = 1;
    std::array<std::int32_t, 3> m_nEditorValues = {0, 0, 0};
    std::string m_strLastProjectFolder;
    std::int32_t m_nEditorValue = 0;

    // The recording options, in the order of their dialog.
    std::int32_t m_bCustomRates = 0;
    std::int32_t m_bFramesGroup = 1;
    std::int32_t m_bRecordMouse = 1;
    std::int32_t m_nMouseFps = 20;
    std::int32_t m_nScreenFps = 20;
    std::int32_t m_nRateSlider = 20;
    std::int32_t m_bSmoothMovement = 0;
    std::int32_t m_bRecordSound = 0;
    std::int32_t m_bLayeredWindows = 1;
    std::int32_t m_bVideoHardware = 0;
    std::int32_t m_bFollowActiveWindow = 0;
    std::int32_t m_bExtraCompression = 0;
    std::string m_strTempVideoDir;

    std::string m_strMovieOutputName;
    std::string m_strMovieOutputFolder;
    std::string m_strMovieOutputFile;

    // Option pages.
    std::int32_t m_bControlsOverDemo = 0;
    std::int32_t m_bHidePanRectangle = 0;
    std::int32_t m_bZoomBeforeFrame = 1;
    // Hint dialogs that are shown while their check box stays on.
    std::int32_t m_bRecordingHint = 1;
    std::int32_t m_bCreatingHint = 1;
    std::int32_t m_bTrueColourReminder = 1;
    std::int32_t m_bCompressionReminder = 1;

    // Up to six project file names, oldest first.
    std::vector<std::string> m_recentFiles;
    // The main window: left, top, right, bottom (0 width = not placed yet).
    std::array<std::int32_t, 4> m_rcMainWindow = {0, 0, 0, 0};

    CSettingsBlock m_block;
    SDefaultTalkStyle m_defaultStyle;

    bool operator==(const CProgramState&) const = default;

    std::string Serialize() const;
    // Reads what the file holds, group by group; a group that ends early and every group after
    // it keep their current values. Returns false when the file cannot be read at all.
    bool ReadFile(const std::string& path);
    bool WriteFile(const std::string& path) const;
    void Read(CStoreReader& in);
};
