#include "platform/FakeSoundDevices.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

// Runs `step` on its own thread until it returns false or the worker is stopped; `step` is not
// called while paused.
class CWorker {
public:
    ~CWorker() { Stop(); }

    void Start(bool bPaused, int nPaceMs, std::function<bool()> step) {
        m_bPaused = bPaused;
        m_thread = std::thread([this, nPaceMs, step = std::move(step)] {
            for (;;) {
                {
                    std::unique_lock lock(m_mutex);
                    m_cv.wait(lock, [this] { return m_bStop || !m_bPaused; });
                    if (m_bStop) {
                        return;
                    }
                }
                if (!step()) {
                    m_bDone = true;
                    return;
                }
                if (nPaceMs > 0) {
                    std::unique_lock lock(m_mutex);
                    m_cv.wait_for(lock, std::chrono::milliseconds(nPaceMs),
                                  [this] { return m_bStop; });
                }
            }
        });
    }
    void SetPaused(bool bPaused) {
        {
            std::lock_guard lock(m_mutex);
            m_bPaused = bPaused;
        }
        m_cv.notify_all();
    }
    bool IsPaused() const { return m_bPaused; }
    bool IsDone() const { return m_bDone; }
    void Stop() {
        {
            std::lock_guard lock(m_mutex);
            m_bStop = true;
        }
        m_cv.notify_all();
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::atomic<bool> m_bPaused{false};
    std::atomic<bool> m_bDone{false};
    bool m_bStop = false;
    std::thread m_thread;
};

size_t BlockBytes(const SPcmFormat& format, int nBlockMs) {
    const int nMs = nBlockMs > 0 ? nBlockMs : 50;
    return static_cast<size_t>(std::max(1, format.nRate * nMs / 1000)) *
           static_cast<size_t>(format.BytesPerFrame());
}

class CFakeRecording : public ISoundRecording {
public:
    CFakeRecording(std::FILE* pFile, const SPcmFormat& format, int nBlockMs, bool bPaused,
                   SoundBlockFn onBlock)
        : m_pFile(pFile), m_format(format) {
        m_worker.Start(bPaused, nBlockMs,
                       [this, n = BlockBytes(format, nBlockMs), onBlock = std::move(onBlock)] {
                           std::vector<uint8_t> block(n);
                           const size_t nRead = std::fread(block.data(), 1, n, m_pFile);
                           if (nRead == 0) {
                               return false;
                           }
                           m_nBytes += static_cast<int64_t>(nRead);
                           return onBlock({block.data(), nRead});
                       });
    }
    ~CFakeRecording() override {
        Stop();
        std::fclose(m_pFile);
    }
    void Pause() override { m_worker.SetPaused(true); }
    void Resume() override { m_worker.SetPaused(false); }
    bool IsPaused() const override { return m_worker.IsPaused(); }
    void Stop() override { m_worker.Stop(); }
    int64_t PositionMs() const override {
        return m_nBytes * 1000 / (int64_t{m_format.nRate} * m_format.BytesPerFrame());
    }

private:
    std::FILE* m_pFile;
    SPcmFormat m_format;
    std::atomic<int64_t> m_nBytes{0};
    CWorker m_worker;
};

class CFakePlayback : public ISoundPlayback {
public:
    CFakePlayback(std::FILE* pFile, const SPcmFormat& format, int nBlockMs, double fVolume,
                  SoundFillFn fill)
        : m_pFile(pFile), m_fVolume(fVolume) {
        m_worker.Start(false, nBlockMs,
                       [this, format, n = BlockBytes(format, nBlockMs), fill = std::move(fill)] {
                           std::vector<uint8_t> block(n);
                           const size_t nFilled = std::min(n, fill(block));
                           Scale(block.data(), nFilled, format.nBits);
                           if (m_pFile) {
                               std::fwrite(block.data(), 1, nFilled, m_pFile);
                               std::fflush(m_pFile);
                           }
                           return nFilled == n;
                       });
    }
    ~CFakePlayback() override {
        Stop();
        if (m_pFile) {
            std::fclose(m_pFile);
        }
    }
    void Pause() override { m_worker.SetPaused(true); }
    void Resume() override { m_worker.SetPaused(false); }
    void SetVolume(double fVolume) override { m_fVolume = fVolume; }
    void Stop() override { m_worker.Stop(); }
    bool HasEnded() const override { return m_worker.IsDone(); }

private:
    void Scale(uint8_t* p, size_t n, int nBits) const {
        const double v = m_fVolume;
        if (nBits == 8) {
            for (size_t i = 0; i < n; ++i) {
                p[i] = static_cast<uint8_t>(128 + static_cast<int>((p[i] - 128) * v));
            }
            return;
        }
        for (size_t i = 0; i + 1 < n; i += 2) {
            int16_t s;
            std::memcpy(&s, p + i, 2);
            s = static_cast<int16_t>(s * v);
            std::memcpy(p + i, &s, 2);
        }
    }

