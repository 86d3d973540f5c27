#include "project/FrameRecordImage.h"

#include <cstring>
#include <type_traits>

#include "project/ByteOrder.h"

namespace {

// The record's layout, once for every direction: each call names a field's offset, and the
// field's type gives its width. Reserved bytes are taken in record order.
template <class TIO, class TRecord>
void MapRecord(TIO& io, TRecord& f) {
    io.Present(0, "m_pFormat", f.m_pFormat);
    io.Present(4, "m_pText", f.m_pText);
    io.Field(8, "m_bCustomDuration", f.m_bCustomDuration);
    io.Reserved(9, 3);
    io.Field(12, "m_bDeleted", f.m_bDeleted);
    io.Field(16, "m_nLegacyStyle", f.m_nLegacyStyle);
    io.Field(20, "m_bHotspot", f.m_bHotspot);
    io.Field(24, "m_nDuration", f.m_nDuration);
    io.Field(28, "m_nRecordedDuration", f.m_nRecordedDuration);
    io.Field(32, "m_nFormatLen", f.m_nFormatLen);
    io.Field(36, "m_nTextLen", f.m_nTextLen);
    io.Field(40, "m_nTextWidth", f.m_nTextWidth);
    io.Field(44, "m_nBubbleX", f.m_nBubbleX);
    io.Field(48, "m_nBubbleY", f.m_nBubbleY);
    io.Field(52, "m_crBubble", f.m_crBubble);
    io.Field(56, "m_crText", f.m_crText);
    io.Field(60, "m_nPointerX", f.m_nPointerX);
    io.Field(64, "m_nPointerY", f.m_nPointerY);
    io.Present(68, "m_pFont", f.m_pFont);
    io.Link(72, "m_pPrev", &SFrameRecordLinks::bHasPrev);
    io.Link(76, "m_pNext", &SFrameRecordLinks::bHasNext);
    // An undone picture is dropped when the project is saved.
    io.Present(80, "m_pPicture", f.m_pPicture, !f.m_bPictureUndone);
    io.Field(84, "m_bPictureUndone", f.m_bPictureUndone);
    io.Reserved(85, 3);
    io.Field(88, "m_rcHotspot", f.m_rcHotspot);
    io.Field(104, "m_hCursor", f.m_hCursor);
    io.Field(108, "m_nCursorX", f.m_nCursorX);
    io.Field(112, "m_nCursorY", f.m_nCursorY);
    io.Field(116, "m_bCursorInverts", f.m_bCursorInverts);
    io.Field(117, "m_bClickDown", f.m_bClickDown);
    io.Field(118, "m_bClickUp", f.m_bClickUp);
    io.Field(119, "m_bKeyDown", f.m_bKeyDown);
    io.Present(120, "m_pszSound", f.m_pszSound);
    io.Field(124, "m_nSoundLen", f.m_nSoundLen);
    io.Field(128, "m_nSoundVolume", f.m_nSoundVolume);
    io.Field(132, "m_nCursorEndX", f.m_nCursorEndX);
    io.Field(134, "m_nCursorEndY", f.m_nCursorEndY);
    io.Field(136, "m_bSingleFrameSound", f.m_bSingleFrameSound);
    io.Field(137, "m_bPlaySound", f.m_bPlaySound);
    io.Field(138, "m_bUnderline", f.m_bUnderline);
    io.Field(139, "m_bShadow", f.m_bShadow);
    io.Field(140, "m_crHotspot", f.m_crHotspot);
    io.Field(144, "m_nBubbleStyle", f.m_nBubbleStyle);
    io.Field(145, "m_nHotspotStyle", f.m_nHotspotStyle);
    io.Field(146, "m_nLegacyStreamFrame", f.m_nLegacyStreamFrame);
    io.Field(148, "m_bDuplicate", f.m_bDuplicate);
    io.Field(149, "m_bFrameGoto", f.m_bFrameGoto);
    io.Field(150, "m_bHotspotGoto", f.m_bHotspotGoto);
    io.Field(151, "m_bHotspotShowUntil", f.m_bHotspotShowUntil);
    io.Field(152, "m_bBubbleShowUntil", f.m_bBubbleShowUntil);
    io.Field(153, "m_bBubbleOnHover", f.m_bBubbleOnHover);
    io.Field(154, "m_bHotspotUrl", f.m_bHotspotUrl);
    io.Field(155, "m_bHotspotAnimateOnHover", f.m_bHotspotAnimateOnHover);
    io.Present(156, "m_pszHotspotUrl", f.m_pszHotspotUrl);
    io.Field(160, "m_nHotspotUrlLen", f.m_nHotspotUrlLen);
    io.Reserved(162, 2);
    io.Present(164, "m_pszHotspotTarget", f.m_pszHotspotTarget);
    io.Field(168, "m_nHotspotTargetLen", f.m_nHotspotTargetLen);
    io.Field(170, "m_nLegacyTargets", f.m_nLegacyTargets);
    io.Reserved(178, 2);
    io.Field(180, "m_crShadow", f.m_crShadow);
    io.Reserved(184, 3);
    io.Field(187, "m_bHotspotRectExact", f.m_bHotspotRectExact);
    io.Reserved(188, 1);
    io.Field(189, "m_nHotspotThickness", f.m_nHotspotThickness);
    io.Field(190, "m_bHotspotOverText", f.m_bHotspotOverText);
    io.Field(191, "m_bFrameUrl", f.m_bFrameUrl);
    io.Field(192, "m_bIgnoreClick", f.m_bIgnoreClick);
    io.Field(193, "m_bCursorFromTable", f.m_bCursorFromTable);
    io.Field(194, "m_bRecClickDown", f.m_bRecClickDown);
    io.Field(195, "m_bRecClickUp", f.m_bRecClickUp);
    io.Field(196, "m_bClickEdited", f.m_bClickEdited);
    io.Field(197, "m_bKeyUp", f.m_bKeyUp);
    io.Field(198, "m_nFrameEffect", f.m_nFrameEffect);
    io.Reserved(199, 1);
    io.Field(200, "m_crFrameEffect", f.m_crFrameEffect);
    io.MemoryOnly(204, 4, "m_pCache");
    io.Present(208, "m_pszFrameUrl", f.m_pszFrameUrl);
    io.Field(212, "m_nFrameUrlLen", f.m_nFrameUrlLen);
    io.Reserved(214, 2);
    io.Present(216, "m_pszFrameTarget", f.m_pszFrameTarget);
    io.Field(220, "m_nFrameTargetLen", f.m_nFrameTargetLen);
    io.Field(222, "m_nHotspotLevel", f.m_nHotspotLevel);
    io.Reserved(223, 1);
    io.Field(224, "m_nRecCursorX", f.m_nRecCursorX);
    io.Field(228, "m_nRecCursorY", f.m_nRecCursorY);
    io.Reserved(232, 4);
    io.Field(236, "m_nFrameEffectDuration", f.m_nFrameEffectDuration);
    io.Field(240, "m_bImageLockAspect", f.m_bImageLockAspect);
    io.Field(241, "m_bKeyFrame", f.m_bKeyFrame);
    io.Field(242, "m_bShowMouse", f.m_bShowMouse);
    io.Field(243, "m_bKeyFrameNew", f.m_bKeyFrameNew);
    io.Field(244, "m_bAutoGain", f.m_bAutoGain);
    io.Reserved(245, 1);
    io.Field(246, "m_bSyncSound", f.m_bSyncSound);
    io.MemoryOnly(247, 1, "m_bRedrawAll");
    io.Field(248, "m_nBackgroundVolume", f.m_nBackgroundVolume);
    io.Present(252, "m_pszHotspotImage", f.m_pszHotspotImage);
    io.MemoryOnly(256, 4, "m_pHotspotImageCache");
    io.Field(260, "m_nImageWidth", f.m_nImageWidth);
    io.Field(264, "m_nImageHeight", f.m_nImageHeight);
    io.Field(268, "m_nHotspotImageLen", f.m_nHotspotImageLen);
    io.Field(270, "m_nImageFadeIn", f.m_nImageFadeIn);
    io.Field(272, "m_nImageFadeOut", f.m_nImageFadeOut);
    io.Field(274, "m_nImageSizeMode", f.m_nImageSizeMode);
    io.Field(276, "m_nAltDuration", f.m_nAltDuration);
    io.Field(280, "m_nImageTransparency", f.m_nImageTransparency);
    io.Field(282, "m_nPanX", f.m_nPanX);
    io.Field(284, "m_nPanY", f.m_nPanY);
    io.Reserved(286, 2);
    io.Present(288, "m_pPanPicture", f.m_pPanPicture);
    io.MemoryOnly(292, 4, "m_pPanPictureCache");
    io.Field(296, "m_nStreamFrame", f.m_nStreamFrame);
    io.Field(300, "m_nFrameGotoFrame", f.m_nFrameGotoFrame);
    io.Field(304, "m_nHotspotGotoFrame", f.m_nHotspotGotoFrame);
    io.Field(308, "m_nHotspotUntilFrame", f.m_nHotspotUntilFrame);
    io.Field(312, "m_nBubbleUntilFrame", f.m_nBubbleUntilFrame);
    io.Field(316, "m_nSoundParamA", f.m_nSoundParamA);
    io.Field(320, "m_nSoundParamB", f.m_nSoundParamB);
    io.Field(324, "m_nSoundParamC", f.m_nSoundParamC);
    io.Field(328, "m_fSoundParamD", f.m_fSoundParamD);
    io.Field(332, "m_nSoundParamE", f.m_nSoundParamE);
    io.Field(336, "m_nSyncOffset", f.m_nSyncOffset);
    io.SyncGroup(340, "m_pSyncOwner");
    io.Field(344, "m_nSyncIndex", f.m_nSyncIndex);
    io.Field(348, "m_nStartTime", f.m_nStartTime);
    io.Field(352, "m_nNaturalDuration", f.m_nNaturalDuration);
    io.Field(354, "m_bLinearPlay", f.m_bLinearPlay);
    io.Field(355, "m_bPictureFollowing", f.m_bPictureFollowing);
    io.Field(356, "m_bPictureLayer", f.m_bPictureLayer);
    io.Field(357, "m_bCursorNotShown", f.m_bCursorNotShown);
    io.Field(358, "m_bCountedLines", f.m_bCountedLines);
    io.Field(359, "m_bNavigation", f.m_bNavigation);
    io.Field(360, "m_bBubbleAnimation", f.m_bBubbleAnimation);
    io.Field(361, "m_bNoWrap", f.m_bNoWrap);
    io.Reserved(362, 2);
    io.Field(364, "m_nPictureUntil", f.m_nPictureUntil);
    io.Field(368, "m_nPictureTransparency", f.m_nPictureTransparency);
    io.Reserved(369, 3);
    io.Present(372, "m_pszSoundRel", f.m_pszSoundRel);
    io.Field(376, "m_nSoundRelLen", f.m_nSoundRelLen);
    io.Present(380, "m_pBubbleAnimation", f.m_pBubbleAnimation);
    io.Field(384, "m_nTextAlign", f.m_nTextAlign);
    io.Field(385, "m_bResync", f.m_bResync);
    io.Field(386, "m_bZoomFollowMouse", f.m_bZoomFollowMouse);
    io.Field(387, "m_bZoom", f.m_bZoom);
    io.Field(388, "m_bZoomFull", f.m_bZoomFull);
    io.Reserved(389, 7);
    io.Field(396, "m_rcZoom", f.m_rcZoom);
    io.Reserved(412, 8);
    io.Field(420, "m_nUserDuration", f.m_nUserDuration);
    io.Reserved(424, 4);
    io.Field(428, "m_nImageWidthPct", f.m_nImageWidthPct);
    io.Field(430, "m_nImageHeightPct", f.m_nImageHeightPct);
    io.Field(432, "m_bSpeak", f.m_bSpeak);
    io.Reserved(433, 4);
    io.Field(437, "m_bBackgroundSound", f.m_bBackgroundSound);
    io.Field(438, "m_bSyncCalculated", f.m_bSyncCalculated);
    io.Field(439, "m_bLoopSound", f.m_bLoopSound);
    io.Present(440, "m_pSpeech", f.m_pSpeech);
    io.Field(444, "m_nSoundDuration", f.m_nSoundDuration);
    io.Field(448, "m_bMouseHidden", f.m_bMouseHidden);
    io.Field(449, "m_bZoomCut", f.m_bZoomCut);
    io.Reserved(450, 2);
    io.Field(452, "m_bBackgroundSyncEnd", f.m_bBackgroundSyncEnd);
    io.Reserved(453, 11);
    io.Present(464, "m_pChapter", f.m_pChapter);
    io.Field(468, "m_nChapterLen", f.m_nChapterLen);
    io.Reserved(470, 2);
    io.Field(472, "m_nSource", f.m_nSource);
    io.Reserved(476, 4);
    io.MemoryOnly(480, 8, "m_nDataStart");
    io.MemoryOnly(488, 8, "m_nDataEnd");
    io.Field(496, "m_nCursorSource", f.m_nCursorSource);
    io.Reserved(498, 22);
}

class CImageWriter {
public:
    CImageWriter(TFrameRecordImage& out, const CFrameRecord& frame, const SFrameRecordLinks& links)
        : m_out(out), m_frame(frame), m_links(links) {}

