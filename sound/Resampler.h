// The sample-rate converter: bandlimited interpolation in 16-bit fixed point. Each output sample
// is a sum of input samples weighted by a windowed-sinc low-pass filter read at the output's
// fractional position; when the rate goes down the filter is stretched so that it also removes
// what the lower rate cannot carry.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The four rates a movie's soundtrack can have, by index.
constexpr int kMovieRates[4] = {5500, 11025, 22050, 44100};

// Called with the percentage produced; returning false ends the conversion with what was produced.
using ResampleProgress = std::function<bool(int nPercent)>;

class CResampler {
public:
    // `fFactor` = output rate / input rate.
    explicit CResampler(double fFactor);

    void SetFast(bool bFast) { m_bFast = bFast; }
    void SetLargeFilter(bool bLarge) { m_bLargeFilter = bLarge; }
    void SetInterpolateCoefficients(bool bInterp) { m_bInterpolate = bInterp; }
    void SetVolume(double fVolume) { m_fVolume = fVolume; }
    void SetProgress(ResampleProgress progress) { m_progress = std::move(progress); }

    // Converts one channel; the number of output samples appended to `out`, or -1 with `why`.
    int64_t Resample(std::span<const int16_t> in, std::vector<int16_t>& out, std::string& why);

private:
    double m_fFactor;
    bool m_bFast = false;
    bool m_bLargeFilter = true;
    bool m_bInterpolate = true;
    double m_fVolume = 1.0;
    ResampleProgress m_progress;
};

// Converts interleaved 16-bit samples (one or two channels) from `nInputRate` to the movie rate
// of index `nRateIndex`, each channel by its own converter. Nothing on an error.
std::optional<std::vector<int16_t>> ConvertSoundRate(std::span<const int16_t> samples,
                                                     int nInputRate, int nRateIndex, bool bStereo,
                                                     std::string& why,
                                                     const ResampleProgress& progress = {});
