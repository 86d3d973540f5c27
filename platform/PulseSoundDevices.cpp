#include "platform/PulseSoundDevices.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>

struct CPulseSoundDevices::SConnection {
    pa_threaded_mainloop* pLoop = nullptr;
    pa_context* pContext = nullptr;

    ~SConnection() {
        if (pLoop) {
            pa_threaded_mainloop_stop(pLoop);
        }
        if (pContext) {
            pa_context_disconnect(pContext);
            pa_context_unref(pContext);
        }
        if (pLoop) {
            pa_threaded_mainloop_free(pLoop);
        }
    }
};

namespace {

using SConnection = CPulseSoundDevices::SConnection;

// Holds the main loop's lock for a scope.
class CLoopLock {
public:
    explicit CLoopLock(pa_threaded_mainloop* p) : m_p(p) { pa_threaded_mainloop_lock(m_p); }
    ~CLoopLock() { pa_threaded_mainloop_unlock(m_p); }
    CLoopLock(const CLoopLock&) = delete;
    CLoopLock& operator=(const CLoopLock&) = delete;

private:
    pa_threaded_mainloop* m_p;
};

// Waits, with the lock held, until the operation has run its callbacks.
void WaitFor(pa_threaded_mainloop* pLoop, pa_operation* op) {
    if (!op) {
        return;
    }
    while (pa_operation_get_state(op) == PA_OPERATION_RUNNING) {
        pa_threaded_mainloop_wait(pLoop);
    }
    pa_operation_unref(op);
}

void SignalLoop(pa_threaded_mainloop* pLoop) {
    pa_threaded_mainloop_signal(pLoop, 0);
}

pa_sample_spec SampleSpec(const SPcmFormat& format) {
    pa_sample_spec ss{};
    ss.format = format.nBits == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
    ss.rate = static_cast<uint32_t>(format.nRate);
    ss.channels = static_cast<uint8_t>(format.nChannels);
    return ss;
}

// Waits with the lock held until the stream is ready or has failed.
bool WaitReady(pa_threaded_mainloop* pLoop, pa_stream* s, std::string& why) {
    for (;;) {
        const pa_stream_state_t st = pa_stream_get_state(s);
        if (st == PA_STREAM_READY) {
            return true;
        }
        if (!PA_STREAM_IS_GOOD(st)) {
            why = pa_strerror(pa_context_errno(pa_stream_get_context(s)));
            return false;
        }
        pa_threaded_mainloop_wait(pLoop);
    }
}

void StreamStateChanged(pa_stream*, void* pUser) {
    SignalLoop(static_cast<pa_threaded_mainloop*>(pUser));
}

void OperationDone(pa_stream*, int, void* pUser) {
    SignalLoop(static_cast<pa_threaded_mainloop*>(pUser));
}

// Disconnects a stream; after it returns no callback of the stream runs.
void CloseStream(SConnection& c, pa_stream*& s) {
    if (!s) {
        return;
    }
    CLoopLock lock(c.pLoop);
    pa_stream_set_read_callback(s, nullptr, nullptr);
    pa_stream_set_write_callback(s, nullptr, nullptr);
    pa_stream_set_state_callback(s, nullptr, nullptr);
    pa_stream_disconnect(s);
    pa_stream_unref(s);
    s = nullptr;
}

void Cork(SConnection& c, pa_stream* s, bool bCork) {
    if (!s) {
        return;
    }
    CLoopLock lock(c.pLoop);
    WaitFor(c.pLoop, pa_stream_cork(s, bCork ? 1 : 0, OperationDone, c.pLoop));
}

class CPulseRecording : public ISoundRecording {
public:
    CPulseRecording(std::shared_ptr<SConnection> c, const SPcmFormat& format, SoundBlockFn onBlock)
        : m_c(std::move(c)), m_format(format), m_onBlock(std::move(onBlock)) {}
    ~CPulseRecording() override { Stop(); }

