// `quillo sound info|decode|play`: the headless view of the sound files and the device layer.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "cli/Command.h"
#include "cli/Subcommands.h"
#include "platform/PulseSoundDevices.h"
#include "sound/MovieSound.h"
#include "sound/Resampler.h"
#include "sound/SoundDecoder.h"
#include "sound/SoundFile.h"
#include "sound/WavFile.h"

extern "C" {
#include <libavutil/log.h>
}

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kName = "sound";

int Info(const std::string& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        return Failure(kName, "cannot open " + file);
    }
    std::printf("%s\n", file.c_str());
    const auto wav = ReadWavInfoFromFile(file);
    if (wav && wav->bHasFormat) {
        std::string tag(WavFormatTagName(wav->format.nFormatTag));
        while (!tag.empty() && tag.back() == '\n') {
            tag.pop_back();
        }
        std::printf("  wav format  %u %s\n", wav->format.nFormatTag, tag.c_str());
        std::printf("  read        %s\n", wav->bDirect ? "directly" : "through the decoder");
    }
    CSoundDecoder decoder;
    std::string why;
    if (!decoder.Open(file, why)) {
        return Failure(kName, why);
    }
    std::printf("  channels    %d\n  rate        %d Hz\n  bits        %d\n", decoder.Channels(),
                decoder.Rate(), decoder.Bits());
    std::printf("  duration    %lld ms\n", static_cast<long long>(SoundFileDurationMs(file)));
    return kExitOk;
}

// A folder for the decoded copy of one command run, removed afterwards.
class CScratchFolder {
public:
    CScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "quillo-sound-XXXXXX").string();
        if (::mkdtemp(pattern.data())) {
            m_path = pattern;
        }
    }
    ~CScratchFolder() {
        std::error_code ec;
        if (!m_path.empty()) {
            fs::remove_all(m_path, ec);
        }
    }
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;
    std::string Folder() const { return m_path.empty() ? std::string() : m_path + "/"; }

private:
    std::string m_path;
};

std::vector<int16_t> As16Bit(const SMovieSound& sound) {
    std::vector<int16_t> s;
    if (sound.format.m_b16Bit) {
        s.resize(sound.bytes.size() / 2);
        std::memcpy(s.data(), sound.bytes.data(), s.size() * 2);
    } else {
        s.reserve(sound.bytes.size());
        for (uint8_t b : sound.bytes) {
            s.push_back(WidenSample8(b));
        }
    }
    return s;
}

int Decode(std::span<const std::string> args) {
    std::vector<std::string> files;
    std::optional<int> nRate;
    bool bMono = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--mono") {
            bMono = true;
        } else if (args[i] == "--rate" && i + 1 < args.size()) {
            char* end = nullptr;
            const long v = std::strtol(args[++i].c_str(), &end, 10);
            nRate = *end == '\0' ? static_cast<int>(v) : -1;
        } else if (args[i].rfind("--", 0) == 0) {
            return UsageError(kName, "unknown option " + args[i]);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) {
        return UsageError(kName, "decode needs IN and OUT.wav");
    }
    int nRateIndex = -1;
    if (nRate) {
        for (int i = 0; i < 4; ++i) {
            if (kMovieRates[i] == *nRate) {
                nRateIndex = i;
            }
        }
        if (nRateIndex < 0) {
            return UsageError(kName, "--rate must be 5500, 11025, 22050 or 44100");
        }
    }
    std::error_code ec;
    if (fs::exists(files[1], ec) && fs::equivalent(files[0], files[1], ec)) {
        return Failure(kName, "the output would overwrite the input " + files[0]);
    }
    CScratchFolder scratch;
    CMovieSoundLoader loader(scratch.Folder());
    std::string why;
    const auto sound = loader.LoadSoundForMovie(files[0], nullptr, false, why);
    if (!sound) {
        return Failure(kName, why);
    }
    std::vector<int16_t> samples = As16Bit(*sound);
    int nChannels = sound->format.Channels();
    if (bMono && nChannels == 2) {
        for (size_t i = 0; i < samples.size() / 2; ++i) {
            samples[i] = static_cast<int16_t>((samples[2 * i] + samples[2 * i + 1]) / 2);
        }
        samples.resize(samples.size() / 2);
        nChannels = 1;
    }
    int nOutRate = sound->format.m_nSamplesPerSec;
    if (nRateIndex >= 0 && kMovieRates[nRateIndex] != nOutRate) {
        auto converted = ConvertSoundRate(samples, nOutRate, nRateIndex, nChannels == 2, why);
        if (!converted) {
            return Failure(kName, why);
        }
        samples = std::move(*converted);
        nOutRate = kMovieRates[nRateIndex];
    }
    // Written beside the target and renamed over it, so that a failed write leaves no half file.
    const std::string partial = files[1] + ".part";
    CWavWriter writer;
    const bool bOk =
        writer.Open(partial, SWavFormat::Pcm(static_cast<uint32_t>(nOutRate),
                                             static_cast<uint16_t>(nChannels), 16)) &&
        writer.Write({reinterpret_cast<const uint8_t*>(samples.data()), samples.size() * 2}) &&
        writer.Finish();
    if (!bOk) {
        fs::remove(partial, ec);
        return Failure(kName, "cannot write " + files[1]);
    }
    fs::rename(partial, files[1], ec);
    if (ec) {
        fs::remove(partial, ec);
        return Failure(kName, "cannot write " + files[1]);
    }
    std::printf("%s\n  channels    %d\n  rate        %d Hz\n  frames      %zu\n", files[1].c_str(),
                nChannels, nOutRate, samples.size() / static_cast<size_t>(nChannels));
    return kExitOk;
}

int Play(const std::string& file) {
    CPulseSoundDevices devices;
    std::string why;
    if (!devices.Connect(why)) {
        return Failure(kName, why);
    }
    CSoundFilePlayer player(devices, nullptr, SSoundSearch{});
    SPlayRequest request;
    request.absolute = file;
    if (!player.PlaySoundFile(request)) {
        return Failure(kName, "cannot play " + file);
    }
    while (player.IsPlaying()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::printf("played %s (%lld ms)\n", file.c_str(),
                static_cast<long long>(SoundFileDurationMs(file)));
    return kExitOk;
}

}  // namespace

int RunSound(std::span<const std::string> args) {
    // The decoder's own notes on odd streams are not the user's business here.
    av_log_set_level(AV_LOG_ERROR);
    if (args.empty()) {
        return UsageError(kName, "missing info, decode or play");
    }
    const std::string& what = args[0];
    const auto rest = args.subspan(1);
    if (what == "info" || what == "play") {
        if (rest.size() != 1) {
            return UsageError(kName, what + " needs one FILE");
        }
        return what == "info" ? Info(rest[0]) : Play(rest[0]);
    }
    if (what == "decode") {
        return Decode(rest);
    }
    return UsageError(kName, "unknown sound command " + what);
}
