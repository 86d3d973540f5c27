// One frame of a project: a picture of the recorded screen shown for a duration, with the overlays
// that the editor adds to it. The fields mirror the 520-byte frame record of the project file
// (FrameRecordImage.h reads and writes it); the items a record owns (texts, font, file names,
// data blocks) are owned here as values, and "absent" is an empty optional.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "imaging/PixelPicture.h"
#include "imaging/Rect.h"
#include "project/model/BubbleAnimation.h"
#include "project/model/LogFont.h"

// Special values of the frame record.
inline constexpr int32_t kColorNotSet = -1;
inline constexpr int32_t kNoPointer = -1;
inline constexpr int32_t kCursorUnknown = -99999;
inline constexpr int16_t kCursorEndNone = -29999;
inline constexpr uint8_t kNoStyle = 255;
inline constexpr int32_t kNoDuration = -1;
inline constexpr uint32_t kNoStreamFrame = 65535;
inline constexpr int32_t kFullVolume = 32767;
inline constexpr int32_t kDefaultBackgroundVolume = 1024;
inline constexpr std::size_t kFrameCacheSize = 208;
inline constexpr std::size_t kFrameReservedBytes = 94;

// Talk-bubble styles (`m_nBubbleStyle`).
enum EBubbleStyle : uint8_t {
    kBubbleRound = 0,
    kBubbleSquare = 1,
    kBubbleHeading = 2,
    kBubblePanel = 3,
    kBubblePanelTransparent = 4,
    kBubblePlaque = 5,
    kBubblePlaqueTransparent = 6,
};

// Hotspot styles (`m_nHotspotStyle`).
enum EHotspotStyle : uint8_t {
    kHotspotRipple = 0,
    kHotspotGlow = 1,
    kHotspotPulse = 2,
    kHotspotEnlarge = 3,
    kHotspotOval = 4,
    kHotspotOblong = 5,
    kHotspotZoomOval = 6,
    kHotspotZoomOblong = 7,
    kHotspotMouse = 8,
    kHotspotShade = 9,
    kHotspotHighlight = 10,
    kHotspotImage = 11,
    kHotspotFlashMovie = 12,
};

// Frame effects (`m_nFrameEffect`).
enum EFrameEffect : uint8_t {
    kEffectNone = 0,
    kEffectFadeIn = 1,
    kEffectFadeOut = 2,
    kEffectSweepingHighlight = 3,
    kEffectCrossFade = 4,
    kEffectTransitionalFadesStart = 5,
    kEffectTransitionalFadesStop = 6,
    kEffectZoomToRegion = 7,
    kEffectZoomOut = 8,
};

// Alignment of the talk-bubble lines (`m_nTextAlign`).
enum ETextAlign : uint8_t { kAlignCentre = 0, kAlignLeft = 1, kAlignRight = 2 };

class CFrameInfo;

// Every field of a frame but its place in the frame list. Copying it copies the owned items.
struct CFrameRecord {
    bool HasTalkBubble() const { return m_pFormat.has_value(); }
    bool HasHotspot() const { return m_bHotspot != 0; }
    bool HasChapter() const { return m_pChapter.has_value(); }
    bool HasSound() const { return m_pszSound.has_value(); }
    // The hotspot holds the movie until it is clicked.
    bool HotspotWaitsForClick() const {
        return HasHotspot() && !m_bIgnoreClick && !m_bHotspotShowUntil;
    }
    // The edited picture is in effect (present and not undone).
    bool HasActivePicture() const { return m_pPicture.has_value() && !m_bPictureUndone; }

    // The mouse menu's click effects. The first change by the user keeps the recorded values in
    // `m_bRecClickDown` and `m_bRecClickUp`.
    void SetClickEffect(bool bDown, bool bUp);

    // Sets the stored lengths of the owned texts and names from the items themselves, as the
    // project file needs just before the record is written. An item longer than its length
    // field can count is shortened to fit.
    void RecomputeLengths();

