#include "sound/SoundProfile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

int16_t Clamp16(int64_t v) {
    return static_cast<int16_t>(std::clamp<int64_t>(v, -32768, 32767));
}

}  // namespace

int16_t WidenSample8(uint8_t b) {
    return static_cast<int16_t>((b - 128) * 256);
}

void ApplySoundProfile(std::span<int16_t> samples, std::span<const int16_t> lookahead, int nRate,
                       int nChannels, const SSoundProfile& profile,
                       std::span<const int16_t> cleaned, SNoiseGate& gate) {
    const bool bCleaned = !cleaned.empty();
    const int32_t nBlend = bCleaned ? profile.nBlend : 1024;
    const bool bAdjust = bCleaned && (profile.nZeroOffset != 0 || profile.fGain != 1.0f);
    for (size_t i = 0; i < samples.size(); ++i) {
        int64_t s = samples[i];
        if (bAdjust) {
            s = static_cast<int64_t>(
                std::trunc(static_cast<double>(s - profile.nZeroOffset) * profile.fGain + 0.5));
        }
        if (nBlend != 1024) {
            const int64_t c = i < cleaned.size() ? cleaned[i] : 0;
            s = c * (1024 - nBlend) / 1024 + nBlend * s / 1024;
        }
        samples[i] = Clamp16(s);
    }
    if (profile.nSilence <= 0) {
        return;
    }
    const int32_t nFull = std::max(1, nRate / 5);
    const size_t nAhead = static_cast<size_t>(nRate / 10) * static_cast<size_t>(nChannels);
    const auto ahead = [&](size_t i) -> int32_t {
        const size_t j = i + nAhead;
        if (j < samples.size()) {
            return samples[j];
        }
        const size_t k = j - samples.size();
        return k < lookahead.size() ? lookahead[k] : 0;
    };
    for (size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(int32_t{samples[i]}) >= profile.nSilence ||
            std::abs(ahead(i)) >= profile.nSilence) {
            gate.nHold = nFull;
        }
        if (gate.nHold > 0) {
            gate.nLevel = std::min(nFull, gate.nLevel + 10);
            --gate.nHold;
        } else {
            gate.nLevel = std::max(0, gate.nLevel - 1);
        }
        samples[i] = static_cast<int16_t>(gate.nLevel * samples[i] / nFull);
    }
}

namespace {

// Finds the block's limit and moves the gain towards it.
template <typename Sample>
void UpdateAutoGain(std::span<const Sample> block, float& fGain, float fFade, float fLimit,
                    float fCeiling, float fRise, int (*value)(Sample)) {
    for (const Sample raw : block) {
        int v = value(raw);
        if (fFade != 1.0f && fFade > 0.0f) {
            v = static_cast<int>(v / fFade);
        }
        const int a = std::abs(v);
        if (a > 0 && fCeiling / static_cast<float>(a) < fLimit) {
            fLimit = fCeiling / static_cast<float>(a);
        }
    }
    if (fLimit < fGain) {
        fGain = fLimit;
    } else {
        fGain += (fLimit - fGain) * fRise;
    }
}

}  // namespace

void ApplyAutoGain16(std::span<int16_t> block, float& fGain, float fFade) {
    UpdateAutoGain<int16_t>(block, fGain, fFade, 80.0f, 32512.0f, 0.002f,
                            [](int16_t s) { return int{s}; });
    for (int16_t& s : block) {
        s = Clamp16(static_cast<int64_t>(std::trunc(s * fGain)));
    }
}

void ApplyAutoGain8(std::span<uint8_t> block, float& fGain, float fFade) {
    UpdateAutoGain<uint8_t>(block, fGain, fFade, 25.0f, 127.0f, 0.01f,
                            [](uint8_t b) { return b - 128; });
    for (uint8_t& b : block) {
        const auto v = static_cast<int64_t>(std::trunc((b - 128) * fGain + 128));
        b = static_cast<uint8_t>(std::clamp<int64_t>(v, 0, 255));
    }
}
