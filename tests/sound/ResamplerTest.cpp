// The sample-rate converter measured as a filter: flat pass band, tones the new rate cannot carry
// removed, the right length, and stereo channels kept apart.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "sound/Resampler.h"
#include "sound/ResamplerFilters.h"

namespace {

constexpr double kAmplitude = 16000.0;

std::vector<int16_t> Tone(double fHz, int nRate, double fSeconds, double fAmplitude = kAmplitude) {
    std::vector<int16_t> s(static_cast<size_t>(fSeconds * nRate));
    for (size_t i = 0; i < s.size(); ++i) {
        s[i] = static_cast<int16_t>(
            std::lround(fAmplitude * std::sin(2 * std::numbers::pi * fHz * i / nRate)));
    }
    return s;
}

// Blackman-Harris window: side lobes below -92 dB, so a -60 dB component shows.
std::vector<double> Window(size_t n) {
    std::vector<double> w(n);
    for (size_t i = 0; i < n; ++i) {
        const double x = 2 * std::numbers::pi * i / (n - 1);
        w[i] =
            0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2 * x) - 0.01168 * std::cos(3 * x);
    }
    return w;
}

// The middle 2^14 samples (away from the start and end transients), windowed.
std::vector<std::complex<double>> Windowed(const std::vector<int16_t>& s) {
    constexpr size_t kN = 1 << 14;
    EXPECT_GT(s.size(), kN + 2000);
    const size_t nStart = (s.size() - kN) / 2;
    const auto w = Window(kN);
    std::vector<std::complex<double>> x(kN);
    for (size_t i = 0; i < kN; ++i) {
        x[i] = s[nStart + i] * w[i];
    }
    return x;
}

double WindowSum(size_t n) {
    const auto w = Window(n);
    double sum = 0;
    for (double v : w) {
        sum += v;
    }
    return sum;
}

// Amplitude of the component at `fHz` (a sine's peak value).
double AmplitudeAt(const std::vector<int16_t>& s, double fHz, int nRate) {
    const auto x = Windowed(s);
    std::complex<double> acc = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        acc += x[i] * std::polar(1.0, -2 * std::numbers::pi * fHz * i / nRate);
    }
    return 2 * std::abs(acc) / WindowSum(x.size());
}

void Fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(a[i], a[j]);
        }
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const auto wl = std::polar(1.0, -2 * std::numbers::pi / len);
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w = 1;
            for (size_t k = 0; k < len / 2; ++k) {
                const auto u = a[i + k];
                const auto v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= wl;
            }
        }
    }
}

// The strongest component of the signal away from `fKeepHz` (pass 0 to keep nothing), as a
// sine's peak value.
double StrongestOther(const std::vector<int16_t>& s, double fKeepHz, int nRate) {
    auto x = Windowed(s);
    const size_t n = x.size();
    Fft(x);
    const double fBin = static_cast<double>(nRate) / n;
    const double fScale = 2 / WindowSum(n);
    double best = 0;
    for (size_t k = 1; k < n / 2; ++k) {
        if (fKeepHz > 0 && std::abs(k * fBin - fKeepHz) < 8 * fBin) {
            continue;
        }
        best = std::max(best, std::abs(x[k]) * fScale);
    }
    return best;
}

double Db(double fRatio) {
    return 20 * std::log10(fRatio);
}

std::vector<int16_t> Convert(const std::vector<int16_t>& in, int nFrom, int nTo) {
    CResampler r(static_cast<double>(nTo) / nFrom);
    std::vector<int16_t> out;
    std::string why;
    EXPECT_GE(r.Resample(in, out, why), 0) << why;
    return out;
}

struct SRateCase {
    int nFrom;
    int nTo;
};
const SRateCase kRateCases[] = {{48000, 44100}, {22050, 11025}, {11025, 44100}, {8000, 11025}};

}  // namespace

TEST(Resampler, FilterTables) {
    const auto& large = LargeResampleFilter();
    EXPECT_EQ(large.nWing, 8192);
    EXPECT_EQ(large.nLpScl, 14746);
    EXPECT_EQ(std::vector<int16_t>(large.coefficients.begin(), large.coefficients.begin() + 6),
              (std::vector<int16_t>{32767, 32766, 32764, 32761, 32756, 32750}));
    EXPECT_EQ(SmallResampleFilter().nWing, 1536);
    EXPECT_EQ(SmallResampleFilter().nLpScl, 13128);
}

TEST(Resampler, PassBandIsFlat) {
    for (const SRateCase& c : kRateCases) {
        const int nLower = std::min(c.nFrom, c.nTo);
        for (const double fShare : {0.01, 0.1, 0.25, 0.4}) {
            const double fHz = fShare * nLower;
            SCOPED_TRACE(std::to_string(c.nFrom) + " -> " + std::to_string(c.nTo) + " at " +
                         std::to_string(fHz) + " Hz");
            const auto out = Convert(Tone(fHz, c.nFrom, 3.0), c.nFrom, c.nTo);
            EXPECT_NEAR(Db(AmplitudeAt(out, fHz, c.nTo) / kAmplitude), 0.0, 0.5);
            // Whatever else the output holds (images, aliases, rounding) stays 60 dB down.
            EXPECT_LT(Db(StrongestOther(out, fHz, c.nTo) / kAmplitude), -60.0);
        }
    }
}