    bool Start(const std::string& device, bool bStartPaused, std::string& why) {
        CLoopLock lock(m_c->pLoop);
        const pa_sample_spec ss = SampleSpec(m_format);
        m_pStream = pa_stream_new(m_c->pContext, "Quillo narration", &ss, nullptr);
        if (!m_pStream) {
            why = pa_strerror(pa_context_errno(m_c->pContext));
            return false;
        }
        pa_stream_set_state_callback(m_pStream, StreamStateChanged, m_c->pLoop);
        pa_stream_set_read_callback(m_pStream, Readable, this);
        // Blocks of about 50 ms, as a level display wants them.
        pa_buffer_attr attr;
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.fragsize = static_cast<uint32_t>(m_format.nRate / 20 * m_format.BytesPerFrame());
        attr.tlength = attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);
        const auto flags = static_cast<pa_stream_flags_t>(
            PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE |
            (bStartPaused ? PA_STREAM_START_CORKED : 0));
        m_bPaused = bStartPaused;
        if (pa_stream_connect_record(m_pStream, device.empty() ? nullptr : device.c_str(), &attr,
                                     flags) < 0) {
            why = pa_strerror(pa_context_errno(m_c->pContext));
            return false;
        }
        return WaitReady(m_c->pLoop, m_pStream, why);
    }

    void Pause() override {
        Cork(*m_c, m_pStream, true);
        m_bPaused = true;
    }
    void Resume() override {
        Cork(*m_c, m_pStream, false);
        m_bPaused = false;
    }
    bool IsPaused() const override { return m_bPaused; }
    void Stop() override { CloseStream(*m_c, m_pStream); }

    // The bytes taken from the stream plus those waiting in its buffer, as time.
    int64_t PositionMs() const override {
        int64_t nBytes = m_nDelivered;
        if (m_pStream) {
            CLoopLock lock(m_c->pLoop);
            nBytes = m_nDelivered;
            const size_t nWaiting = pa_stream_readable_size(m_pStream);
            if (nWaiting != static_cast<size_t>(-1)) {
                nBytes += static_cast<int64_t>(nWaiting);
            }
        }
        return nBytes * 1000 / (int64_t{m_format.nRate} * m_format.BytesPerFrame());
    }

private:
    static void Readable(pa_stream* s, size_t, void* pUser) {
        auto* self = static_cast<CPulseRecording*>(pUser);
        const void* pData = nullptr;
        size_t n = 0;
        while (pa_stream_readable_size(s) > 0 && pa_stream_peek(s, &pData, &n) == 0 && n > 0) {
            // A hole (no data) is skipped; the stream time still counts it.
            if (pData && !self->m_bEnded) {
                self->m_nDelivered += static_cast<int64_t>(n);
                if (!self->m_onBlock({static_cast<const uint8_t*>(pData), n})) {
                    // The receiver cannot take more (a full disk): no further block is delivered.
                    self->m_bEnded = true;
                    pa_operation* op = pa_stream_cork(s, 1, nullptr, nullptr);
                    if (op) {
                        pa_operation_unref(op);
                    }
                }
            }
            pa_stream_drop(s);
        }
    }

    std::shared_ptr<SConnection> m_c;
    SPcmFormat m_format;
    SoundBlockFn m_onBlock;
    pa_stream* m_pStream = nullptr;
    std::atomic<bool> m_bPaused{false};
    bool m_bEnded = false;  // touched only on the loop's thread
    std::atomic<int64_t> m_nDelivered{0};
};

class CPulsePlayback : public ISoundPlayback {
public:
    CPulsePlayback(std::shared_ptr<SConnection> c, const SPcmFormat& format, SoundFillFn fill)
        : m_c(std::move(c)), m_format(format), m_fill(std::move(fill)) {}
    ~CPulsePlayback() override { Stop(); }

