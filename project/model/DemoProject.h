// The open project: one recording with everything the user added to it. It owns the doubly
// linked list of frames, the recording size, the bookkeeping of the frame image streams, the
// colour census, the cursor pictures and the defaults that new frames and overlays take.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "imaging/Rect.h"
#include "project/model/CursorImage.h"
#include "project/model/FrameInfo.h"
#include "project/model/LogFont.h"
#include "project/model/ProjectSettings.h"

inline constexpr int32_t kDefaultRecordingWidth = 1024;
inline constexpr int32_t kDefaultRecordingHeight = 768;
inline constexpr std::size_t kColorHistogramSize = 32768;
inline constexpr int32_t kDefaultBubbleColor = 0xC2FFFF;
inline constexpr int32_t kDefaultFrameEffectColor = 0xFFFFFF;

struct SFileCloser {
    void operator()(std::FILE* file) const {
        if (file != nullptr) {
            std::fclose(file);
        }
    }
};
using TFileHandle = std::unique_ptr<std::FILE, SFileCloser>;

// A further project file whose frame image stream combined frames take their pictures from.
struct CStreamSource {
    std::string m_pszFileName;
    TFileHandle m_pFile;
    int64_t m_nDataAreaPos = 0;
    bool m_bWideOffsets = true;
    uint32_t m_nWrapFrame = 0;
};

// The talk-bubble look that "Make this the default font" saves.
struct CBubbleStyle {
    CLogFont m_Font;
    int32_t m_crText = 0;
    int32_t m_crBubble = 0;
    int32_t m_crShadow = 0;
    uint8_t m_bUnderline = 0;
    uint8_t m_bShadow = 0;

    friend bool operator==(const CBubbleStyle&, const CBubbleStyle&) = default;
};

// How the recorder's state shapes a newly captured frame.
struct SCaptureContext {
    // Pan recording: the recorded area's origin within the desktop picture.
    uint16_t nPanX = 0;
    uint16_t nPanY = 0;
    // Narration recorded with the screen: the first frame owns it and every frame points at it.
    bool bNarration = false;
    int32_t nNarrationPos = 0;  // the recorder's position in the narration, 1/100 s
};

class CDemoProject {
public:
    CDemoProject();
    ~CDemoProject();
    CDemoProject(const CDemoProject&) = delete;
    CDemoProject& operator=(const CDemoProject&) = delete;

    // --- Frame list ---------------------------------------------------------------------------
    CFrameInfo* FirstFrame() const { return m_pFirstFrame; }
    CFrameInfo* LastFrame() const { return m_pLastFrame; }
    uint32_t FrameCount() const { return m_nFrames; }
    // The frame at a 0-based position, counting deleted frames; null when out of range.
    CFrameInfo* FrameAt(uint32_t nIndex) const;
    // The 0-based position of a frame of this project, or -1.
    int64_t IndexOf(const CFrameInfo* pFrame) const;

    CFrameInfo& AppendFrame(std::unique_ptr<CFrameInfo> pFrame);
    // Links a frame after pAfter, or at the front when pAfter is null.
    CFrameInfo& InsertAfter(CFrameInfo* pAfter, std::unique_ptr<CFrameInfo> pFrame);
    // Links a frame so that it gets the 0-based position nIndex (at most the frame count).
    CFrameInfo& InsertAt(uint32_t nIndex, std::unique_ptr<CFrameInfo> pFrame);
    // Unlinks a frame and hands it back. Frames that continued its sound lose their owner; when
    // it was the current frame, the frame after it (or before it, at the end) becomes current.
    std::unique_ptr<CFrameInfo> RemoveFrame(CFrameInfo* pFrame);
    void ClearFrames();

    // The frame shown in the editor, and its 0-based position.
    CFrameInfo* CurrentFrame() const { return m_pCurrentFrame; }
    uint32_t CurrentIndex() const { return m_nCurrentFrame; }
    // False (and nothing changes) when the index is out of range.
    bool SetCurrentFrame(uint32_t nIndex);

    // The record half of appending a captured frame: the stream writer writes the picture's
    // offset-table entry first, then calls this. Counts the frame and its stream picture and
    // links a frame with the values of a new capture; returns it for the recorder to fill in.
    CFrameInfo& AppendCapturedFrame(const SCaptureContext& context = {});

