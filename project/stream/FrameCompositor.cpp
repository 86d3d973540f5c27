#include "project/stream/FrameCompositor.h"

#include <zlib.h>

#include <algorithm>

#include "project/model/DemoProject.h"
#include "project/stream/PictureBlock.h"
#include "project/stream/StreamFile.h"

namespace {

constexpr uint32_t kOpaque = 0xFF000000;

uint32_t Blend(uint32_t crSrc, uint32_t crDst, uint32_t nAlpha) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t s = (crSrc >> shift) & 0xFF;
        const uint32_t d = (crDst >> shift) & 0xFF;
        out |= ((s * nAlpha + d * (255 - nAlpha)) / 255) << shift;
    }
    return out;
}

uint32_t BlockChecksum(const std::vector<uint8_t>& block) {
    return static_cast<uint32_t>(
        adler32(adler32(0, nullptr, 0), block.data(), static_cast<uInt>(block.size())));
}

}  // namespace

CFrameCompositor::CFrameCompositor(CDemoProject& project) : m_Project(project) {}

CFrameCompositor::~CFrameCompositor() = default;

void CFrameCompositor::SetSources(std::vector<const CStreamFile*> sources) {
    m_Sources = std::move(sources);
    // Positions found in the old streams mean nothing in the new ones.
    for (CFrameInfo* p = m_Project.FirstFrame(); p != nullptr; p = p->m_pNext) {
        p->m_nDataStart = 0;
        p->m_nDataEnd = 0;
    }
    Reset();
}

void CFrameCompositor::Reset() {
    m_nCurrent = 0;
    m_pCurrent = nullptr;
    m_nDirection = 1;
    m_bBuilt = false;
    m_bMissing = false;
    m_bDamaged = false;
    m_Cursor = SCursorLayer{};
    m_Picture = CPixelPicture{};
    m_nOriginX = 0;
    m_nOriginY = 0;
    m_Blocks.clear();
}

void CFrameCompositor::RegisterLayer(const CFrameInfo* pFrame, uint32_t nFirst) {
    UnregisterLayer(pFrame);
    m_Layers.push_back(SLayer{pFrame, nFirst});
}

void CFrameCompositor::UnregisterLayer(const CFrameInfo* pFrame) {
    std::erase_if(m_Layers, [pFrame](const SLayer& layer) { return layer.pFrame == pFrame; });
    m_Blocks.erase(pFrame);
}

void CFrameCompositor::RefreshFrames() {
    m_Frames.clear();
    m_StreamPictures.clear();
    // The n-th frame of a source that is not a duplicate shows that source's n-th picture.
    // Frames of a source that is not open count among themselves; they are never decoded.
    std::vector<uint32_t> nextPicture(m_Sources.size() + 1, 0);
    for (CFrameInfo* p = m_Project.FirstFrame(); p != nullptr; p = p->m_pNext) {
        m_Frames.push_back(p);
        if (p->m_bDuplicate) {
            m_StreamPictures.push_back(p->m_nStreamFrame);
        } else {
            const size_t nSource =
                p->m_nSource >= 0 ? static_cast<size_t>(p->m_nSource) : m_Sources.size();
            m_StreamPictures.push_back(nextPicture[std::min(nSource, m_Sources.size())]++);
        }
    }
    if (m_bBuilt && m_nCurrent >= m_Frames.size()) {
        m_bBuilt = false;
    }
}

bool CFrameCompositor::EnsureCanvas() {
    int nWidth = m_Project.m_nWidth;
    int nHeight = m_Project.m_nHeight;
    bool bPan = false;
    if (!m_Frames.empty()) {
        if (const CPixelPicture* pPan = PanPicture(*m_Frames.front());
            pPan != nullptr && pPan->m_nWidth >= nWidth && pPan->m_nHeight >= nHeight) {
            nWidth = pPan->m_nWidth;
            nHeight = pPan->m_nHeight;
            bPan = true;
        }
    }
    if (nWidth <= 0 || nHeight <= 0 ||
        static_cast<uint64_t>(nWidth) * static_cast<uint64_t>(nHeight) > kMaxCanvasPixels) {
        m_Picture = CPixelPicture{};
        m_bBuilt = false;
        return false;
    }
    m_bPan = bPan;
    if (m_Picture.m_nWidth != nWidth || m_Picture.m_nHeight != nHeight) {
        m_Picture.m_nWidth = nWidth;
        m_Picture.m_nHeight = nHeight;
        m_Picture.m_Pixels.assign(static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight), 0);
        m_bBuilt = false;
    }
    return true;
}

