#include "recording/HeadlessRecorder.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "recording/Recorder.h"

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

std::string CHeadlessRecorder::OnCommand(int code, CDemoProject& project) {
    switch (code) {
        case kHotkeyStop:
        case kUserStop:
            m_bStopCommand = true;
            return {};
        case kHotkeyPause:
            PostPauseCommand();
            return {};
        case kHotkeyChapter:
            if (project.LastFrame() == nullptr) {
                return "no frame has been recorded yet";
            }
            MarkRecordedChapter(*project.LastFrame(), ++m_nChapters);
            return {};
        case kHotkeyTray:
            return "a recording without a window has no tray icon";
        default:
            return "no recorder command has the code " + std::to_string(code);
    }
}

void CHeadlessRecorder::WaitUntilDue(const std::atomic<bool>* interrupt, uint32_t endMs,
                                     bool limited, CCommandSocket* pCommands,
                                     CDemoProject& project) {
    for (;;) {
        if (pCommands != nullptr) {
            pCommands->Serve([&](int code) { return OnCommand(code, project); });
        }
        const uint32_t now = m_clock.NowMs();
        if (Reached(now, m_nDue) || (limited && Reached(now, endMs)) || m_bStopCommand ||
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
                                                  const std::atomic<bool>* interrupt,
                                                  CCommandSocket* pCommands) {
    m_bStopCommand = false;
    m_events.DrainAutoEvents();
    m_bInputActive = m_pInput != nullptr && m_pInput->Start();
    grabber.BeginSampling();
    grabber.StartCapture();
    const uint32_t endMs = m_clock.NowMs() + durationMs;
    const bool limited = durationMs > 0;
    EEnd end = EEnd::TimeUp;
    while (!m_bClosed) {
        WaitUntilDue(interrupt, endMs, limited, pCommands, grabber.Project());
        if (interrupt != nullptr && interrupt->load()) {
            end = EEnd::Interrupted;
            break;
        }
        if (m_bStopCommand) {
            end = EEnd::Stopped;
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
