#include "sound/SoundCache.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "project/store/ByteOrder.h"
#include "sound/SoundDecoder.h"
#include "sound/SoundPath.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kBlockBytes = 64000;

std::optional<int64_t> ModificationSeconds(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return static_cast<int64_t>(st.st_mtime);
}

class CFileCloser {
public:
    explicit CFileCloser(std::FILE* p) : m_p(p) {}
    ~CFileCloser() {
        if (m_p) {
            std::fclose(m_p);
        }
    }
    CFileCloser(const CFileCloser&) = delete;
    CFileCloser& operator=(const CFileCloser&) = delete;
    std::FILE* Get() const { return m_p; }
    bool Close() {
        const bool bOk = std::fflush(m_p) == 0 && !std::ferror(m_p);
        const bool bClosed = std::fclose(m_p) == 0;
        m_p = nullptr;
        return bOk && bClosed;
    }

private:
    std::FILE* m_p;
};

bool WriteHeader(std::FILE* f, uint64_t nBytes, int nChannels, int nRate, int nBits) {
    uint8_t h[kSoundCacheHeaderSize];
    PutU64(h, nBytes);
    PutU32(h + 8, static_cast<uint32_t>(nChannels));
    PutU32(h + 12, static_cast<uint32_t>(nRate));
    PutU32(h + 16, static_cast<uint32_t>(nBits));
    return std::fseek(f, 0, SEEK_SET) == 0 && std::fwrite(h, 1, sizeof h, f) == sizeof h;
}

// Six channels become stereo: left from channels 1, 3, 5 and right from 2, 4, 6.
void MixSixToStereo(std::vector<uint8_t>& block, int32_t& nPeak) {
    const size_t nFrames = block.size() / 12;
    for (size_t i = 0; i < nFrames; ++i) {
        int16_t c[6];
        std::memcpy(c, block.data() + 12 * i, sizeof c);
        const int16_t lr[2] = {static_cast<int16_t>((c[0] + c[2] + c[4]) / 3),
                               static_cast<int16_t>((c[1] + c[3] + c[5]) / 3)};
        nPeak = std::max({nPeak, std::abs(int32_t{lr[0]}), std::abs(int32_t{lr[1]})});
        std::memcpy(block.data() + 4 * i, lr, sizeof lr);
    }
    block.resize(nFrames * 4);
}

// Brings the mixed-down samples to full scale in place.
bool ScaleToPeak(std::FILE* f, uint64_t nBytes, int32_t nPeak) {
    if (nPeak == 0) {
        return true;
    }
    const double fScale = 32767.0 / nPeak;
    std::vector<int16_t> buf(kBlockBytes / 2);
    for (uint64_t pos = 0; pos < nBytes;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(kBlockBytes, nBytes - pos));
        const off_t offset = static_cast<off_t>(kSoundCacheHeaderSize + pos);
        if (fseeko(f, offset, SEEK_SET) != 0 || std::fread(buf.data(), 1, n, f) != n) {
            return false;
        }
        for (size_t i = 0; i < n / 2; ++i) {
            buf[i] = static_cast<int16_t>(buf[i] * fScale);
        }
        if (fseeko(f, offset, SEEK_SET) != 0 || std::fwrite(buf.data(), 1, n, f) != n) {
            return false;
        }
        pos += n;
    }
    return true;
}