const CPixelPicture* CFrameCompositor::PanPicture(CFrameInfo& frame) {
    if (!frame.m_pPanPicture) {
        return nullptr;
    }
    if (!frame.m_pPanPictureCache) {
        auto pPicture = std::make_shared<CPixelPicture>();
        if (!DecodePictureBlock(*frame.m_pPanPicture, *pPicture)) {
            m_bDamaged = true;
            return nullptr;
        }
        frame.m_pPanPictureCache = std::move(pPicture);
    }
    return frame.m_pPanPictureCache.get();
}

void CFrameCompositor::Origin(const CFrameInfo& frame, int& nX, int& nY) const {
    nX = m_bPan ? frame.m_nPanX : 0;
    nY = m_bPan ? frame.m_nPanY : 0;
}

void CFrameCompositor::SourceOffset(const CFrameInfo& frame, int& nX, int& nY) const {
    nX = 0;
    nY = 0;
    const CStreamFile* pSource = frame.m_nSource > 0 ? SourceOf(frame) : nullptr;
    if (pSource == nullptr) {
        return;
    }
    // Another project's recording sits centred in the recorded area, as combining placed its
    // overlays; one that is larger keeps its top-left corner.
    nX = std::max(0, (m_Project.m_nWidth - pSource->Header().nWidth) / 2);
    nY = std::max(0, (m_Project.m_nHeight - pSource->Header().nHeight) / 2);
}

bool CFrameCompositor::CoversRecordedArea(const CFrameInfo& frame) const {
    const CStreamFile* pSource = frame.m_nSource > 0 ? SourceOf(frame) : nullptr;
    return pSource == nullptr || (pSource->Header().nWidth >= m_Project.m_nWidth &&
                                  pSource->Header().nHeight >= m_Project.m_nHeight);
}

bool CFrameCompositor::BeginsRun(uint32_t nIndex) const {
    return nIndex > 0 && m_Frames[nIndex - 1]->m_nSource != m_Frames[nIndex]->m_nSource;
}

bool CFrameCompositor::ClearsFirst(uint32_t nIndex) const {
    const CFrameInfo& frame = *m_Frames[nIndex];
    if (m_bPan || SourceOf(frame) == nullptr) {
        return false;
    }
    // The first frame of another project's run starts from an empty picture, as it does in its
    // own project; so does a key frame of a smaller recording, whose border it does not cover.
    return BeginsRun(nIndex) || (frame.m_bKeyFrame != 0 && !CoversRecordedArea(frame));
}

const CStreamFile* CFrameCompositor::SourceOf(const CFrameInfo& frame) const {
    const int32_t nSource = frame.m_nSource;
    if (nSource < 0 || static_cast<size_t>(nSource) >= m_Sources.size()) {
        return nullptr;
    }
    const CStreamFile* pSource = m_Sources[static_cast<size_t>(nSource)];
    return pSource != nullptr && pSource->IsOpen() ? pSource : nullptr;
}

bool CFrameCompositor::StartsAfresh(uint32_t nIndex) {
    CFrameInfo& frame = *m_Frames[nIndex];
    if (SourceOf(frame) == nullptr) {
        return false;
    }
    if (m_bPan) {
        const CPixelPicture* pPan = PanPicture(frame);
        return pPan != nullptr && pPan->m_nWidth == m_Picture.m_nWidth &&
               pPan->m_nHeight == m_Picture.m_nHeight;
    }
    return frame.m_bKeyFrame != 0 || frame.m_bRedrawAll != 0 || ClearsFirst(nIndex);
}

bool CFrameCompositor::RestoresBackward(uint32_t nIndex) const {
    const CFrameInfo& frame = *m_Frames[nIndex];
    return SourceOf(frame) != nullptr && !frame.m_bRedrawAll && !(m_bPan && frame.m_pPanPicture) &&
           !BeginsRun(nIndex);
}

