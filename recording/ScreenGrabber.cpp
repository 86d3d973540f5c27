#include "recording/ScreenGrabber.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "imaging/ChangeFinder.h"
#include "project/model/DemoProject.h"
#include "project/stream/PictureBlock.h"
#include "recording/FrameGeometry.h"

namespace {

// The later of two clock times.
uint32_t Later(uint32_t a, uint32_t b) {
    return static_cast<int32_t>(a - b) >= 0 ? a : b;
}
// a is before b on the clock.
bool Before(uint32_t a, uint32_t b) {
    return static_cast<int32_t>(a - b) < 0;
}

}  // namespace

CScreenGrabber::CScreenGrabber(const SServices& services, SRecorderFlags& flags)
    : m_project(services.project),
      m_screen(services.screen),
      m_events(services.events),
      m_clock(services.clock),
      m_prompter(services.prompter),
      m_host(services.host),
      m_flags(flags),
      m_sampler(services.cursor, services.events, services.clock, flags),
      m_cursorRecorder(services.project, m_stream, services.cursor) {}

void CScreenGrabber::SetOptions(const CRecordingOptions& options, bool continuousRecording) {
    m_options = options;
    m_nScreenRate = options.ScreenRate();
    m_nMouseRate = options.MouseRate();
    m_sampler.Configure(m_nMouseRate, continuousRecording);
}

uint32_t CScreenGrabber::Now() {
    return m_clock.NowMs();
}

void CScreenGrabber::BeginSampling() {
    {
        std::lock_guard lock(m_sampler.Lock());
        m_sampler.Batch().Clear();
        m_sampler.ForgetLastSample();
    }
    m_bInline = false;
    if (m_options.m_bRecordMouse && !m_sampler.StartThread()) {
        m_options.m_bRecordMouse = 0;
    }
}

void CScreenGrabber::StartCapture() {
    m_timing = TickTimingFor(m_nScreenRate);
    m_flags.restart = true;
    if (!m_host.ArmTimer(kFirstTickDelayMs)) {
        m_prompter.Error("Timer Resource Unavailable", "Quillo Resource Failure");
        m_host.CloseMainWindow();
    }
}

void CScreenGrabber::WriteDelay(uint32_t stampMs) {
    // Time before the first frame has no frame to lengthen.
    if (m_project.LastFrame() != nullptr) {
        m_stream.WriteTick(TakeDelayStamp(stampMs));
    }
}

void CScreenGrabber::SetCursorState(const SCursorSample& s) {
    m_cursorState.x = s.x - m_rcCapture.x;
    m_cursorState.y = s.y - m_rcCapture.y;
    m_cursorState.hCursor = s.hCursor;
    // Click marks add up until a cursor record carries them, so that a sample that makes no frame
    // of its own does not lose its click.
    m_cursorState.clickDown |= s.clickDown;
    m_cursorState.clickUp |= s.clickUp;
    m_cursorState.hidden = s.hidden;
    m_bCursorKnown = true;
}

SScreenRect CScreenGrabber::CaptureRectByChoice() {
    const SScreenRect screen = m_screen.VirtualScreen();
    if (m_choice.mode == ECaptureMode::FullScreen) {
        return ScreenRectFor(m_choice, m_screen.Monitors(), screen);
    }
    if (m_pTracker == nullptr) {
        return screen;
    }
    return RectOf(Inset(EdgesOf(m_pTracker->FrameWindowRect()), kFrameBorder));
}

SCaptureContext CScreenGrabber::FrameContext() const {
    SCaptureContext context;
    if (m_bPan) {
        context.nPanX = static_cast<uint16_t>(std::clamp(m_rcCapture.x - m_rcScreen.x, 0, 0xFFFF));
        context.nPanY = static_cast<uint16_t>(std::clamp(m_rcCapture.y - m_rcScreen.y, 0, 0xFFFF));
    }
    return context;
}

