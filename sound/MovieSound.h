// Loading a sound as PCM samples for the movie's soundtrack: WAV files with 8- or 16-bit PCM are
// read directly, everything else through the raw sound cache; then the wanted part is cut out
// (wrapping around for a looped sound), the noise profile applied and the channels converted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sound/SoundCache.h"
#include "sound/SoundProfile.h"

// What a loaded sound holds.
struct CSoundFormat {
    int m_nRateCode = 0;  // 0 = 5.5 kHz, 1 = 11 kHz, 2 = 22 kHz, 3 = 44 kHz
    int m_b16Bit = 1;
    int m_nStereo = 0;  // channels - 1
    int m_nSamplesPerSec = 0;
    int64_t m_nSampleFrames = 0;

    static int RateCode(int nSamplesPerSec);
    int Channels() const { return m_nStereo + 1; }
    int BytesPerFrame() const { return Channels() * (m_b16Bit ? 2 : 1); }
};

// The frame's choices that shape a loaded sound.
struct SFrameSoundSettings {
    int64_t nStartMs = 0;
    int64_t nLengthMs = 0;
    SSoundProfile profile;
    int nMovieChannels = 1;  // the channel count the movie wants
};

struct SMovieSound {
    std::vector<uint8_t> bytes;  // interleaved samples, little-endian
    CSoundFormat format;
};

// The most bytes of samples a loaded sound keeps.
constexpr uint64_t kMaxMovieSoundBytes = 200000000;

// Loads sounds for one movie run; keeps the noise gate and automatic-gain states that carry from
// one sound to the next and the name of the last sound that failed.
class CMovieSoundLoader {
public:
    // `cacheFolder` is where decoded copies of non-WAV sounds are kept (ends with a separator).
    explicit CMovieSoundLoader(std::string cacheFolder) : m_cacheFolder(std::move(cacheFolder)) {}

    void SetProgress(SoundProgress progress) { m_progress = std::move(progress); }

    // The whole file without settings; with settings the clipped, profiled, 16-bit sound in the
    // movie's channel count. Nothing when the file cannot be read or holds no samples there.
    std::optional<SMovieSound> LoadSoundForMovie(const std::string& file,
                                                 const SFrameSoundSettings* pSettings, bool bLoop,
                                                 std::string& why);

    // A frame's sound for the soundtrack: as above, then the automatic gain and the volume
    // (0 ... 32767). A name that failed last time fails again at once.
    std::optional<SMovieSound> LoadFrameSoundForMovie(const std::string& file,
                                                      const SFrameSoundSettings& settings,
                                                      int nVolume, bool bAutoGain, bool bLoop);

    const std::string& LastError() const { return m_lastError; }

private:
    std::string m_cacheFolder;
    SoundProgress m_progress;
    SNoiseGate m_gate;
    float m_fAutoGain = kAutoGainStart;
    std::string m_lastFailed;
    std::string m_lastError;
};
