// The rectangles in which two pictures of the same size differ. Columns and rows are scanned in
// turn; differing columns (or rows) closer than 21 pixels join one run, and a box is kept once a
// run covers its whole range twice in a row. Boxes are widened to whole groups of 4 columns and
// clipped to the picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/Rect.h"

class CChangeFinder {
public:
    static constexpr std::size_t kMaxRects = 1024;
    static constexpr std::size_t kMaxRuns = 256;

    // Both pictures hold width × height pixels with row stride `width`; they must outlive the
    // finder.
    CChangeFinder(const uint32_t* pOld, const uint32_t* pNew, int32_t width, int32_t height);

    // The boxes (inclusive edges) in which the pictures differ; empty when they are equal. When a
    // search would need more than kMaxRects boxes or a pass more than kMaxRuns runs, the result
    // is the whole picture.
    const std::vector<SRect>& FindChanges();

private:
    struct SRun {
        int32_t first;
        int32_t last;
    };

    void ColumnPass(int32_t a, int32_t b, int32_t c, int32_t d);
    void RowPass(int32_t a, int32_t b, int32_t c, int32_t d);
    bool ColumnDiffers(int32_t x, int32_t c, int32_t d) const;
    bool RowDiffers(int32_t y, int32_t a, int32_t b) const;
    // Collects the runs of the positions lo..hi for which `differs` holds; false on overflow.
    template <typename F>
    bool CollectRuns(int32_t lo, int32_t hi, F differs, std::vector<SRun>& runs);
    void Record(int32_t a, int32_t b, int32_t c, int32_t d);

    const uint32_t* m_pOld;
    const uint32_t* m_pNew;
    int32_t m_nWidth;
    int32_t m_nHeight;
    std::vector<SRect> m_Rects;
    // Rows that differ anywhere, so that column tests skip the equal ones.
    std::vector<int32_t> m_ChangedRows;
    std::vector<uint8_t> m_RowChanged;
    int m_nPass = 0;
    bool m_bOverflow = false;
};