void CScreenGrabber::FirstGrab() {
    if (m_rcCapture.width <= 0 || m_rcCapture.height <= 0) {
        m_rcCapture = CaptureRectByChoice();
    }
    if (m_rcCapture.width <= 0 || m_rcCapture.height <= 0) {
        m_rcCapture = m_screen.VirtualScreen();
    }
    m_rcScreen = m_screen.VirtualScreen();
    // The canvas holds the capture at its origin, so a pan needs a capture that fits the screen;
    // a larger one is recorded where it is, without panning.
    m_bPan = m_choice.Pans() && m_rcCapture.width <= m_rcScreen.width &&
             m_rcCapture.height <= m_rcScreen.height;
    if (m_bPan) {
        m_rcCapture.x = std::clamp(m_rcCapture.x, std::max(m_rcScreen.x, 0),
                                   m_rcScreen.x + m_rcScreen.width - m_rcCapture.width);
        m_rcCapture.y = std::clamp(m_rcCapture.y, std::max(m_rcScreen.y, 0),
                                   m_rcScreen.y + m_rcScreen.height - m_rcCapture.height);
        m_nShownX = m_rcCapture.x;
        m_nShownY = m_rcCapture.y;
    }
    const int32_t w = m_rcCapture.width;
    const int32_t h = m_rcCapture.height;
    m_project.m_nWidth = w;
    m_project.m_nHeight = h;
    m_project.m_rcDefaultHotspot = {w / 5 - w / 20, h / 5 - h / 20, w / 5 + w / 20, h / 5 + h / 20};
    m_project.m_rcDefaultZoom = {w / 5 - w / 20, h / 5 - h / 20, w / 5 + w / 2, h / 5 + h / 2};
    m_Current.assign(static_cast<size_t>(w) * h, 0);
}

void CScreenGrabber::BeginPanCanvas() {
    m_Canvas.assign(static_cast<size_t>(m_rcScreen.width) * m_rcScreen.height, 0);
    // The frame window is not part of the screen that is recorded.
    if (m_pTracker != nullptr) {
        m_pTracker->HideFrameWindow();
    }
    m_screen.Grab(m_rcScreen, m_Canvas.data());
    if (m_pTracker != nullptr) {
        m_pTracker->ShowFrameWindow();
    }
}

bool CScreenGrabber::PanMove() {
    // The newest sample, which the batch may still hold for the cursor frames of this tick.
    int32_t cursorX = m_cursorState.x + m_rcCapture.x;
    int32_t cursorY = m_cursorState.y + m_rcCapture.y;
    bool known = m_bCursorKnown;
    {
        std::lock_guard lock(m_sampler.Lock());
        // Without mouse recording nothing else reads the cursor during the recording.
        if (!m_options.m_bRecordMouse) {
            m_sampler.Batch().Clear();
            m_sampler.TakeCursorSample();
        }
        if (!m_sampler.Batch().Empty()) {
            cursorX = m_sampler.Batch().Newest().x;
            cursorY = m_sampler.Batch().Newest().y;
            known = true;
        }
    }
    if (!known) {
        return false;
    }
    int32_t x0 = m_rcCapture.x;
    int32_t y0 = m_rcCapture.y;
    m_pan.Step(cursorX, cursorY, x0, y0, m_rcCapture.width, m_rcCapture.height,
               EdgesOf(m_rcScreen));
    m_rcCapture.x = x0;
    m_rcCapture.y = y0;
    if (x0 == m_nShownX && y0 == m_nShownY) {
        return false;
    }
    // Hidden while the screen is copied at the new place, shown around it afterwards.
    if (m_pTracker != nullptr) {
        m_pTracker->HideFrameWindow();
    }
    m_cursorState.x -= x0 - m_nShownX;
    m_cursorState.y -= y0 - m_nShownY;
    m_nShownX = x0;
    m_nShownY = y0;
    return true;
}

bool CScreenGrabber::FollowMove() {
    int32_t dx = 0;
    int32_t dy = 0;
    if (!m_pTracker->FollowActiveWindow(dx, dy) || (dx == 0 && dy == 0)) {
        return false;
    }
    m_rcCapture.x += dx;
    m_rcCapture.y += dy;
    m_cursorState.x -= dx;
    m_cursorState.y -= dy;
    return true;
}

void CScreenGrabber::ExchangeWithCanvas() {
    const size_t w = static_cast<size_t>(m_rcCapture.width);
    const size_t stride = static_cast<size_t>(m_rcScreen.width);
    const size_t x = static_cast<size_t>(m_rcCapture.x - m_rcScreen.x);
    const size_t y = static_cast<size_t>(m_rcCapture.y - m_rcScreen.y);
    for (size_t row = 0; row < static_cast<size_t>(m_rcCapture.height); ++row) {
        uint32_t* canvas = m_Canvas.data() + (y + row) * stride + x;
        std::copy_n(canvas, w, m_Previous.data() + row * w);
        std::copy_n(m_Current.data() + row * w, w, canvas);
    }
}

