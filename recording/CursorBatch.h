// The cursor samples collected between two capture ticks, in parallel arrays of fixed size.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct SCursorSample {
    uint32_t hCursor = 0;  // cursor shape shown at the sample
    int32_t x = 0;         // hot spot, virtual-screen coordinates
    int32_t y = 0;
    uint32_t time = 0;  // recording clock, milliseconds
    uint8_t clickDown = 0;
    uint8_t clickUp = 0;
    uint8_t hidden = 0;

    bool operator==(const SCursorSample&) const = default;
};

class CCursorBatch {
public:
    static constexpr size_t kSlots = 101;
    // The sampling thread adds readings only below this count ...
    static constexpr size_t kSampleLimit = 95;
    // ... and interpolation stops once it is reached, so a reading with its repeated click-up
    // sample always fits.
    static constexpr size_t kInterpolationLimit = 96;

    size_t Count() const { return m_nCount; }
    bool Empty() const { return m_nCount == 0; }
    // False, and nothing is added, when every slot is taken.
    bool Append(const SCursorSample& sample);
    SCursorSample At(size_t i) const;
    SCursorSample Newest() const { return At(m_nCount - 1); }
    void Clear() { m_nCount = 0; }
    // The samples in order; the batch is left empty.
    std::vector<SCursorSample> Take();

private:
    std::array<uint32_t, kSlots> m_hCursor{};
    std::array<int32_t, kSlots> m_nX{};
    std::array<int32_t, kSlots> m_nY{};
    std::array<uint32_t, kSlots> m_nTime{};
    std::array<uint8_t, kSlots> m_bClickDown{};
    std::array<uint8_t, kSlots> m_bClickUp{};
    std::array<uint8_t, kSlots> m_bHidden{};
    size_t m_nCount = 0;
};

// Moves the interior samples along the polyline of all samples so that they lie at equal path
// distances; the first and last positions and every time, shape and flag stay.
void SmoothBatch(SCursorSample* samples, size_t n);