    // Offsets 0 to 71.
    std::optional<std::u16string> m_pFormat;  // talk-bubble text as laid out in lines
    std::optional<std::u16string> m_pText;    // talk-bubble text as typed
    uint8_t m_bCustomDuration = 0;
    int32_t m_bDeleted = 0;
    int32_t m_nLegacyStyle = 0;
    int32_t m_bHotspot = 0;
    int32_t m_nDuration = 0;
    int32_t m_nRecordedDuration = 0;
    int32_t m_nFormatLen = 0;
    int32_t m_nTextLen = 0;
    int32_t m_nTextWidth = 0;
    int32_t m_nBubbleX = 0;
    int32_t m_nBubbleY = 0;
    int32_t m_crBubble = 0;
    int32_t m_crText = 0;
    int32_t m_nPointerX = 0;
    int32_t m_nPointerY = 0;
    std::optional<CLogFont> m_pFont;

    // Offsets 80 to 203.
    std::optional<std::vector<uint8_t>>
        m_pPicture;  // compressed picture block, length prefix included
    uint8_t m_bPictureUndone = 0;
    SRect m_rcHotspot;
    uint32_t m_hCursor = 0;
    int32_t m_nCursorX = 0;
    int32_t m_nCursorY = 0;
    uint8_t m_bCursorInverts = 0;
    uint8_t m_bClickDown = 0;
    uint8_t m_bClickUp = 0;
    uint8_t m_bKeyDown = 0;
    std::optional<std::string> m_pszSound;  // full file name
    int32_t m_nSoundLen = 0;
    int32_t m_nSoundVolume = 0;
    int16_t m_nCursorEndX = 0;
    int16_t m_nCursorEndY = 0;
    uint8_t m_bSingleFrameSound = 0;
    uint8_t m_bPlaySound = 0;
    uint8_t m_bUnderline = 0;
    uint8_t m_bShadow = 0;
    int32_t m_crHotspot = 0;
    uint8_t m_nBubbleStyle = 0;
    uint8_t m_nHotspotStyle = 0;
    uint16_t m_nLegacyStreamFrame = 0;
    uint8_t m_bDuplicate = 0;
    uint8_t m_bFrameGoto = 0;
    uint8_t m_bHotspotGoto = 0;
    uint8_t m_bHotspotShowUntil = 0;
    uint8_t m_bBubbleShowUntil = 0;
    uint8_t m_bBubbleOnHover = 0;
    uint8_t m_bHotspotUrl = 0;
    uint8_t m_bHotspotAnimateOnHover = 0;
    std::optional<std::string> m_pszHotspotUrl;
    uint16_t m_nHotspotUrlLen = 0;
    std::optional<std::string> m_pszHotspotTarget;
    uint16_t m_nHotspotTargetLen = 0;
    // Older 16-bit forms of the four frame-number targets, in the order frame go-to, hotspot
    // go-to, hotspot until, bubble until.
    std::array<uint16_t, 4> m_nLegacyTargets{};
    int32_t m_crShadow = 0;
    uint8_t m_bHotspotRectExact = 0;
    uint8_t m_nHotspotThickness = 0;
    uint8_t m_bHotspotOverText = 0;
    uint8_t m_bFrameUrl = 0;
    uint8_t m_bIgnoreClick = 0;
    uint8_t m_bCursorFromTable = 0;
    uint8_t m_bRecClickDown = 0;
    uint8_t m_bRecClickUp = 0;
    uint8_t m_bClickEdited = 0;
    uint8_t m_bKeyUp = 0;
    uint8_t m_nFrameEffect = 0;

