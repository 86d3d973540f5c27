// A decoded picture held in memory: 32-bit pixels 0x00RRGGBB, rows top to bottom.
#pragma once

#include <cstdint>
#include <vector>

struct CPixelPicture {
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    std::vector<uint32_t> m_Pixels;
};
