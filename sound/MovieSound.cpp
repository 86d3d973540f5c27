#include "sound/MovieSound.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "sound/SoundPath.h"
#include "sound/WavFile.h"

namespace {

// Interleaved PCM samples at a place in a file: a WAV file's data chunk or a cache's body.
struct SPcmSource {
    std::string path;
    uint64_t nOffset = 0;
    uint64_t nBytes = 0;
    int nChannels = 0;
    int nRate = 0;
    int nBits = 0;
    uint64_t BytesPerFrame() const { return static_cast<uint64_t>(nChannels * nBits / 8); }
};

std::optional<SPcmSource> DirectWavSource(const std::string& file) {
    const auto wav = ReadWavInfoFromFile(file);
    if (!wav || !wav->bDirect) {
        return std::nullopt;
    }
    return SPcmSource{file,
                      wav->nDataOffset,
                      wav->nDataBytes,
                      wav->format.nChannels,
                      static_cast<int>(wav->format.nSamplesPerSec),
                      wav->format.nBitsPerSample};
}

// Reads `nBytes` starting `nStart` bytes into the samples; with `bLoop` the reading wraps to the
// start of the samples until the count is filled.
bool ReadSamples(const SPcmSource& src, uint64_t nStart, uint64_t nBytes, bool bLoop,
                 std::vector<uint8_t>& out) {
    std::FILE* f = std::fopen(src.path.c_str(), "rb");
    if (!f) {
        return false;
    }
    out.resize(static_cast<size_t>(nBytes));
    uint64_t nDone = 0;
    uint64_t pos = nStart;
    bool bOk = true;
    while (nDone < nBytes && bOk) {
        if (pos >= src.nBytes) {
            if (!bLoop) {
                break;
            }
            pos = 0;
        }
        const size_t n = static_cast<size_t>(std::min(nBytes - nDone, src.nBytes - pos));
        bOk = fseeko(f, static_cast<off_t>(src.nOffset + pos), SEEK_SET) == 0 &&
              std::fread(out.data() + nDone, 1, n, f) == n;
        nDone += n;
        pos += n;
    }
    std::fclose(f);
    out.resize(static_cast<size_t>(nDone));
    return bOk;
}

struct SClip {
    uint64_t nStart = 0;
    uint64_t nBytes = 0;
};

// The part of the samples that the settings ask for, in bytes of whole sample frames.
SClip ClipFor(const SPcmSource& src, const SFrameSoundSettings* pSettings, bool bLoop) {
    const uint64_t nFrame = src.BytesPerFrame();
    const uint64_t nCap = kMaxMovieSoundBytes - kMaxMovieSoundBytes % nFrame;
    SClip clip;
    if (!pSettings) {
        clip.nBytes = std::min(src.nBytes, nCap);
        return clip;
    }
    const auto framesFor = [&](int64_t ms) -> uint64_t {
        return ms <= 0 ? 0 : static_cast<uint64_t>(ms) * static_cast<uint64_t>(src.nRate) / 1000;
    };
    clip.nStart = framesFor(pSettings->nStartMs) * nFrame;
    // Computed in frames first so that a huge length cannot overflow before the cap.
    clip.nBytes = std::min(framesFor(pSettings->nLengthMs), nCap / nFrame) * nFrame;
    if (bLoop) {
        clip.nStart = src.nBytes == 0 ? 0 : clip.nStart % src.nBytes;
        if (src.nBytes == 0) {
            clip.nBytes = 0;
        }
    } else {
        clip.nBytes =
            clip.nStart >= src.nBytes ? 0 : std::min(clip.nBytes, src.nBytes - clip.nStart);
    }
    return clip;
}

std::vector<int16_t> Widen(const std::vector<uint8_t>& bytes, int nBits) {
    std::vector<int16_t> s;
    if (nBits == 8) {
        s.resize(bytes.size());
        std::transform(bytes.begin(), bytes.end(), s.begin(), WidenSample8);
    } else {
        s.resize(bytes.size() / 2);
        std::memcpy(s.data(), bytes.data(), s.size() * 2);
    }
    return s;
}

std::vector<int16_t> ConvertChannels(std::vector<int16_t> s, int nFrom, int nTo) {
    if (nFrom == 1 && nTo == 2) {
        std::vector<int16_t> out(s.size() * 2);
        for (size_t i = 0; i < s.size(); ++i) {
            out[2 * i] = out[2 * i + 1] = s[i];
        }
        return out;
    }
    if (nFrom == 2 && nTo == 1) {
        std::vector<int16_t> out(s.size() / 2);
        for (size_t i = 0; i < out.size(); ++i) {
            out[i] = static_cast<int16_t>((s[2 * i] + s[2 * i + 1]) / 2);
        }
        return out;
    }
    return s;
}

// The cleaned copy's samples at the same place, when one lies beside the sound in its format.
std::vector<int16_t> CleanedSamples(const std::string& file, const SPcmSource& src,
                                    const SClip& clip) {
    const std::string cleaned = CleanedCopyName(file);
    const auto wav = ReadStrictWavHeaderFromFile(cleaned);
    if (!wav || !wav->bDirect || wav->format.nChannels != src.nChannels ||
        wav->format.nBitsPerSample != src.nBits ||
        static_cast<int>(wav->format.nSamplesPerSec) != src.nRate) {
        return {};
    }
    const SPcmSource copy{cleaned,       wav->nDataOffset, wav->nDataBytes,
                          src.nChannels, src.nRate,        src.nBits};
    std::vector<uint8_t> bytes;
    if (!ReadSamples(copy, clip.nStart, clip.nBytes, false, bytes)) {
        return {};
    }
    return Widen(bytes, src.nBits);
}

}  // namespace

