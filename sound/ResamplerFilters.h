// The two windowed-sinc low-pass filters of the sample-rate converter: one wing of each symmetric
// filter in 16-bit fixed point (32767 = 1.0 at the centre), 256 coefficients per zero crossing,
// with a table of differences for interpolating between neighbouring coefficients.
#pragma once

#include <cstdint>
#include <vector>

struct SResampleFilter {
    int nMult = 0;   // zero crossings
    int nWing = 0;   // coefficients per wing
    int nLpScl = 0;  // unity-gain scale
    std::vector<int16_t> coefficients;
    std::vector<int16_t> differences;
};

constexpr int kFilterStepsPerCrossing = 256;

const SResampleFilter& LargeResampleFilter();
const SResampleFilter& SmallResampleFilter();
