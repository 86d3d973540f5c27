#include "sound/Resampler.h"

#include <algorithm>
#include <cmath>

#include "sound/ResamplerFilters.h"

namespace {

constexpr int kPhaseBits = 15;  // fraction bits of the time register
constexpr int64_t kPhaseMask = (int64_t{1} << kPhaseBits) - 1;
constexpr int kInterpBits = 7;  // fraction bits between two coefficients
constexpr int kInterpMask = (1 << kInterpBits) - 1;
constexpr int kProductBits = 14;
// The widest margin the converter's 4096-sample working window allows on each side.
constexpr int64_t kMaxMargin = 2048;

int16_t Clamp16(int64_t v) {
    return static_cast<int16_t>(std::clamp<int64_t>(v, -32768, 32767));
}

// A sample times a coefficient, rounded to 14 fraction bits.
int64_t Product(int32_t sample, int32_t coefficient) {
    int64_t t = int64_t{sample} * coefficient;
    if (t & (int64_t{1} << (kProductBits - 1))) {
        t += int64_t{1} << (kProductBits - 1);
    }
    return t >> kProductBits;
}

int32_t Coefficient(const SResampleFilter& f, int64_t nPos, bool bInterp) {
    const size_t i = static_cast<size_t>(nPos >> kInterpBits);
    int32_t h = f.coefficients[i];
    if (bInterp) {
        h += (f.differences[i] * static_cast<int32_t>(nPos & kInterpMask)) >> kInterpBits;
    }
    return h;
}

// One wing of the unstretched filter: from sample `x` in direction `nInc`, at phase `nPhase`.
int64_t WingUp(const SResampleFilter& f, bool bInterp, const int16_t* x, int64_t nPhase, int nInc) {
    int64_t nPos = nPhase;
    int64_t nEnd = f.nWing;
    if (nInc == 1) {
        --nEnd;
        if (nPhase == 0) {
            nPos += int64_t{kFilterStepsPerCrossing} << kInterpBits;
        }
    }
    int64_t v = 0;
    for (; (nPos >> kInterpBits) < nEnd; nPos += int64_t{kFilterStepsPerCrossing} << kInterpBits) {
        v += Product(*x, Coefficient(f, nPos, bInterp));
        x += nInc;
    }
    return v;
}

// One wing of the filter stretched by `nStep` (coefficient positions per input sample, with 7
// fraction bits).
int64_t WingDown(const SResampleFilter& f, bool bInterp, const int16_t* x, int64_t nPhase, int nInc,
                 int64_t nStep) {
    int64_t nPos = (nPhase * nStep) >> kPhaseBits;
    int64_t nEnd = f.nWing;
    if (nInc == 1) {
        --nEnd;
        if (nPhase == 0) {
            nPos += nStep;
        }
    }
    int64_t v = 0;
    for (; (nPos >> kInterpBits) < nEnd; nPos += nStep) {
        v += Product(*x, Coefficient(f, nPos, bInterp));
        x += nInc;
    }
    return v;
}

}  // namespace

CResampler::CResampler(double fFactor) : m_fFactor(fFactor) {}

