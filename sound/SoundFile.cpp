#include "sound/SoundFile.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/Prompter.h"
#include "sound/SoundDecoder.h"
#include "sound/WavFile.h"

namespace {

// Requests of 1 to 25 hundredths are too short to be heard.
constexpr int32_t kShortestHundredths = 25;

// Decoded 16-bit samples of a file, from a start, wrapping around when looped.
class CSampleSource {
public:
    bool Open(const std::string& path, bool bLoop, std::string& why) {
        m_path = path;
        m_bLoop = bLoop;
        return m_decoder.Open(path, why);
    }
    const CSoundDecoder& Decoder() const { return m_decoder; }

    // Skips `nFrames` sample frames.
    void Skip(int64_t nFrames) {
        std::vector<int16_t> sink;
        while (nFrames > 0) {
            sink.clear();
            const int64_t n = Read(sink, static_cast<size_t>(std::min<int64_t>(nFrames, 8192)));
            if (n <= 0) {
                return;
            }
            nFrames -= n;
        }
    }

    // Appends up to `nFrames` frames; the frames appended.
    int64_t Read(std::vector<int16_t>& out, size_t nFrames) {
        const size_t nFrameBytes = static_cast<size_t>(m_decoder.BytesPerFrame());
        m_bytes.clear();
        int64_t n = m_decoder.Read(m_bytes, nFrames * nFrameBytes);
        if (n == 0 && m_bLoop && m_bAnySamples) {
            std::string why;
            if (!m_decoder.Open(m_path, why)) {
                return 0;
            }
            n = m_decoder.Read(m_bytes, nFrames * nFrameBytes);
        }
        if (n <= 0) {
            return 0;
        }
        m_bAnySamples = true;
        if (m_decoder.Bits() == 8) {
            for (uint8_t b : m_bytes) {
                out.push_back(WidenSample8(b));
            }
        } else {
            const size_t nOld = out.size();
            out.resize(nOld + m_bytes.size() / 2);
            std::memcpy(out.data() + nOld, m_bytes.data(), m_bytes.size() / 2 * 2);
        }
        return static_cast<int64_t>(m_bytes.size() / nFrameBytes);
    }

private:
    CSoundDecoder m_decoder;
    std::string m_path;
    bool m_bLoop = false;
    bool m_bAnySamples = false;
    std::vector<uint8_t> m_bytes;
};

}  // namespace

// The decoding and processing of one playback, run on the device layer's thread.
struct CSoundFilePlayer::SSession {
    CSampleSource sound;
    std::optional<CSampleSource> cleaned;
    SPlayRequest request;
    int nChannels = 1;
    int nRate = 0;
    std::optional<int64_t> nFramesLeft;  // to the end of the requested length
    SNoiseGate gate;
    float fAutoGain = kAutoGainStart;
    const std::atomic<float>* pFade = nullptr;
    std::vector<int16_t> block;
    std::vector<int16_t> cleanedBlock;

    size_t Fill(std::span<uint8_t> out) {
        size_t nFrames = out.size() / (2 * static_cast<size_t>(nChannels));
        if (nFramesLeft) {
            nFrames =
                static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(nFrames), *nFramesLeft));
        }
        block.clear();
        while (block.size() < nFrames * nChannels) {
            if (sound.Read(block, nFrames - block.size() / nChannels) <= 0) {
                break;
            }
        }
        const size_t nGot = block.size() / nChannels;
        if (nFramesLeft) {
            *nFramesLeft -= static_cast<int64_t>(nGot);
        }
        Process();
        std::memcpy(out.data(), block.data(), block.size() * 2);
        return block.size() * 2;
    }

    void Process() {
        SSoundProfile profile;
        profile.nBlend = request.pBlend ? request.pBlend->load() : 1024;
        profile.nSilence = request.pSilence ? request.pSilence->load() : 0;
        profile.fGain = request.fGain;
        profile.nZeroOffset = request.nZeroOffset;
        cleanedBlock.clear();
        if (cleaned) {
            while (cleanedBlock.size() < block.size() &&
                   cleaned->Read(cleanedBlock, (block.size() - cleanedBlock.size()) / nChannels) >
                       0) {
            }
            cleanedBlock.resize(block.size(), 0);
        }
        ApplySoundProfile(block, {}, nRate, nChannels, profile, cleanedBlock, gate);
        const float fFade = pFade ? pFade->load() : 1.0f;
        if (request.pAutoGain && request.pAutoGain->load()) {
            ApplyAutoGain16(block, fAutoGain, fFade);
        } else {
            fAutoGain = kAutoGainStart;
        }
        if (fFade != 1.0f) {
            for (int16_t& s : block) {
                s = static_cast<int16_t>(s * fFade);
            }
        }
    }
};

