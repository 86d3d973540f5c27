#include "recording/HeadlessRecorder.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {
bool Reached(uint32_t now, uint32_t due) {
    return static_cast<int32_t>(now - due) >= 0;
}
}  // namespace

CHeadlessRecorder::CHeadlessRecorder(IRecordingClock& clock, CInputEvents& events,
                                     SRecorderFlags& flags, CInputEventSource* pInput)
    : m_clock(clock), m_events(events), m_flags(flags), m_pInput(pInput) {}

bool CHeadlessRecorder::ArmTimer(uint32_t ms) {
    m_bArmed = true;
    m_nDue = m_clock.NowMs() + ms;
    return true;
}

void CHeadlessRecorder::PostStop(EStopReason reason) {
    m_bStopPosted = true;
    m_bDiskFull = m_bDiskFull || reason == EStopReason::DiskFull;
}

void CHeadlessRecorder::PostPauseCommand() {
    if (m_flags.paused.load()) {
        m_events.DrainAutoEvents();
        m_flags.paused = false;
    } else {
        m_flags.paused = true;
    }
}

void CHeadlessRecorder::WaitUntilDue(const std::atomic<bool>* interrupt, uint32_t endMs,
                                     bool limited) {
    for (;;) {
        const uint32_t now = m_clock.NowMs();
        if (Reached(now, m_nDue) || (limited && Reached(now, endMs)) ||
            (interrupt != nullptr && interrupt->load())) {
            return;
        }
        uint32_t wait = m_nDue - now;
        if (limited) {
            wait = std::min(wait, endMs - now);
        }
        // Short sleeps keep an interrupt from waiting for a long timer.
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<uint32_t>(wait, 20)));
    }
}

CHeadlessRecorder::EEnd CHeadlessRecorder::Record(CScreenGrabber& grabber, uint32_t durationMs,
                                                  const std::atomic<bool>* interrupt) {
    m_events.DrainAutoEvents();
    m_bInputActive = m_pInput != nullptr && m_pInput->Start();
    grabber.BeginSampling();
    grabber.StartCapture();
    const uint32_t endMs = m_clock.NowMs() + durationMs;
    const bool limited = durationMs > 0;
    EEnd end = EEnd::TimeUp;
    while (!m_bClosed) {
        WaitUntilDue(interrupt, endMs, limited);
        if (interrupt != nullptr && interrupt->load()) {
            end = EEnd::Interrupted;
            break;
        }
        if (limited && Reached(m_clock.NowMs(), endMs)) {
            break;
        }
        if (!m_bArmed) {
            end = EEnd::Stopped;
            break;
        }
        m_bArmed = false;
        grabber.OnCaptureTick(false);
        ++m_nTicks;
        if (m_bStopPosted) {
            end = m_bDiskFull ? EEnd::DiskFull : EEnd::Stopped;
            break;
        }
    }
    // The stop sequence.
    grabber.Sampler().StopThread();
    m_bArmed = false;
    if (m_pInput != nullptr) {
        m_pInput->Stop();
    }
    if (m_bClosed) {
        return EEnd::Failed;
    }
    grabber.OnCaptureTick(true);
    return end;
}
