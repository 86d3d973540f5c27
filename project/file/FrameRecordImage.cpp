#include "project/file/FrameRecordImage.h"

#include <cstring>
#include <type_traits>

#include "project/store/ByteOrder.h"

namespace {

// The record's layout, once for every direction: each line names a field's offset, and the
// field's type gives its width. Reserved bytes are taken in record order. The macros give every
// field the name of its member, so that the layout can be listed and checked by name.
#define FIELD(nOffset, member) io.Field(nOffset, #member, f.member)
#define PRESENT(nOffset, member) io.Present(nOffset, #member, f.member)

template <class TIO, class TRecord>
void MapRecord(TIO& io, TRecord& f) {
    PRESENT(0, m_pFormat);
    PRESENT(4, m_pText);
    FIELD(8, m_bCustomDuration);
    io.Reserved(9, 3);
    FIELD(12, m_bDeleted);
    FIELD(16, m_nLegacyStyle);
    FIELD(20, m_bHotspot);
    FIELD(24, m_nDuration);
    FIELD(28, m_nRecordedDuration);
    FIELD(32, m_nFormatLen);
    FIELD(36, m_nTextLen);
    FIELD(40, m_nTextWidth);
    FIELD(44, m_nBubbleX);
    FIELD(48, m_nBubbleY);
    FIELD(52, m_crBubble);
    FIELD(56, m_crText);
    FIELD(60, m_nPointerX);
    FIELD(64, m_nPointerY);
    PRESENT(68, m_pFont);
    io.Link(72, "m_pPrev", &SFrameRecordLinks::bHasPrev);
    io.Link(76, "m_pNext", &SFrameRecordLinks::bHasNext);
    // An undone picture is dropped when the project is saved.
    io.Present(80, "m_pPicture", f.m_pPicture, !f.m_bPictureUndone);
    FIELD(84, m_bPictureUndone);
    io.Reserved(85, 3);
    FIELD(88, m_rcHotspot);
    FIELD(104, m_hCursor);
    FIELD(108, m_nCursorX);
    FIELD(112, m_nCursorY);
    FIELD(116, m_bCursorInverts);
    FIELD(117, m_bClickDown);
    FIELD(118, m_bClickUp);
    FIELD(119, m_bKeyDown);
    PRESENT(120, m_pszSound);
    FIELD(124, m_nSoundLen);
    FIELD(128, m_nSoundVolume);
    FIELD(132, m_nCursorEndX);
    FIELD(134, m_nCursorEndY);
    FIELD(136, m_bSingleFrameSound);
    FIELD(137, m_bPlaySound);
    FIELD(138, m_bUnderline);
    FIELD(139, m_bShadow);
    FIELD(140, m_crHotspot);
    FIELD(144, m_nBubbleStyle);
    FIELD(145, m_nHotspotStyle);
    FIELD(146, m_nLegacyStreamFrame);
    FIELD(148, m_bDuplicate);
    FIELD(149, m_bFrameGoto);
    FIELD(150, m_bHotspotGoto);
    FIELD(151, m_bHotspotShowUntil);
    FIELD(152, m_bBubbleShowUntil);
    FIELD(153, m_bBubbleOnHover);
    FIELD(154, m_bHotspotUrl);
    FIELD(155, m_bHotspotAnimateOnHover);
    PRESENT(156, m_pszHotspotUrl);
    FIELD(160, m_nHotspotUrlLen);
    io.Reserved(162, 2);
    PRESENT(164, m_pszHotspotTarget);
    FIELD(168, m_nHotspotTargetLen);
    FIELD(170, m_nLegacyTargets);
    io.Reserved(178, 2);
    FIELD(180, m_crShadow);
    io.Reserved(184, 3);
    FIELD(187, m_bHotspotRectExact);
    io.Reserved(188, 1);
    FIELD(189, m_nHotspotThickness);
    FIELD(190, m_bHotspotOverText);
    FIELD(191, m_bFrameUrl);
    FIELD(192, m_bIgnoreClick);
    FIELD(193, m_bCursorFromTable);
    FIELD(194, m_bRecClickDown);
    FIELD(195, m_bRecClickUp);
    FIELD(196, m_bClickEdited);
    FIELD(197, m_bKeyUp);
    FIELD(198, m_nFrameEffect);
    io.Reserved(199, 1);
    FIELD(200, m_crFrameEffect);
    io.MemoryOnly(204, 4, "m_pCache");
    PRESENT(208, m_pszFrameUrl);
    FIELD(212, m_nFrameUrlLen);
    io.Reserved(214, 2);
    PRESENT(216, m_pszFrameTarget);
    FIELD(220, m_nFrameTargetLen);
    FIELD(222, m_nHotspotLevel);
    io.Reserved(223, 1);
    FIELD(224, m_nRecCursorX);
    FIELD(228, m_nRecCursorY);
    io.Reserved(232, 4);
    FIELD(236, m_nFrameEffectDuration);
    FIELD(240, m_bImageLockAspect);
    FIELD(241, m_bKeyFrame);
    FIELD(242, m_bShowMouse);
    FIELD(243, m_bKeyFrameNew);
    FIELD(244, m_bAutoGain);
    io.Reserved(245, 1);
    FIELD(246, m_bSyncSound);
    io.MemoryOnly(247, 1, "m_bRedrawAll");
    FIELD(248, m_nBackgroundVolume);
    PRESENT(252, m_pszHotspotImage);
    io.MemoryOnly(256, 4, "m_pHotspotImageCache");
    FIELD(260, m_nImageWidth);
    FIELD(264, m_nImageHeight);
    FIELD(268, m_nHotspotImageLen);
    FIELD(270, m_nImageFadeIn);
    FIELD(272, m_nImageFadeOut);
    FIELD(274, m_nImageSizeMode);
    FIELD(276, m_nAltDuration);
    FIELD(280, m_nImageTransparency);
    FIELD(282, m_nPanX);
    FIELD(284, m_nPanY);
    io.Reserved(286, 2);
    PRESENT(288, m_pPanPicture);
    io.MemoryOnly(292, 4, "m_pPanPictureCache");
    FIELD(296, m_nStreamFrame);
    FIELD(300, m_nFrameGotoFrame);
    FIELD(304, m_nHotspotGotoFrame);
    FIELD(308, m_nHotspotUntilFrame);
    FIELD(312, m_nBubbleUntilFrame);
    FIELD(316, m_nSoundParamA);
    FIELD(320, m_nSoundParamB);
    FIELD(324, m_nSoundParamC);
    FIELD(328, m_fSoundParamD);
    FIELD(332, m_nSoundParamE);
    FIELD(336, m_nSyncOffset);
    io.SyncGroup(340, "m_pSyncOwner");
    FIELD(344, m_nSyncIndex);
    FIELD(348, m_nStartTime);
    FIELD(352, m_nNaturalDuration);
    FIELD(354, m_bLinearPlay);
    FIELD(355, m_bPictureFollowing);
    FIELD(356, m_bPictureLayer);
    FIELD(357, m_bCursorNotShown);
    FIELD(358, m_bCountedLines);
    FIELD(359, m_bNavigation);
    FIELD(360, m_bBubbleAnimation);
    FIELD(361, m_bNoWrap);
    io.Reserved(362, 2);
    FIELD(364, m_nPictureUntil);
    FIELD(368, m_nPictureTransparency);
    io.Reserved(369, 3);
    PRESENT(372, m_pszSoundRel);
    FIELD(376, m_nSoundRelLen);
    PRESENT(380, m_pBubbleAnimation);
    FIELD(384, m_nTextAlign);
    FIELD(385, m_bResync);
    FIELD(386, m_bZoomFollowMouse);
    FIELD(387, m_bZoom);
    FIELD(388, m_bZoomFull);
    io.Reserved(389, 7);
    FIELD(396, m_rcZoom);
    io.Reserved(412, 8);
    FIELD(420, m_nUserDuration);
    io.Reserved(424, 4);
    FIELD(428, m_nImageWidthPct);
    FIELD(430, m_nImageHeightPct);
    FIELD(432, m_bSpeak);
    io.Reserved(433, 4);
    FIELD(437, m_bBackgroundSound);
    FIELD(438, m_bSyncCalculated);
    FIELD(439, m_bLoopSound);
    PRESENT(440, m_pSpeech);
    FIELD(444, m_nSoundDuration);
    FIELD(448, m_bMouseHidden);
    FIELD(449, m_bZoomCut);
    io.Reserved(450, 2);
    FIELD(452, m_bBackgroundSyncEnd);
    io.Reserved(453, 11);
    PRESENT(464, m_pChapter);
    FIELD(468, m_nChapterLen);
    io.Reserved(470, 2);
    FIELD(472, m_nSource);
    io.Reserved(476, 4);
    io.MemoryOnly(480, 8, "m_nDataStart");
    io.MemoryOnly(488, 8, "m_nDataEnd");
    FIELD(496, m_nCursorSource);
    io.Reserved(498, 22);
}

#undef FIELD
#undef PRESENT

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
