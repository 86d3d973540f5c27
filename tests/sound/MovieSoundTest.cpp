// Loading a frame's sound for the movie: the wanted part (wrapping for looped sounds), the cache
// and its reuse, the noise profile, the automatic gain and the volume.
#include <gtest/gtest.h>
#include <utime.h>

#include <filesystem>
#include <numeric>

#include "sound/MovieSound.h"
#include "sound/SoundCache.h"
#include "sound/SoundPath.h"
#include "sound/WavFile.h"
#include "tests/sound/SoundTestSupport.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRate = 8000;

// A ramp: sample i holds i, so every sample tells where it came from.
std::vector<int16_t> Ramp(int nSeconds) {
    std::vector<int16_t> s(static_cast<size_t>(nSeconds * kRate));
    std::iota(s.begin(), s.end(), int16_t{0});
    return s;
}

std::vector<int16_t> RampPart(int nFromMs, int nToMs) {
    std::vector<int16_t> s;
    for (int i = nFromMs * kRate / 1000; i < nToMs * kRate / 1000; ++i) {
        s.push_back(static_cast<int16_t>(i));
    }
    return s;
}

std::vector<int16_t> Concat(std::initializer_list<std::vector<int16_t>> parts) {
    std::vector<int16_t> all;
    for (const auto& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

std::vector<int16_t> Load(CMovieSoundLoader& loader, const std::string& file,
                          const SFrameSoundSettings& settings, bool bLoop) {
    std::string why;
    const auto sound = loader.LoadSoundForMovie(file, &settings, bLoop, why);
    return sound ? AsSamples16(sound->bytes) : std::vector<int16_t>{};
}

}  // namespace

TEST(MovieSound, ClipsAndLoops) {
    CTempDir dir;
    const std::string file = dir.File("ramp.wav");
    WriteWav16(file, kRate, 1, Ramp(3));
    CMovieSoundLoader loader(dir.Path().string() + "/");
    struct SCase {
        const char* name;
        int64_t nStartMs, nLengthMs;
        bool bLoop;
        std::vector<int16_t> expected;
    };
    const std::vector<SCase> cases = {
        {"7 s of a 3-s sound looped from 4 s", 4000, 7000, true,
         Concat({RampPart(1000, 3000), RampPart(0, 3000), RampPart(0, 2000)})},
        {"a part inside the sound", 500, 1000, false, RampPart(500, 1500)},
        {"cut to what follows the start", 2000, 5000, false, RampPart(2000, 3000)},
        {"a start past the end", 3000, 1000, false, {}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        SFrameSoundSettings settings;
        settings.nStartMs = c.nStartMs;
        settings.nLengthMs = c.nLengthMs;
        EXPECT_EQ(Load(loader, file, settings, c.bLoop), c.expected);
    }
}

TEST(MovieSound, ChannelsAndWidthAsTheMovieWants) {
    CTempDir dir;
    const std::string stereo = dir.File("stereo.wav");
    WriteWav16(stereo, kRate, 2, std::vector<int16_t>{100, 301, -100, -301});
    const std::string mono8 = dir.File("mono8.wav");
    {
        CWavWriter w;
        w.Open(mono8, SWavFormat::Pcm(kRate, 1, 8));
        const uint8_t b[] = {128, 0, 255};
        w.Write(b);
        w.Finish();
    }
    CMovieSoundLoader loader(dir.Path().string() + "/");
    SFrameSoundSettings settings;
    settings.nLengthMs = 1000;
    EXPECT_EQ(Load(loader, stereo, settings, false), (std::vector<int16_t>{200, -200}));
    settings.nMovieChannels = 2;
    EXPECT_EQ(Load(loader, mono8, settings, false),
              (std::vector<int16_t>{0, 0, -32768, -32768, 32512, 32512}));
    std::string why;
    const auto sound = loader.LoadSoundForMovie(mono8, &settings, false, why);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->format.m_b16Bit, 1);
    EXPECT_EQ(sound->format.m_nStereo, 1);
    EXPECT_EQ(sound->format.m_nSampleFrames, 3);
    EXPECT_EQ(sound->format.m_nRateCode, 0);
}

TEST(MovieSound, ProfileBlendsWithTheCleanedCopyUnlessLooped) {
    CTempDir dir;
    const std::string file = dir.File("narration.take1.wav");
    WriteWav16(file, kRate, 1, std::vector<int16_t>(800, 1000));
    WriteWav16(CleanedCopyName(file), kRate, 1, std::vector<int16_t>(800, 200));
    ASSERT_EQ(CleanedCopyName(file), dir.File("narration.take1_denoise.wav"));
    CMovieSoundLoader loader(dir.Path().string() + "/");
    SFrameSoundSettings settings;
    settings.nLengthMs = 100;
    settings.profile.nBlend = 256;
    settings.profile.fGain = 2.0f;
    settings.profile.nZeroOffset = 100;
    // (1000 - 100) x 2 = 1800 blended a quarter with 200: 200 x 768 / 1024 + 256 x 1800 / 1024.
    EXPECT_EQ(Load(loader, file, settings, false), std::vector<int16_t>(800, 600));
    EXPECT_EQ(Load(loader, file, settings, true), std::vector<int16_t>(800, 1000));
    fs::remove(CleanedCopyName(file));
    EXPECT_EQ(Load(loader, file, settings, false), std::vector<int16_t>(800, 1000));
}

TEST(MovieSound, NoiseGateOpensAheadOfSoundAndCarriesOver) {
    CTempDir dir;
    const std::string file = dir.File("gated.wav");
    // Half a second of hiss at 100, then a second at 1000.
    std::vector<int16_t> s(static_cast<size_t>(kRate / 2), 100);
    s.resize(s.size() + kRate, 1000);
    WriteWav16(file, kRate, 1, s);
    CMovieSoundLoader loader(dir.Path().string() + "/");
    SFrameSoundSettings settings;
    settings.nLengthMs = 1500;
    settings.profile.nSilence = 500;
    const auto out = Load(loader, file, settings, true);
    ASSERT_EQ(out.size(), s.size());
    // Silent until 100 ms before the sound; then rising by 10/1600 per sample to full.
    const size_t nOpen = kRate / 2 - kRate / 10;
    EXPECT_EQ(out[nOpen - 1], 0);
    EXPECT_EQ(out[nOpen + 158], 1590 * 100 / 1600);
    EXPECT_EQ(out[nOpen + 159], 100);
    EXPECT_EQ(out[kRate / 2], 1000);
    // After the sound ends the hold keeps the gate open for 200 ms into the next sound, then it
    // closes by one step per sample.
    const auto next = Load(loader, file, settings, true);
    EXPECT_EQ(next[1598], 100);
    EXPECT_EQ(next[1599], 1599 * 100 / 1600);
    CMovieSoundLoader fresh(dir.Path().string() + "/");
    EXPECT_EQ(Load(fresh, file, settings, true)[0], 0);
}

TEST(MovieSound, FrameSoundGainAndVolume) {
    CTempDir dir;
    const std::string file = dir.File("quiet.wav");
    WriteWav16(file, kRate, 1, std::vector<int16_t>(8000, 100));
    CMovieSoundLoader loader(dir.Path().string() + "/");
    SFrameSoundSettings settings;
    settings.nLengthMs = 1000;
    auto sound = loader.LoadFrameSoundForMovie(file, settings, 16384, false, false);
    ASSERT_TRUE(sound);
    EXPECT_EQ(AsSamples16(sound->bytes)[0], 16384 * 100 / 32767);
    // The gain starts at 10 and rises a fifth of a percent of the way to 80 per block of 4000.
    sound = loader.LoadFrameSoundForMovie(file, settings, 32767, true, false);
    ASSERT_TRUE(sound);
    const auto s = AsSamples16(sound->bytes);
    float g = 10.0f;
    g += (80.0f - g) * 0.002f;
    EXPECT_EQ(s[0], static_cast<int16_t>(100 * g));
    g += (80.0f - g) * 0.002f;
    EXPECT_EQ(s[4000], static_cast<int16_t>(100 * g));
    // A loud sound pulls the gain down at once, never past 32512.
    const std::string loud = dir.File("loud.wav");
    WriteWav16(loud, kRate, 1, std::vector<int16_t>{1000, -16256, 5});
    sound = loader.LoadFrameSoundForMovie(loud, settings, 32767, true, false);
    ASSERT_TRUE(sound);
    EXPECT_EQ(AsSamples16(sound->bytes)[1], -32512);
}

TEST(MovieSound, AFailedNameIsNotTriedAgain) {
    CTempDir dir;
    const std::string file = dir.File("later.wav");
    CMovieSoundLoader loader(dir.Path().string() + "/");
    SFrameSoundSettings settings;
    settings.nLengthMs = 1000;
    EXPECT_FALSE(loader.LoadFrameSoundForMovie(file, settings, 32767, false, false));
    WriteWav16(file, kRate, 1, std::vector<int16_t>(100, 1));
    EXPECT_FALSE(loader.LoadFrameSoundForMovie(file, settings, 32767, false, false));
    CMovieSoundLoader fresh(dir.Path().string() + "/");
    EXPECT_TRUE(fresh.LoadFrameSoundForMovie(file, settings, 32767, false, false));
}

TEST(SoundCache, ReusedUntilTheSourceChanges) {
    CTempDir dir;
    const std::string src = dir.File("tune.v2.flac");
    ASSERT_TRUE(RunShell("sox -n -r 8000 -c 1 -b 16 " + ShellQuote(src) +
                         " synth 0.5 sine 440 2>/dev/null"));
    const std::string folder = dir.Path().string() + "/cache/";
    fs::create_directory(folder);
    std::string why;
    const auto first = DecodeToCache(folder, src, why);
    ASSERT_TRUE(first) << why;
    EXPECT_EQ(first->path, SoundCacheName(folder, src));
    EXPECT_EQ(fs::path(first->path).filename().string().substr(0, 13), "tune_v2_flac_");
    EXPECT_EQ(first->nDataBytes, 8000u);
    const uint8_t nDecoded = ReadFileBytes(first->path)[20];
    // Marks the cache so that a reuse shows.
    {
        std::FILE* f = std::fopen(first->path.c_str(), "r+b");
        ASSERT_TRUE(f);
        std::fseek(f, 20, SEEK_SET);
        std::fputc(nDecoded ^ 0xFF, f);
        std::fclose(f);
    }
    const auto second = DecodeToCache(folder, src, why);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->path, first->path);
    EXPECT_EQ(ReadFileBytes(second->path)[20], nDecoded ^ 0xFF);
    // A new modification time decodes again into a new cache.
    const auto mtime = fs::last_write_time(src);
    fs::last_write_time(src, mtime + std::chrono::seconds(10));
    const auto third = DecodeToCache(folder, src, why);
    ASSERT_TRUE(third);
    EXPECT_NE(third->path, first->path);
    EXPECT_EQ(ReadFileBytes(third->path)[20], nDecoded);
}

TEST(SoundCache, CancelledDecodingLeavesNothing) {
    CTempDir dir;
    const std::string src = dir.File("long.flac");
    ASSERT_TRUE(RunShell("sox -n -r 44100 -c 2 -b 16 " + ShellQuote(src) +
                         " synth 5 sine 440 2>/dev/null"));
    const std::string folder = dir.Path().string() + "/cache/";
    fs::create_directory(folder);
    std::string why;
    int nCalls = 0;
    EXPECT_FALSE(DecodeToCache(folder, src, why, [&](int) { return ++nCalls < 3; }));
    EXPECT_EQ(nCalls, 3);
    EXPECT_TRUE(fs::is_empty(folder));
    // A folder that cannot be written fails the same way.
    EXPECT_FALSE(DecodeToCache(dir.Path().string() + "/missing/", src, why));
    EXPECT_FALSE(why.empty());
}
