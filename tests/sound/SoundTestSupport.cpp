#include "tests/sound/SoundTestSupport.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "sound/WavFile.h"

std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

bool RunShell(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

std::optional<std::vector<uint8_t>> ShellOutput(const std::string& command) {
    std::FILE* p = ::popen(command.c_str(), "r");
    if (!p) {
        return std::nullopt;
    }
    std::vector<uint8_t> out;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) {
        out.insert(out.end(), buf, buf + n);
    }
    if (::pclose(p) != 0) {
        return std::nullopt;
    }
    return out;
}

std::vector<int16_t> SoxSamples16(const std::string& path) {
    const auto bytes = ShellOutput("sox -D " + ShellQuote(path) + " -t s16 - 2>/dev/null");
    return bytes ? AsSamples16(*bytes) : std::vector<int16_t>{};
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void WriteWav16(const std::string& path, int nRate, int nChannels, std::span<const int16_t> s) {
    CWavWriter w;
    w.Open(path,
           SWavFormat::Pcm(static_cast<uint32_t>(nRate), static_cast<uint16_t>(nChannels), 16));
    w.Write({reinterpret_cast<const uint8_t*>(s.data()), s.size() * 2});
    w.Finish();
}

std::vector<int16_t> AsSamples16(std::span<const uint8_t> bytes) {
    std::vector<int16_t> s(bytes.size() / 2);
    std::memcpy(s.data(), bytes.data(), s.size() * 2);
    return s;
}
