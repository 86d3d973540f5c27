// The animation settings of a talk bubble: what "Animation Special Effects" and
// "Advanced Animation Effects" edit, and what an effect file holds.
#pragma once

#include <array>
#include <cstdint>

struct CBubbleAnimation {
    // One effect of the dialog: four numbers and a factor. Stored in the order first value,
    // second value, factor, third value, fourth value.
    struct SChannel {
        std::array<int32_t, 4> m_nValues{};
        float m_fValue = 0.0f;

        friend bool operator==(const SChannel&, const SChannel&) = default;
    };

    static constexpr int kSettings = 10;
    static constexpr int kChannels = 10;
    static constexpr int kFurtherSettings = 3;

    std::array<int32_t, kSettings> m_nSettings{};
    // Five pairs of an "in" and an "out" effect.
    std::array<SChannel, kChannels> m_Channels{};
    std::array<int32_t, kFurtherSettings> m_nFurther{};

    // Whether two bubbles animate alike: the ten settings, the first two further settings and the
    // second to fourth value of every channel agree. The first value and the factor of a channel
    // and the last further setting do not change how the animation looks.
    bool IsEquivalent(const CBubbleAnimation& other) const;

    friend bool operator==(const CBubbleAnimation&, const CBubbleAnimation&) = default;
};