    // --- Durations ----------------------------------------------------------------------------
    // What a frame returns to when its custom duration is cleared.
    static int32_t NaturalDuration(const CFrameRecord& frame);
    // The time a frame is shown when the movie plays, 1/100 s.
    int32_t EffectiveDuration(const CFrameRecord& frame) const;

    // --- Colour census ------------------------------------------------------------------------
    // Counts one pixel (0x00RRGGBB) under its 15-bit colour; counters stop at their maximum.
    void CountColor(uint32_t nPixel);
    static uint32_t HistogramIndex(uint32_t nPixel);

    // --- Recording size -----------------------------------------------------------------------
    int32_t m_nWidth = kDefaultRecordingWidth;
    int32_t m_nHeight = kDefaultRecordingHeight;

    // --- Frame image streams ------------------------------------------------------------------
    uint32_t m_nStreamFrames = 0;  // stream pictures known in all open streams
    uint32_t m_nStreamPos = 0;     // the stream picture the compositor decoded last, 0-based
    TFileHandle m_pFile;           // the project's own file, read-only while editing
    std::string m_pszFileName;
    // Further project files of combined frames; a frame's m_nSource k > 0 is m_Sources[k - 1].
    std::vector<CStreamSource> m_Sources;
    int64_t m_nDataAreaPos = 0;  // where the data area starts in the own file
    bool m_bWideOffsets = true;  // the picture offset table has 8-byte entries
    uint32_t m_nWrapFrame = 0;   // 4-byte table: 1-based frame where offsets passed 4 GiB, 0 = none

    // --- State flags --------------------------------------------------------------------------
    bool m_bCorrupted = false;      // the file had no trailer: viewable, not saveable in place
    bool m_bOldRecordSize = false;  // stored record size not accepted; frames got defaults
    bool m_b24BitColor = true;      // stream pixels are 24-bit run-length coded (else 15-bit)
    bool m_bZlibPixels = false;     // stream rectangles are zlib-compressed 32-bit pixels

    // One counter per 15-bit colour: blue's top five bits in index bits 0-4, green's in 5-9,
    // red's in 10-14.
    std::vector<uint32_t> m_ColorHistogram;

    CCursorImageTable m_CursorImages;

    // --- Talk-bubble defaults -----------------------------------------------------------------
    int32_t m_crDefaultText = 0;
    int32_t m_crDefaultBubble = kDefaultBubbleColor;
    int32_t m_crDefaultShadow = 0;
    uint8_t m_bDefaultUnderline = 0;
    uint8_t m_bDefaultShadow = 0;
    CLogFont m_CurrentFont = CLogFont::Default();  // the last font chosen in the font dialog
    uint8_t m_nDefaultBubbleStyle = kBubbleRound;  // the last style chosen
    std::optional<CBubbleStyle> m_DefaultStyle;    // "Make this the default font"

    // --- Hotspot defaults ---------------------------------------------------------------------
    uint8_t m_nDefaultHotspotStyle = kHotspotRipple;
    int32_t m_crDefaultHotspot = 0;
    uint8_t m_nDefaultHotspotThickness = 5;
    uint8_t m_nDefaultHotspotLevel = 80;
    SRect m_rcDefaultHotspot;

    // --- Further defaults and settings kept with the project ----------------------------------
    SRect m_rcDefaultZoom;
    uint8_t m_bDefaultSingleFrameSound = 0;
    int32_t m_crDefaultFrameEffect = kDefaultFrameEffectColor;
    float m_fSwfDelayScale = 1.0f;  // "SWF Delay Scale:" for frames that show a talk bubble
    // The publish, web page, control-bar and editor values that the project file keeps.
    CProjectSettings m_Settings;

private:
    void Link(CFrameInfo* pAfter, CFrameInfo* pFrame);

    CFrameInfo* m_pFirstFrame = nullptr;
    CFrameInfo* m_pLastFrame = nullptr;
    CFrameInfo* m_pCurrentFrame = nullptr;
    uint32_t m_nCurrentFrame = 0;
    uint32_t m_nFrames = 0;
};
