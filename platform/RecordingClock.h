// The millisecond clock that recordings are timed by. It starts at an arbitrary point and only
// moves forward; differences of its values are what matter.
#pragma once

#include <atomic>
#include <cstdint>

class IRecordingClock {
public:
    virtual ~IRecordingClock() = default;
    virtual uint32_t NowMs() = 0;
};

// The system's monotonic clock.
class CSteadyClock : public IRecordingClock {
public:
    uint32_t NowMs() override;
};

// A clock that moves only when told to, for tests and for replaying timed input.
class CManualClock : public IRecordingClock {
public:
    explicit CManualClock(uint32_t startMs = 0) : m_nNow(startMs) {}
    uint32_t NowMs() override { return m_nNow.load(); }
    void Set(uint32_t ms) { m_nNow.store(ms); }
    void Advance(uint32_t ms) { m_nNow.fetch_add(ms); }

private:
    std::atomic<uint32_t> m_nNow;
};