    // Offsets 200 to 351.
    int32_t m_crFrameEffect = 0;
    // The editor preview's per-frame block (kFrameCacheSize bytes); memory only.
    std::vector<uint8_t> m_pCache;
    std::optional<std::string> m_pszFrameUrl;
    uint16_t m_nFrameUrlLen = 0;
    std::optional<std::string> m_pszFrameTarget;
    uint16_t m_nFrameTargetLen = 0;
    uint8_t m_nHotspotLevel = 0;
    int32_t m_nRecCursorX = 0;
    int32_t m_nRecCursorY = 0;
    int32_t m_nFrameEffectDuration = 0;
    uint8_t m_bImageLockAspect = 0;
    uint8_t m_bKeyFrame = 0;
    uint8_t m_bShowMouse = 0;
    uint8_t m_bKeyFrameNew = 0;
    uint8_t m_bAutoGain = 0;
    uint8_t m_bSyncSound = 0;
    uint8_t m_bRedrawAll = 0;
    int32_t m_nBackgroundVolume = 0;
    std::optional<std::string> m_pszHotspotImage;
    // The loaded picture of the image hotspot; memory only.
    std::shared_ptr<const CPixelPicture> m_pHotspotImageCache;
    int32_t m_nImageWidth = 0;
    int32_t m_nImageHeight = 0;
    int16_t m_nHotspotImageLen = 0;
    int16_t m_nImageFadeIn = 0;
    int16_t m_nImageFadeOut = 0;
    int16_t m_nImageSizeMode = 0;
    int32_t m_nAltDuration = 0;
    int16_t m_nImageTransparency = 0;
    uint16_t m_nPanX = 0;
    uint16_t m_nPanY = 0;
    // Length-prefixed zlib block of the whole desktop picture of a pan recording.
    std::optional<std::vector<uint8_t>> m_pPanPicture;
    // The decompressed pan picture; memory only.
    std::shared_ptr<const CPixelPicture> m_pPanPictureCache;
    uint32_t m_nStreamFrame = 0;
    int32_t m_nFrameGotoFrame = 0;
    int32_t m_nHotspotGotoFrame = 0;
    int32_t m_nHotspotUntilFrame = 0;
    int32_t m_nBubbleUntilFrame = 0;
    int32_t m_nSoundParamA = 0;
    int32_t m_nSoundParamB = 0;
    int32_t m_nSoundParamC = 0;
    float m_fSoundParamD = 0.0f;
    int32_t m_nSoundParamE = 0;
    int32_t m_nSyncOffset = 0;
    // The frame whose sound this frame continues; not owned.
    CFrameInfo* m_pSyncOwner = nullptr;
    int32_t m_nSyncIndex = 0;
    int32_t m_nStartTime = 0;

    // Offsets 352 to 519.
    int16_t m_nNaturalDuration = 0;
    uint8_t m_bLinearPlay = 0;
    uint8_t m_bPictureFollowing = 0;
    uint8_t m_bPictureLayer = 0;
    uint8_t m_bCursorNotShown = 0;
    uint8_t m_bCountedLines = 0;
    uint8_t m_bNavigation = 0;
    uint8_t m_bBubbleAnimation = 0;
    uint8_t m_bNoWrap = 0;
    int32_t m_nPictureUntil = 0;
    uint8_t m_nPictureTransparency = 0;
    std::optional<std::string> m_pszSoundRel;  // sound file name relative to the project folder
    int32_t m_nSoundRelLen = 0;
    std::optional<CBubbleAnimation> m_pBubbleAnimation;
    uint8_t m_nTextAlign = 0;
    uint8_t m_bResync = 0;
    uint8_t m_bZoomFollowMouse = 0;
    uint8_t m_bZoom = 0;
    uint8_t m_bZoomFull = 0;
    SRect m_rcZoom;
    int32_t m_nUserDuration = 0;
    int16_t m_nImageWidthPct = 0;
    int16_t m_nImageHeightPct = 0;
    uint8_t m_bSpeak = 0;
    uint8_t m_bBackgroundSound = 0;
    uint8_t m_bSyncCalculated = 0;
    uint8_t m_bLoopSound = 0;
    std::optional<std::u16string> m_pSpeech;  // alternate text to speak, marked-up
    int32_t m_nSoundDuration = 0;
    uint8_t m_bMouseHidden = 0;
    uint8_t m_bZoomCut = 0;
    uint8_t m_bBackgroundSyncEnd = 0;
    std::optional<std::u16string> m_pChapter;
    int16_t m_nChapterLen = 0;
    int32_t m_nSource = 0;
    // File positions of the frame's stream picture; memory only, 0 = not yet computed.
    int64_t m_nDataStart = 0;
    int64_t m_nDataEnd = 0;
    int16_t m_nCursorSource = 0;

    // The record's reserved bytes in record order, carried unchanged from load to save.
    std::array<uint8_t, kFrameReservedBytes> m_Reserved{};
};

// A frame in the project's doubly linked frame list. The project owns every frame; the links
// are memory only. A copy carries every field and owned item but is linked nowhere.
class CFrameInfo : public CFrameRecord {
public:
    CFrameInfo() = default;
    CFrameInfo(const CFrameInfo& other) : CFrameRecord(other) {}
    CFrameInfo& operator=(const CFrameInfo& other) {
        CFrameRecord::operator=(other);
        return *this;
    }
    ~CFrameInfo() = default;

    CFrameInfo* m_pPrev = nullptr;
    CFrameInfo* m_pNext = nullptr;
};
