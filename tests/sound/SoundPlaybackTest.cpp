// Playing a frame's sound: through the private sound server, recorded back from its output's
// monitor, and through the file-backed stand-in for the exact samples of a played part.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <mutex>
#include <numbers>
#include <numeric>
#include <thread>

#include "platform/FakeSoundDevices.h"
#include "platform/PulseSoundDevices.h"
#include "platform/ScriptedPrompter.h"
#include "sound/SoundFile.h"
#include "tests/sound/SoundTestSupport.h"
#include "tests/support/PulseTestServer.h"
#include "tests/support/TempDir.h"

namespace {

using namespace std::chrono_literals;

constexpr int kRate = 44100;
constexpr double kAmplitude = 16000.0;

void WriteTone(const std::string& path, double fSeconds) {
    std::vector<int16_t> s(static_cast<size_t>(fSeconds * kRate) * 2);
    for (size_t i = 0; i < s.size() / 2; ++i) {
        s[2 * i] = s[2 * i + 1] = static_cast<int16_t>(
            std::lround(kAmplitude * std::sin(2 * std::numbers::pi * 1000.0 * i / kRate)));
    }
    WriteWav16(path, kRate, 2, s);
}

bool WaitUntilEnded(const CSoundFilePlayer& player, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (player.IsPlaying()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

}  // namespace

// Records what the server's output plays, from its monitor.
class CMonitorRecorder {
public:
    bool Start(ISoundDevices& devices, std::string& why) {
        m_pRecording = devices.StartRecording(
            CPulseTestServer::kOutputMonitor, SPcmFormat{kRate, 1, 16}, false,
            [this](std::span<const uint8_t> block) {
                std::lock_guard lock(m_mutex);
                const auto s = AsSamples16(block);
                m_heard.insert(m_heard.end(), s.begin(), s.end());
                return true;
            },
            why);
        return m_pRecording != nullptr;
    }
    std::vector<int16_t> Stop() {
        m_pRecording->Stop();
        std::lock_guard lock(m_mutex);
        return m_heard;
    }

private:
    std::unique_ptr<ISoundRecording> m_pRecording;
    std::mutex m_mutex;
    std::vector<int16_t> m_heard;
};

class SoundPlaybackOnServer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.IsRunning()) << "the private sound server did not start";
        std::string why;
        ASSERT_TRUE(m_devices.Connect(why)) << why;
        // The server's output renders, and its monitor records, only while something plays:
        // silence keeps it running.
        m_pSilence = m_devices.StartPlayback(
            SPcmFormat{kRate, 2, 16}, 1.0,
            [](std::span<uint8_t> block) {
                std::fill(block.begin(), block.end(), 0);
                return block.size();
            },
            why);
        ASSERT_TRUE(m_pSilence) << why;
        ASSERT_TRUE(m_monitor.Start(m_devices, why)) << why;
        std::this_thread::sleep_for(500ms);
    }

    // Plays 150 hundredths of `file` at `nVolume` and returns what was heard meanwhile.
    std::vector<int16_t> Play(const std::string& file, int32_t nVolume) {
        CSoundFilePlayer player(m_devices, nullptr, SSoundSearch{m_dir.Path().string(), "", ""});
        SPlayRequest request;
        request.relative = file;
        request.nLengthHundredths = 150;
        request.nVolume = nVolume;
        EXPECT_TRUE(player.PlaySoundFile(request));
        EXPECT_TRUE(WaitUntilEnded(player, 5s));
        std::this_thread::sleep_for(300ms);
        return m_monitor.Stop();
    }

    CPulseTestServer m_server;
    CPulseSoundDevices m_devices;
    std::unique_ptr<ISoundPlayback> m_pSilence;
    CMonitorRecorder m_monitor;
    CTempDir m_dir;
};

// A ramp whose every sample tells its place shows how much was played: the server may start
// its monitor's record some milliseconds into a new sound (it re-renders what it had rendered
// ahead), but the last sample heard is the sound's sample at 1.5 s.
TEST_F(SoundPlaybackOnServer, HeardForItsLength) {
    std::vector<int16_t> ramp(3 * kRate);
    for (size_t i = 0; i < ramp.size(); ++i) {
        ramp[i] = static_cast<int16_t>(1000 + i / 4);
    }
    WriteWav16(m_dir.File("ramp #1.wav"), kRate, 1, ramp);
    const auto heard = Play("ramp #1.wav", 32768);
    const auto first = std::find_if(heard.begin(), heard.end(), [](int16_t s) { return s != 0; });
    ASSERT_NE(first, heard.end()) << "nothing was heard";
    const auto last =
        std::find_if(heard.rbegin(), heard.rend(), [](int16_t s) { return s != 0; }).base();
    // Heard without a gap, up to the sample just before 1.5 s.
    EXPECT_TRUE(std::all_of(first, last, [](int16_t s) { return s >= 1000; }));
    const int nLast = 1000 + (kRate * 3 / 2 - 1) / 4;
    EXPECT_EQ(*(last - 1), nLast);
    EXPECT_LT(last - first, kRate * 3 / 2 + 1);
    EXPECT_GT(last - first, kRate * 14 / 10);
}