    template <class T>
    void Field(std::size_t nOffset, const char*, const T& value) {
        uint8_t* p = m_out.data() + nOffset;
        if constexpr (std::is_same_v<T, SRect>) {
            PutI32(p, value.left);
            PutI32(p + 4, value.top);
            PutI32(p + 8, value.right);
            PutI32(p + 12, value.bottom);
        } else if constexpr (std::is_same_v<T, std::array<uint16_t, 4>>) {
            for (std::size_t i = 0; i < value.size(); ++i) {
                PutU16(p + 2 * i, value[i]);
            }
        } else if constexpr (std::is_same_v<T, float>) {
            PutF32(p, value);
        } else if constexpr (sizeof(T) == 1) {
            PutU8(p, static_cast<uint8_t>(value));
        } else if constexpr (sizeof(T) == 2) {
            PutU16(p, static_cast<uint16_t>(value));
        } else {
            static_assert(sizeof(T) == 4);
            PutU32(p, static_cast<uint32_t>(value));
        }
    }
    template <class T>
    void Present(std::size_t nOffset, const char*, const std::optional<T>& item,
                 bool bStored = true) {
        PutU32(m_out.data() + nOffset, item.has_value() && bStored ? 1 : 0);
    }
    void Link(std::size_t nOffset, const char*, bool SFrameRecordLinks::*pLink) {
        PutU32(m_out.data() + nOffset, m_links.*pLink ? 1 : 0);
    }
    void SyncGroup(std::size_t nOffset, const char*) {
        PutU32(m_out.data() + nOffset, m_links.nSyncGroup);
    }
    void MemoryOnly(std::size_t nOffset, std::size_t nWidth, const char*) {
        std::memset(m_out.data() + nOffset, 0, nWidth);
    }
    void Reserved(std::size_t nOffset, std::size_t nWidth) {
        std::memcpy(m_out.data() + nOffset, m_frame.m_Reserved.data() + m_nReserved, nWidth);
        m_nReserved += nWidth;
    }

private:
    TFrameRecordImage& m_out;
    const CFrameRecord& m_frame;
    const SFrameRecordLinks& m_links;
    std::size_t m_nReserved = 0;
};

class CImageReader {
public:
    CImageReader(const TFrameRecordImage& in, CFrameRecord& frame) : m_in(in), m_frame(frame) {}

