// What the publish dialogs hold, read once by the publisher at the start of a publish.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// "Small file size", "Appearance", "Custom".
enum EPictureQuality : int { kQualitySmallFile = 0, kQualityAppearance = 1, kQualityCustom = 2 };

struct CPublishSettings {
    std::string m_strOutputPath;  // drive, folder and base name of every output file
    int32_t m_nFrameRate = 10;    // "Frame Rate:", movie frames per second

    bool m_bFadeInStart = false;  // "Fade-in movie at start"
    bool m_bZoomInStart = false;  // "Zoom-in movie at start"
    bool m_bFadeOutEnd = false;   // "Fade-out movie at end"
    bool m_bZoomOutEnd = false;   // "Zoom-out movie at end"
    bool m_bLoopMovie = false;    // "Loop movie"

    bool m_bControlsAtTop = false;      // "Place controls at top"
    bool m_bPlayButtonAtStart = false;  // "Add play button at start"
    bool m_bChapterIndex = false;       // "Add chapter index"
    bool m_bSpeakText = false;          // "Speak annotated text"
    bool m_bFadeInText = false;         // "Fade in annotated text"

    uint32_t m_crBackground = 0xFFFFFF;  // "Background / Border", 0x00BBGGRR
    int32_t m_nBorderWidth = 0;          // "Border width:"
    uint32_t m_crWebPage = 0xFFFFFF;     // "Web Page Color", 0x00BBGGRR

    bool m_bControlBar = true;       // "Include controls"
    int32_t m_nControlBarStyle = 7;  // "Vista Glass"; see EBarStyle
    bool m_bShowInfo = true;         // "Show Info"
    bool m_bShowTime = true;         // "Time"
    bool m_bVolume = false;          // "Volume"
    bool m_bStopEnd = false;         // "Stop/End"
    // "Symbol", "Edge", "Button", "Over", "Down", "Panel" (0x00BBGGRR); "Midnight" at first.
    std::array<uint32_t, 6> m_crControlBar = {0xFFFFFF, 0x000000, 0x000000,
                                              0xFF8080, 0xFF5A5A, 0x000000};
    std::string m_strInfoPicture;  // the information panel's picture file
    // A movie with sound waits on the start button even when "Add play button at start" is
    // off: the viewer's first click is what lets the browser play the sound.
    bool m_bStartButtonForSound = true;
    bool m_bContinuePlaying = false;   // "Continue Playing": a seek plays on
    bool m_bSecureLoad = false;        // hold the movie while a hotspot's movie loads
    bool m_bControlsOverDemo = false;  // "Controls Over Demo"
    bool m_bKeepAspect = true;         // the preview's keep-aspect switch
    bool m_bZoomBeforeFrame = true;    // "Zoom Before Frame": a zoom ends as its frame starts
    int32_t m_nZoomPanRate = 200;      // "Zoom/Pan Rate:", picture pixels per second

    float m_fPlaybackSpeed = 1.0f;  // "Playback Speed:"
    float m_fSwfDelayScale = 1.0f;  // "SWF Delay Scale:"
    uint32_t m_nNoiseFilter = 0;    // "Noise Filter:", pixels
    std::string m_strTempFolder;    // "Temporary files location:"; empty: the system's

    bool m_bAdvancedCompression = false;  // "Use advanced Flash compression"
    bool m_bFlash6Compression = true;     // "Use Adobe Flash 6.0 compression"

    int32_t m_nPictureQuality = kQualityAppearance;
    int32_t m_nMaxColors = 0;     // "Maximum number of colors"; 0 = "True Color"
    int32_t m_nJpegQuality = 90;  // "JPEG Picture Quality"

    bool m_bCreateWebPage = true;  // "Create web page"
    int32_t m_nDisplayWidth = 0;   // display size; 0 = "Full size        (100%)"
    int32_t m_nDisplayHeight = 0;
    int32_t m_nWebPageTemplate = 0;  // "Web page template"

    bool m_bCreateExe = false;
    // "Executable settings": "Play using: " "Web browser" (0) or "Quillo Flash player" (1).
    int32_t m_nPlayUsing = 0;
    bool m_bFullScreen = false;          // "Full screen presentation"
    bool m_bRightClickHotspots = false;  // "Allow right mouse click on hotspots"
    bool m_bPlayFromUrl = false;         // "Play from URL:"
    std::string m_strPlayUrl;
    std::string m_strAboutText;        // "About menu text:", at most 128 characters
    bool m_bScorm = false;             // "Create SCORM 1.2 resource package"
    bool m_bScormZip = false;          // "Create PIF / ZIP file"
    std::string m_strScormIdentifier;  // "Resource Identifier"; empty: from the project's name
    std::string m_strScormVersion;     // "Version"; empty: "1.0"

    bool m_bClickSound = false;  // "Add mouse click sound"
    bool m_bKeySound = false;    // "Add keyboard sound"
    int32_t m_nSoundVolume = 100;
    int32_t m_nSoundEncoding = 0;

    // The intermediate movie of a video export: see CMoviePublisher.
    bool m_bVideoExport = false;
    int32_t m_nBuildNumber = 0;  // of the last publish

    // Palette size K (0 = full colour) and JPEG quality of the picture quality choice.
    int32_t PaletteSize() const {
        switch (m_nPictureQuality) {
            case kQualitySmallFile:
                return 256;
            case kQualityCustom:
                return m_nMaxColors;
            default:
                return 0;
        }
    }
    int32_t JpegQuality() const {
        switch (m_nPictureQuality) {
            case kQualitySmallFile:
                return 50;
            case kQualityCustom:
                return m_nJpegQuality;
            default:
                return 90;
        }
    }
};
