#include "recording/CursorBatch.h"

#include <cmath>

bool CCursorBatch::Append(const SCursorSample& s) {
    if (m_nCount == kSlots) {
        return false;
    }
    const size_t i = m_nCount++;
    m_hCursor[i] = s.hCursor;
    m_nX[i] = s.x;
    m_nY[i] = s.y;
    m_nTime[i] = s.time;
    m_bClickDown[i] = s.clickDown;
    m_bClickUp[i] = s.clickUp;
    m_bHidden[i] = s.hidden;
    return true;
}

SCursorSample CCursorBatch::At(size_t i) const {
    return {m_hCursor[i],    m_nX[i],       m_nY[i],     m_nTime[i],
            m_bClickDown[i], m_bClickUp[i], m_bHidden[i]};
}

std::vector<SCursorSample> CCursorBatch::Take() {
    std::vector<SCursorSample> samples;
    samples.reserve(m_nCount);
    for (size_t i = 0; i < m_nCount; ++i) {
        samples.push_back(At(i));
    }
    m_nCount = 0;
    return samples;
}

void SmoothBatch(SCursorSample* samples, size_t n) {
    if (n <= 2) {
        return;
    }
    const size_t segments = n - 1;
    std::vector<float> length(segments);
    std::vector<float> ux(segments);
    std::vector<float> uy(segments);
    float total = 0.0f;
    for (size_t i = 0; i < segments; ++i) {
        const float dx = static_cast<float>(samples[i + 1].x - samples[i].x);
        const float dy = static_cast<float>(samples[i + 1].y - samples[i].y);
        length[i] = std::sqrt(dx * dx + dy * dy);
        ux[i] = length[i] > 0.0f ? dx / length[i] : 0.0f;
        uy[i] = length[i] > 0.0f ? dy / length[i] : 0.0f;
        total += length[i];
    }
    const float avg = total / static_cast<float>(segments);
    if (!(avg > 0.0f)) {
        return;
    }
    std::vector<SCursorSample> recorded(samples, samples + n);
    float px = static_cast<float>(recorded[0].x);
    float py = static_cast<float>(recorded[0].y);
    float steps = 0.0f;  // unit steps taken on segment j
    float done = 0.0f;   // length of the segments before j
    size_t j = 0;
    for (size_t k = 1; k + 1 < n; ++k) {
        while (j < segments && static_cast<size_t>(std::trunc((done + steps) / avg)) < k) {
            px += ux[j];
            py += uy[j];
            steps += 1.0f;
            if (steps >= length[j]) {
                done += length[j];
                ++j;
                steps = 0.0f;
                px = static_cast<float>(recorded[j].x);
                py = static_cast<float>(recorded[j].y);
            }
        }
        samples[k].x = static_cast<int32_t>(std::trunc(px));
        samples[k].y = static_cast<int32_t>(std::trunc(py));
    }
}
