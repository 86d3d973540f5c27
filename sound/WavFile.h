// WAV files: the 44-byte header that narrations are written with, the chunk walker that decides
// whether a file can be read directly as 8- or 16-bit PCM, and the stricter header reader used
// beside a cleaned copy.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

constexpr size_t kWavHeaderSize = 44;
constexpr uint16_t kWaveFormatPcm = 1;

// The common fields of a "fmt " chunk.
struct SWavFormat {
    uint16_t nFormatTag = kWaveFormatPcm;
    uint16_t nChannels = 1;
    uint32_t nSamplesPerSec = 11025;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t nBitsPerSample = 16;

    // A PCM format of the given shape with block alignment and bytes per second filled in.
    static SWavFormat Pcm(uint32_t nRate, uint16_t nChannels, uint16_t nBits);
    uint32_t BytesPerFrame() const { return nChannels * (nBitsPerSample / 8u); }
};

// What the chunk walker found. `bDirect` says the samples can be used as they are: PCM with 8 or
// 16 bits, one or two channels, consistent block alignment and the format chunk before the data.
struct SWavInfo {
    SWavFormat format;
    bool bHasFormat = false;
    bool bHasData = false;
    bool bDirect = false;
    uint64_t nDataOffset = 0;
    uint64_t nDataBytes = 0;  // never more than the file holds after nDataOffset
};

// Reads up to `out.size()` bytes at `offset`; returns how many were read.
using WavReadAt = std::function<size_t(uint64_t offset, std::span<uint8_t> out)>;

// The name of a format tag for diagnostics, with the trailing newline the trace prints.
std::string_view WavFormatTagName(uint16_t nTag);

// The 44-byte header of a PCM file holding `nDataBytes` sample bytes.
std::array<uint8_t, kWavHeaderSize> MakeWavHeader(const SWavFormat& format, uint32_t nDataBytes);

// Walks the chunks of a RIFF/WAVE file of `nFileSize` bytes. Nothing when it is not a RIFF/WAVE
// file. A chunk whose length runs past the end of the file ends the walk; a data chunk counts
// only the bytes present.
std::optional<SWavInfo> ReadWavInfo(const WavReadAt& read, uint64_t nFileSize);
std::optional<SWavInfo> ReadWavInfo(std::span<const uint8_t> bytes);
std::optional<SWavInfo> ReadWavInfoFromFile(const std::string& path);

// The strict reader: "RIFF", length, "WAVEfmt " with the format directly after "WAVE", then
// chunks skipped by their lengths until "data". Gives the format and the first sample's position.
std::optional<SWavInfo> ReadStrictWavHeader(const WavReadAt& read, uint64_t nFileSize);
std::optional<SWavInfo> ReadStrictWavHeaderFromFile(const std::string& path);

// A WAV file written block by block whose header is completed when it is finished.
class CWavWriter {
public:
    CWavWriter() = default;
    ~CWavWriter();
    CWavWriter(const CWavWriter&) = delete;
    CWavWriter& operator=(const CWavWriter&) = delete;

    bool Open(const std::string& path, const SWavFormat& format);
    bool Write(std::span<const uint8_t> bytes);
    // Writes the sizes into the header and closes the file; false when anything failed or the
    // samples do not fit the 32-bit sizes of the header.
    bool Finish();

private:
    std::FILE* m_pFile = nullptr;
    SWavFormat m_format;
    uint64_t m_nDataBytes = 0;
    bool m_bFailed = false;
};