    template <class T>
    void Field(std::size_t nOffset, const char*, T& value) {
        const uint8_t* p = m_in.data() + nOffset;
        if constexpr (std::is_same_v<T, SRect>) {
            value = {GetI32(p), GetI32(p + 4), GetI32(p + 8), GetI32(p + 12)};
        } else if constexpr (std::is_same_v<T, std::array<uint16_t, 4>>) {
            for (std::size_t i = 0; i < value.size(); ++i) {
                value[i] = GetU16(p + 2 * i);
            }
        } else if constexpr (std::is_same_v<T, float>) {
            value = GetF32(p);
        } else if constexpr (sizeof(T) == 1) {
            value = static_cast<T>(GetU8(p));
        } else if constexpr (sizeof(T) == 2) {
            value = static_cast<T>(GetU16(p));
        } else {
            static_assert(sizeof(T) == 4);
            value = static_cast<T>(GetU32(p));
        }
    }
    template <class T>
    void Present(std::size_t nOffset, const char*, std::optional<T>& item, bool = true) {
        if (GetU32(m_in.data() + nOffset) != 0) {
            item.emplace();
        } else {
            item.reset();
        }
    }
    void Link(std::size_t nOffset, const char*, bool SFrameRecordLinks::*pLink) {
        m_links.*pLink = GetU32(m_in.data() + nOffset) != 0;
    }
    void SyncGroup(std::size_t nOffset, const char*) {
        m_links.nSyncGroup = GetU32(m_in.data() + nOffset);
    }
    void MemoryOnly(std::size_t, std::size_t, const char*) {}
    void Reserved(std::size_t nOffset, std::size_t nWidth) {
        std::memcpy(m_frame.m_Reserved.data() + m_nReserved, m_in.data() + nOffset, nWidth);
        m_nReserved += nWidth;
    }