bool CFrameCompositor::BuildFrame(CFrameInfo& frame, int nDirection) {
    RefreshFrames();
    if (!EnsureCanvas()) {
        return false;
    }
    auto it = std::find(m_Frames.begin(), m_Frames.end(), &frame);
    if (it == m_Frames.end()) {
        return false;
    }
    return BuildAt(static_cast<uint32_t>(it - m_Frames.begin()), nDirection >= 0 ? 1 : -1);
}

bool CFrameCompositor::BuildAt(uint32_t nIndex, int nDirection) {
    CFrameInfo& frame = *m_Frames[nIndex];
    m_Cursor.bPresent = false;
    ++m_nDecoded;
    if (frame.m_bRedrawAll && nDirection > 0) {
        std::fill(m_Picture.m_Pixels.begin(), m_Picture.m_Pixels.end(),
                  m_Options.crBackground & 0xFFFFFF);
    } else if (nDirection > 0 && ClearsFirst(nIndex)) {
        std::fill(m_Picture.m_Pixels.begin(), m_Picture.m_Pixels.end(), 0);
    }
    const CStreamFile* pSource = SourceOf(frame);
    if (pSource == nullptr) {
        m_bMissing = true;
        return false;
    }
    if (m_bPan && nDirection > 0) {
        if (const CPixelPicture* pPan = PanPicture(frame)) {
            const int nWidth = std::min(pPan->m_nWidth, m_Picture.m_nWidth);
            for (int y = 0; y < std::min(pPan->m_nHeight, m_Picture.m_nHeight); ++y) {
                const uint32_t* pFrom =
                    pPan->m_Pixels.data() + static_cast<size_t>(y) * pPan->m_nWidth;
                uint32_t* pTo =
                    m_Picture.m_Pixels.data() + static_cast<size_t>(y) * m_Picture.m_nWidth;
                for (int x = 0; x < nWidth; ++x) {
                    pTo[x] = pFrom[x] & 0xFFFFFF;
                }
            }
        }
    }
    if (frame.m_nDataStart == 0) {
        uint64_t nStart = 0;
        uint64_t nEnd = 0;
        bool bCut = false;
        if (!pSource->PictureRange(m_StreamPictures[nIndex], nStart, nEnd, bCut)) {
            m_bDamaged = true;
            return false;
        }
        m_bDamaged = m_bDamaged || bCut;
        frame.m_nDataStart = static_cast<int64_t>(nStart);
        frame.m_nDataEnd = static_cast<int64_t>(nEnd);
    }
    if (frame.m_nSource == 0) {
        m_Project.m_nStreamPos = m_StreamPictures[nIndex] + (nDirection > 0 ? 1 : 0);
    }
    return ApplyRecords(frame, *pSource, nDirection);
}

bool CFrameCompositor::ApplyRecords(CFrameInfo& frame, const CStreamFile& source, int nDirection) {
    if (frame.m_nDataStart < 0 || frame.m_nDataEnd < frame.m_nDataStart ||
        !source.ReadData(static_cast<uint64_t>(frame.m_nDataStart),
                         static_cast<uint64_t>(frame.m_nDataEnd), m_Bytes)) {
        m_bDamaged = true;
        return false;
    }
    EPixelCoding coding = EPixelCoding::Rle24;
    if (source.Header().bZlibPixels) {
        coding = EPixelCoding::Zlib32;
    } else if (!m_Project.m_b24BitColor) {
        coding = EPixelCoding::Rle15;
    }
    m_Decoder.SetCoding(coding);
    m_Decoder.ClearDamage();
    CByteReader reader(m_Bytes);
    bool bOk = true;
    for (;;) {
        SStreamRecordHead head;
        const ERecordRead result = ReadRecordHead(reader, head);
        if (result == ERecordRead::Truncated) {
            bOk = false;
        }
        if (result != ERecordRead::Ok) {
            break;
        }
        if (head.nType == kRecordOldPixels || head.nType == kRecordNewPixels) {
            const bool bKeep = (head.nType == kRecordNewPixels) == (nDirection > 0);
            ApplyRect(head, reader, frame, bKeep);
        } else if (head.nType == kRecordCursor) {
            if (nDirection > 0) {
                ReadCursor(head, reader, frame);
            } else {
                m_Decoder.SkipRect(reader, head.rect.PixelCount());
            }
        }
    }
    if (m_Decoder.Damaged() || !bOk) {
        m_bDamaged = true;
        return false;
    }
    return true;
}

