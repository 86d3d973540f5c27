// Decodes any sound file that FFmpeg reads into interleaved PCM at the file's own rate and channel
// count: 8-bit unsigned when the source has 8-bit samples, 16-bit signed otherwise.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CSoundDecoder {
public:
    CSoundDecoder();
    ~CSoundDecoder();
    CSoundDecoder(const CSoundDecoder&) = delete;
    CSoundDecoder& operator=(const CSoundDecoder&) = delete;

    // Opens the first audio stream of the file; `why` says what failed.
    bool Open(const std::string& path, std::string& why);

    int Channels() const;
    int Rate() const;
    int Bits() const;
    int BytesPerFrame() const { return Channels() * Bits() / 8; }
    // The length the container declares, in sample frames; 0 when it declares none.
    int64_t DeclaredFrames() const;

    // Appends up to about `nMaxBytes` decoded bytes (whole sample frames) to `out`. Returns the
    // number appended; 0 at the end of the stream. -1 on a decoding error.
    int64_t Read(std::vector<uint8_t>& out, size_t nMaxBytes);

private:
    int64_t ReadIma(std::vector<uint8_t>& out, size_t nMaxBytes);

    struct SState;
    std::unique_ptr<SState> m_p;
};
