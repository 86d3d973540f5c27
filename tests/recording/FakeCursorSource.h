// A cursor that is where the test puts it.
#pragma once

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
    bool Picture(uint32_t, SCursorPicture&) override { return false; }

    void MoveTo(int32_t x, int32_t y) {
        m_reading.x = x;
        m_reading.y = y;
    }

    SCursorReading m_reading{100, 100, 7, true};
    bool m_bReadable = true;
    int m_nReads = 0;
};