void CFrameCompositor::ApplyRect(const SStreamRecordHead& head, CByteReader& reader,
                                 CFrameInfo& frame, bool bKeep) {
    const SStreamRect& rc = head.rect;
    if (!rc.Valid()) {
        m_bDamaged = true;
        m_Decoder.SkipRect(reader, 0);
        return;
    }
    const uint64_t nPixels = rc.PixelCount();
    if (!bKeep) {
        m_Decoder.SkipRect(reader, nPixels);
        return;
    }
    int nLastRow = rc.nBottom;
    if (m_Project.m_bOldRecordSize) {
        nLastRow = std::min(nLastRow, m_Project.m_nHeight - 1);
        const int64_t nArea = static_cast<int64_t>(rc.nRight - rc.nLeft) * (rc.nBottom - rc.nTop);
        if (nArea > static_cast<int64_t>(m_Project.m_nWidth) * m_Project.m_nHeight / 3) {
            frame.m_bKeyFrame = 1;
        }
    }
    int nOriginX = 0;
    int nOriginY = 0;
    Origin(frame, nOriginX, nOriginY);
    int nSourceX = 0;
    int nSourceY = 0;
    SourceOffset(frame, nSourceX, nSourceY);
    nOriginX += nSourceX;
    nOriginY += nSourceY;
    const int x0 = rc.nLeft + nOriginX;
    const int y0 = rc.nTop + nOriginY;
    const int x1 = rc.nRight + nOriginX;
    const int y1 = nLastRow + nOriginY;
    const CPixelPicture& pic = m_Picture;
    if (x0 < 0 || y0 < 0 || x1 >= pic.m_nWidth || y1 >= pic.m_nHeight || nLastRow < rc.nTop) {
        // Nothing of a rectangle outside the picture is stored; its bytes are passed over.
        m_bDamaged = true;
        m_Decoder.SkipRect(reader, nPixels);
        return;
    }
    m_Decoder.BeginRect(reader, nPixels);
    const size_t nStride = static_cast<size_t>(pic.m_nWidth);
    const int nRows = rc.Height();
    const int nKept = y1 - y0 + 1;
    for (int x = x0; x <= x1; ++x) {
        uint32_t* p = m_Picture.m_Pixels.data() + static_cast<size_t>(y0) * nStride + x;
        for (int y = 0; y < nKept; ++y, p += nStride) {
            *p = m_Decoder.NextPixel();
        }
        m_Decoder.SkipPixels(static_cast<uint64_t>(nRows - nKept));
    }
}

