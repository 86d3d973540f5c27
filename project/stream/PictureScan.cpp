#include "project/stream/PictureScan.h"

#include <algorithm>

#include "project/stream/StreamFile.h"

int SPictureScan::MaxRight() const {
    int n = -1;
    for (const SStreamRecordHead& head : pixelRects) {
        if (head.rect.Valid() && head.rect.nLeft >= 0 && head.rect.nTop >= 0) {
            n = std::max<int>(n, head.rect.nRight);
        }
    }
    return n;
}

int SPictureScan::MaxBottom() const {
    int n = -1;
    for (const SStreamRecordHead& head : pixelRects) {
        if (head.rect.Valid() && head.rect.nLeft >= 0 && head.rect.nTop >= 0) {
            n = std::max<int>(n, head.rect.nBottom);
        }
    }
    return n;
}

bool SPictureScan::CoversWholeArea(int nWidth, int nHeight) const {
    if (!bComplete) {
        return false;
    }
    bool bOld = false;
    bool bNew = false;
    for (const SStreamRecordHead& head : pixelRects) {
        const SStreamRect& rc = head.rect;
        if (rc.nLeft == 0 && rc.nTop == 0 && rc.nRight == nWidth - 1 && rc.nBottom == nHeight - 1) {
            bOld = bOld || head.nType == kRecordOldPixels;
            bNew = bNew || head.nType == kRecordNewPixels;
        }
    }
    return bOld && bNew;
}

SPictureScan ScanPicture(const CStreamFile& stream, uint32_t nPicture, EPixelCoding coding) {
    SPictureScan scan;
    uint64_t nStart = 0;
    uint64_t nEnd = 0;
    bool bCut = false;
    std::vector<uint8_t> bytes;
    if (!stream.PictureRange(nPicture, nStart, nEnd, bCut) || bCut ||
        !stream.ReadData(nStart, nEnd, bytes)) {
        return scan;
    }
    CByteReader reader(bytes);
    CPixelDecoder decoder(coding);
    for (;;) {
        SStreamRecordHead head;
        const ERecordRead result = ReadRecordHead(reader, head);
        if (result != ERecordRead::Ok) {
            // A picture ends at the end of its bytes or at a type it does not know.
            scan.bComplete = result != ERecordRead::Truncated && !decoder.Damaged();
            return scan;
        }
        if (head.nType == kRecordTick) {
            continue;
        }
        decoder.SkipRect(reader, head.rect.PixelCount());
        if (head.nType != kRecordCursor) {
            scan.pixelRects.push_back(head);
        }
    }
}
