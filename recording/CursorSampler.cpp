#include "recording/CursorSampler.h"

#include <algorithm>
#include <chrono>

CCursorSampler::CCursorSampler(ICursorSource& cursor, CInputEvents& events, IRecordingClock& clock,
                               const SRecorderFlags& flags)
    : m_cursor(cursor), m_events(events), m_clock(clock), m_flags(flags) {}

CCursorSampler::~CCursorSampler() {
    StopThread();
    JoinThread();
}

void CCursorSampler::Configure(uint32_t mouseFps, bool continuous) {
    m_nMouseFps = std::max<uint32_t>(mouseFps, 1);
    m_bContinuous = continuous;
}

void CCursorSampler::ForgetLastSample() {
    m_nLastX = -1;
    m_nLastY = -1;
    m_nLastTime = -1;
}

void CCursorSampler::TakeCursorSample() {
    SCursorReading reading;
    const bool ok = m_cursor.Read(reading);
    const uint8_t hidden = reading.showing ? 0 : 1;
    m_bPendingUp = m_events.ClickUp().Wait(0);
    m_bPendingDown = m_events.ClickDown().Wait(0);

    ++m_nReadings;
    const bool forced = (m_bContinuous && m_nReadings % 4 == 0) ||
                        m_nReadings % (static_cast<uint64_t>(m_nMouseFps) * 60) == 0;
    bool repeat = false;
    do {
        if (!ok || m_flags.paused.load() || m_flags.restart.load()) {
            m_nLastTime = -1;
            return;
        }
        const uint32_t t = m_clock.NowMs();
        if (m_nLastTime != -1 && static_cast<int64_t>(t) - m_nLastTime > kMaxGapMs) {
            m_nLastTime = -1;
        }
        repeat = false;
        if (reading.x != m_nLastX || reading.y != m_nLastY || m_bPendingDown || m_bPendingUp ||
            reading.shape != m_hLastCursor || forced) {
            const uint32_t step = 1000 / m_nMouseFps;
            if (m_nLastTime != -1) {
                const uint32_t n = (t - static_cast<uint32_t>(m_nLastTime)) / step;
                if (n >= 2) {
                    const int32_t dx = (reading.x - m_nLastX) / static_cast<int32_t>(n);
                    const int32_t dy = (reading.y - m_nLastY) / static_cast<int32_t>(n);
                    for (uint32_t i = 1; i < n; ++i) {
                        if (m_batch.Count() >= CCursorBatch::kInterpolationLimit) {
                            break;
                        }
                        m_batch.Append({reading.shape, m_nLastX + static_cast<int32_t>(i) * dx,
                                        m_nLastY + static_cast<int32_t>(i) * dy,
                                        static_cast<uint32_t>(m_nLastTime) + i * step, 0, 0,
                                        hidden});
                    }
                }
            }
            SCursorSample sample{reading.shape, reading.x, reading.y, t, 0, 0, hidden};
            if (m_bPendingDown) {
                sample.clickDown = 1;
                m_bPendingDown = false;
            } else if (m_bPendingUp) {
                sample.clickUp = 1;
                m_bPendingUp = false;
            }
            m_batch.Append(sample);
            m_hLastCursor = reading.shape;
            m_nLastX = reading.x;
            m_nLastY = reading.y;
            repeat = m_bPendingUp;
        }
        m_nLastTime = t;
    } while (repeat);
}

bool CCursorSampler::StartThread() {
    m_bStop.store(true);
    JoinThread();
    m_bStop.store(false);
    try {
        m_thread = std::thread([this] { ThreadProc(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CCursorSampler::JoinThread() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CCursorSampler::ThreadProc() {
    std::this_thread::sleep_for(std::chrono::milliseconds(kStartDelayMs));
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1000 / m_nMouseFps));
        if (m_bStop.load()) {
            return;
        }
        std::lock_guard lock(m_lock);
        if (m_batch.Count() < CCursorBatch::kSampleLimit) {
            TakeCursorSample();
        }
    }
}