void CFrameCompositor::ReadCursor(const SStreamRecordHead& head, CByteReader& reader,
                                  CFrameInfo& frame) {
    const SStreamRect& rc = head.rect;
    int nOriginX = 0;
    int nOriginY = 0;
    Origin(frame, nOriginX, nOriginY);
    int nSourceX = 0;
    int nSourceY = 0;
    SourceOffset(frame, nSourceX, nSourceY);
    if (!rc.Valid() || rc.nLeft + nSourceX + nOriginX < 0 || rc.nTop + nSourceY + nOriginY < 0 ||
        rc.nRight + nSourceX + nOriginX >= m_Picture.m_nWidth ||
        rc.nBottom + nSourceY + nOriginY >= m_Picture.m_nHeight) {
        m_bDamaged = true;
        m_Decoder.SkipRect(reader, rc.PixelCount());
        return;
    }
    // Cursor positions are kept in pixels of the recorded area.
    frame.m_nRecCursorX = rc.nLeft + nSourceX;
    frame.m_nRecCursorY = rc.nTop + nSourceY;
    if (frame.m_nCursorX == kCursorUnknown) {
        frame.m_nCursorX = frame.m_nRecCursorX;
        frame.m_nCursorY = frame.m_nRecCursorY;
    }
    SCursorLayer& layer = m_Cursor;
    layer.bPresent = true;
    layer.nX = frame.m_nCursorX;
    layer.nY = frame.m_nCursorY;

    const CCursorImageTable& table = m_Project.m_CursorImages;
    const CCursorImage* pImage = table.m_bPresent && frame.m_bCursorFromTable
                                     ? table.Find(frame.m_hCursor, frame.m_nCursorSource)
                                     : nullptr;
    if (pImage != nullptr && table.m_nWidth > 0 && table.m_nHeight > 0 &&
        pImage->m_pPixels.size() ==
            static_cast<size_t>(table.m_nWidth) * static_cast<size_t>(table.m_nHeight)) {
        m_Decoder.SkipRect(reader, rc.PixelCount());
        layer.bFromTable = true;
        layer.nWidth = table.m_nWidth;
        layer.nHeight = table.m_nHeight;
        layer.pixels.resize(pImage->m_pPixels.size());
        layer.kinds.assign(pImage->m_pPixels.size(), SCursorLayer::kColour);
        for (size_t i = 0; i < pImage->m_pPixels.size(); ++i) {
            const uint32_t px = pImage->m_pPixels[i];
            if (px == kCursorPixelTransparent) {
                layer.pixels[i] = 0;
            } else if (px == kCursorPixelInvert) {
                layer.pixels[i] = kOpaque;
                layer.kinds[i] = SCursorLayer::kInvert;
            } else {
                layer.pixels[i] = kOpaque | (px & 0xFFFFFF);
            }
        }
        return;
    }
    layer.bFromTable = false;
    layer.nWidth = rc.Width();
    layer.nHeight = rc.Height();
    layer.pixels.resize(static_cast<size_t>(layer.nWidth) * static_cast<size_t>(layer.nHeight));
    layer.kinds.assign(layer.pixels.size(), SCursorLayer::kColour);
    m_Decoder.BeginRect(reader, rc.PixelCount());
    for (int x = 0; x < layer.nWidth; ++x) {
        for (int y = 0; y < layer.nHeight; ++y) {
            layer.pixels[static_cast<size_t>(y) * static_cast<size_t>(layer.nWidth) + x] =
                kOpaque | m_Decoder.NextPixel();
        }
    }
}

bool CFrameCompositor::Matches(const CFrameInfo& frame, unsigned nSearch) const {
    if (m_Options.bHideDeleted && frame.m_bDeleted) {
        return false;
    }
    return ((nSearch & kSearchBubble) && frame.HasTalkBubble()) ||
           ((nSearch & kSearchHotspot) && frame.HasHotspot()) ||
           ((nSearch & kSearchUrl) && (frame.m_bHotspotUrl || frame.m_bFrameUrl)) ||
           ((nSearch & kSearchPicture) && frame.HasActivePicture()) ||
           ((nSearch & kSearchClick) && (frame.m_bClickDown || frame.m_bClickUp)) ||
           ((nSearch & kSearchEffect) && frame.m_nFrameEffect != kEffectNone) ||
           ((nSearch & kSearchLongDelay) && m_Options.bSearchLongDelays &&
            frame.m_nDuration >= m_Options.nLongDelayMinimum) ||
           ((nSearch & kSearchSound) && frame.HasSound()) ||
           ((nSearch & kSearchChapter) && frame.HasChapter());
}

uint32_t CFrameCompositor::SkipDeleted(uint32_t nTarget, int nDirection) const {
    const int64_t n = static_cast<int64_t>(m_Frames.size());
    for (int nWay : {nDirection, -nDirection}) {
        for (int64_t i = nTarget; i >= 0 && i < n; i += nWay) {
            if (!m_Frames[static_cast<size_t>(i)]->m_bDeleted) {
                return static_cast<uint32_t>(i);
            }
        }
    }
    return nTarget;
}

CFrameCompositor::SWalk CFrameCompositor::PlanWalk(uint32_t nCurrent, uint32_t nTarget) const {
    const uint32_t n = static_cast<uint32_t>(m_Frames.size());
    if (nTarget == nCurrent) {
        return SWalk{EWalkStart::Current, 1};
    }
    const uint32_t nDistance = nTarget > nCurrent ? nTarget - nCurrent : nCurrent - nTarget;
    if (nDistance < n - nTarget && nDistance < nTarget) {
        return SWalk{EWalkStart::Current, nTarget > nCurrent ? 1 : -1};
    }
    // Starting over from the last frame walking backward needs a last picture that restores the
    // whole area by itself; any other stream starts over from the first frame.
    if (n - nTarget < nTarget && !m_bPan && m_Frames.back()->m_bKeyFrame &&
        SourceOf(*m_Frames.back()) != nullptr) {
        return SWalk{EWalkStart::Last, -1};
    }
    return SWalk{EWalkStart::First, 1};
}

