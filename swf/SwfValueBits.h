// The bit count shared by a group of signed fields: one sign bit plus the bit length of the
// largest absolute value among them.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "swf/SwfBitWriter.h"

inline uint32_t Magnitude(int32_t v) {
    return v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
}

inline int SignedBits(std::initializer_list<int32_t> values) {
    uint32_t largest = 0;
    for (int32_t v : values) {
        if (Magnitude(v) > largest) {
            largest = Magnitude(v);
        }
    }
    return BitsNeeded(largest, 1);
}