void CScreenGrabber::StorePanPicture(CFrameInfo& frame) {
    CPixelPicture picture;
    picture.m_nWidth = m_rcScreen.width;
    picture.m_nHeight = m_rcScreen.height;
    picture.m_Pixels = m_Canvas;
    std::vector<uint8_t> block = EncodePictureBlock(picture);
    if (block.empty()) {
        return;
    }
    frame.m_pPanPicture = std::move(block);
    frame.m_pPanPictureCache.reset();
    for (const uint32_t pixel : m_Canvas) {
        m_project.CountColor(pixel);
    }
}

void CScreenGrabber::OnCaptureTick(bool final) {
    // The pause and stop events of an outside input source.
    if (HasFirstImage()) {
        const bool pauseEvent = m_events.Pause().Wait(0);
        if (pauseEvent != m_bLastPauseEvent) {
            m_bLastPauseEvent = pauseEvent;
            if (pauseEvent != m_flags.paused.load()) {
                m_flags.paused = pauseEvent;
                m_host.ShowPaused(pauseEvent);
            }
        }
        if (!m_flags.paused.load() && m_events.Save().Wait(0)) {
            m_host.PostStop(EStopReason::User);
        }
    }
    if (m_nFreeSpace < kDiskReserve) {
        m_host.PostStop(EStopReason::DiskFull);
    }
    // The tick time, and a new timing segment after a start or resume.
    uint32_t tickTime = 0;
    {
        std::lock_guard lock(m_sampler.Lock());
        tickTime = Now();
    }
    if (m_flags.restart.load()) {
        std::lock_guard lock(m_sampler.Lock());
        tickTime = Now();
        m_stamper.Restart(tickTime);
        m_nLastFrameTime = tickTime;
        m_sampler.Batch().Clear();
        m_flags.restart = false;
    }
    m_nTickTime = tickTime;
    const bool snapshot = m_flags.snapshot.load();
    if (snapshot) {
        m_nLastFrameTime = tickTime;
    }

    // Paused ticks and the ticks between grabs only serve the cursor and the pause state.
    const bool grabTick = m_nTicks % m_timing.nDivisor == 0;
    if ((m_flags.paused.load() || !grabTick) && !final) {
        FinishTick(tickTime, final);
        return;
    }
    m_bPauseDelayWritten = false;
    const bool firstGrab = !HasFirstImage();
    if (firstGrab) {
        FirstGrab();
        if (m_bPan) {
            BeginPanCanvas();
        }
    }
    // The capture follows the cursor or the active window.
    bool moved = false;
    bool reuseCopy = false;
    if (m_bPan) {
        // The cursor is first read after the first copy.
        moved = !firstGrab && PanMove();
    } else if (!firstGrab && m_choice.mode != ECaptureMode::FullScreen && m_pTracker != nullptr &&
               m_options.m_bFollowActiveWindow) {
        // The screen at the new place is read at the next grab; this one compares the last copy
        // with itself.
        reuseCopy = FollowMove();
    }
    if (reuseCopy) {
        if (m_bLastCopyInPrevious) {
            m_Current = m_Previous;
        }
    } else if (!m_screen.Grab(m_rcCapture, m_Current.data())) {
        if (firstGrab) {
            m_Current.clear();
        }
        if (!final) {
            m_host.PostStop(EStopReason::User);
            m_host.KillTimer();
        }
        return;
    }
    m_bLastCopyInPrevious = false;
    if (moved && m_pTracker != nullptr) {
        m_pTracker->PlaceFrameWindow({m_rcCapture.x - kFrameBorder, m_rcCapture.y - kFrameBorder,
                                      m_rcCapture.width + 2 * kFrameBorder,
                                      m_rcCapture.height + 2 * kFrameBorder});
    }
    if (m_bInline || firstGrab) {
        std::lock_guard lock(m_sampler.Lock());
        m_sampler.TakeCursorSample();
        if (!m_sampler.Batch().Empty()) {
            SetCursorState(m_sampler.Batch().Newest());
        }
    }
    // The first grab compares against a picture unlike any screen and opens the files.
    if (firstGrab) {
        m_Previous.assign(m_Current.size(), 0x01010101u);
        if (!m_stream.Begin(m_project, m_strTempDir, m_rcCapture.width, m_rcCapture.height,
                            m_options.m_bExtraCompression != 0)) {
            m_Current.clear();
            m_Previous.clear();
            m_host.KillTimer();
            m_prompter.Error("Unable to open capture file", "Quillo Error");
            m_host.CloseMainWindow();
            return;
        }
        m_nLastFrameTime = tickTime;
    } else if (m_bPan) {
        // Changes are found against what was last seen at this place of the screen.
        ExchangeWithCanvas();
    }
    const bool changed =
        moved || snapshot || final ||
        std::memcmp(m_Current.data(), m_Previous.data(), m_Current.size() * sizeof(uint32_t)) != 0;
    bool cursorFrames = false;
    HandleCursorFrames(changed, cursorFrames);
    if (!changed) {
        if (!cursorFrames) {
            m_bPendingDelay = true;
        }
    } else {
        m_bPendingDelay = false;
        if (!cursorFrames && Before(m_nLastFrameTime, tickTime)) {
            WriteDelay(tickTime);
            m_nLastFrameTime = tickTime;
        }
        WriteScreenFrame(final, moved, firstGrab && m_bPan);
    }
    FinishTick(tickTime, final);
}