bool CFrameCompositor::CanWalkBackward(uint32_t nLow, uint32_t nHigh) const {
    for (uint32_t i = nLow; i <= nHigh; ++i) {
        if (!RestoresBackward(i)) {
            return false;
        }
    }
    return true;
}

void CFrameCompositor::WalkForward(uint32_t nFrom, uint32_t nTarget) {
    // A picture that replaces the whole area makes everything before it unnecessary.
    uint32_t nBegin = nFrom;
    for (uint32_t i = nTarget + 1; i-- > nFrom;) {
        if (StartsAfresh(i)) {
            nBegin = i;
            m_bDamaged = false;
            break;
        }
    }
    for (uint32_t i = nBegin; i <= nTarget; ++i) {
        BuildAt(i, 1);
    }
}

void CFrameCompositor::WalkBackward(uint32_t nFrom, uint32_t nTarget) {
    uint32_t nBegin = nFrom;
    if (!m_bPan) {
        for (uint32_t i = nTarget + 1; i <= nFrom; ++i) {
            if (m_Frames[i]->m_bKeyFrame) {
                nBegin = i;
                if (CoversRecordedArea(*m_Frames[i])) {
                    m_bDamaged = false;
                }
                break;
            }
        }
    }
    for (uint32_t i = nBegin + 1; i-- > nTarget + 1;) {
        BuildAt(i, -1);
    }
    BuildAt(nTarget, 1);
}

void CFrameCompositor::StartOverForward(uint32_t nTarget) {
    std::fill(m_Picture.m_Pixels.begin(), m_Picture.m_Pixels.end(), 0);
    m_bDamaged = false;
    WalkForward(0, nTarget);
}

// The damage flag belongs to the picture: pixels of data that could not be decoded stay in it
// while later frames are applied over it, so the flag is kept from walk to walk and is cleared
// only where a picture that replaces the whole area is about to be built.
uint32_t CFrameCompositor::GoToFrame(uint32_t nIndex, unsigned nSearch) {
    RefreshFrames();
    m_bMissing = false;
    m_nDecoded = 0;
    if (m_Frames.empty() || !EnsureCanvas()) {
        m_pCurrent = nullptr;
        m_nCurrent = 0;
        return 0;
    }
    const uint32_t n = static_cast<uint32_t>(m_Frames.size());
    uint32_t nTarget = std::min(nIndex, n - 1);
    const uint32_t nCurrent = m_bBuilt ? m_nCurrent : 0;

    SWalk walk = m_bBuilt ? PlanWalk(nCurrent, nTarget) : SWalk{EWalkStart::First, 1};
    if (nSearch != kSearchNone && m_bBuilt && nTarget != nCurrent) {
        walk = SWalk{EWalkStart::Current, nTarget > nCurrent ? 1 : -1};
        for (uint32_t i = nCurrent + walk.nDirection;; i += walk.nDirection) {
            if (Matches(*m_Frames[i], nSearch) || i == nTarget) {
                nTarget = i;
                break;
            }
        }
    }
    if (m_Options.bHideDeleted && m_Frames[nTarget]->m_bDeleted) {
        nTarget = SkipDeleted(nTarget, walk.nDirection);
        walk = m_bBuilt ? PlanWalk(nCurrent, nTarget) : SWalk{EWalkStart::First, 1};
    }

    if (StartsAfresh(nTarget)) {
        m_bDamaged = false;
        BuildAt(nTarget, 1);
    } else if (walk.start == EWalkStart::First) {
        StartOverForward(nTarget);
    } else if (walk.start == EWalkStart::Last) {
        if (CanWalkBackward(nTarget + 1, n - 1)) {
            if (!CoversRecordedArea(*m_Frames[n - 1])) {
                // The last picture restores only its own part; the border stays empty.
                std::fill(m_Picture.m_Pixels.begin(), m_Picture.m_Pixels.end(), 0);
            }
            WalkBackward(n - 1, nTarget);
        } else {
            StartOverForward(nTarget);
        }
    } else if (nTarget == nCurrent) {
        BuildAt(nTarget, 1);
    } else if (nTarget > nCurrent) {
        WalkForward(nCurrent + 1, nTarget);
    } else if (CanWalkBackward(nTarget + 1, nCurrent)) {
        WalkBackward(nCurrent, nTarget);
    } else {
        StartOverForward(nTarget);
    }

    m_nCurrent = nTarget;
    m_pCurrent = m_Frames[nTarget];
    Origin(*m_pCurrent, m_nOriginX, m_nOriginY);
    m_nDirection = walk.nDirection;
    m_bBuilt = true;
    m_Project.SetCurrentFrame(nTarget);
    return nTarget;
}

