// Reads the mouse cursor at the mouse rate and collects the readings in the cursor batch: on its
// own thread, or called by the capture tick when the tick samples inline. Gaps of a late reading
// are filled with interpolated samples; clicks come from the named click events.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/CursorSource.h"
#include "platform/InputEvents.h"
#include "platform/RecordingClock.h"
#include "recording/CursorBatch.h"
#include "recording/RecorderFlags.h"

class CCursorSampler {
public:
    static constexpr uint32_t kStartDelayMs = 150;
    static constexpr uint32_t kMaxGapMs = 500;  // no interpolation across a longer gap

    CCursorSampler(ICursorSource& cursor, CInputEvents& events, IRecordingClock& clock,
                   const SRecorderFlags& flags);
    ~CCursorSampler();
    CCursorSampler(const CCursorSampler&) = delete;
    CCursorSampler& operator=(const CCursorSampler&) = delete;

    // Samples per second (at least 1) and the `continuous_recording` setting.
    void Configure(uint32_t mouseFps, bool continuous);

    // The lock that guards the batch, the sampling state and the reading of the clock; shared
    // with the capture tick.
    std::mutex& Lock() { return m_lock; }
    // Guarded by Lock().
    CCursorBatch& Batch() { return m_batch; }

    // One reading, with interpolation; the caller holds Lock().
    void TakeCursorSample();
    // Forgets the last position and time, so that the next reading counts as a move; caller
    // holds Lock().
    void ForgetLastSample();

    // Starts the sampling thread (ending a previous one first); false when it cannot be created.
    bool StartThread();
    // Tells the thread to end at its next wake-up; does not wait for it.
    void StopThread() { m_bStop.store(true); }
    bool ThreadRunning() const { return m_thread.joinable() && !m_bStop.load(); }

private:
    void ThreadProc();
    void JoinThread();

    ICursorSource& m_cursor;
    CInputEvents& m_events;
    IRecordingClock& m_clock;
    const SRecorderFlags& m_flags;
    uint32_t m_nMouseFps = 20;
    bool m_bContinuous = false;

    std::mutex m_lock;
    CCursorBatch m_batch;
    int32_t m_nLastX = -1;
    int32_t m_nLastY = -1;
    int64_t m_nLastTime = -1;
    uint32_t m_hLastCursor = 0;
    bool m_bPendingDown = false;
    bool m_bPendingUp = false;
    uint64_t m_nReadings = 0;

    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};