int64_t CResampler::Resample(std::span<const int16_t> in, std::vector<int16_t>& out,
                             std::string& why) {
    if (!(m_fFactor > 0.0) || !std::isfinite(m_fFactor)) {
        why = "bad conversion factor";
        return -1;
    }
    const SResampleFilter& f = m_bLargeFilter ? LargeResampleFilter() : SmallResampleFilter();
    const int64_t nMargin =
        static_cast<int64_t>((f.nMult + 1) / 2.0 * std::max(1.0, 1.0 / m_fFactor)) + 10;
    if (nMargin > kMaxMargin) {
        why = "IBUFFSIZE (or factor) is too small";
        return -1;
    }
    // The input with silence on both sides, so that the wings never read outside it.
    std::vector<int16_t> x(in.size() + 2 * static_cast<size_t>(nMargin) + 2, 0);
    std::copy(in.begin(), in.end(), x.begin() + nMargin);

    const auto nWanted = static_cast<int64_t>(static_cast<double>(in.size()) * m_fFactor);
    const auto nStep = static_cast<int64_t>(std::lround((1 << kPhaseBits) / m_fFactor));
    const bool bDown = m_fFactor < 1.0;
    const int64_t nStretch = std::lround(std::min(256.0, m_fFactor * 256.0) * (1 << kInterpBits));
    int64_t nLpScl = std::lround(f.nLpScl * m_fVolume);
    if (bDown) {
        nLpScl = std::lround(static_cast<double>(nLpScl) * m_fFactor);
    }
    out.reserve(out.size() + static_cast<size_t>(nWanted));
    // The time register: the input position of the next output, with 15 fraction bits. It is
    // 64 bits wide, so it needs no rebasing however long the input is.
    int64_t t = 0;
    constexpr int64_t kProgressEvery = 4096;
    for (int64_t k = 0; k < nWanted; ++k) {
        const int16_t* px = x.data() + nMargin + (t >> kPhaseBits);
        const int64_t nPhase = t & kPhaseMask;
        int64_t y;
        if (m_bFast) {
            y = (nPhase * px[1] + ((int64_t{1} << kPhaseBits) - nPhase) * px[0] + (1 << 14)) >>
                kPhaseBits;
        } else {
            const int64_t nRightPhase = (-t) & kPhaseMask;
            int64_t v;
            if (bDown) {
                v = WingDown(f, m_bInterpolate, px, nPhase, -1, nStretch) +
                    WingDown(f, m_bInterpolate, px + 1, nRightPhase, 1, nStretch);
            } else {
                v = WingUp(f, m_bInterpolate, px, nPhase, -1) +
                    WingUp(f, m_bInterpolate, px + 1, nRightPhase, 1);
            }
            y = ((v >> 2) * nLpScl + (1 << 12)) >> 13;
        }
        out.push_back(Clamp16(y));
        t += nStep;
        if (m_progress && (k + 1) % kProgressEvery == 0 &&
            !m_progress(static_cast<int>((k + 1) * 100 / nWanted))) {
            return k + 1;
        }
    }
    return nWanted;
}

std::optional<std::vector<int16_t>> ConvertSoundRate(std::span<const int16_t> samples,
                                                     int nInputRate, int nRateIndex, bool bStereo,
                                                     std::string& why,
                                                     const ResampleProgress& progress) {
    if (nRateIndex < 0 || nRateIndex > 3 || nInputRate <= 0) {
        why = "bad rate";
        return std::nullopt;
    }
    const double fFactor = static_cast<double>(kMovieRates[nRateIndex]) / nInputRate;
    const size_t nChannels = bStereo ? 2 : 1;
    const size_t nFrames = samples.size() / nChannels;
    std::vector<std::vector<int16_t>> converted(nChannels);
    for (size_t c = 0; c < nChannels; ++c) {
        std::vector<int16_t> plane(nFrames);
        for (size_t i = 0; i < nFrames; ++i) {
            plane[i] = samples[i * nChannels + c];
        }
        CResampler resampler(fFactor);
        // Both channels report as one conversion.
        if (progress) {
            resampler.SetProgress([&progress, c, nChannels](int nPercent) {
                return progress(static_cast<int>((c * 100 + nPercent) / nChannels));
            });
        }
        if (resampler.Resample(plane, converted[c], why) < 0) {
            why = "resample: " + why;
            return std::nullopt;
        }
    }
    const size_t nOut = std::ranges::min(converted, {}, &std::vector<int16_t>::size).size();
    std::vector<int16_t> out(nOut * nChannels);
    for (size_t i = 0; i < nOut; ++i) {
        for (size_t c = 0; c < nChannels; ++c) {
            out[i * nChannels + c] = converted[c][i];
        }
    }
    return out;
}