    bool Start(double fVolume, std::string& why) {
        CLoopLock lock(m_c->pLoop);
        const pa_sample_spec ss = SampleSpec(m_format);
        m_pStream = pa_stream_new(m_c->pContext, "Quillo sound", &ss, nullptr);
        if (!m_pStream) {
            why = pa_strerror(pa_context_errno(m_c->pContext));
            return false;
        }
        pa_stream_set_state_callback(m_pStream, StreamStateChanged, m_c->pLoop);
        pa_stream_set_write_callback(m_pStream, Writable, this);
        pa_cvolume volume;
        pa_cvolume_set(&volume, ss.channels, pa_sw_volume_from_linear(fVolume));
        if (pa_stream_connect_playback(m_pStream, nullptr, nullptr,
                                       static_cast<pa_stream_flags_t>(PA_STREAM_INTERPOLATE_TIMING |
                                                                      PA_STREAM_AUTO_TIMING_UPDATE),
                                       &volume, nullptr) < 0) {
            why = pa_strerror(pa_context_errno(m_c->pContext));
            return false;
        }
        return WaitReady(m_c->pLoop, m_pStream, why);
    }

    void Pause() override { Cork(*m_c, m_pStream, true); }
    void Resume() override { Cork(*m_c, m_pStream, false); }
    void SetVolume(double fVolume) override {
        if (!m_pStream) {
            return;
        }
        CLoopLock lock(m_c->pLoop);
        pa_cvolume volume;
        pa_cvolume_set(&volume, static_cast<unsigned>(m_format.nChannels),
                       pa_sw_volume_from_linear(fVolume));
        pa_operation* op = pa_context_set_sink_input_volume(
            m_c->pContext, pa_stream_get_index(m_pStream), &volume, nullptr, nullptr);
        if (op) {
            pa_operation_unref(op);
        }
    }
    void Stop() override { CloseStream(*m_c, m_pStream); }
    bool HasEnded() const override { return m_bDrained; }

private:
    static void Writable(pa_stream* s, size_t nBytes, void* pUser) {
        auto* self = static_cast<CPulsePlayback*>(pUser);
        if (self->m_bFilled) {
            return;
        }
        const size_t nFrame = static_cast<size_t>(self->m_format.BytesPerFrame());
        void* pData = nullptr;
        if (pa_stream_begin_write(s, &pData, &nBytes) < 0 || !pData) {
            return;
        }
        nBytes -= nBytes % nFrame;
        const size_t nFilled =
            std::min(nBytes, self->m_fill({static_cast<uint8_t*>(pData), nBytes}));
        if (nFilled > 0) {
            pa_stream_write(s, pData, nFilled - nFilled % nFrame, nullptr, 0, PA_SEEK_RELATIVE);
        } else {
            pa_stream_cancel_write(s);
        }
        if (nFilled < nBytes) {
            self->m_bFilled = true;
            pa_operation* op = pa_stream_drain(s, Drained, self);
            if (op) {
                pa_operation_unref(op);
            }
        }
    }
    static void Drained(pa_stream*, int, void* pUser) {
        static_cast<CPulsePlayback*>(pUser)->m_bDrained = true;
    }

    std::shared_ptr<SConnection> m_c;
    SPcmFormat m_format;
    SoundFillFn m_fill;
    pa_stream* m_pStream = nullptr;
    bool m_bFilled = false;  // touched only on the loop's thread
    std::atomic<bool> m_bDrained{false};
};

void ContextStateChanged(pa_context*, void* pUser) {
    SignalLoop(static_cast<pa_threaded_mainloop*>(pUser));
}

struct SSourceQuery {
    pa_threaded_mainloop* pLoop;
    std::vector<SSoundDeviceInfo>* pDevices = nullptr;
    std::vector<std::string>* pPorts = nullptr;
};

void SourceListed(pa_context*, const pa_source_info* info, int eol, void* pUser) {
    auto* q = static_cast<SSourceQuery*>(pUser);
    if (eol || !info) {
        SignalLoop(q->pLoop);
        return;
    }
    if (q->pDevices) {
        q->pDevices->push_back({info->name, info->description ? info->description : info->name});
    }
    if (q->pPorts) {
        for (uint32_t i = 0; i < info->n_ports; ++i) {
            q->pPorts->push_back(info->ports[i]->name);
        }
    }
}

struct SSuccess {
    pa_threaded_mainloop* pLoop;
    bool bOk = false;
};

void ContextSuccess(pa_context*, int nSuccess, void* pUser) {
    auto* s = static_cast<SSuccess*>(pUser);
    s->bOk = nSuccess != 0;
    SignalLoop(s->pLoop);
}

}  // namespace

