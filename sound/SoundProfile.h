// The per-sound processing applied when a sound is played in the editor or loaded for the movie:
// the noise profile (zero offset, gain, blend with the cleaned copy, noise gate) and the
// automatic gain.
#pragma once

#include <cstdint>
#include <span>

// The five values kept with a frame's sound.
struct SSoundProfile {
    int32_t nBlend = 1024;      // A: share of the unprocessed sound, out of 1024
    int32_t nSilence = 0;       // B: noise-gate threshold in 16-bit units, 0 = no gate
    int32_t nFoundSilence = 0;  // C: the silence level the analysis found
    float fGain = 1.0f;         // D
    int32_t nZeroOffset = 0;    // E
};

// The noise gate's level and hold counter, carried from one block or sound to the next.
struct SNoiseGate {
    int32_t nLevel = 0;
    int32_t nHold = 0;
};

// Widens unsigned 8-bit samples to signed 16-bit.
int16_t WidenSample8(uint8_t b);

// Applies the profile to interleaved 16-bit samples. `cleaned` holds the cleaned copy's samples
// at the same positions (empty: none, the blend counts as 1024 and offset and gain are skipped).
// `lookahead` holds the samples that follow `samples` (may be empty: zeros), read by the gate.
void ApplySoundProfile(std::span<int16_t> samples, std::span<const int16_t> lookahead, int nRate,
                       int nChannels, const SSoundProfile& profile,
                       std::span<const int16_t> cleaned, SNoiseGate& gate);

// The automatic gain over one block. `fFade` divides the samples while the level is measured
// (the player's fade factor; 1.0 when none runs). The state starts at 10.0.
constexpr float kAutoGainStart = 10.0f;
void ApplyAutoGain16(std::span<int16_t> block, float& fGain, float fFade = 1.0f);
void ApplyAutoGain8(std::span<uint8_t> block, float& fGain, float fFade = 1.0f);