TEST_F(SoundPlaybackOnServer, HalfVolumeIsSixDecibelsDown) {
    WriteTone(m_dir.File("tone.wav"), 3.0);
    const auto heard = Play("tone.wav", 16384);
    const auto loud = [](int16_t s) { return std::abs(s) > 1000; };
    const auto first = std::find_if(heard.begin(), heard.end(), loud);
    ASSERT_NE(first, heard.end()) << "nothing was heard";
    const auto last = std::find_if(heard.rbegin(), heard.rend(), loud).base();
    EXPECT_NEAR(static_cast<double>(last - first) / kRate, 1.5, 0.06);
    double fSum = 0;
    const auto mid = first + kRate / 4;
    for (auto it = mid; it != mid + kRate; ++it) {
        fSum += static_cast<double>(*it) * *it;
    }
    const double fRms = std::sqrt(fSum / kRate);
    EXPECT_NEAR(20 * std::log10(fRms / (kAmplitude / std::sqrt(2.0))), -6.02, 0.05);
}

TEST(SoundPlayback, PlaysTheRequestedPartWithTheProfile) {
    CTempDir dir;
    // A ramp of 3 s at 8000 Hz: each sample tells where it came from.
    std::vector<int16_t> ramp(24000);
    std::iota(ramp.begin(), ramp.end(), int16_t{0});
    WriteWav16(dir.File("ramp.wav"), 8000, 1, ramp);
    CFakeSoundDevices devices;
    const std::string played = dir.File("played.raw");
    devices.SetPlaybackFile(played);
    CSoundFilePlayer player(devices, nullptr, SSoundSearch{dir.Path().string(), "", ""});

    SPlayRequest request;
    request.relative = "ramp.wav";
    request.nStartMs = 4000;
    request.nLengthHundredths = 250;
    request.bLoop = true;
    ASSERT_TRUE(player.PlaySoundFile(request));
    ASSERT_TRUE(WaitUntilEnded(player, 5s));
    player.Stop();
    std::vector<int16_t> expected(ramp.begin() + 8000, ramp.end());
    expected.insert(expected.end(), ramp.begin(), ramp.begin() + 4000);
    EXPECT_EQ(AsSamples16(ReadFileBytes(played)), expected);

    // With a cleaned copy beside it, a quarter of the sound is blended with three quarters of the
    // copy; the blend is read while playing.
    WriteWav16(dir.File("ramp_denoise.wav"), 8000, 1, std::vector<int16_t>(24000, 0));
    std::atomic<int32_t> nBlend{256};
    request = SPlayRequest{};
    request.relative = "ramp.wav";
    request.nLengthHundredths = 100;
    request.pBlend = &nBlend;
    ASSERT_TRUE(player.PlaySoundFile(request));
    ASSERT_TRUE(WaitUntilEnded(player, 5s));
    player.Stop();
    const auto blended = AsSamples16(ReadFileBytes(played));
    ASSERT_EQ(blended.size(), 8000u);
    EXPECT_EQ(blended[4000], 256 * 4000 / 1024);
}

TEST(SoundPlayback, ShortMissingAndBrokenSounds) {
    CTempDir dir;
    CFakeSoundDevices devices;
    CScriptedPrompter prompter;
    CSoundFilePlayer player(devices, &prompter, SSoundSearch{dir.Path().string(), "", ""});
    SPlayRequest request;
    request.relative = "none.wav";
    request.nLengthHundredths = 25;
    EXPECT_TRUE(player.PlaySoundFile(request)) << "too short to play counts as played";
    EXPECT_FALSE(player.IsPlaying());
    request.nLengthHundredths = 26;
    EXPECT_FALSE(player.PlaySoundFile(request));
    WriteFileBytes(dir.File("broken.mp3"), std::vector<uint8_t>{'x', 'y'});
    request.relative = "broken.mp3";
    EXPECT_FALSE(player.PlaySoundFile(request));
    EXPECT_FALSE(player.PlaySoundFile(request));
    ASSERT_EQ(prompter.Messages().size(), 1u) << "warned once per name";
    EXPECT_EQ(prompter.Messages()[0].text, "Unable to open audio file.     ");
    EXPECT_EQ(prompter.Messages()[0].caption, "Quillo Warning");
}

TEST(SoundPlayback, Durations) {
    CTempDir dir;
    WriteWav16(dir.File("a.wav"), 8000, 1, std::vector<int16_t>(12000));
    ASSERT_TRUE(RunShell("sox -n -r 22050 -c 2 " + ShellQuote(dir.File("b.flac")) +
                         " synth 2.5 sine 300 2>/dev/null"));
    const SSoundSearch where{dir.Path().string(), "", ""};
    EXPECT_EQ(GetSoundDurationMs("a.wav", "", where), 1500);
    EXPECT_EQ(GetSoundDurationMs("b.flac", "", where), 2500);
    EXPECT_EQ(GetSoundDurationMs("c.wav", "", where), 0);
}
