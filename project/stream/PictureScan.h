// Reads the record heads of one stream picture without decoding its pixels, to learn what the
// picture covers. A project without frame records uses it to find its recording size and its
// key frames.
#pragma once

#include <cstdint>
#include <vector>

#include "project/stream/PixelCoding.h"
#include "project/stream/StreamFormat.h"

class CStreamFile;

struct SPictureScan {
    // Every record was read to its end, pixels included.
    bool bComplete = false;
    // The old-pixel and new-pixel rectangles, in stream order.
    std::vector<SStreamRecordHead> pixelRects;

    // The largest right and bottom edges of its pixel rectangles that start inside the area;
    // -1 when it has none.
    int MaxRight() const;
    int MaxBottom() const;
    // Both its old and its new pixels cover the whole area of the given size, so that applying
    // it in either direction gives a whole picture by itself.
    bool CoversWholeArea(int nWidth, int nHeight) const;
};

SPictureScan ScanPicture(const CStreamFile& stream, uint32_t nPicture, EPixelCoding coding);