int64_t SoundFileDurationMs(const std::string& path) {
    if (const auto wav = ReadWavInfoFromFile(path); wav && wav->bDirect) {
        return static_cast<int64_t>(wav->nDataBytes * 1000 / wav->format.nSamplesPerSec /
                                    wav->format.nBlockAlign);
    }
    CSoundDecoder decoder;
    std::string why;
    if (!decoder.Open(path, why)) {
        return 0;
    }
    int64_t nFrames = decoder.DeclaredFrames();
    if (nFrames <= 0) {
        std::vector<uint8_t> sink;
        for (int64_t n; (n = decoder.Read(sink, 1 << 16)) > 0; sink.clear()) {
            nFrames += n / decoder.BytesPerFrame();
        }
    }
    return nFrames * 1000 / decoder.Rate();
}

int64_t GetSoundDurationMs(const std::string& relative, const std::string& absolute,
                           const SSoundSearch& where) {
    const auto path = FindSoundFile(relative, absolute, where);
    return path ? SoundFileDurationMs(*path) : 0;
}

CSoundFilePlayer::CSoundFilePlayer(ISoundDevices& devices, IPrompter* pPrompter, SSoundSearch where)
    : m_devices(devices), m_pPrompter(pPrompter), m_where(std::move(where)) {}

CSoundFilePlayer::~CSoundFilePlayer() {
    Stop();
}

void CSoundFilePlayer::Stop() {
    if (m_pPlayback) {
        m_pPlayback->Stop();
        m_pPlayback.reset();
    }
    m_pSession.reset();
}

bool CSoundFilePlayer::IsPlaying() const {
    return m_pPlayback && !m_pPlayback->HasEnded();
}

void CSoundFilePlayer::SetFade(float fFade) {
    m_fFade = fFade;
}

bool CSoundFilePlayer::PlaySoundFile(const SPlayRequest& request) {
    Stop();
    if (request.nLengthHundredths >= 1 && request.nLengthHundredths <= kShortestHundredths) {
        return true;
    }
    const auto path = FindSoundFile(request.relative, request.absolute, m_where);
    if (!path) {
        return false;
    }
    auto session = std::make_shared<SSession>();
    session->request = request;
    session->pFade = &m_fFade;
    std::string why;
    if (!session->sound.Open(*path, request.bLoop, why)) {
        if (m_pPrompter && m_warned.insert(*path).second) {
            m_pPrompter->Error("Unable to open audio file.     ", "Quillo Warning");
        }
        return false;
    }
    const std::string cleanedName = CleanedCopyName(*path);
    std::error_code ec;
    if (std::filesystem::exists(cleanedName, ec)) {
        session->cleaned.emplace();
        if (!session->cleaned->Open(cleanedName, request.bLoop, why) ||
            session->cleaned->Decoder().Channels() != session->sound.Decoder().Channels()) {
            session->cleaned.reset();
        }
    }
    const CSoundDecoder& d = session->sound.Decoder();
    session->nChannels = d.Channels();
    session->nRate = d.Rate();
    if (request.nStartMs) {
        int64_t nStart = *request.nStartMs * d.Rate() / 1000;
        if (request.bLoop) {
            const int64_t nLength = SoundFileDurationMs(*path) * d.Rate() / 1000;
            nStart = nLength > 0 ? nStart % nLength : 0;
        }
        session->sound.Skip(nStart);
        if (session->cleaned) {
            session->cleaned->Skip(nStart);
        }
    }
    if (request.nLengthHundredths > 0) {
        session->nFramesLeft = int64_t{request.nLengthHundredths} * d.Rate() / 100;
    }
    const SPcmFormat format{d.Rate(), d.Channels(), 16};
    const double fVolume = std::clamp(request.nVolume, 0, 32768) / 32768.0;
    m_pPlayback = m_devices.StartPlayback(
        format, fVolume, [session](std::span<uint8_t> out) { return session->Fill(out); }, why);
    if (!m_pPlayback) {
        return false;
    }
    m_pSession = std::move(session);
    return true;
}
