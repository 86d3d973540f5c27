// A rectangle of the recorded area in pixels: left, top, right, bottom.
#pragma once

#include <cstdint>

struct SRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    friend bool operator==(const SRect&, const SRect&) = default;
};