    std::FILE* m_pFile;
    std::atomic<double> m_fVolume;
    CWorker m_worker;
};

}  // namespace

void CFakeSoundDevices::AddDevice(SDevice device) {
    std::lock_guard lock(m_mutex);
    m_devices.push_back(std::move(device));
}

const CFakeSoundDevices::SDevice* CFakeSoundDevices::Find(const std::string& id) const {
    for (const SDevice& d : m_devices) {
        if (d.info.id == id) {
            return &d;
        }
    }
    return nullptr;
}

std::string CFakeSoundDevices::SelectedInput(const std::string& device) const {
    std::lock_guard lock(m_mutex);
    const SDevice* d = Find(device);
    return d ? d->selectedInput : std::string();
}

std::vector<SSoundDeviceInfo> CFakeSoundDevices::RecordingDevices() {
    std::lock_guard lock(m_mutex);
    std::vector<SSoundDeviceInfo> out;
    for (const SDevice& d : m_devices) {
        out.push_back(d.info);
    }
    return out;
}

std::vector<std::string> CFakeSoundDevices::Inputs(const std::string& device) {
    std::lock_guard lock(m_mutex);
    const SDevice* d = Find(device);
    return d ? d->inputs : std::vector<std::string>{};
}

bool CFakeSoundDevices::SelectInput(const std::string& device, const std::string& input) {
    std::lock_guard lock(m_mutex);
    auto* d = const_cast<SDevice*>(Find(device));
    if (!d || std::find(d->inputs.begin(), d->inputs.end(), input) == d->inputs.end()) {
        return false;
    }
    d->selectedInput = input;
    return true;
}

std::unique_ptr<ISoundRecording> CFakeSoundDevices::StartRecording(const std::string& device,
                                                                   const SPcmFormat& format,
                                                                   bool bStartPaused,
                                                                   SoundBlockFn onBlock,
                                                                   std::string& why) {
    std::string file;
    {
        std::lock_guard lock(m_mutex);
        const SDevice* d = device.empty() && !m_devices.empty() ? &m_devices.front() : Find(device);
        if (!d) {
            why = "no such recording device: " + device;
            return nullptr;
        }
        file = d->recordedFile;
    }
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) {
        why = "cannot open " + file;
        return nullptr;
    }
    return std::make_unique<CFakeRecording>(f, format, m_nBlockMs, bStartPaused,
                                            std::move(onBlock));
}

std::unique_ptr<ISoundPlayback> CFakeSoundDevices::StartPlayback(const SPcmFormat& format,
                                                                 double fVolume, SoundFillFn fill,
                                                                 std::string& why) {
    std::FILE* f = nullptr;
    if (!m_playbackFile.empty()) {
        f = std::fopen(m_playbackFile.c_str(), "wb");
        if (!f) {
            why = "cannot create " + m_playbackFile;
            return nullptr;
        }
    }
    return std::make_unique<CFakePlayback>(f, format, m_nBlockMs, fVolume, std::move(fill));
}
