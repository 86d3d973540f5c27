#include "project/ops/StreamReencoder.h"

#include "imaging/ChangeFinder.h"
#include "project/model/DemoProject.h"
#include "project/store/ByteReader.h"
#include "project/stream/StreamFormat.h"

bool CStreamReencoder::Begin(const std::string& tempDir, int nWidth, int nHeight,
                             bool bZlibPixels) {
    if (!m_Stream.Begin(m_Target, tempDir, nWidth, nHeight, bZlibPixels)) {
        return false;
    }
    m_nWidth = nWidth;
    m_nHeight = nHeight;
    return true;
}

CStreamReencoder::SChanges CStreamReencoder::Whole() const {
    SChanges out;
    out.rects.push_back(SRect{0, 0, m_nWidth - 1, m_nHeight - 1});
    out.bWhole = true;
    return out;
}

CStreamReencoder::SChanges CStreamReencoder::FindChanges(const uint32_t* pOld,
                                                         const uint32_t* pNew) const {
    CChangeFinder finder(pOld, pNew, m_nWidth, m_nHeight);
    SChanges out;
    out.rects = finder.FindChanges();
    uint64_t nCovered = 0;
    for (const SRect& rc : out.rects) {
        nCovered += static_cast<uint64_t>(rc.right - rc.left + 1) *
                    static_cast<uint64_t>(rc.bottom - rc.top + 1);
    }
    if (nCovered * 3 > static_cast<uint64_t>(PixelCount())) {
        return Whole();
    }
    return out;
}

CFrameInfo& CStreamReencoder::WritePicture(const uint32_t* pOld, const uint32_t* pNew,
                                           const SChanges& changes) {
    CFrameInfo& frame = m_Stream.AppendCapturedFrame();
    const size_t nRow = static_cast<size_t>(m_nWidth);
    for (const SRect& rc : changes.rects) {
        m_Stream.WriteRect(rc.left, rc.top, rc.right, rc.bottom, pOld, nRow, kRecordOldPixels);
        m_Stream.WriteRect(rc.left, rc.top, rc.right, rc.bottom, pNew, nRow, kRecordNewPixels);
    }
    return frame;
}

bool CStreamReencoder::CopyCursorRecords(const std::vector<uint8_t>& records, EPixelCoding coding,
                                         int nDx, int nDy) {
    CByteReader reader(records);
    CPixelDecoder decoder(coding);
    for (;;) {
        SStreamRecordHead head;
        const ERecordRead result = ReadRecordHead(reader, head);
        if (result == ERecordRead::End) {
            return true;
        }
        if (result != ERecordRead::Ok) {
            return false;
        }
        if (head.nType == kRecordTick) {
            m_Stream.WriteTick(head.nIncrement);
            continue;
        }
        const SStreamRect& rc = head.rect;
        if (head.nType != kRecordCursor) {
            decoder.SkipRect(reader, rc.PixelCount());
            if (decoder.Damaged()) {
                return false;
            }
            continue;
        }
        const int nLeft = rc.nLeft + nDx;
        const int nTop = rc.nTop + nDy;
        const int nRight = rc.nRight + nDx;
        const int nBottom = rc.nBottom + nDy;
        if (!rc.Valid() || nLeft < 0 || nTop < 0 || nRight >= m_nWidth || nBottom >= m_nHeight) {
            // A cursor area that does not fit the new picture keeps only its time.
            decoder.SkipRect(reader, rc.PixelCount());
            m_Stream.WriteTick(head.nIncrement);
            if (decoder.Damaged()) {
                return false;
            }
            continue;
        }
        m_Cursor.resize(PixelCount());
        decoder.BeginRect(reader, rc.PixelCount());
        // Stored pixels run down each column in turn.
        for (int x = nLeft; x <= nRight; ++x) {
            for (int y = nTop; y <= nBottom; ++y) {
                m_Cursor[static_cast<size_t>(y) * m_nWidth + x] = decoder.NextPixel();
            }
        }
        if (decoder.Damaged()) {
            return false;
        }
        m_Stream.WriteRect(nLeft, nTop, nRight, nBottom, m_Cursor.data(),
                           static_cast<size_t>(m_nWidth), kRecordCursor, head.nIncrement, false);
    }
}
