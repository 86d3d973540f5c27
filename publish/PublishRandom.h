// The publisher's pseudo-random generator: its keys must be the same on every system, so it is
// not the C library's.
#pragma once

#include <cstdint>

class CPublishRandom {
public:
    void Seed(uint32_t seed) { m_nState = seed; }
    // 0 .. 0x7FFF.
    uint32_t Next() {
        m_nState = m_nState * 214013u + 2531011u;
        return (m_nState >> 16) & 0x7FFF;
    }

private:
    uint32_t m_nState = 1;
};