    const SFrameRecordLinks& Links() const { return m_links; }

private:
    const TFrameRecordImage& m_in;
    CFrameRecord& m_frame;
    SFrameRecordLinks m_links;
    std::size_t m_nReserved = 0;
};

class CLayoutLister {
public:
    template <class T>
    void Field(std::size_t nOffset, const char* name, const T&) {
        Add(nOffset, sizeof(T), name);
    }
    template <class T>
    void Present(std::size_t nOffset, const char* name, const std::optional<T>&, bool = true) {
        Add(nOffset, 4, name);
    }
    void Link(std::size_t nOffset, const char* name, bool SFrameRecordLinks::*) {
        Add(nOffset, 4, name);
    }
    void SyncGroup(std::size_t nOffset, const char* name) { Add(nOffset, 4, name); }
    void MemoryOnly(std::size_t nOffset, std::size_t nWidth, const char* name) {
        Add(nOffset, nWidth, name);
    }
    void Reserved(std::size_t nOffset, std::size_t nWidth) { Add(nOffset, nWidth, "reserved"); }

    std::vector<SFrameRecordField> m_Fields;

private:
    void Add(std::size_t nOffset, std::size_t nWidth, const char* name) {
        m_Fields.push_back({nOffset, nWidth, name});
    }
};

}  // namespace

