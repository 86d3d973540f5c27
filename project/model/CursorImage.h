// The mouse-cursor pictures seen while recording. Frames name their cursor by the pair
// (cursor identity, source project).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr uint32_t kCursorPixelTransparent = 0xFFFFFFFF;
inline constexpr uint32_t kCursorPixelInvert = 0xFEFFFFFF;

struct CCursorImage {
    uint32_t m_hCursor = 0;  // identity of the cursor shape at recording time
    // Width x height pixels of the table, rows top to bottom: kCursorPixelTransparent,
    // kCursorPixelInvert, or a colour in the low 24 bits.
    std::vector<uint32_t> m_pPixels;
    int32_t m_nHotX = 0;
    int32_t m_nHotY = 0;
    uint8_t m_bInverts = 0;
    int16_t m_nSource = 0;  // combined source project the picture came from, 0 = own
};

class CCursorImageTable {
public:
    static constexpr std::size_t kGrowBy = 300;

    const CCursorImage* Find(uint32_t hCursor, int16_t nSource) const;
    // Adds a picture; the table's storage grows by kGrowBy entries at a time.
    CCursorImage& Add(CCursorImage image);
    void Clear();

    std::vector<CCursorImage> m_Images;
    // The common size of every picture: the system cursor size at recording time.
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    bool m_bPresent = false;
};
