#include "project/file/FrameUpgrade.h"

#include <algorithm>

#include "project/model/FrameTiming.h"

void UpgradeFrameRecord(CFrameRecord& f, const SFrameUpgradeContext& c) {
    const int v = c.nVersion;
    if (v <= 102) {
        f.m_bCursorInverts = 0;
        f.m_bClickDown = 0;
    }
    if (v <= 103) {
        f.m_bClickUp = 0;
        f.m_bKeyDown = 0;
        f.m_bKeyUp = 0;
    }
    if (v <= 105) {
        f.m_nHotspotStyle = f.m_bHotspot != 0 ? 0 : kNoStyle;
        f.m_nBubbleStyle = f.m_nLegacyStyle != 0 ? 0 : kNoStyle;
        f.m_nFrameEffect = 0;
        if (!f.HasTalkBubble()) {
            f.m_crText = kColorNotSet;
        }
        f.m_nFrameGotoFrame = c.nFrameNumber + 1;
        f.m_nHotspotGotoFrame = c.nFrameNumber + 1;
        f.m_nHotspotUntilFrame = c.nFrameNumber + 1;
        f.m_nBubbleUntilFrame = c.nFrameNumber + 1;
        f.m_nHotspotThickness = 5;
    }
    if (v <= 201) {
        f.m_bHotspotOverText = 0;
    }
    // 255 means no talk bubble style and stays so.
    if ((v == 200 || v == 201) && f.m_nBubbleStyle > 2 && f.m_nBubbleStyle != kNoStyle) {
        ++f.m_nBubbleStyle;
    }
    if (v < 206) {
        f.m_crFrameEffect = kColorNotSet;
    }
    if (v < 305) {
        f.m_bIgnoreClick = 0;
        f.m_nHotspotLevel = 80;
        f.m_nCursorX = kCursorUnknown;
        f.m_nCursorY = kCursorUnknown;
        f.m_nRecCursorX = kCursorUnknown;
        f.m_nRecCursorY = kCursorUnknown;
    }
    if (v < 311) {
        f.m_bKeyUp = f.m_bKeyDown;
        f.m_nFrameEffectDuration = 100;
        f.m_nImageSizeMode = 9;
        f.m_nImageFadeIn = 25;
        f.m_nImageFadeOut = 25;
        f.m_nAltDuration = kNoDuration;
    }
    if (v < 312) {
        f.m_bShowMouse = 0;
    }
    // Records too short to hold the 16-bit forms keep the values set above.
    if (v < 424 && c.nRecordSize >= kLegacyFieldsEnd) {
        f.m_nStreamFrame = f.m_nLegacyStreamFrame;
        f.m_nFrameGotoFrame = f.m_nLegacyTargets[0];
        f.m_nHotspotGotoFrame = f.m_nLegacyTargets[1];
        f.m_nHotspotUntilFrame = f.m_nLegacyTargets[2];
        f.m_nBubbleUntilFrame = f.m_nLegacyTargets[3];
    }
    if (v < 428) {
        f.m_nSoundParamA = 256;
        f.m_nSoundParamB = 0;
        f.m_nSoundParamC = 0;
        f.m_fSoundParamD = 1.0f;
        f.m_nSoundParamE = 0;
    }
    if (v < 623) {
        f.m_nCursorEndX = kCursorEndNone;
        f.m_nCursorEndY = kCursorEndNone;
    }
    if (v < 672 && f.m_nHotspotStyle > 9 && f.m_nHotspotStyle != kNoStyle) {
        ++f.m_nHotspotStyle;
    }
    if (!f.HasHotspot()) {
        f.m_nHotspotStyle = kNoStyle;
    }
    if (!c.bHasSyncOwner) {
        f.m_bSyncSound = 0;
    }
    if (v <= 674) {
        if (f.m_nFrameEffect >= 1 && f.m_nFrameEffect <= 3) {
            f.m_nFrameEffectDuration = 100;
        }
        UpdateSingleFrameSoundLength(f, c.nSoundLengthMs);
        if (f.m_nDuration != 0 && f.m_nDuration != NaturalDuration(f)) {
            f.m_bCustomDuration = 1;
            f.m_nUserDuration = f.m_nDuration;
        } else {
            f.m_bCustomDuration = 0;
            f.m_nUserDuration = kNoDuration;
        }
        f.m_nBackgroundVolume = kDefaultBackgroundVolume;
        f.m_bAutoGain = 0;
    }
    if (f.m_bZoomFull != 0) {
        f.m_bZoom = 1;
        f.m_bZoomFull = 0;
        f.m_rcZoom = {0, 0, c.nWidth, c.nHeight};
    }
    if (v < 740 && !c.bFirstFrameHasPan) {
        f.m_nPanX = 0;
        f.m_nPanY = 0;
    }
}

void ClipZoomRegion(CFrameRecord& f, std::int32_t nWidth, std::int32_t nHeight) {
    f.m_rcZoom.left = std::max(f.m_rcZoom.left, 0);
    f.m_rcZoom.top = std::max(f.m_rcZoom.top, 0);
    f.m_rcZoom.right = std::min(f.m_rcZoom.right, nWidth);
    f.m_rcZoom.bottom = std::min(f.m_rcZoom.bottom, nHeight);
}