void WriteFrameRecordImage(const CFrameRecord& frame, const SFrameRecordLinks& links,
                           TFrameRecordImage& out) {
    CImageWriter writer(out, frame, links);
    MapRecord(writer, frame);
}

SFrameRecordLinks ReadFrameRecordImage(const TFrameRecordImage& in, CFrameRecord& frame) {
    CImageReader reader(in, frame);
    MapRecord(reader, frame);
    frame.m_pCache.assign(kFrameCacheSize, 0);
    frame.m_bRedrawAll = 0;
    frame.m_pHotspotImageCache.reset();
    frame.m_pPanPictureCache.reset();
    frame.m_pSyncOwner = nullptr;
    frame.m_nDataStart = 0;
    frame.m_nDataEnd = 0;
    return reader.Links();
}

SFrameRecordLinks CFrameRecordLinker::LinksOf(const CFrameInfo& frame) {
    SFrameRecordLinks links;
    links.bHasPrev = frame.m_pPrev != nullptr;
    links.bHasNext = frame.m_pNext != nullptr;
    if (frame.m_pSyncOwner != nullptr) {
        const uint32_t nNext = static_cast<uint32_t>(m_SyncGroups.size() + 1);
        links.nSyncGroup = m_SyncGroups.try_emplace(frame.m_pSyncOwner, nNext).first->second;
    }
    return links;
}

std::vector<SFrameRecordField> FrameRecordLayout() {
    CLayoutLister lister;
    const CFrameRecord frame;
    MapRecord(lister, frame);
    return lister.m_Fields;
}
