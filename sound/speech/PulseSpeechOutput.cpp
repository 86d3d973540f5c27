#include "sound/speech/PulseSpeechOutput.h"

#include <pulse/simple.h>

#include <chrono>
#include <thread>

namespace {

// A short playback buffer, so that a cancelled speech falls silent soon.
constexpr uint32_t kBufferMs = 100;
constexpr auto kDrainPoll = std::chrono::milliseconds(20);
constexpr pa_usec_t kDrainedUs = 20000;
constexpr auto kDrainMargin = std::chrono::milliseconds(200);

}  // namespace

CPulseSpeechOutput::~CPulseSpeechOutput() {
    if (m_pStream != nullptr) {
        int error = 0;
        pa_simple_flush(m_pStream, &error);
        pa_simple_free(m_pStream);
    }
}

bool CPulseSpeechOutput::Open(int nSampleRate) {
    // The stream stays connected between speeches: a newly connected stream can wait for an idle
    // output to wake, and would hold up the speech and its cancelling.
    if (m_pStream != nullptr && nSampleRate == m_nSampleRate) {
        return true;
    }
    if (m_pStream != nullptr) {
        pa_simple_free(m_pStream);
        m_pStream = nullptr;
    }
    m_nSampleRate = nSampleRate;
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16LE;
    spec.rate = static_cast<uint32_t>(nSampleRate);
    spec.channels = 1;
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(nSampleRate) * 2 * kBufferMs / 1000;
    attr.prebuf = static_cast<uint32_t>(-1);
    attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(-1);
    int error = 0;
    m_pStream = pa_simple_new(nullptr, "Quillo", PA_STREAM_PLAYBACK, nullptr, "Talk bubble", &spec,
                              nullptr, &attr, &error);
    return m_pStream != nullptr;
}

bool CPulseSpeechOutput::Write(const int16_t* samples, std::size_t count) {
    int error = 0;
    return m_pStream != nullptr &&
           pa_simple_write(m_pStream, samples, count * sizeof(int16_t), &error) == 0;
}

void CPulseSpeechOutput::Drain(const std::atomic<bool>& bCancel) {
    if (m_pStream == nullptr) {
        return;
    }
    // The latency tells when the last sample written is heard; an output that reports more than
    // it plays is not waited for beyond that.
    int error = 0;
    const pa_usec_t start = pa_simple_get_latency(m_pStream, &error);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::microseconds(start) + kDrainMargin;
    while (!bCancel && error == 0 && std::chrono::steady_clock::now() < deadline) {
        if (pa_simple_get_latency(m_pStream, &error) < kDrainedUs) {
            return;
        }
        std::this_thread::sleep_for(kDrainPoll);
    }
}

void CPulseSpeechOutput::Close(bool bDrop) {
    int error = 0;
    if (m_pStream != nullptr && bDrop) {
        pa_simple_flush(m_pStream, &error);
    }
}