TEST(Resampler, TonesAboveTheNewNyquistRateAreRemoved) {
    for (const SRateCase& c : kRateCases) {
        if (c.nTo > c.nFrom) {
            continue;
        }
        for (const double fShare : {0.51, 0.6, 0.8, 0.98}) {
            const double fHz = c.nTo / 2.0 + fShare * (c.nFrom - c.nTo) / 2.0;
            SCOPED_TRACE(std::to_string(c.nFrom) + " -> " + std::to_string(c.nTo) + " at " +
                         std::to_string(fHz) + " Hz");
            const auto out = Convert(Tone(fHz, c.nFrom, 3.0), c.nFrom, c.nTo);
            EXPECT_LT(Db(StrongestOther(out, 0, c.nTo) / kAmplitude), -60.0);
        }
    }
}

TEST(Resampler, OutputLengthFollowsTheFactor) {
    for (const SRateCase& c : kRateCases) {
        for (const size_t n : {size_t{1}, size_t{999}, size_t{20000}, size_t{123457}}) {
            const std::vector<int16_t> in(n, 1000);
            const double fExpected = static_cast<double>(n) * c.nTo / c.nFrom;
            EXPECT_NEAR(static_cast<double>(Convert(in, c.nFrom, c.nTo).size()), fExpected, 1.0)
                << c.nFrom << " -> " << c.nTo << ", " << n << " samples";
        }
    }
    EXPECT_EQ(Convert(std::vector<int16_t>(8000), 8000, 11025).size(), 11025u);
}

TEST(Resampler, StereoChannelsStayApart) {
    const auto left = Tone(440, 48000, 2.0);
    const auto right = Tone(3000, 48000, 2.0, 8000);
    std::vector<int16_t> stereo(left.size() * 2);
    for (size_t i = 0; i < left.size(); ++i) {
        stereo[2 * i] = left[i];
        stereo[2 * i + 1] = right[i];
    }
    std::string why;
    const auto out = ConvertSoundRate(stereo, 48000, 3, true, why);
    ASSERT_TRUE(out) << why;
    ASSERT_EQ(out->size(), 2 * 88200u);
    std::vector<int16_t> l(out->size() / 2), r(out->size() / 2);
    for (size_t i = 0; i < l.size(); ++i) {
        l[i] = (*out)[2 * i];
        r[i] = (*out)[2 * i + 1];
    }
    EXPECT_NEAR(Db(AmplitudeAt(l, 440, 44100) / kAmplitude), 0.0, 0.5);
    EXPECT_NEAR(Db(AmplitudeAt(r, 3000, 44100) / 8000), 0.0, 0.5);
    EXPECT_LT(Db(AmplitudeAt(l, 3000, 44100) / kAmplitude), -80.0);
    EXPECT_LT(Db(AmplitudeAt(r, 440, 44100) / kAmplitude), -80.0);
}

TEST(Resampler, ErrorsAndCancel) {
    std::string why;
    std::vector<int16_t> out;
    // Down by more than the working window allows.
    CResampler tooFar(1.0 / 70);
    EXPECT_EQ(tooFar.Resample(std::vector<int16_t>(1000), out, why), -1);
    EXPECT_EQ(why, "IBUFFSIZE (or factor) is too small");
    EXPECT_FALSE(ConvertSoundRate(std::vector<int16_t>(10), 44100, 4, false, why));
    // A cancel keeps what was produced.
    CResampler r(0.5);
    r.SetProgress([](int nPercent) { return nPercent < 50; });
    const int64_t n = r.Resample(std::vector<int16_t>(100000, 5), out, why);
    EXPECT_GT(n, 20000);
    EXPECT_LT(n, 40000);
    // Full-scale input never wraps around.
    std::vector<int16_t> square(20000);
    for (size_t i = 0; i < square.size(); ++i) {
        square[i] = (i / 3) % 2 ? 32767 : -32768;
    }
    const auto clipped = Convert(square, 48000, 44100);
    EXPECT_FALSE(clipped.empty());
}

TEST(Resampler, FastModeInterpolatesLinearly) {
    CResampler r(2.0);
    r.SetFast(true);
    std::vector<int16_t> out;
    std::string why;
    ASSERT_EQ(r.Resample(std::vector<int16_t>{0, 1000, -1000, 0}, out, why), 8);
    EXPECT_EQ(out, (std::vector<int16_t>{0, 500, 1000, 0, -1000, -500, 0, 0}));
}
