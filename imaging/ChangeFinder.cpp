#include "imaging/ChangeFinder.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int32_t kRunGap = 20;
constexpr int32_t kNoColumnYet = -40;
}  // namespace

CChangeFinder::CChangeFinder(const uint32_t* pOld, const uint32_t* pNew, int32_t width,
                             int32_t height)
    : m_pOld(pOld), m_pNew(pNew), m_nWidth(width), m_nHeight(height) {}

const std::vector<SRect>& CChangeFinder::FindChanges() {
    m_Rects.clear();
    m_ChangedRows.clear();
    m_RowChanged.assign(static_cast<size_t>(std::max(m_nHeight, 0)), 0);
    m_nPass = 0;
    m_bOverflow = false;
    if (m_nWidth <= 0 || m_nHeight <= 0) {
        return m_Rects;
    }
    const size_t rowBytes = static_cast<size_t>(m_nWidth) * sizeof(uint32_t);
    for (int32_t y = 0; y < m_nHeight; ++y) {
        const size_t offset = static_cast<size_t>(y) * m_nWidth;
        if (std::memcmp(m_pOld + offset, m_pNew + offset, rowBytes) != 0) {
            m_RowChanged[y] = 1;
            m_ChangedRows.push_back(y);
        }
    }
    if (m_ChangedRows.empty()) {
        return m_Rects;
    }
    ColumnPass(0, m_nWidth - 1, 0, m_nHeight - 1);
    if (m_bOverflow) {
        m_Rects.assign(1, SRect{0, 0, m_nWidth - 1, m_nHeight - 1});
    }
    return m_Rects;
}

bool CChangeFinder::ColumnDiffers(int32_t x, int32_t c, int32_t d) const {
    auto first = std::lower_bound(m_ChangedRows.begin(), m_ChangedRows.end(), c);
    for (auto it = first; it != m_ChangedRows.end() && *it <= d; ++it) {
        const size_t i = static_cast<size_t>(*it) * m_nWidth + x;
        if (m_pOld[i] != m_pNew[i]) {
            return true;
        }
    }
    return false;
}

bool CChangeFinder::RowDiffers(int32_t y, int32_t a, int32_t b) const {
    if (m_RowChanged[y] == 0) {
        return false;
    }
    const size_t offset = static_cast<size_t>(y) * m_nWidth + a;
    return std::memcmp(m_pOld + offset, m_pNew + offset,
                       static_cast<size_t>(b - a + 1) * sizeof(uint32_t)) != 0;
}

template <typename F>
bool CChangeFinder::CollectRuns(int32_t lo, int32_t hi, F differs, std::vector<SRun>& runs) {
    int32_t last = kNoColumnYet;
    bool open = false;
    for (int32_t pos = lo; pos <= hi; ++pos) {
        if (!differs(pos)) {
            continue;
        }
        if (open) {
            runs.back().last = pos;
            open = false;
        } else if (pos - last > kRunGap) {
            if (runs.size() == kMaxRuns) {
                return false;
            }
            runs.push_back({pos, pos});
            open = true;
        } else {
            runs.back().last = pos;
        }
        last = pos;
    }
    return true;
}

void CChangeFinder::ColumnPass(int32_t a, int32_t b, int32_t c, int32_t d) {
    std::vector<SRun> runs;
    if (!CollectRuns(
            a, b, [&](int32_t x) { return ColumnDiffers(x, c, d); }, runs)) {
        m_bOverflow = true;
        return;
    }
    if (runs.empty()) {
        return;
    }
    if (runs.size() == 1 && runs[0].first == a && runs[0].last == b && ++m_nPass == 2) {
        m_nPass = 0;
        Record(a, b, c, d);
        return;
    }
    for (const SRun& run : runs) {
        RowPass(run.first, run.last, c, d);
        if (m_bOverflow) {
            return;
        }
    }
}

void CChangeFinder::RowPass(int32_t a, int32_t b, int32_t c, int32_t d) {
    std::vector<SRun> runs;
    if (!CollectRuns(
            c, d, [&](int32_t y) { return RowDiffers(y, a, b); }, runs)) {
        m_bOverflow = true;
        return;
    }
    if (runs.empty()) {
        return;
    }
    if (runs.size() == 1 && runs[0].first == c && runs[0].last == d && ++m_nPass == 2) {
        m_nPass = 0;
        Record(a, b, c, d);
        return;
    }
    for (const SRun& run : runs) {
        ColumnPass(a, b, run.first, run.last);
        if (m_bOverflow) {
            return;
        }
    }
}

void CChangeFinder::Record(int32_t a, int32_t b, int32_t c, int32_t d) {
    if (m_Rects.size() == kMaxRects) {
        m_bOverflow = true;
        return;
    }
    const int32_t left = a & ~3;
    const int32_t right = std::min(b | 3, m_nWidth - 1);
    m_Rects.push_back(SRect{left, c, right, d});
}
