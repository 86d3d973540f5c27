// Sound files of every kind the program meets, read directly or decoded through the cache, give
// the samples an outside decoder gives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "project/store/ByteOrder.h"
#include "sound/MovieSound.h"
#include "sound/SoundDecoder.h"
#include "sound/WavFile.h"
#include "tests/sound/SoundTestSupport.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// A second of a chirp with some noise, so that no two neighbouring samples repeat.
std::string MakeSource(const CTempDir& dir, int nChannels) {
    const std::string path = dir.File("source.wav");
    EXPECT_TRUE(RunShell("sox -n -r 22050 -c " + std::to_string(nChannels) + " -b 16 " +
                         ShellQuote(path) +
                         " synth 1 sine 200-5000 synth 1 whitenoise amod 0.1 0.8 gain -3 "
                         "2>/dev/null"));
    return path;
}

std::optional<SMovieSound> LoadWhole(const CTempDir& dir, const std::string& file) {
    CMovieSoundLoader loader(dir.Path().string() + "/");
    std::string why;
    auto sound = loader.LoadSoundForMovie(file, nullptr, false, why);
    EXPECT_TRUE(sound) << why;
    return sound;
}

std::vector<int16_t> As16(const SMovieSound& sound) {
    if (sound.format.m_b16Bit) {
        return AsSamples16(sound.bytes);
    }
    std::vector<int16_t> s(sound.bytes.size());
    for (size_t i = 0; i < s.size(); ++i) {
        s[i] = static_cast<int16_t>((sound.bytes[i] - 128) * 256);
    }
    return s;
}

// Inserts `chunk` into a 44-byte-header WAV file before the format (at 12) or the data (at 36).
std::vector<uint8_t> WithChunk(std::vector<uint8_t> wav, size_t nAt, const std::string& id,
                               const std::string& body) {
    std::vector<uint8_t> c(8);
    std::memcpy(c.data(), id.data(), 4);
    PutU32(c.data() + 4, static_cast<uint32_t>(body.size()));
    c.insert(c.end(), body.begin(), body.end());
    if (body.size() % 2) {
        c.push_back(0);
    }
    wav.insert(wav.begin() + static_cast<ptrdiff_t>(nAt), c.begin(), c.end());
    PutU32(wav.data() + 4, static_cast<uint32_t>(wav.size() - 8));
    return wav;
}

}  // namespace

// Each made with sox from the same source; `sox FILE -t s16 -` is the judge.
struct SExactCase {
    const char* name;
    const char* soxOptions;  // output options, empty for a hand-made variant of the source
    const char* extension;
    int nChannels;
    bool bDirect;  // read without decoding
};

TEST(SoundDecode, SamplesEqualTheOutsideDecoder) {
    const std::vector<SExactCase> cases = {
        {"8-bit", "-b 8", "wav", 1, true},
        {"16-bit stereo", "-b 16", "wav", 2, true},
        {"24-bit", "-b 24", "wav", 1, false},
        {"ima adpcm", "-e ima-adpcm", "wav", 1, false},
        {"ima adpcm stereo", "-e ima-adpcm", "wav", 2, false},
        {"flac", "-b 16", "flac", 2, false},
        {"aiff", "-b 16", "aiff", 1, false},
    };
    for (const SExactCase& c : cases) {
        SCOPED_TRACE(c.name);
        CTempDir dir;
        const std::string src = MakeSource(dir, c.nChannels);
        const std::string file = dir.File(std::string("made file #.") + c.extension);
        ASSERT_TRUE(RunShell("sox " + ShellQuote(src) + " " + c.soxOptions + " " +
                             ShellQuote(file) + " 2>/dev/null"));
        const auto expected = SoxSamples16(file);
        ASSERT_GT(expected.size(), 10000u);
        const auto sound = LoadWhole(dir, file);
        ASSERT_TRUE(sound);
        EXPECT_EQ(ReadWavInfoFromFile(file).value_or(SWavInfo{}).bDirect, c.bDirect);
        EXPECT_EQ(sound->format.Channels(), c.nChannels);
        EXPECT_EQ(sound->format.m_nSamplesPerSec, 22050);
        EXPECT_EQ(sound->format.m_nRateCode, 2);
        const auto got = As16(*sound);
        ASSERT_EQ(got.size(), expected.size());
        EXPECT_EQ(got, expected);
    }
}