bool Decode(const std::string& source, const std::string& target, std::string& why,
            const SoundProgress& progress) {
    CSoundDecoder decoder;
    if (!decoder.Open(source, why)) {
        return false;
    }
    const bool bSix = decoder.Channels() == 6;
    const int nChannels = bSix ? 2 : decoder.Channels();
    CFileCloser file(std::fopen(target.c_str(), "w+b"));
    if (!file.Get()) {
        why = "cannot create " + target;
        return false;
    }
    if (!WriteHeader(file.Get(), 0, nChannels, decoder.Rate(), decoder.Bits())) {
        why = "cannot write " + target;
        return false;
    }
    const int64_t nDeclared = decoder.DeclaredFrames();
    uint64_t nBytes = 0;
    uint64_t nFramesIn = 0;
    int32_t nPeak = 0;
    std::vector<uint8_t> block;
    for (;;) {
        block.clear();
        const int64_t n = decoder.Read(block, kBlockBytes);
        if (n < 0) {
            why = "decoding " + source + " failed";
            return false;
        }
        if (n == 0) {
            break;
        }
        nFramesIn += block.size() / static_cast<size_t>(decoder.BytesPerFrame());
        if (bSix) {
            MixSixToStereo(block, nPeak);
        }
        if (std::fwrite(block.data(), 1, block.size(), file.Get()) != block.size()) {
            why = "cannot write " + target + " (disk full?)";
            return false;
        }
        nBytes += block.size();
        if (progress && nDeclared > 0 &&
            !progress(static_cast<int>(std::min<uint64_t>(100, nFramesIn * 100 / nDeclared)))) {
            why = "decoding cancelled";
            return false;
        }
    }
    if (bSix && !ScaleToPeak(file.Get(), nBytes, nPeak)) {
        why = "cannot write " + target;
        return false;
    }
    if (!WriteHeader(file.Get(), nBytes, nChannels, decoder.Rate(), decoder.Bits()) ||
        !file.Close()) {
        why = "cannot write " + target + " (disk full?)";
        return false;
    }
    return true;
}

}  // namespace

std::string SoundCacheName(const std::string& folder, const std::string& source) {
    std::string name = SoundFileName(source);
    std::replace_if(
        name.begin(), name.end(), [](char c) { return c == '.' || c == ':' || c == '\\'; }, '_');
    const int64_t nTime = ModificationSeconds(source).value_or(0);
    return folder + name + "_" + std::to_string(nTime) + ".mp3";
}

std::optional<SSoundCacheInfo> ReadSoundCacheHeader(const std::string& path) {
    CFileCloser file(std::fopen(path.c_str(), "rb"));
    uint8_t h[kSoundCacheHeaderSize];
    if (!file.Get() || std::fread(h, 1, sizeof h, file.Get()) != sizeof h ||
        std::fseek(file.Get(), 0, SEEK_END) != 0) {
        return std::nullopt;
    }
    const off_t nSize = ftello(file.Get());
    SSoundCacheInfo info;
    info.path = path;
    info.nChannels = static_cast<int>(GetU32(h + 8));
    info.nRate = static_cast<int>(GetU32(h + 12));
    info.nBits = static_cast<int>(GetU32(h + 16));
    if (nSize < static_cast<off_t>(kSoundCacheHeaderSize) || info.nChannels < 1 ||
        info.nChannels > 2 || info.nRate <= 0 || (info.nBits != 8 && info.nBits != 16)) {
        return std::nullopt;
    }
    const uint64_t nPresent = static_cast<uint64_t>(nSize) - kSoundCacheHeaderSize;
    const uint64_t nFrame = static_cast<uint64_t>(info.nChannels * info.nBits / 8);
    info.nDataBytes = std::min(GetU64(h), nPresent);
    info.nDataBytes -= info.nDataBytes % nFrame;
    return info;
}

std::optional<SSoundCacheInfo> DecodeToCache(const std::string& folder, const std::string& source,
                                             std::string& why, const SoundProgress& progress) {
    if (!ModificationSeconds(source)) {
        why = "cannot find " + source;
        return std::nullopt;
    }
    const std::string name = SoundCacheName(folder, source);
    std::error_code ec;
    if (fs::exists(name, ec)) {
        auto info = ReadSoundCacheHeader(name);
        if (!info) {
            why = name + " is not a sound cache file";
        }
        return info;
    }
    // Decoded under a passing name and renamed when complete, so that a decoding that is killed
    // midway never leaves a cache that a later run would take as finished.
    const std::string partial = name + ".part";
    if (!Decode(source, partial, why, progress)) {
        fs::remove(partial, ec);
        return std::nullopt;
    }
    fs::rename(partial, name, ec);
    if (ec) {
        why = "cannot rename " + partial + ": " + ec.message();
        fs::remove(partial, ec);
        return std::nullopt;
    }
    auto info = ReadSoundCacheHeader(name);
    if (!info) {
        why = "cannot read back " + name;
    }
    return info;
}
