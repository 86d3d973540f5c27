#include "sound/ResamplerFilters.h"

#include <cmath>
#include <numbers>

namespace {

// The zeroth-order modified Bessel function of the first kind, for the Kaiser window.
double BesselI0(double x) {
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 64; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
        if (term < 1e-12 * sum) {
            break;
        }
    }
    return sum;
}

// A sinc whose pass band ends at `fRolloff` of the Nyquist rate, shaped by a Kaiser window that
// reaches zero at the end of the wing.
SResampleFilter MakeFilter(int nMult, int nLpScl, double fRolloff, double fBeta) {
    SResampleFilter f;
    f.nMult = nMult;
    f.nWing = kFilterStepsPerCrossing * (nMult - 1) / 2;
    f.nLpScl = nLpScl;
    f.coefficients.resize(static_cast<size_t>(f.nWing));
    f.differences.resize(static_cast<size_t>(f.nWing));
    const double i0Beta = BesselI0(fBeta);
    for (int i = 0; i < f.nWing; ++i) {
        const double x = std::numbers::pi * fRolloff * i / kFilterStepsPerCrossing;
        const double sinc = i == 0 ? 1.0 : std::sin(x) / x;
        const double r = static_cast<double>(i) / f.nWing;
        const double window = BesselI0(fBeta * std::sqrt(1.0 - r * r)) / i0Beta;
        f.coefficients[static_cast<size_t>(i)] =
            static_cast<int16_t>(std::lround(sinc * window * 32767.0));
    }
    for (int i = 0; i < f.nWing; ++i) {
        const int next = i + 1 < f.nWing ? f.coefficients[static_cast<size_t>(i) + 1] : 0;
        f.differences[static_cast<size_t>(i)] =
            static_cast<int16_t>(next - f.coefficients[static_cast<size_t>(i)]);
    }
    return f;
}

}  // namespace

const SResampleFilter& LargeResampleFilter() {
    static const SResampleFilter filter = MakeFilter(65, 14746, 0.90, 7.0);
    return filter;
}

const SResampleFilter& SmallResampleFilter() {
    static const SResampleFilter filter = MakeFilter(13, 13128, 0.80, 8.0);
    return filter;
}