const CPixelPicture* CFrameCompositor::DecodedBlock(const CFrameInfo& frame,
                                                    const std::vector<uint8_t>& block) {
    const uint32_t nChecksum = BlockChecksum(block);
    auto it = m_Blocks.find(&frame);
    if (it != m_Blocks.end() && it->second.nChecksum == nChecksum &&
        it->second.nSize == block.size()) {
        return &it->second.picture;
    }
    SDecodedBlock decoded;
    if (!DecodePictureBlock(block, decoded.picture)) {
        m_bDamaged = true;
        m_Blocks.erase(&frame);
        return nullptr;
    }
    decoded.nChecksum = nChecksum;
    decoded.nSize = block.size();
    return &(m_Blocks[&frame] = std::move(decoded)).picture;
}

void CFrameCompositor::BlendLayerPicture(const CFrameInfo& owner, const CFrameInfo& shown) {
    const CPixelPicture* pPic = DecodedBlock(owner, *owner.m_pPicture);
    if (pPic == nullptr) {
        return;
    }
    const int nWidth = m_Project.m_nWidth;
    const int nHeight = m_Project.m_nHeight;
    int nOwnerX = 0;
    int nOwnerY = 0;
    int nShownX = 0;
    int nShownY = 0;
    Origin(owner, nOwnerX, nOwnerY);
    Origin(shown, nShownX, nShownY);
    // Centred in the recorded area of the frame that owns it.
    const int nLeft = nOwnerX + (nWidth - pPic->m_nWidth) / 2;
    const int nTop = nOwnerY + (nHeight - pPic->m_nHeight) / 2;
    const int nClipLeft = std::max({nLeft, nShownX, 0});
    const int nClipTop = std::max({nTop, nShownY, 0});
    const int nClipRight = std::min({nLeft + pPic->m_nWidth, nShownX + nWidth, m_Shown.m_nWidth});
    const int nClipBottom =
        std::min({nTop + pPic->m_nHeight, nShownY + nHeight, m_Shown.m_nHeight});
    const uint32_t nTransparency = std::min<uint32_t>(owner.m_nPictureTransparency, 100);
    const uint32_t nAlpha = 255 - nTransparency * 255 / 100;
    for (int y = nClipTop; y < nClipBottom; ++y) {
        for (int x = nClipLeft; x < nClipRight; ++x) {
            const uint32_t px = pPic->m_Pixels[static_cast<size_t>(y - nTop) * pPic->m_nWidth +
                                               static_cast<size_t>(x - nLeft)];
            if (px == 0) {
                continue;
            }
            uint32_t& dst = m_Shown.m_Pixels[static_cast<size_t>(y) * m_Shown.m_nWidth + x];
            dst = Blend(px, dst, nAlpha);
        }
    }
}

