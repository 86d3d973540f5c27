#include "project/model/DemoProject.h"

#include <limits>
#include <utility>

#include "project/model/FrameTiming.h"

CDemoProject::CDemoProject() : m_ColorHistogram(kColorHistogramSize, 0) {}

CDemoProject::~CDemoProject() {
    ClearFrames();
}

CFrameInfo* CDemoProject::FrameAt(uint32_t nIndex) const {
    if (nIndex >= m_nFrames) {
        return nullptr;
    }
    // Walk from whichever end is nearer.
    if (nIndex < m_nFrames / 2) {
        CFrameInfo* pFrame = m_pFirstFrame;
        for (uint32_t i = 0; i < nIndex; ++i) {
            pFrame = pFrame->m_pNext;
        }
        return pFrame;
    }
    CFrameInfo* pFrame = m_pLastFrame;
    for (uint32_t i = m_nFrames - 1; i > nIndex; --i) {
        pFrame = pFrame->m_pPrev;
    }
    return pFrame;
}

int64_t CDemoProject::IndexOf(const CFrameInfo* pFrame) const {
    int64_t nIndex = 0;
    for (const CFrameInfo* p = m_pFirstFrame; p != nullptr; p = p->m_pNext, ++nIndex) {
        if (p == pFrame) {
            return nIndex;
        }
    }
    return -1;
}

void CDemoProject::Link(CFrameInfo* pAfter, CFrameInfo* pFrame) {
    pFrame->m_pPrev = pAfter;
    pFrame->m_pNext = pAfter != nullptr ? pAfter->m_pNext : m_pFirstFrame;
    if (pFrame->m_pNext != nullptr) {
        pFrame->m_pNext->m_pPrev = pFrame;
    } else {
        m_pLastFrame = pFrame;
    }
    if (pAfter != nullptr) {
        pAfter->m_pNext = pFrame;
    } else {
        m_pFirstFrame = pFrame;
    }
    ++m_nFrames;
}

CFrameInfo& CDemoProject::AppendFrame(std::unique_ptr<CFrameInfo> pFrame) {
    return InsertAfter(m_pLastFrame, std::move(pFrame));
}

CFrameInfo& CDemoProject::InsertAfter(CFrameInfo* pAfter, std::unique_ptr<CFrameInfo> pFrame) {
    CFrameInfo* pNew = pFrame.release();
    // Appending, the common case while recording, never moves the current frame.
    const bool bBeforeCurrent = m_pCurrentFrame != nullptr && pAfter != m_pLastFrame &&
                                pAfter != m_pCurrentFrame &&
                                (pAfter == nullptr || IndexOf(pAfter) < m_nCurrentFrame);
    Link(pAfter, pNew);
    if (m_pCurrentFrame == nullptr) {
        m_pCurrentFrame = m_pFirstFrame;
        m_nCurrentFrame = 0;
    } else if (bBeforeCurrent) {
        ++m_nCurrentFrame;
    }
    return *pNew;
}

CFrameInfo& CDemoProject::InsertAt(uint32_t nIndex, std::unique_ptr<CFrameInfo> pFrame) {
    if (nIndex >= m_nFrames) {
        return AppendFrame(std::move(pFrame));
    }
    return InsertAfter(nIndex == 0 ? nullptr : FrameAt(nIndex - 1), std::move(pFrame));
}

std::unique_ptr<CFrameInfo> CDemoProject::RemoveFrame(CFrameInfo* pFrame) {
    const int64_t nIndex = IndexOf(pFrame);
    if (nIndex < 0) {
        return nullptr;
    }
    for (CFrameInfo* p = m_pFirstFrame; p != nullptr; p = p->m_pNext) {
        if (p->m_pSyncOwner == pFrame && p != pFrame) {
            p->m_pSyncOwner = nullptr;
        }
    }
    if (pFrame->m_pPrev != nullptr) {
        pFrame->m_pPrev->m_pNext = pFrame->m_pNext;
    } else {
        m_pFirstFrame = pFrame->m_pNext;
    }
    if (pFrame->m_pNext != nullptr) {
        pFrame->m_pNext->m_pPrev = pFrame->m_pPrev;
    } else {
        m_pLastFrame = pFrame->m_pPrev;
    }
    --m_nFrames;
    if (pFrame == m_pCurrentFrame) {
        if (pFrame->m_pNext != nullptr) {
            m_pCurrentFrame = pFrame->m_pNext;
        } else {
            m_pCurrentFrame = pFrame->m_pPrev;
            m_nCurrentFrame = m_pCurrentFrame != nullptr ? m_nFrames - 1 : 0;
        }
    } else if (nIndex < m_nCurrentFrame) {
        --m_nCurrentFrame;
    }
    pFrame->m_pPrev = nullptr;
    pFrame->m_pNext = nullptr;
    if (pFrame->m_pSyncOwner == pFrame) {
        pFrame->m_pSyncOwner = nullptr;
    }
    return std::unique_ptr<CFrameInfo>(pFrame);
}

