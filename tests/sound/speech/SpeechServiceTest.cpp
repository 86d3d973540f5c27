#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "project/model/FrameInfo.h"
#include "sound/speech/PulseSpeechOutput.h"
#include "sound/speech/SpeechService.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace {

// Runs sox on `wav` and returns its statistics text.
std::string SoxStats(const std::string& wav) {
    const std::string command = "sox \"" + wav + "\" -n stats 2>&1";
    std::string out;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            out += buffer;
        }
        pclose(pipe);
    }
    return out;
}

double StatValue(const std::string& stats, const std::string& name) {
    const std::size_t at = stats.find(name);
    if (at == std::string::npos) {
        return NAN;
    }
    return std::stod(stats.substr(at + name.size()));
}

struct SSound {
    double seconds = 0;
    double rmsDb = 0;
};

SSound Measure(const std::string& wav) {
    const std::string stats = SoxStats(wav);
    return {StatValue(stats, "Length s"), StatValue(stats, "RMS lev dB")};
}

class SpeechTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CSpeechEngine::Instance().Started()) << "the speech engine did not start";
    }
    SSound Render(std::u16string_view text, bool bMarkup) {
        const std::string path = m_dir.File("speech.wav");
        EXPECT_EQ(RenderSpeechText(SpeechTextFrom(text, bMarkup), path), ESpeechResult::kOk);
        return Measure(path);
    }
    CTempDir m_dir;
};

TEST_F(SpeechTest, HelloWorldRendersAsAudibleWav) {
    const SSound sound = Render(u"Hello world", false);
    EXPECT_GE(sound.seconds, 0.5);
    EXPECT_LE(sound.seconds, 3.0);
    EXPECT_GT(sound.rmsDb, -30.0);
}

TEST_F(SpeechTest, SilenceTagAddsItsLength) {
    const SSound plain = Render(u"Hello world", true);
    const SSound paused = Render(u"Hello <silence msec=\"1000\"/> world", true);
    EXPECT_NEAR(paused.seconds - plain.seconds, 1.0, 0.2);
}

TEST_F(SpeechTest, BadMarkupStillSpeaksTheText) {
    const std::u16string inputs[] = {
        u"<emph>Hello world",
        u"Hello </rate> world <",
        u"<<>>Hello<unknown a=b>world</x>",
        u"<silence msec=\"-5\"/>Hello <pitch middle=\"99999999999\">world",
        u"<volume level=\"0\"/>Hello world",  // silent, but still a file
        u"Hello \"world\" & <spell>'ok'</spell>",
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(std::string(input.begin(), input.end()));
        const SSound sound = Render(input, true);
        EXPECT_GT(sound.seconds, 0.3);
    }
}

TEST_F(SpeechTest, FailedRenderLeavesNoFile) {
    const std::string missing = m_dir.File("no-such-folder/speech.wav");
    EXPECT_EQ(RenderSpeechText(SpeechTextFrom(u"Hello", false), missing), ESpeechResult::kFailed);
    EXPECT_FALSE(std::filesystem::exists(missing));

    // An old file at the path is replaced even when nothing is spoken.
    const std::string path = m_dir.File("speech.wav");
    std::FILE* old = std::fopen(path.c_str(), "w");
    ASSERT_NE(old, nullptr);
    std::fclose(old);
    EXPECT_EQ(RenderSpeechText(SpeechTextFrom(u"", false), path), ESpeechResult::kFailed);
    EXPECT_FALSE(std::filesystem::exists(path));

    EXPECT_EQ(RenderSpeechText(SpeechTextFrom(u"Hello", false), path, "no-such-voice"),
              ESpeechResult::kFailed);
    // The engine keeps its voice for later speech.
    EXPECT_EQ(RenderSpeechText(SpeechTextFrom(u"Hello", false), path), ESpeechResult::kOk);
}