int CSoundFormat::RateCode(int nSamplesPerSec) {
    switch (nSamplesPerSec / 5000) {
        case 1:
            return 0;
        case 2:
            return 1;
        case 4:
            return 2;
        default:
            return 3;
    }
}

std::optional<SMovieSound> CMovieSoundLoader::LoadSoundForMovie(
    const std::string& file, const SFrameSoundSettings* pSettings, bool bLoop, std::string& why) {
    std::optional<SPcmSource> src = DirectWavSource(file);
    if (!src) {
        const auto cache = DecodeToCache(m_cacheFolder, file, why, m_progress);
        if (!cache) {
            return std::nullopt;
        }
        src = SPcmSource{cache->path,      kSoundCacheHeaderSize, cache->nDataBytes,
                         cache->nChannels, cache->nRate,          cache->nBits};
    }
    const SClip clip = ClipFor(*src, pSettings, bLoop);
    SMovieSound sound;
    if (!ReadSamples(*src, clip.nStart, clip.nBytes, bLoop, sound.bytes)) {
        why = "cannot read the samples of " + file;
        return std::nullopt;
    }
    sound.bytes.resize(sound.bytes.size() - sound.bytes.size() % src->BytesPerFrame());
    if (sound.bytes.empty()) {
        why = file + " holds no samples in the wanted part";
        return std::nullopt;
    }
    int nChannels = src->nChannels;
    int nBits = src->nBits;
    if (pSettings) {
        std::vector<int16_t> samples = Widen(sound.bytes, nBits);
        nBits = 16;
        const std::vector<int16_t> cleaned =
            bLoop ? std::vector<int16_t>{} : CleanedSamples(file, *src, clip);
        ApplySoundProfile(samples, {}, src->nRate, nChannels, pSettings->profile, cleaned, m_gate);
        samples = ConvertChannels(std::move(samples), nChannels, pSettings->nMovieChannels);
        if (pSettings->nMovieChannels == 1 || pSettings->nMovieChannels == 2) {
            nChannels = pSettings->nMovieChannels;
        }
        sound.bytes.resize(samples.size() * 2);
        std::memcpy(sound.bytes.data(), samples.data(), sound.bytes.size());
    }
    sound.format.m_nRateCode = CSoundFormat::RateCode(src->nRate);
    sound.format.m_b16Bit = nBits == 16 ? 1 : 0;
    sound.format.m_nStereo = nChannels - 1;
    sound.format.m_nSamplesPerSec = src->nRate;
    sound.format.m_nSampleFrames =
        static_cast<int64_t>(sound.bytes.size()) / sound.format.BytesPerFrame();
    return sound;
}

std::optional<SMovieSound> CMovieSoundLoader::LoadFrameSoundForMovie(
    const std::string& file, const SFrameSoundSettings& settings, int nVolume, bool bAutoGain,
    bool bLoop) {
    if (!m_lastFailed.empty() && file == m_lastFailed) {
        return std::nullopt;
    }
    auto sound = LoadSoundForMovie(file, &settings, bLoop, m_lastError);
    if (!sound) {
        m_lastFailed = file;
        return std::nullopt;
    }
    std::vector<int16_t> samples(sound->bytes.size() / 2);
    std::memcpy(samples.data(), sound->bytes.data(), samples.size() * 2);
    if (bAutoGain) {
        constexpr size_t kBlock = 4000;
        for (size_t i = 0; i < samples.size(); i += kBlock) {
            ApplyAutoGain16(std::span(samples).subspan(i, std::min(kBlock, samples.size() - i)),
                            m_fAutoGain);
        }
    }
    if (nVolume != 32767) {
        for (int16_t& s : samples) {
            s = static_cast<int16_t>(int64_t{nVolume} * s / 32767);
        }
    }
    std::memcpy(sound->bytes.data(), samples.data(), sound->bytes.size());
    return sound;
}
