// A cursor that is where the test puts it.
#pragma once

#include <atomic>

#include "platform/CursorSource.h"

class CFakeCursorSource : public ICursorSource {
public:
    bool Read(SCursorReading& reading) override {
        ++m_nReads;
        if (!m_bReadable) {
            return false;
        }
        reading = m_reading;
        return true;
    }
    // Every shape is a 4 × 4 square of its own colour with the hot spot at (1, 1).
    bool Picture(uint32_t shape, SCursorPicture& picture) override {
        if (!m_bPictures) {
            return false;
        }
        picture.shape = shape;
        picture.width = 4;
        picture.height = 4;
        picture.hotX = 1;
        picture.hotY = 1;
        picture.argb.assign(16, 0xFF000000u | (shape * 0x010203u & 0x00FFFFFFu));
        picture.argb[15] = 0;  // one transparent corner
        return true;
    }

    void MoveTo(int32_t x, int32_t y) {
        m_reading.x = x;
        m_reading.y = y;
    }

    SCursorReading m_reading{100, 100, 7, true};
    bool m_bReadable = true;
    bool m_bPictures = true;
    std::atomic<int> m_nReads{0};  // read by the test while a sampling thread counts
};
