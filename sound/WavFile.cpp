#include "sound/WavFile.h"

#include <algorithm>
#include <cstring>

#include "project/store/ByteOrder.h"

namespace {

constexpr uint64_t kRiffHeaderSize = 12;
constexpr uint64_t kChunkHeaderSize = 8;
constexpr uint32_t kFormatFieldsSize = 16;

bool ReadExact(const WavReadAt& read, uint64_t offset, std::span<uint8_t> out) {
    return read(offset, out) == out.size();
}

bool IsId(const uint8_t* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

SWavFormat ParseFormatFields(const uint8_t* p) {
    SWavFormat f;
    f.nFormatTag = GetU16(p);
    f.nChannels = GetU16(p + 2);
    f.nSamplesPerSec = GetU32(p + 4);
    f.nAvgBytesPerSec = GetU32(p + 8);
    f.nBlockAlign = GetU16(p + 12);
    f.nBitsPerSample = GetU16(p + 14);
    return f;
}

bool IsDirectPcm(const SWavFormat& f) {
    return f.nFormatTag == kWaveFormatPcm && (f.nBitsPerSample == 8 || f.nBitsPerSample == 16) &&
           (f.nChannels == 1 || f.nChannels == 2) && f.nSamplesPerSec > 0 &&
           f.nBlockAlign == f.BytesPerFrame();
}

// The bytes of a body of `nLength` at `nStart` that the file really holds.
uint64_t PresentBytes(uint64_t nStart, uint64_t nLength, uint64_t nFileSize) {
    return nStart >= nFileSize ? 0 : std::min(nLength, nFileSize - nStart);
}

// Chunks are padded to an even length.
uint64_t PaddedLength(uint32_t nLength) {
    return uint64_t{nLength} + (nLength & 1u);
}

WavReadAt SpanReader(std::span<const uint8_t> bytes) {
    return [bytes](uint64_t offset, std::span<uint8_t> out) -> size_t {
        if (offset >= bytes.size()) {
            return 0;
        }
        const size_t n = static_cast<size_t>(std::min<uint64_t>(out.size(), bytes.size() - offset));
        std::memcpy(out.data(), bytes.data() + offset, n);
        return n;
    };
}

class CFileReader {
public:
    explicit CFileReader(const std::string& path) : m_pFile(std::fopen(path.c_str(), "rb")) {}
    ~CFileReader() {
        if (m_pFile) {
            std::fclose(m_pFile);
        }
    }
    CFileReader(const CFileReader&) = delete;
    CFileReader& operator=(const CFileReader&) = delete;

    bool IsOpen() const { return m_pFile != nullptr; }
    WavReadAt Reader() {
        return [this](uint64_t offset, std::span<uint8_t> out) -> size_t {
            if (fseeko(m_pFile, static_cast<off_t>(offset), SEEK_SET) != 0) {
                return 0;
            }
            return std::fread(out.data(), 1, out.size(), m_pFile);
        };
    }
    uint64_t FileSize() {
        if (fseeko(m_pFile, 0, SEEK_END) != 0) {
            return 0;
        }
        const off_t n = ftello(m_pFile);
        return n < 0 ? 0 : static_cast<uint64_t>(n);
    }

private:
    std::FILE* m_pFile;
};

}  // namespace

SWavFormat SWavFormat::Pcm(uint32_t nRate, uint16_t nChannels, uint16_t nBits) {
    SWavFormat f;
    f.nFormatTag = kWaveFormatPcm;
    f.nChannels = nChannels;
    f.nSamplesPerSec = nRate;
    f.nBitsPerSample = nBits;
    f.nBlockAlign = static_cast<uint16_t>(nBits * nChannels / 8);
    f.nAvgBytesPerSec = nRate * f.nBlockAlign;
    return f;
}

std::string_view WavFormatTagName(uint16_t nTag) {
    switch (nTag) {
        case 1:
            return "WAVE_FORMAT_PCM\n";
        case 2:
            return "WAVE_FORMAT_ADPCM\n";
        case 5:
            return "WAVE_FORMAT_IBM_CVSD\n";
        case 6:
            return "WAVE_FORMAT_ALAW\n";
        case 7:
            return "WAVE_FORMAT_MULAW\n";
        case 16:
            return "WAVE_FORMAT_OKI_ADPCM";
        case 17:
            return "WAVE_FORMAT_DVI_ADPCM or WAVE_FORMAT_IMA_ADPCM\n";
        case 21:
            return "WAVE_FORMAT_DIGISTD\n";
        case 22:
            return "WAVE_FORMAT_DIGIFIX\n";
        case 32:
            return "WAVE_FORMAT_YAMAHA_ADPCM\n";
        case 33:
            return "WAVE_FORMAT_SONARC\n";
        case 34:
            return "WAVE_FORMAT_DSPGROUP_TRUESPEECH\n";
        case 35:
            return "WAVE_FORMAT_ECHOSC1\n";
        case 36:
            return "WAVE_FORMAT_AUDIOFILE_AF18\n";
        case 257:
            return "IBM_FORMAT_MULAW\n";
        case 258:
            return "IBM_FORMAT_ALAW\n";
        case 259:
            return "IBM_FORMAT_ADPCM\n";
        case 512:
            return "WAVE_FORMAT_CREATIVE_ADPCM\n";
        default:
            return "WAVE_FORMAT_UNKNOWN";
    }
}

std::array<uint8_t, kWavHeaderSize> MakeWavHeader(const SWavFormat& format, uint32_t nDataBytes) {
    std::array<uint8_t, kWavHeaderSize> h{};
    std::memcpy(h.data(), "RIFF", 4);
    PutU32(h.data() + 4, nDataBytes + static_cast<uint32_t>(kWavHeaderSize - 8));
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    PutU32(h.data() + 16, kFormatFieldsSize);
    PutU16(h.data() + 20, format.nFormatTag);
    PutU16(h.data() + 22, format.nChannels);
    PutU32(h.data() + 24, format.nSamplesPerSec);
    PutU32(h.data() + 28, format.nAvgBytesPerSec);
    PutU16(h.data() + 32, format.nBlockAlign);
    PutU16(h.data() + 34, format.nBitsPerSample);
    std::memcpy(h.data() + 36, "data", 4);
    PutU32(h.data() + 40, nDataBytes);
    return h;
}

std::optional<SWavInfo> ReadWavInfo(const WavReadAt& read, uint64_t nFileSize) {
    uint8_t riff[kRiffHeaderSize];
    if (!ReadExact(read, 0, riff) || !IsId(riff, "RIFF") || !IsId(riff + 8, "WAVE")) {
        return std::nullopt;
    }
    const uint64_t nEnd = std::min<uint64_t>(nFileSize, 8 + uint64_t{GetU32(riff + 4)});
    SWavInfo info;
    uint64_t pos = kRiffHeaderSize;
    while (pos + kChunkHeaderSize <= nEnd) {
        uint8_t head[kChunkHeaderSize];
        if (!ReadExact(read, pos, head)) {
            break;
        }
        const uint32_t nLength = GetU32(head + 4);
        const uint64_t nBody = pos + kChunkHeaderSize;
        if (IsId(head, "data")) {
            if (!info.bHasFormat) {
                // The samples cannot be interpreted without a format read before them.
                break;
            }
            info.bHasData = true;
            info.nDataOffset = nBody;
            info.nDataBytes = PresentBytes(nBody, nLength, nFileSize);
            break;
        }
        if (nBody + nLength > nFileSize) {
            break;
        }
        if (IsId(head, "fmt ") && nLength >= kFormatFieldsSize && !info.bHasFormat) {
            uint8_t fields[kFormatFieldsSize];
            if (!ReadExact(read, nBody, fields)) {
                break;
            }
            info.format = ParseFormatFields(fields);
            info.bHasFormat = true;
        }
        pos = nBody + PaddedLength(nLength);
    }
    info.bDirect = info.bHasFormat && info.bHasData && IsDirectPcm(info.format);
    if (info.bDirect) {
        // Whole sample frames only.
        info.nDataBytes -= info.nDataBytes % info.format.nBlockAlign;
    }
    return info;
}

std::optional<SWavInfo> ReadWavInfo(std::span<const uint8_t> bytes) {
    return ReadWavInfo(SpanReader(bytes), bytes.size());
}

std::optional<SWavInfo> ReadWavInfoFromFile(const std::string& path) {
    CFileReader file(path);
    if (!file.IsOpen()) {
        return std::nullopt;
    }
    const uint64_t nSize = file.FileSize();
    return ReadWavInfo(file.Reader(), nSize);
}

std::optional<SWavInfo> ReadStrictWavHeader(const WavReadAt& read, uint64_t nFileSize) {
    uint8_t head[kRiffHeaderSize + kChunkHeaderSize + kFormatFieldsSize];
    if (!ReadExact(read, 0, head) || !IsId(head, "RIFF") || std::memcmp(head + 8, "WAVEfmt ", 8)) {
        return std::nullopt;
    }
    const uint32_t nFormatLength = GetU32(head + 16);
    if (nFormatLength < kFormatFieldsSize) {
        return std::nullopt;
    }
    SWavInfo info;
    info.format = ParseFormatFields(head + 20);
    info.bHasFormat = true;
    uint64_t pos = kRiffHeaderSize + kChunkHeaderSize + PaddedLength(nFormatLength);
    while (pos + kChunkHeaderSize <= nFileSize) {
        uint8_t chunk[kChunkHeaderSize];
        if (!ReadExact(read, pos, chunk)) {
            return std::nullopt;
        }
        const uint32_t nLength = GetU32(chunk + 4);
        if (IsId(chunk, "data")) {
            info.bHasData = true;
            info.nDataOffset = pos + kChunkHeaderSize;
            info.nDataBytes = PresentBytes(info.nDataOffset, nLength, nFileSize);
            info.bDirect = IsDirectPcm(info.format);
            if (info.bDirect) {
                info.nDataBytes -= info.nDataBytes % info.format.nBlockAlign;
            }
            return info;
        }
        pos += kChunkHeaderSize + PaddedLength(nLength);
    }
    return std::nullopt;
}

std::optional<SWavInfo> ReadStrictWavHeaderFromFile(const std::string& path) {
    CFileReader file(path);
    if (!file.IsOpen()) {
        return std::nullopt;
    }
    const uint64_t nSize = file.FileSize();
    return ReadStrictWavHeader(file.Reader(), nSize);
}

CWavWriter::~CWavWriter() {
    if (m_pFile) {
        std::fclose(m_pFile);
    }
}

bool CWavWriter::Open(const std::string& path, const SWavFormat& format) {
    m_pFile = std::fopen(path.c_str(), "wb");
    if (!m_pFile) {
        return false;
    }
    m_format = format;
    m_nDataBytes = 0;
    m_bFailed = false;
    const auto header = MakeWavHeader(format, 0);
    m_bFailed = std::fwrite(header.data(), 1, header.size(), m_pFile) != header.size();
    return !m_bFailed;
}

bool CWavWriter::Write(std::span<const uint8_t> bytes) {
    if (!m_pFile || m_bFailed) {
        return false;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_pFile) != bytes.size()) {
        m_bFailed = true;
        return false;
    }
    m_nDataBytes += bytes.size();
    return true;
}

bool CWavWriter::Finish() {
    if (!m_pFile) {
        return false;
    }
    constexpr uint64_t kMaxData = 0xFFFFFFFFull - (kWavHeaderSize - 8);
    bool bOk = !m_bFailed && m_nDataBytes <= kMaxData;
    if (bOk) {
        const auto header = MakeWavHeader(m_format, static_cast<uint32_t>(m_nDataBytes));
        bOk = std::fseek(m_pFile, 0, SEEK_SET) == 0 &&
              std::fwrite(header.data(), 1, header.size(), m_pFile) == header.size();
    }
    bOk = std::fflush(m_pFile) == 0 && bOk;
    bOk = std::fclose(m_pFile) == 0 && bOk;
    m_pFile = nullptr;
    return bOk;
}
