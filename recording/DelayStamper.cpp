#include "recording/DelayStamper.h"

void CDelayStamper::Restart(uint32_t nowMs) {
    m_nBase = nowMs;
    m_nEarlierSum += m_nSum;
    m_nSum = 0;
}

uint32_t CDelayStamper::Take(uint32_t tMs) {
    // The clock is 32-bit and may wrap; the signed difference stays right across the wrap.
    const int64_t elapsed = static_cast<int32_t>(tMs - m_nBase);
    int64_t d = elapsed / 10 - m_nSum;
    if (d <= 0) {
        d = 1;
    }
    m_nSum += d;
    return static_cast<uint32_t>(d);
}