TEST(SpeechText, FrameChoosesItsText) {
    struct SCase {
        const char* what;
        uint8_t bSpeak;
        std::optional<std::u16string> speech;
        bool bMarkup;
        std::string utf8;
    };
    const SCase cases[] = {
        {"alternate speech", 1, u"<emph>Other</emph>", true,
         "<speak><emphasis>Other</emphasis></speak>"},
        {"empty alternate speech", 1, u"", false, "Bubble & text"},
        {"alternate speech not chosen", 0, u"Other", false, "Bubble & text"},
        {"no alternate speech", 1, std::nullopt, false, "Bubble & text"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        CFrameRecord frame;
        frame.m_pText = u"Bubble & text";
        frame.m_bSpeak = c.bSpeak;
        frame.m_pSpeech = c.speech;
        const SSpeechText text = SpeechTextOf(frame);
        EXPECT_EQ(text.bMarkup, c.bMarkup);
        EXPECT_EQ(text.utf8, c.utf8);
    }
    EXPECT_EQ(SpeechFilePath("/tmp/q/", kSpeechFile), "/tmp/q/QLtemptalkbubble.wav");
    EXPECT_EQ(SpeechFilePath("/tmp/q", kListenFile), "/tmp/q/QLtemptalkbubble2.wav");
}

// An output that takes samples no faster than they would play.
class CPacedOutput : public ISpeechOutput {
public:
    bool Open(int nSampleRate) override {
        m_nRate = nSampleRate;
        return true;
    }
    bool Write(const int16_t*, std::size_t count) override {
        m_nSamples += count;
        std::this_thread::sleep_for(std::chrono::microseconds(count * 1000000 / m_nRate));
        return true;
    }
    void Drain(const std::atomic<bool>&) override {}
    void Close(bool bDrop) override { m_bDropped = bDrop; }

    std::atomic<std::size_t> m_nSamples{0};
    std::atomic<bool> m_bDropped{false};

private:
    int m_nRate = 22050;
};

TEST_F(SpeechTest, CancelStopsSpeechSoon) {
    auto output = std::make_unique<CPacedOutput>();
    CPacedOutput& paced = *output;
    CSpeechVoice voice(std::move(output));
    const std::u16string longText =
        u"This is a long talk bubble that would take many seconds to speak from its start "
        u"to its very end, so that it is still speaking when it is cancelled.";
    ASSERT_EQ(voice.Speak(SpeechTextFrom(longText, false)), ESpeechResult::kOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_TRUE(voice.IsSpeaking());
    EXPECT_GT(paced.m_nSamples.load(), 0u);

    const auto start = std::chrono::steady_clock::now();
    voice.Cancel();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(200));
    EXPECT_FALSE(voice.IsSpeaking());
    EXPECT_TRUE(paced.m_bDropped.load());

    // A new speech cancels the one before and speaks to its end.
    ASSERT_EQ(voice.Speak(SpeechTextFrom(longText, false)), ESpeechResult::kOk);
    ASSERT_EQ(voice.Speak(SpeechTextFrom(u"Hi", false)), ESpeechResult::kOk);
    for (int i = 0; i < 300 && voice.IsSpeaking(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(voice.IsSpeaking());
    EXPECT_FALSE(paced.m_bDropped.load());
}

TEST_F(SpeechTest, PreviewSpeaksOnlyBubblesThatAskForIt) {
    CSpeechVoice voice(std::make_unique<CPacedOutput>());
    CFrameRecord frame;
    frame.m_pFormat = u"";
    frame.m_pText = u"Hi";
    struct SCase {
        uint8_t bSpeak;
        bool bSpeakAnnotated;
        bool bSpoken;
    };
    for (const SCase c : {SCase{0, false, false}, SCase{1, false, true}, SCase{0, true, true}}) {
        SCOPED_TRACE(c.bSpeak * 2 + c.bSpeakAnnotated);
        frame.m_bSpeak = c.bSpeak;
        EXPECT_EQ(SpeakBubble(voice, frame, c.bSpeakAnnotated), c.bSpoken);
        voice.Cancel();
    }
    CFrameRecord noBubble;
    noBubble.m_bSpeak = 1;
    EXPECT_FALSE(SpeakBubble(voice, noBubble, true));
}

// A private sound server with one null output, reached through PULSE_SERVER.
class CPrivateSoundServer {
public:
    CPrivateSoundServer() {
        m_socket = m_dir.File("native");
        m_pid = SpawnProgram(
            {"/usr/bin/pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
             "--disable-shm=yes", "--log-target=stderr", "-L", "module-null-sink sink_name=quiet",
             "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + m_socket},
            {"HOME=" + m_dir.Path().string(), "XDG_RUNTIME_DIR=" + m_dir.Path().string()});
        for (int i = 0; i < 100 && !std::filesystem::exists(m_socket); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        setenv("PULSE_SERVER", ("unix:" + m_socket).c_str(), 1);
    }
    ~CPrivateSoundServer() {
        unsetenv("PULSE_SERVER");
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            WaitForExit(m_pid, 10);
        }
    }
    bool Running() const { return m_pid > 0 && std::filesystem::exists(m_socket); }

private:
    CTempDir m_dir;
    std::string m_socket;
    pid_t m_pid = -1;
};

TEST_F(SpeechTest, PreviewSpeechPlaysOnTheSoundServerAndStopsWhenCancelled) {
    CPrivateSoundServer server;
    ASSERT_TRUE(server.Running());
    CSpeechVoice voice(std::make_unique<CPulseSpeechOutput>());

    // Played in real time: "Hello world" lasts about a second, and the idle output may take up to
    // two more to wake for the first speech.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(voice.Speak(SpeechTextFrom(u"Hello world", false)), ESpeechResult::kOk);
    while (voice.IsSpeaking() &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const auto played = std::chrono::steady_clock::now() - start;
    EXPECT_GT(played, std::chrono::milliseconds(600));
    EXPECT_LT(played, std::chrono::seconds(5));

    ASSERT_EQ(voice.Speak(SpeechTextFrom(u"A longer sentence that goes on for a while, and then "
                                         u"some more words after that.",
                                         false)),
              ESpeechResult::kOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(voice.IsSpeaking());
    const auto cancel = std::chrono::steady_clock::now();
    voice.Cancel();
    EXPECT_LT(std::chrono::steady_clock::now() - cancel, std::chrono::milliseconds(200));
    EXPECT_FALSE(voice.IsSpeaking());
}

}  // namespace