void CScreenGrabber::HandleCursorFrames(bool changed, bool& handled) {
    std::unique_lock lock(m_sampler.Lock());
    CCursorBatch& batch = m_sampler.Batch();
    if (!m_bInline && batch.Empty()) {
        m_sampler.TakeCursorSample();
    }
    const size_t count = batch.Count();
    const bool none = m_nTicks == 0 || m_flags.snapshot.load() || !m_options.m_bRecordMouse ||
                      count == 0 || (count == 1 && m_bInline) ||
                      (!changed && count <= m_nMouseRate &&
                       static_cast<int32_t>(m_nTickTime - m_nLastFrameTime) <= 1000);
    if (none) {
        return;
    }
    // After a still spell the last frame is first lengthened up to the first sample, which then
    // begins its own frame at that time rather than going unrecorded.
    bool firstStartsFrame = false;
    if (m_bPendingDelay) {
        m_bPendingDelay = false;
        const uint32_t first = batch.At(0).time;
        if (Before(m_nLastFrameTime, first)) {
            WriteDelay(first);
            m_nLastFrameTime = first;
            firstStartsFrame = true;
        }
    }
    std::vector<SCursorSample> samples = batch.Take();
    lock.unlock();
    if (samples.size() > 2 && m_options.m_bSmoothMovement) {
        SmoothBatch(samples.data(), samples.size());
    }
    for (size_t i = 0; i < samples.size(); ++i) {
        SetCursorState(samples[i]);
        if (i + 1 == samples.size() && changed) {
            break;  // the screen frame of this tick carries the newest sample
        }
        if (Before(m_nLastFrameTime, samples[i].time) || (i == 0 && firstStartsFrame)) {
            m_stream.AppendCapturedFrame(FrameContext());
            m_cursorRecorder.WriteCursorRecord(m_cursorState, TakeDelayStamp(samples[i].time),
                                               m_Previous.data(), m_rcCapture.width,
                                               m_rcCapture.height);
            m_cursorState.clickDown = 0;
            m_cursorState.clickUp = 0;
            m_nLastFrameTime = samples[i].time;
        }
    }
    handled = true;
}

