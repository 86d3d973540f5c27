// Turns clock times into frame delays in hundredths of a second. Each delay is taken from the
// total time since the last restart minus what was already handed out, so rounding never
// accumulates however many delays are taken.
#pragma once

#include <cstdint>

class CDelayStamper {
public:
    // A new segment starts at `nowMs` (the first tick after a start or a resume).
    void Restart(uint32_t nowMs);
    // The delay from the last stamp to `tMs`, at least 1.
    uint32_t Take(uint32_t tMs);

    int64_t SegmentSum() const { return m_nSum; }
    int64_t EarlierSum() const { return m_nEarlierSum; }
    int64_t TotalSum() const { return m_nSum + m_nEarlierSum; }

private:
    uint32_t m_nBase = 0;
    int64_t m_nSum = 0;
    int64_t m_nEarlierSum = 0;
};