CPulseSoundDevices::CPulseSoundDevices() = default;
CPulseSoundDevices::~CPulseSoundDevices() = default;

bool CPulseSoundDevices::Connect(std::string& why) {
    auto c = std::make_shared<SConnection>();
    c->pLoop = pa_threaded_mainloop_new();
    if (!c->pLoop) {
        why = "cannot create the sound main loop";
        return false;
    }
    c->pContext = pa_context_new(pa_threaded_mainloop_get_api(c->pLoop), "Quillo");
    if (!c->pContext) {
        why = "cannot create a sound server context";
        return false;
    }
    pa_context_set_state_callback(c->pContext, ContextStateChanged, c->pLoop);
    if (pa_context_connect(c->pContext, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        why = std::string("cannot reach the sound server: ") +
              pa_strerror(pa_context_errno(c->pContext));
        return false;
    }
    bool bReady = false;
    {
        CLoopLock lock(c->pLoop);
        if (pa_threaded_mainloop_start(c->pLoop) < 0) {
            why = "cannot start the sound main loop";
            return false;
        }
        for (;;) {
            const pa_context_state_t st = pa_context_get_state(c->pContext);
            if (st == PA_CONTEXT_READY) {
                bReady = true;
                break;
            }
            if (!PA_CONTEXT_IS_GOOD(st)) {
                why = std::string("cannot reach the sound server: ") +
                      pa_strerror(pa_context_errno(c->pContext));
                break;
            }
            pa_threaded_mainloop_wait(c->pLoop);
        }
    }
    // The connection is freed, when it failed, only after the lock is released.
    if (bReady) {
        m_p = std::move(c);
    }
    return bReady;
}

std::vector<SSoundDeviceInfo> CPulseSoundDevices::RecordingDevices() {
    std::vector<SSoundDeviceInfo> devices;
    if (!m_p) {
        return devices;
    }
    CLoopLock lock(m_p->pLoop);
    SSourceQuery q{m_p->pLoop, &devices, nullptr};
    WaitFor(m_p->pLoop, pa_context_get_source_info_list(m_p->pContext, SourceListed, &q));
    return devices;
}

std::vector<std::string> CPulseSoundDevices::Inputs(const std::string& device) {
    std::vector<std::string> ports;
    if (!m_p) {
        return ports;
    }
    CLoopLock lock(m_p->pLoop);
    SSourceQuery q{m_p->pLoop, nullptr, &ports};
    WaitFor(m_p->pLoop,
            pa_context_get_source_info_by_name(m_p->pContext, device.c_str(), SourceListed, &q));
    return ports;
}

bool CPulseSoundDevices::SelectInput(const std::string& device, const std::string& input) {
    if (!m_p) {
        return false;
    }
    CLoopLock lock(m_p->pLoop);
    SSuccess s{m_p->pLoop};
    WaitFor(m_p->pLoop, pa_context_set_source_port_by_name(m_p->pContext, device.c_str(),
                                                           input.c_str(), ContextSuccess, &s));
    return s.bOk;
}

std::unique_ptr<ISoundRecording> CPulseSoundDevices::StartRecording(const std::string& device,
                                                                    const SPcmFormat& format,
                                                                    bool bStartPaused,
                                                                    SoundBlockFn onBlock,
                                                                    std::string& why) {
    if (!m_p) {
        why = "not connected to a sound server";
        return nullptr;
    }
    auto rec = std::make_unique<CPulseRecording>(m_p, format, std::move(onBlock));
    if (!rec->Start(device, bStartPaused, why)) {
        return nullptr;
    }
    return rec;
}

std::unique_ptr<ISoundPlayback> CPulseSoundDevices::StartPlayback(const SPcmFormat& format,
                                                                  double fVolume, SoundFillFn fill,
                                                                  std::string& why) {
    if (!m_p) {
        why = "not connected to a sound server";
        return nullptr;
    }
    auto play = std::make_unique<CPulsePlayback>(m_p, format, std::move(fill));
    if (!play->Start(fVolume, why)) {
        return nullptr;
    }
    return play;
}