void CDemoProject::ClearFrames() {
    CFrameInfo* pFrame = m_pFirstFrame;
    while (pFrame != nullptr) {
        CFrameInfo* pNext = pFrame->m_pNext;
        delete pFrame;
        pFrame = pNext;
    }
    m_pFirstFrame = nullptr;
    m_pLastFrame = nullptr;
    m_pCurrentFrame = nullptr;
    m_nCurrentFrame = 0;
    m_nFrames = 0;
}

bool CDemoProject::SetCurrentFrame(uint32_t nIndex) {
    CFrameInfo* pFrame = FrameAt(nIndex);
    if (pFrame == nullptr) {
        return false;
    }
    m_pCurrentFrame = pFrame;
    m_nCurrentFrame = nIndex;
    return true;
}

CFrameInfo& CDemoProject::AppendCapturedFrame(const SCaptureContext& context) {
    auto pNew = std::make_unique<CFrameInfo>();
    CFrameInfo& frame = *pNew;
    ++m_nStreamFrames;
    AppendFrame(std::move(pNew));

    // The frame's own 1-based number + 1: each target names the frame that follows.
    const int32_t nNextNumber = static_cast<int32_t>(m_nFrames) + 1;
    frame.m_pCache.assign(kFrameCacheSize, 0);
    frame.m_nLegacyStyle = 1;
    frame.m_nTextWidth = 10000;
    frame.m_nBubbleX = m_nWidth / 5;
    frame.m_nBubbleY = m_nHeight / 5;
    frame.m_crBubble = m_crDefaultBubble;
    frame.m_crText = kColorNotSet;
    frame.m_nPointerX = kNoPointer;
    frame.m_rcHotspot = m_rcDefaultHotspot;
    frame.m_nCursorX = kCursorUnknown;
    frame.m_nCursorY = kCursorUnknown;
    frame.m_nSoundVolume = kFullVolume;
    frame.m_nCursorEndX = kCursorEndNone;
    frame.m_nCursorEndY = kCursorEndNone;
    frame.m_crHotspot = m_crDefaultHotspot;
    frame.m_nBubbleStyle = kNoStyle;
    frame.m_nHotspotStyle = kNoStyle;
    frame.m_crShadow = m_crDefaultShadow;
    frame.m_bHotspotRectExact = 1;
    frame.m_nHotspotThickness = m_nDefaultHotspotThickness;
    frame.m_bHotspotOverText = 1;
    frame.m_bCursorFromTable = 1;
    frame.m_crFrameEffect = kColorNotSet;
    frame.m_nHotspotLevel = m_nDefaultHotspotLevel;
    frame.m_nRecCursorX = kCursorUnknown;
    frame.m_nRecCursorY = kCursorUnknown;
    frame.m_bImageLockAspect = 1;
    frame.m_nBackgroundVolume = kDefaultBackgroundVolume;
    frame.m_nImageFadeIn = 25;
    frame.m_nImageFadeOut = 25;
    frame.m_nImageSizeMode = 9;
    frame.m_nAltDuration = kNoDuration;
    frame.m_nPanX = context.nPanX;
    frame.m_nPanY = context.nPanY;
    frame.m_nStreamFrame = kNoStreamFrame;
    frame.m_nFrameGotoFrame = nNextNumber;
    frame.m_nHotspotGotoFrame = nNextNumber;
    frame.m_nHotspotUntilFrame = nNextNumber;
    frame.m_nBubbleUntilFrame = nNextNumber;
    frame.m_nSoundParamA = 256;
    frame.m_fSoundParamD = 1.0f;
    frame.m_bCountedLines = 1;
    frame.m_rcZoom = m_rcDefaultZoom;
    frame.m_nUserDuration = kNoDuration;
    frame.m_nImageWidthPct = 100;
    frame.m_nImageHeightPct = 100;

    if (context.bNarration) {
        if (&frame == m_pFirstFrame) {
            frame.m_bSyncSound = 1;
            frame.m_bPlaySound = 1;
        }
        frame.m_pSyncOwner = m_pFirstFrame;
        frame.m_nSyncOffset = context.nNarrationPos;
        frame.m_nSyncIndex = static_cast<int32_t>(m_nFrames) - 1;
    }
    return frame;
}

int32_t CDemoProject::NaturalDuration(const CFrameRecord& frame) {
    return ::NaturalDuration(frame);
}

int32_t CDemoProject::EffectiveDuration(const CFrameRecord& frame) const {
    return ::EffectiveDuration(frame, m_fSwfDelayScale);
}

uint32_t CDemoProject::HistogramIndex(uint32_t nPixel) {
    const uint32_t blue = (nPixel >> 3) & 0x1F;
    const uint32_t green = (nPixel >> 11) & 0x1F;
    const uint32_t red = (nPixel >> 19) & 0x1F;
    return blue | (green << 5) | (red << 10);
}

void CDemoProject::CountColor(uint32_t nPixel) {
    uint32_t& counter = m_ColorHistogram[HistogramIndex(nPixel)];
    if (counter != std::numeric_limits<uint32_t>::max()) {
        ++counter;
    }
}