void CScreenGrabber::WriteScreenFrame(bool final, bool moved, bool firstPanGrab) {
    const int32_t w = m_rcCapture.width;
    const int32_t h = m_rcCapture.height;
    const SRect whole{0, 0, w - 1, h - 1};
    CChangeFinder finder(m_Previous.data(), m_Current.data(), w, h);
    std::vector<SRect> rects = finder.FindChanges();
    if (final) {
        rects.assign(1, whole);
    } else if (rects.empty()) {
        if (m_flags.snapshot.load()) {
            rects.push_back({0, 0, std::min(8, w - 1), std::min(8, h - 1)});
        } else if (!moved) {
            return;
        }
    }
    CFrameInfo& frame = m_stream.AppendCapturedFrame(FrameContext());
    frame.m_bKeyDown = m_events.KeyDown().Wait(0) ? 1 : 0;
    frame.m_bKeyUp = m_events.KeyUp().Wait(0) ? 1 : 0;
    int64_t area = 0;
    for (const SRect& r : rects) {
        area += static_cast<int64_t>(r.right - r.left) * (r.bottom - r.top);
    }
    // A pan recording's key frames also store the whole screen, so only its first and last
    // frames are made key frames.
    const bool keyAllowed = !m_bPan || firstPanGrab || final;
    if ((area > static_cast<int64_t>(w) * h / 3 && keyAllowed) || final) {
        frame.m_bKeyFrame = 1;
        rects.assign(1, whole);
        if (m_bPan) {
            StorePanPicture(frame);
        }
    }
    for (const SRect& r : rects) {
        m_stream.WriteRect(r.left, r.top, r.right, r.bottom, m_Previous.data(),
                           static_cast<size_t>(w), kRecordOldPixels);
        m_stream.WriteRect(r.left, r.top, r.right, r.bottom, m_Current.data(),
                           static_cast<size_t>(w), kRecordNewPixels);
    }
    if (m_options.m_bRecordMouse || moved) {
        const uint32_t stamp = Later(m_nTickTime, m_nLastFrameTime);
        SCursorState state = m_cursorState;
        if (!m_options.m_bRecordMouse) {
            state.hidden = 1;
        }
        m_cursorRecorder.WriteCursorRecord(state, TakeDelayStamp(stamp), m_Current.data(), w, h);
        m_cursorState.clickDown = 0;
        m_cursorState.clickUp = 0;
        if (m_bInline) {
            std::lock_guard lock(m_sampler.Lock());
            m_sampler.Batch().Clear();
        }
        m_nLastFrameTime = stamp;
    }
    m_Current.swap(m_Previous);
    m_bLastCopyInPrevious = true;
}

void CScreenGrabber::FinishTick(uint32_t tickTime, bool final) {
    // A snapshot is one frame: the recording pauses again after it.
    if (m_flags.snapshot.load()) {
        m_flags.snapshot = false;
        m_host.PlaySnapshotSound();
        if (!m_flags.paused.load()) {
            m_host.PostPauseCommand();
        }
    }
    if (m_flags.paused.load()) {
        if (!m_bPauseDelayWritten) {
            WriteDelay(Later(tickTime, m_nLastFrameTime));
            m_bPauseDelayWritten = true;
        }
        m_nLastFrameTime = tickTime;
    } else {
        ++m_nTicks;
    }
    if (final) {
        return;
    }
    // The bytes now in the stream must all reach the disk, so they count against the space.
    m_stream.FlushForTick(tickTime);
    m_nFreeSpace = m_nStartFreeSpace - static_cast<int64_t>(m_stream.BytesWritten());
    // A disk that refused a write is full whatever the counter says.
    if (m_stream.WriteFailed()) {
        m_nFreeSpace = std::min<int64_t>(m_nFreeSpace, kDiskReserve - 1);
    }
    // When the first tick was quick and both rates agree, each grab samples the cursor itself.
    if (m_nTicks == 1 && m_nMouseRate == m_nScreenRate && !m_bInline) {
        uint32_t now = 0;
        {
            std::lock_guard lock(m_sampler.Lock());
            now = Now();
        }
        if (static_cast<int32_t>(now - tickTime) <=
            static_cast<int32_t>(m_timing.nDivisor * m_timing.nPeriodMs)) {
            m_bInline = true;
            m_sampler.StopThread();
            std::lock_guard lock(m_sampler.Lock());
            m_sampler.Batch().Clear();
            m_sampler.ForgetLastSample();
        }
    }
    uint32_t now = 0;
    {
        std::lock_guard lock(m_sampler.Lock());
        now = Now();
    }
    const int64_t wait =
        static_cast<int64_t>(m_timing.nPeriodMs) - static_cast<int32_t>(now - tickTime);
    if (!m_host.ArmTimer(static_cast<uint32_t>(std::max<int64_t>(wait, 1)))) {
        m_prompter.Error("Timer Resource Unavailable", "Quillo Resource Failure");
        m_host.CloseMainWindow();
    }
}