TEST(SoundDecode, ExtraChunksAroundTheFormatAreWalkedOver) {
    CTempDir dir;
    const std::string src = MakeSource(dir, 1);
    const auto original = ReadFileBytes(src);
    ASSERT_EQ(GetU32(original.data() + 16), 16u) << "sox wrote another header layout";
    const auto expected = SoxSamples16(src);
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> variants = {
        {"list before fmt", WithChunk(original, 12, "LIST", "INFOIART\4\0\0\0abcd")},
        {"list after fmt", WithChunk(original, 36, "LIST", "INFOIART\4\0\0\0abcd")},
        {"odd-length chunk", WithChunk(original, 36, "note", "odd")},
    };
    for (const auto& [name, bytes] : variants) {
        SCOPED_TRACE(name);
        const std::string file = dir.File(std::string(name) + ".wav");
        WriteFileBytes(file, bytes);
        ASSERT_EQ(SoxSamples16(file), expected) << "the outside decoder disagrees";
        const auto sound = LoadWhole(dir, file);
        ASSERT_TRUE(sound);
        EXPECT_TRUE(ReadWavInfoFromFile(file)->bDirect);
        EXPECT_EQ(As16(*sound), expected);
    }
}

// Lossy formats: the decoded length is the source's within one decoder frame. The container's
// length that ffprobe reports also counts the encoder's delay and padding, which the decoder
// drops, so it may be up to two frames longer.
TEST(SoundDecode, LossyFormatsLastAsLongAsDeclared) {
    const std::vector<std::tuple<const char*, const char*, int64_t>> cases = {
        {"mp3", "-c:a libmp3lame -b:a 96k", 1152},
        {"ogg", "-c:a libvorbis -q:a 3", 2048},
    };
    for (const auto& [ext, codec, nFrame] : cases) {
        SCOPED_TRACE(ext);
        CTempDir dir;
        const std::string src = MakeSource(dir, 2);
        const std::string file = dir.File(std::string("lossy.") + ext);
        ASSERT_TRUE(RunShell("ffmpeg -v error -y -i " + ShellQuote(src) + " " + codec + " " +
                             ShellQuote(file)));
        const auto probed = ShellOutput(
            "ffprobe -v error -select_streams a -show_entries stream=duration -of csv=p=0 " +
            ShellQuote(file));
        ASSERT_TRUE(probed);
        const double fSeconds = std::stod(std::string(probed->begin(), probed->end()));
        const auto sound = LoadWhole(dir, file);
        ASSERT_TRUE(sound);
        EXPECT_EQ(sound->format.Channels(), 2);
        const auto nFrames = static_cast<double>(sound->format.m_nSampleFrames);
        EXPECT_NEAR(nFrames, 22050.0, static_cast<double>(nFrame));
        EXPECT_NEAR(nFrames, fSeconds * 22050, 2.0 * static_cast<double>(nFrame));
        // Not silence: the chirp survives the codec.
        const auto s = As16(*sound);
        EXPECT_GT(*std::max_element(s.begin(), s.end()), 3000);
    }
}

TEST(SoundDecode, SixChannelsBecomeStereoAtFullScale) {
    CTempDir dir;
    const std::string file = dir.File("six.wav");
    // Two frames of six channels.
    const std::vector<int16_t> s = {300, 30, 600, 60, 900, 90, -3000, 0, 0, 0, 0, 3};
    WriteWav16(file, 8000, 6, s);
    const auto sound = LoadWhole(dir, file);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->format.Channels(), 2);
    // Left 600 and 60 on the first frame, -1000 and 1 on the second: the peak 1000 is scaled up to
    // 32767.
    const double fScale = 32767.0 / 1000.0;
    const std::vector<int16_t> expected = {
        static_cast<int16_t>(600 * fScale), static_cast<int16_t>(60 * fScale),
        static_cast<int16_t>(-1000 * fScale), static_cast<int16_t>(1 * fScale)};
    EXPECT_EQ(AsSamples16(sound->bytes), expected);
}

TEST(SoundDecode, DamagedAndForeignFilesFailCleanly) {
    CTempDir dir;
    const std::string src = MakeSource(dir, 1);
    auto bytes = ReadFileBytes(src);
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> files = {
        {"text.mp3", {'h', 'e', 'l', 'l', 'o'}},
        {"empty.ogg", {}},
        {"header only.wav", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 44)},
    };
    for (const auto& [name, content] : files) {
        SCOPED_TRACE(name);
        const std::string file = dir.File(name);
        WriteFileBytes(file, content);
        CMovieSoundLoader loader(dir.Path().string() + "/");
        std::string why;
        EXPECT_FALSE(loader.LoadSoundForMovie(file, nullptr, false, why));
        EXPECT_FALSE(why.empty());
    }
    // A WAV file cut in its samples gives what it holds.
    const std::string cut = dir.File("cut.wav");
    WriteFileBytes(cut, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 44 + 1001));
    const auto sound = LoadWhole(dir, cut);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->format.m_nSampleFrames, 500);
}
