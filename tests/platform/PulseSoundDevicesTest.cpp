// The sound device layer against a private sound server: its devices, recording from a source
// that the test feeds, pausing, the position, and stopping from the block callback.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/PulseSoundDevices.h"
#include "tests/support/PulseTestServer.h"

namespace {

using namespace std::chrono_literals;

// Collects recorded samples from the layer's thread.
struct SCollector {
    std::mutex mutex;
    std::vector<int16_t> samples;
    size_t nBlocks = 0;

    SoundBlockFn Fn(bool bKeepGoing = true) {
        return [this, bKeepGoing](std::span<const uint8_t> block) {
            std::lock_guard lock(mutex);
            const size_t nOld = samples.size();
            samples.resize(nOld + block.size() / 2);
            std::memcpy(samples.data() + nOld, block.data(), block.size() / 2 * 2);
            ++nBlocks;
            return bKeepGoing;
        };
    }
    size_t Count() {
        std::lock_guard lock(mutex);
        return samples.size();
    }
};

// Writes samples into the server's input fifo.
bool Feed(const std::string& fifo, const std::vector<int16_t>& samples) {
    const int fd = ::open(fifo.c_str(), O_WRONLY);
    if (fd < 0) {
        return false;
    }
    const auto* p = reinterpret_cast<const uint8_t*>(samples.data());
    size_t nLeft = samples.size() * 2;
    while (nLeft > 0) {
        const ssize_t n = ::write(fd, p, nLeft);
        if (n <= 0) {
            break;
        }
        p += n;
        nLeft -= static_cast<size_t>(n);
    }
    ::close(fd);
    return nLeft == 0;
}

// Feeds the fifo at the pace of real time, 50 ms at a time, from its own thread; what the fifo
// cannot take (its source corked) is dropped.
class CFeeder {
public:
    CFeeder(const std::string& fifo, int nMs)
        : m_thread([fifo, nMs, this] {
              const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
              if (fd < 0) {
                  return;
              }
              const std::vector<int16_t> chunk(44100 / 20, 1000);
              for (int t = 0; t < nMs && !m_bStop; t += 50) {
                  [[maybe_unused]] const ssize_t n = ::write(fd, chunk.data(), chunk.size() * 2);
                  std::this_thread::sleep_for(std::chrono::milliseconds(50));
              }
              ::close(fd);
          }) {}
    ~CFeeder() {
        m_bStop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};

std::vector<int16_t> Pattern(size_t n) {
    std::vector<int16_t> s(n);
    for (size_t i = 0; i < n; ++i) {
        s[i] = static_cast<int16_t>(1 + (i * 7919) % 20000);
    }
    return s;
}

class PulseSoundDevices : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.IsRunning()) << "the private sound server did not start";
        std::string why;
        ASSERT_TRUE(m_devices.Connect(why)) << why;
    }

    CPulseTestServer m_server;
    CPulseSoundDevices m_devices;
    const SPcmFormat m_mono{44100, 1, 16};
};

}  // namespace

TEST_F(PulseSoundDevices, ListsTheServersSources) {
    const auto devices = m_devices.RecordingDevices();
    std::vector<std::string> ids;
    for (const auto& d : devices) {
        ids.push_back(d.id);
        EXPECT_FALSE(d.description.empty());
    }
    EXPECT_NE(std::find(ids.begin(), ids.end(), CPulseTestServer::kInput), ids.end());
    EXPECT_NE(std::find(ids.begin(), ids.end(), CPulseTestServer::kOutputMonitor), ids.end());
    EXPECT_TRUE(m_devices.Inputs("no such device").empty());
    EXPECT_FALSE(m_devices.SelectInput(CPulseTestServer::kInput, "no such port"));
    std::string why;
    EXPECT_FALSE(m_devices.StartRecording(
        "no such device", m_mono, false, [](auto) { return true; }, why));
    EXPECT_FALSE(why.empty());
}

TEST_F(PulseSoundDevices, RecordsWhatTheSourceIsFed) {
    SCollector got;
    std::string why;
    auto rec = m_devices.StartRecording(CPulseTestServer::kInput, m_mono, false, got.Fn(), why);
    ASSERT_TRUE(rec) << why;
    const auto fed = Pattern(44100);
    ASSERT_TRUE(Feed(m_server.InputFifo(), fed));
    for (int i = 0; i < 100 && got.Count() < fed.size(); ++i) {
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_GE(rec->PositionMs(), 1000);
    rec->Stop();
    std::lock_guard lock(got.mutex);
    // The fed samples arrive in order and whole, after whatever silence came first.
    const auto first =
        std::find_if(got.samples.begin(), got.samples.end(), [](int16_t s) { return s != 0; });
    ASSERT_GE(static_cast<size_t>(got.samples.end() - first), fed.size());
    EXPECT_TRUE(std::equal(fed.begin(), fed.end(), first));
}

TEST_F(PulseSoundDevices, PausedRecordingDeliversNothing) {
    SCollector got;
    std::string why;
    CFeeder feeder(m_server.InputFifo(), 3000);
    auto rec = m_devices.StartRecording(CPulseTestServer::kInput, m_mono, true, got.Fn(), why);
    ASSERT_TRUE(rec) << why;
    EXPECT_TRUE(rec->IsPaused());
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(got.Count(), 0u);
    rec->Resume();
    EXPECT_FALSE(rec->IsPaused());
    std::this_thread::sleep_for(600ms);
    EXPECT_GT(got.Count(), 44100u / 4);
    const int64_t nAtPause = rec->PositionMs();
    EXPECT_GT(nAtPause, 250);
    rec->Pause();
    const size_t nPaused = got.Count();
    std::this_thread::sleep_for(500ms);
    // What was in flight may still land; no new second of sound does.
    EXPECT_LT(got.Count(), nPaused + 44100u / 5);
    EXPECT_LT(rec->PositionMs(), nAtPause + 200);
}

TEST_F(PulseSoundDevices, ABlockRefusedStopsTheRecording) {
    SCollector got;
    std::string why;
    CFeeder feeder(m_server.InputFifo(), 1000);
    auto rec =
        m_devices.StartRecording(CPulseTestServer::kInput, m_mono, false, got.Fn(false), why);
    ASSERT_TRUE(rec) << why;
    std::this_thread::sleep_for(700ms);
    std::lock_guard lock(got.mutex);
    EXPECT_EQ(got.nBlocks, 1u);
}
