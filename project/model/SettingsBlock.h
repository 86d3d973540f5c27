// The talk-bubble, hotspot and publish defaults that every project file carries in its trailer
// and that the program state file and the custom defaults file carry too. The project form
// holds a few project-only items more than the file form.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CStoreReader;
class CStoreWriter;

// The 60-byte image of a Windows LOGFONT (8-bit face name), kept byte for byte.
using TFontImage = std::array<std::uint8_t, 60>;

// The stored image of the talk-bubble font a fresh program starts with.
TFontImage DefaultTalkBubbleFont();

enum class ESettingsForm { Project, File };

// One page of the movie's sound settings.
struct SSoundPage {
    std::int32_t m_nValue1 = 0;
    std::int32_t m_nValue2 = 0;
    std::int32_t m_nVolume = 15;
    std::int32_t m_nCompression = 1;  // 0 no sound, 1 ADPCM, 2 MP3
    std::int32_t m_nQuality = 2;
    std::int32_t m_nSampleBits = 1;
    std::int32_t m_nChannels = 0;
    std::int32_t m_nIgnored = 1;
    std::int32_t m_nFrequency = 1;
    std::int32_t m_nValue3 = 0;
    std::int32_t m_nValue4 = 0;

    bool operator==(const SSoundPage&) const = default;
};

constexpr std::int32_t kSoundCompressionMp3 = 2;
// Size of the stored video compression options record; its format and parameter block lengths
// are the 32-bit fields at these offsets.
constexpr std::size_t kVideoOptionsSize = 44;
constexpr std::size_t kVideoOptionsFormatLen = 28;
constexpr std::size_t kVideoOptionsParamsLen = 36;
constexpr std::size_t kVideoOptionsHandler = 4;

struct CSettingsBlock {
    // Talk-bubble and hotspot defaults (Windows colour values, red in the low byte).
    std::int32_t m_crText = 0;
    std::int32_t m_crBubble = 0xC2FFFF;
    std::int32_t m_crHotspot = 0;
    std::int32_t m_crShadow = 0;
    TFontImage m_font = DefaultTalkBubbleFont();
    std::int32_t m_bUnderline = 0;
    std::int32_t m_bShadow = 0;
    std::array<std::int32_t, 3> m_nFontCarried = {1, 0, 0};
    std::int32_t m_nHotspotThickness = 5;
    std::array<std::int32_t, 4> m_rcHotspot = {0, 0, 0,
                                               0};  // project form: left, top, right, bottom
    std::int32_t m_bHideDeleted = 0;                // project form
    std::int32_t m_crFrameEffect = 0xFFFFFF;
    std::int32_t m_b24BitColor = 0;                               // project form
    std::int32_t m_nEditorSwitch = 0;                             // project form
    std::array<std::array<std::uint8_t, 32>, 8> m_editHistory{};  // project form
    std::int32_t m_nHotspotLevel = 80;
    std::int32_t m_nClickSize = 15;  // stored as 2 x slider position + 5
    std::int32_t m_crClick = 0x00FFFF;
    std::int32_t m_nFrameEffectDuration = 100;
    std::string m_strFolder;
    std::int32_t m_bHighlightMouse = 0;
    std::int32_t m_nEditorNumber1 = 0;
    std::string m_strEditorFile1;
    std::int32_t m_nEditorNumber2 = 0;
    std::string m_strEditorFile2;

    // Movie options.
    std::int32_t m_bZoomInAtStart = 0;
    std::int32_t m_bZoomOutAtEnd = 0;
    std::int32_t m_bFadeInAtStart = 0;
    std::int32_t m_bFadeOutAtEnd = 0;
    std::int32_t m_bLoopMovie = 0;
    std::int32_t m_bFadeInText = 0;
    std::int32_t m_bDisplayMouse = 1;
    std::int32_t m_bAnimatedClick = 1;
    std::int32_t m_bMouseShadow = 0;
    std::int32_t m_bCreateWebPage = 1;
    std::string m_strMovieTitle = "Quillo";
    std::array<std::string, 3> m_strPublish;
    std::int32_t m_nControlBar1 = 0;
    std::int32_t m_nControlBar2 = 1;
    std::int32_t m_bClickSound = 1;
    std::int32_t m_bKeySound = 1;
    SSoundPage m_sound;
    std::int32_t m_bFlash6Compression = 1;
    SSoundPage m_sound2;

    // Video export: a value, the codec name and the compression options record with its format
    // and parameter blocks, kept as stored.
    std::int32_t m_nVideoValue = 0;
    std::string m_strVideoCodec = "Microsoft Video 1";
    std::vector<std::uint8_t> m_videoOptions = std::vector<std::uint8_t>(kVideoOptionsSize, 0);

    std::array<std::int32_t, 2> m_nEditorValues = {0, 0};  // project form
    std::int32_t m_crMovieBackground = 0xFFFFFF;
    std::int32_t m_nControlBar3 = 0;
    std::int32_t m_bControlsAtTop = 0;
    std::int32_t m_bShowHiddenActivity = 0;

    // Output and executable settings.
    std::int32_t m_nOutputValue = 0;
    std::int32_t m_nPlayUsing = 0;  // 0 web browser, 1 the own player
    std::int32_t m_bFullScreen = 0;
    std::int32_t m_bRightClickHotspots = 0;
    std::int32_t m_bPlayFromUrl = 0;
    std::string m_strAboutText;
    std::string m_strPlayUrl;

    // Upload settings; the password is kept in the scrambled form network publishing gives it
    // and is stored only while m_bSavePassword is on.
    std::string m_strRemoteFile;
    std::string m_strRemoteSite;
    std::string m_strProxyServer;
    std::string m_strUser;
    std::array<std::int32_t, 5> m_nUploadValues = {21, 0, 0, 0, 0};
    std::int32_t m_bSavePassword = 0;
    std::string m_strScrambledPassword;

    bool operator==(const CSettingsBlock&) const = default;

    // Appends the block. The project form also holds the project-only items.
    void Write(CStoreWriter& out, ESettingsForm form) const;
    // Reads the items that a file of `version` holds; items it does not hold keep their values.
    // Returns false (with the reader failed) when the block is damaged.
    bool Read(CStoreReader& in, int version, ESettingsForm form);
};
