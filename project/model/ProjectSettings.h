// The project-wide settings that a project file keeps in its trailer besides the frame records
// and the cursor table: publish, web page, control-bar and editor values, in the order in which
// they are stored. Values whose meaning belongs to the editor or the publisher are carried as
// they are.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "project/model/SettingsBlock.h"

// One combined source project: its absolute name and its name relative to the project folder.
struct SSourceProject {
    std::string m_strPath;
    std::string m_strRelative;

    bool operator==(const SSourceProject&) const = default;
};

struct CProjectSettings {
    static constexpr std::size_t kStyleRecordSize = 520;

    std::array<std::uint32_t, 16> m_customColours = [] {
        std::array<std::uint32_t, 16> c{};
        c.fill(0xFFFFFF);
        return c;
    }();
    std::int16_t m_nPreviewWidth = 0;  // 0: m_nPreviewHeight is the preview size choice
    std::int16_t m_nPreviewHeight = 0;
    // "Symbol", "Edge", "Button", "Over", "Down", "Panel" (Windows colour values).
    std::array<std::int32_t, 6> m_crControlBar = {0xFFFFFF, 0x000000, 0x000000,
                                                  0xFF8080, 0xFF5A5A, 0x000000};
    std::string m_strOutputName;
    std::string m_strOutputFolder;
    std::string m_strOutputFile;
    std::int32_t m_nReservedLine = 1;
    std::int32_t m_bSingleFrameSound = 1;
    std::array<std::int32_t, 8> m_nMarks = {-1, -1, -1, -1, -1, -1, -1, -1};
    CSettingsBlock m_block;
    std::array<std::int32_t, 3> m_nVideoExport = {0, 0, 0};
    std::array<std::int32_t, 4> m_rcDefaultZoom = {0, 0, 0, 0};  // left, top, right, bottom
    // "Use advanced Flash compression", "Lock aspect ratio", a display-size value, "Vertical:",
    // "Horizontal:", a second display-size value.
    std::array<std::int32_t, 6> m_nWebPage = {0, 1, 0, 480, 640, 0};
    std::int32_t m_bSpeakText = 0;
    std::array<std::uint32_t, 9> m_nBookmarks = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                                                 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                                                 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    std::array<std::array<std::uint8_t, 32>, 9> m_bookmarkNames{};
    std::array<std::uint32_t, 2> m_nNavigation = {0xFFFFFFFF, 0xFFFFFFFF};
    std::int32_t m_nNavigationValue = 0;
    std::int32_t m_nDisplaySizeChoice = 0;
    double m_fPlaybackSpeed = 1.0;
    double m_fSwfDelayScale = 1.0;
    std::int32_t m_nEditorValue1 = 0;
    std::int32_t m_bPlayButtonAtStart = 0;
    std::array<std::int32_t, 3> m_nControlBarValues = {0, 0, 0};
    // The frame record that "&Copy" of a frame's style holds, as stored, and its font.
    std::array<std::uint8_t, kStyleRecordSize> m_styleClipboard{};
    bool m_bStyleClipboardFont = false;
    TFontImage m_styleClipboardFont{};
    std::int32_t m_nEditorValue2 = 0;
    std::int32_t m_bChapterIndex = 0;
    std::array<std::int32_t, 2> m_nEditorValues = {0, 0};
    std::int32_t m_crWebPage = 0xFFFFFF;
    std::int32_t m_nBorderWidth = 0;
    std::string m_strProjectFolder;
    std::vector<SSourceProject> m_sources;

    bool operator==(const CProjectSettings&) const = default;
};