void CFrameCompositor::DrawEditedPictures() {
    const CFrameInfo& shown = *m_pCurrent;
    if (shown.HasActivePicture() && !shown.m_bPictureLayer) {
        const CPixelPicture* pPic = DecodedBlock(shown, *shown.m_pPicture);
        if (pPic == nullptr || pPic->m_nWidth <= 0 || pPic->m_nHeight <= 0) {
            return;
        }
        // The edited picture replaces the recorded area, stretched when its size differs.
        const int nWidth = m_Project.m_nWidth;
        const int nHeight = m_Project.m_nHeight;
        int nX0 = 0;
        int nY0 = 0;
        Origin(shown, nX0, nY0);
        for (int y = 0; y < nHeight && nY0 + y < m_Shown.m_nHeight; ++y) {
            const int sy = static_cast<int>(static_cast<int64_t>(y) * pPic->m_nHeight / nHeight);
            for (int x = 0; x < nWidth && nX0 + x < m_Shown.m_nWidth; ++x) {
                const int sx = static_cast<int>(static_cast<int64_t>(x) * pPic->m_nWidth / nWidth);
                m_Shown.m_Pixels[static_cast<size_t>(nY0 + y) * m_Shown.m_nWidth + nX0 + x] =
                    pPic->m_Pixels[static_cast<size_t>(sy) * pPic->m_nWidth + sx] & 0xFFFFFF;
            }
        }
        return;
    }
    const uint32_t s = m_nCurrent;
    for (const SLayer& layer : m_Layers) {
        const CFrameInfo* pOwner = layer.pFrame;
        if (std::find(m_Frames.begin(), m_Frames.end(), pOwner) == m_Frames.end() ||
            !pOwner->HasActivePicture() || !pOwner->m_bPictureLayer) {
            continue;
        }
        const bool bApplies =
            layer.nFirst == s || (layer.nFirst < s && pOwner->m_bPictureFollowing &&
                                  pOwner->m_nPictureUntil >= static_cast<int32_t>(s));
        if (bApplies && !(pOwner == &shown && !pOwner->m_bPictureFollowing)) {
            BlendLayerPicture(*pOwner, shown);
        }
    }
    if (shown.HasActivePicture() && shown.m_bPictureLayer && !shown.m_bPictureFollowing) {
        BlendLayerPicture(shown, shown);
    }
}

bool CFrameCompositor::CursorHidden(const CFrameInfo& frame) const {
    if (frame.m_bCursorNotShown) {
        return true;
    }
    if (frame.HotspotWaitsForClick() && !frame.m_bShowMouse && !m_Options.bShowHiddenMouse) {
        return true;
    }
    return frame.m_bMouseHidden && m_Options.bOutputRunning;
}

void CFrameCompositor::DrawCursor() {
    const CFrameInfo& frame = *m_pCurrent;
    const SCursorLayer& layer = m_Cursor;
    if (!layer.bPresent || CursorHidden(frame)) {
        return;
    }
    enum class EMark { None, Half, Down, Up } mark = EMark::None;
    if (layer.bFromTable && !m_Options.bOutputRunning) {
        if ((frame.HasHotspot() && !frame.m_bShowMouse && !frame.m_bIgnoreClick) ||
            frame.m_bMouseHidden) {
            mark = EMark::Half;
        } else if (frame.m_bClickDown) {
            mark = EMark::Down;
        } else if (frame.m_bClickUp) {
            mark = EMark::Up;
        }
    }
    int nOriginX = 0;
    int nOriginY = 0;
    Origin(frame, nOriginX, nOriginY);
    for (int y = 0; y < layer.nHeight; ++y) {
        const int64_t cy = static_cast<int64_t>(nOriginY) + layer.nY + y;
        if (cy < 0 || cy >= m_Shown.m_nHeight) {
            continue;
        }
        for (int x = 0; x < layer.nWidth; ++x) {
            const int64_t cx = static_cast<int64_t>(nOriginX) + layer.nX + x;
            if (cx < 0 || cx >= m_Shown.m_nWidth) {
                continue;
            }
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(layer.nWidth) + x;
            uint32_t& dst =
                m_Shown
                    .m_Pixels[static_cast<size_t>(cy) * m_Shown.m_nWidth + static_cast<size_t>(cx)];
            uint32_t nAlpha = layer.pixels[i] >> 24;
            if (nAlpha == 0) {
                continue;
            }
            uint32_t cr = layer.kinds[i] == SCursorLayer::kInvert ? (dst ^ 0xFFFFFF)
                                                                  : (layer.pixels[i] & 0xFFFFFF);
            if (mark == EMark::Half) {
                cr = (cr >> 1) & 0x7F7F7F;
                nAlpha = 0x80;
            } else if (mark == EMark::Down) {
                cr |= 0xFF0000;
            } else if (mark == EMark::Up) {
                cr |= 0x00FF00;
            }
            dst = Blend(cr, dst, nAlpha);
        }
    }
}

const CPixelPicture& CFrameCompositor::ShownPicture() {
    m_Shown = m_Picture;
    if (m_pCurrent != nullptr && m_bBuilt) {
        DrawEditedPictures();
        DrawCursor();
    }
    return m_Shown;
}
