// The SWF RECT: four signed coordinates with one shared bit count.
#pragma once

#include <cstdint>

class CSwfBitWriter;

class CSwfRect {
public:
    CSwfRect() = default;
    CSwfRect(int32_t xMin, int32_t yMin, int32_t xMax, int32_t yMax)
        : m_nXMin(xMin), m_nXMax(xMax), m_nYMin(yMin), m_nYMax(yMax) {}

    void Write(CSwfBitWriter& writer) const;

    int32_t m_nXMin = 0;
    int32_t m_nXMax = 0;
    int32_t m_nYMin = 0;
    int32_t m_nYMax = 0;
};
