#include "publish/PublishRun.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <utility>

#include "platform/Prompter.h"
#include "project/DemoProject.h"
#include "project/FrameCompositor.h"
#include "project/FrameInfo.h"
#include "publish/MoviePublisher.h"
#include "publish/ScriptBuilder.h"
#include "publish/SeekControl.h"
#include "recording/ChangeFinder.h"
#include "swf/SwfAction.h"
#include "swf/SwfBitmapRect.h"
#include "swf/SwfCompress.h"
#include "swf/SwfEditText.h"
#include "swf/SwfProgress.h"
#include "swf/SwfShapeObject.h"
#include "swf/SwfSpriteObject.h"

namespace {

constexpr uint16_t kLayerPicture = 1;
constexpr uint16_t kLayerTransition = 65501;
constexpr uint16_t kLayerControl = 65502;
constexpr uint16_t kLayerSyncMarker = 65503;
constexpr uint32_t kMaxChapters = 1024;

enum : int { kPropX = 0, kPropY = 1, kPropXScale = 2, kPropYScale = 3, kPropHighQuality = 16 };

// "%f" in the C locale.
std::string FormatFixed(double value) {
    char text[64];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return ec == std::errc() ? std::string(text, end) : std::string("0");
}

CSwfColor ColorOf(uint32_t colorref, uint8_t alpha = 255) {
    return CSwfColor(uint8_t(colorref), uint8_t(colorref >> 8), uint8_t(colorref >> 16), alpha);
}

// The progress of writing the file, shown in the progress window.
class CSaveProgress : public ISwfProgress {
public:
    CSaveProgress(IPrompter& prompter, std::atomic<bool>& cancel)
        : m_prompter(prompter), m_bCancel(cancel) {}
    void Begin(std::string_view) override {}
    void Set(double percent) override { m_prompter.SetProgress(int(percent)); }
    bool IsCancelled() override { return m_bCancel || m_prompter.IsCancelled(); }
    void End() override {}

private:
    IPrompter& m_prompter;
    std::atomic<bool>& m_bCancel;
};

// Bytes the system can still give without swapping, or -1 when it does not say.
int64_t AvailableMemory() {
    std::ifstream info("/proc/meminfo");
    std::string key;
    int64_t value = 0;
    std::string unit;
    while (info >> key >> value) {
        std::getline(info, unit);
        if (key == "MemAvailable:") {
            return value * 1024;
        }
    }
    return -1;
}

}  // namespace

int32_t PublishDuration(const CFrameInfo& frame, float swfDelayScale) {
    int32_t d = frame.m_nDuration;
    if (d == 0) {
        if (frame.m_bSingleFrameSound != 0 && frame.m_nSoundDuration != 0) {
            d = frame.m_nSoundDuration;
        } else if (frame.m_nNaturalDuration != 0) {
            d = frame.m_nNaturalDuration;
        } else {
            d = frame.m_nRecordedDuration;
        }
    }
    if (frame.HasTalkBubble() && frame.m_bBubbleOnHover == 0 && frame.m_bBubbleShowUntil == 0) {
        d = int32_t(double(d) * swfDelayScale);
    }
    if (frame.m_nFrameEffect >= kEffectFadeIn && frame.m_nFrameEffect <= kEffectCrossFade) {
        d += frame.m_nFrameEffectDuration;
    }
    return std::max(0, d);
}

std::vector<uint32_t> PlayOrder(const CDemoProject& project) {
    std::vector<const CFrameInfo*> frames;
    for (const CFrameInfo* f = project.FirstFrame(); f != nullptr; f = f->m_pNext) {
        frames.push_back(f);
    }
    std::vector<uint32_t> order;
    std::set<uint32_t> jumped;
    uint32_t i = 0;
    while (i < frames.size()) {
        const CFrameInfo& f = *frames[i];
        if (f.m_bDeleted != 0) {
            ++i;
            continue;
        }
        order.push_back(i);
        if (f.m_bFrameGoto != 0 && f.m_bLinearPlay != 0 && jumped.insert(i).second) {
            if (f.m_nFrameGotoFrame <= 0) {
                break;
            }
            i = uint32_t(f.m_nFrameGotoFrame - 1);
            continue;
        }
        ++i;
    }
    return order;
}

CPublishRun::CPublishRun(CDemoProject& project, CFrameCompositor& compositor, IPrompter& prompter,
                         const CPublishSettings& settings, std::atomic<bool>& cancel)
    : m_project(project),
      m_compositor(compositor),
      m_prompter(prompter),
      m_settings(settings),
      m_bCancel(cancel) {}

CPublishRun::~CPublishRun() = default;

bool CPublishRun::Cancelled() const {
    return m_bCancel || m_prompter.IsCancelled();
}

template <class T>
T& CPublishRun::Keep(std::unique_ptr<T> object) {
    T& kept = *object;
    m_objects.push_back(std::move(object));
    return kept;
}

CSwfFrame& CPublishRun::Frame(uint32_t absolute) {
    const SSegment& segment = m_segments.back();
    return segment.pTimeline->GetFrame(absolute - segment.nStart);
}

void CPublishRun::Run(const std::string& moviePath, SPublishResults& results) {
    m_prompter.BeginProgress("Creating Adobe Flash movie");
    Prepare();
    Walk();
    Finish();
    Save(moviePath, results);
    m_prompter.EndProgress();
}

void CPublishRun::Prepare() {
    m_random.Seed(1234);
    const bool video = m_settings.m_bVideoExport;
    m_fFrameMs = 1000.0 / std::clamp(m_settings.m_nFrameRate, 1, 120);
    m_g = ComputeGeometry(m_project.m_nWidth, m_project.m_nHeight, m_settings.m_nDisplayWidth,
                          m_settings.m_nDisplayHeight, 0, 0, 0, m_settings.m_bControlsOverDemo,
                          m_settings.m_bKeepAspect);
    m_bTransparency = m_settings.m_bAdvancedCompression && !video &&
                      (!m_settings.m_bCreateWebPage || m_settings.m_nDisplayWidth == 0);

    m_main.SetStageSize(m_g.StageWidth(), m_g.StageHeight());
    m_main.SetFrameRate(uint8_t(std::clamp(m_settings.m_nFrameRate, 1, 120)));
    m_segments.push_back({nullptr, &m_main, 0});

    CSwfFrame& first = m_main.GetFrame(0);
    if (video) {
        auto marker = std::make_unique<CSwfMovie>();
        for (uint32_t i = 0; i < 100; ++i) {
            auto dot = std::make_unique<CSwfRectangle>(m_g.U(m_g.nWidth - 1), 0,
                                                       m_g.U(m_g.nWidth) - 1, m_g.U(1) - 1);
            const uint8_t level = i % 2 == 0 ? 255 : 0;
            dot->SetFillColor(CSwfColor(level, level, level, 255));
            dot->SetLineWidth(0);
            CSwfFrame& frame = marker->GetFrame(i);
            frame.AddObject(*dot);
            if (i > 0) {
                frame.RemoveObject(*m_objects.back());
            }
            Keep(std::move(dot));
        }
        auto sprite = std::make_unique<CSwfSpriteObject>(std::move(marker), CSwfString("avimovie"));
        sprite->SetLayer(kLayerSyncMarker);
        first.AddObject(Keep(std::move(sprite)));
    }
    CScriptBuilder init;
    init.Set("/control:export_completed", "false").Set("/control:add_speech", "0");
    init.Set("/control:down_click", "0").Set("/control:up_click", "0");
    init.Set("/control:keyboard_click", "0");
    // The seek script stops the sprite named here: it must name the main timeline from the start.
    init.Set("/control:playing_movie", "../").Set("/control:start_frame", "0");
    init.AddTo(first);
    first.AddAction(CSwfAction::SetProperty("", kPropHighQuality, "2"));

    m_pControl = std::make_unique<CSwfMovie>();
    m_pControl->SetStageSize(m_g.StageWidth(), m_g.StageHeight());
    m_pControl->SetFrameRate(m_main.FrameRate());

    // A panned recording's pictures are the whole desktop; the movie shows the recorded area.
    int32_t canvasWidth = m_g.nWidth;
    int32_t canvasHeight = m_g.nHeight;
    if (m_project.FrameCount() > 0) {
        m_compositor.GoToFrame(0);
        const CPixelPicture& shown = m_compositor.ShownPicture();
        if (shown.m_nWidth >= canvasWidth && shown.m_nHeight >= canvasHeight &&
            (shown.m_nWidth > canvasWidth || shown.m_nHeight > canvasHeight)) {
            canvasWidth = shown.m_nWidth;
            canvasHeight = shown.m_nHeight;
            m_bPanned = true;
        }
    }
    m_canvas.Allocate(canvasWidth, canvasHeight);
    m_pBitmaps = std::make_unique<CFrameBitmaps>(m_g.nTwips, m_settings.JpegQuality(), m_prompter);
    AddFrameZero(m_main);

    const std::string zoom = FormatFixed(m_g.fZoom);
    first.AddAction(CSwfAction::SetProperty("control", kPropXScale, zoom));
    first.AddAction(CSwfAction::SetProperty("control", kPropYScale, zoom));
    auto credit =
        std::make_unique<CSwfEditText>(m_g.U(-200), m_g.U(-200), m_g.U(-50), m_g.U(-50),
                                       u"This screencast was created with Quillo screen recorder");
    credit->SetEditable(false);
    credit->SetLayer(kLayerPicture);
    first.AddObject(Keep(std::move(credit)));
    if (const int32_t k = m_settings.PaletteSize(); k > 10) {
        m_pColors = std::make_unique<CPublishColorTable>();
        m_pColors->Build(m_project, m_compositor, uint32_t(k));
        m_pBitmaps->SetColorTable(m_pColors.get());
    }
    m_frameStart.assign(m_project.FrameCount() + 8, 1);
}

void CPublishRun::AddFrameZero(CSwfMovie& timeline) {
    timeline.SetStageSize(m_g.StageWidth(), m_g.StageHeight());
    timeline.SetFrameRate(m_main.FrameRate());
    CSwfFrame& frame = timeline.GetFrame(0);
    if (&timeline == &m_main) {
        frame.SetBackgroundColor(0xFFFFFF);
    } else {
        frame.AddAction(CSwfAction::SetProperty("", kPropHighQuality, "2"));
    }
    auto background = std::make_unique<CSwfRectangle>(0, 0, m_g.U(m_canvas.nWidth) - 1,
                                                      m_g.U(m_canvas.nHeight) - 1);
    background->SetFillColor(ColorOf(m_settings.m_crBackground));
    background->SetLineColor(ColorOf(m_settings.m_crBackground));
    background->SetLayer(kLayerPicture);
    frame.AddObject(Keep(std::move(background)));
}

bool CPublishRun::MemoryProbe() {
    const int64_t need = int64_t(m_g.nWidth) * m_g.nHeight * 16;
    const int64_t available = AvailableMemory();
    if (available < 0 || available >= need) {
        return true;
    }
    m_prompter.Message({"You are running low on system memory.  Your movie has been truncated.",
                        "Quillo Memory Usage Warning", EMsgIcon::Warning});
    return false;
}

void CPublishRun::SplitSegment() {
    const bool due = m_nL >= 8000 && (m_nL - 8000) / kSegmentFrames > m_nSplits;
    if (!due && !m_bSplitRequested) {
        return;
    }
    const uint32_t k = uint32_t(m_segments.size());  // the new segment's number
    if (k == 1) {
        CScriptBuilder enter;
        enter.Set("/control:playing_movie", "../" + SegmentName("movie", 1));
        enter.Set("/control:start_frame", FormatSwfInteger(int32_t(m_nL)));
        enter.AddTo(m_main.GetFrame(m_nL - 1));
        m_main.GetFrame(m_nL).AddAction(CSwfAction::Stop());
    } else {
        const uint32_t firstSplit = m_segments[1].nStart;
        CScriptBuilder leave;
        leave.Set("/control:playing_movie", "../" + SegmentName("movie", k));
        leave.Set("/control:start_frame", FormatSwfInteger(int32_t(m_nL)));
        leave.Target("../").Goto(uint16_t(firstSplit + k - 1)).Target("").Stop();
        leave.AddTo(Frame(m_nL - 1));
    }
    auto timeline = std::make_unique<CSwfMovie>();
    CSwfMovie* pTimeline = timeline.get();
    m_segments.push_back({std::move(timeline), pTimeline, m_nL});
    AddFrameZero(*pTimeline);
    const uint32_t credit = m_bSplitRequested ? m_nSplitCredit : 0;
    m_nSplits = m_nL + credit >= 8000 ? (m_nL - 8000 + credit) / kSegmentFrames : 0;
    m_bSplitRequested = false;
    m_nSplitCredit = 0;
    m_placed.clear();
    m_bRedrawWhole = true;
}

void CPublishRun::Walk() {
    const std::vector<uint32_t> order = PlayOrder(m_project);
    std::vector<CFrameInfo*> frames;
    for (CFrameInfo* f = m_project.FirstFrame(); f != nullptr; f = f->m_pNext) {
        frames.push_back(f);
    }
    const float speed = m_settings.m_fPlaybackSpeed > 0 ? m_settings.m_fPlaybackSpeed : 1.0f;
    const float delayScale = m_settings.m_fSwfDelayScale;
    m_view = WholePicture(m_g.nWidth, m_g.nHeight);

    // Start times over the play order (1/100 s), summed as doubles so rounding never adds up.
    std::vector<int32_t> starts(order.size());
    double sum = 0;
    for (size_t j = 0; j < order.size(); ++j) {
        starts[j] = int32_t(sum);
        sum += PublishDuration(*frames[order[j]], delayScale) / double(speed);
    }
    uint32_t nF0 = 0;
    uint32_t nextUnset = 0;  // frames before it have their start recorded
    for (size_t j = 0; j < order.size(); ++j) {
        const uint32_t index = order[j];
        CFrameInfo& frame = *frames[index];
        const bool probeOk = MemoryProbe();
        if (!probeOk) {
            m_bCancel = true;
        }
        const size_t segments = m_segments.size();
        SplitSegment();
        if (m_segments.size() != segments && (Zoomed() || m_nPanX != 0 || m_nPanY != 0)) {
            SetView(m_nL, m_view, m_nPanX, m_nPanY);
        }
        m_nPrevPanX = m_nPanX;
        m_nPrevPanY = m_nPanY;
        if (m_bPanned) {
            m_nPanX = std::clamp<int32_t>(frame.m_nPanX, 0, m_canvas.nWidth - m_g.nWidth);
            m_nPanY = std::clamp<int32_t>(frame.m_nPanY, 0, m_canvas.nHeight - m_g.nHeight);
        }
        m_compositor.GoToFrame(index);
        for (uint32_t d = nextUnset; d < index; ++d) {
            if (frames[d]->m_bDeleted != 0) {
                m_frameStart[d] = std::max<uint32_t>(1, m_nL);
            }
        }
        nextUnset = std::max(nextUnset, index + 1);
        m_frameStart[index] = std::max<uint32_t>(1, m_nL);
        if (frame.HasChapter() && m_chapters.size() < kMaxChapters) {
            m_chapters.emplace_back(index, m_nL);
        }
        const SZoomView target = ZoomTargetOf(frame);
        const SZoomView whole = WholePicture(m_g.nWidth, m_g.nHeight);
        m_bZoomShown = Zoomed() || !(target == whole);
        if (frame.m_bResync != 0) {
            m_bSplitRequested = true;
            m_nSplitCredit = kSegmentFrames;
        }

        const CPixelPicture& shown = m_compositor.ShownPicture();
        if (shown.m_nWidth == m_canvas.nWidth && shown.m_nHeight == m_canvas.nHeight) {
            m_canvas.current = shown.m_Pixels;
        }
        uint32_t first = m_nL;
        m_bDeferPlacement = m_bFirstPicture && m_settings.m_bZoomInStart;
        PlaceChanges(frame, m_bRedrawWhole);
        m_bDeferPlacement = false;
        if (m_bFirstPicture) {
            m_bFirstPicture = false;
            StartEffects();
            nF0 = m_nL;
            first = m_nL;
        }
        AddInputEffects(frame);
        AddTalkBubble(frame);
        AddFrameSounds(frame);
        AddHotspot(frame);

        if (frame.m_nDuration == 0 && !m_settings.m_bVideoExport) {
            ++m_nL;
            CScriptBuilder pause;
            pause.Set("/control:playing", "0").Stop();
            pause.AddTo(Frame(m_nL));
            ++m_nL;
        }
        const double d = PublishDuration(frame, delayScale) / double(speed);
        double end = nF0 + std::floor((d + starts[j]) * 10.0 / m_fFrameMs);
        if (frame.m_nFrameEffect == kEffectCrossFade) {
            end = std::floor(end - frame.m_nFrameEffectDuration * 10.0 / m_fFrameMs);
        }
        const uint32_t endFrame = end > double(m_nL) ? uint32_t(end) : m_nL + 1;
        AddZoomSteps(frame, target, first, endFrame);
        m_nPrevFirst = first;
        AddTransition(frame, first, endFrame);
        m_nL = endFrame;
        // A sound that the next frame starts must fit in one segment.
        if (j + 1 < order.size()) {
            const uint32_t sound = SoundFrames(*frames[order[j + 1]]);
            const SSegment& segment = m_segments.back();
            const uint32_t limit = m_segments.size() == 1 ? kFirstSegmentFrames : kSegmentFrames;
            if (sound > 0 && m_nL > segment.nStart && m_nL - segment.nStart + sound > limit) {
                m_bSplitRequested = true;
                m_nSplitCredit = std::min(sound, kFirstSegmentFrames);
            }
        }
        if (m_settings.m_bVideoExport) {
            for (; m_nFlashFrame < m_nL; ++m_nFlashFrame) {
                Frame(m_nFlashFrame)
                    .AddAction(CSwfAction::SetVariable("/control:flashframe",
                                                       FormatSwfInteger(int32_t(m_nFlashFrame))));
            }
        }
        AddFrameLink(frame);
        AddCursorMotion(frame);
        m_prompter.SetProgress(int(100 * (j + 1) / order.size()));
        if (Cancelled()) {
            m_bTerminated = true;
            break;
        }
    }
    if (!m_bTerminated && (m_settings.m_bFadeOutEnd || m_settings.m_bZoomOutEnd)) {
        m_bRedrawWhole = true;
        m_bDeferPlacement = m_settings.m_bZoomOutEnd;
        PlaceChanges(*m_project.LastFrame(), true);
        m_bDeferPlacement = false;
        EndEffects();
        ++m_nL;
    }
}

uint32_t CPublishRun::SoundFrames(const CFrameInfo& frame) const {
    if (!frame.HasSound() || frame.m_bPlaySound == 0 || frame.m_nSoundDuration <= 0) {
        return 0;
    }
    return uint32_t(std::ceil(frame.m_nSoundDuration * 10.0 / m_fFrameMs));
}

void CPublishRun::AddFrameLink(const CFrameInfo& frame) {
    const bool link =
        frame.m_bFrameUrl != 0 || (frame.m_bFrameGoto != 0 && frame.m_bLinearPlay == 0);
    if (!link || m_settings.m_bVideoExport) {
        return;
    }
    const SSegment& segment = m_segments.back();
    m_pending.push_back(
        {SPendingInteraction::kFrameLink, &frame, segment.pTimeline, m_nL - segment.nStart});
    Frame(m_nL);
    ++m_nL;
}

void CPublishRun::CompleteInteractions() {
    const std::vector<uint32_t> starts(m_frameStart.begin(),
                                       m_frameStart.begin() + m_project.FrameCount());
    for (const SPendingInteraction& entry : m_pending) {
        if (entry.nKind == SPendingInteraction::kFrameLink) {
            CompleteFrameLink(entry, starts);
        }
    }
}

SZoomView CPublishRun::ZoomTargetOf(const CFrameInfo& frame) {
    const SZoomView whole = WholePicture(m_g.nWidth, m_g.nHeight);
    if (frame.m_nFrameEffect == kEffectZoomOut) {
        m_bZoomKept = false;
        return whole;
    }
    SRect region = frame.m_rcZoom;
    if (frame.m_bZoomFollowMouse != 0 && frame.m_nCursorX != kCursorUnknown &&
        frame.m_nCursorY != kCursorUnknown) {
        region = FollowRegion(region, frame.m_nCursorX, frame.m_nCursorY, m_g.nWidth, m_g.nHeight);
    }
    if (frame.m_nFrameEffect == kEffectZoomToRegion) {
        m_kept = ZoomRegionView(region, m_g.nWidth, m_g.nHeight);
        m_bZoomKept = true;
        return m_kept;
    }
    if (frame.m_bZoom != 0) {
        return ZoomRegionView(region, m_g.nWidth, m_g.nHeight);
    }
    return m_bZoomKept ? m_kept : whole;
}

void CPublishRun::AddZoomSteps(const CFrameInfo& frame, const SZoomView& target, uint32_t first,
                               uint32_t end) {
    // One zoom step every 1/10 s.
    const double framesPerStep = 100.0 / m_fFrameMs;
    auto offset = [&](uint32_t k) { return uint32_t(std::floor(k * framesPerStep)); };
    const uint32_t segmentStart = m_segments.back().nStart;
    const bool before =
        m_settings.m_bZoomBeforeFrame && first > std::max(m_nPrevFirst, segmentStart);
    const uint32_t low = before ? std::max(m_nPrevFirst + 1, segmentStart) : first;
    const uint32_t room = before ? first - low : (end > first ? end - first - 1 : 0);
    const uint32_t maxSteps = uint32_t(room * m_fFrameMs / 100.0) + 1;
    const std::vector<SZoomView> steps =
        ZoomSteps(m_view, target, m_settings.m_nZoomPanRate, maxSteps, frame.m_bZoomCut != 0);
    const uint32_t n = uint32_t(steps.size());
    std::map<uint32_t, SZoomView> at;
    for (uint32_t k = 1; k <= n; ++k) {
        const uint32_t movieFrame = before
                                        ? first - std::min(first - low, offset(n) - offset(k))
                                        : std::min(first + offset(k - 1), std::max(first, end - 1));
        at[movieFrame] = steps[k - 1];
    }
    // A seek to the frame's start finds the view it shows; a pan moves at once.
    const bool panned = m_nPanX != m_nPrevPanX || m_nPanY != m_nPrevPanY;
    if (steps.empty() && (panned || !(target == WholePicture(m_g.nWidth, m_g.nHeight)))) {
        at[first] = target;
    }
    for (const auto& [movieFrame, view] : at) {
        // Before the frame starts the previous frame's area is shown.
        const bool earlier = movieFrame < first;
        SetView(movieFrame, view, earlier ? m_nPrevPanX : m_nPanX, earlier ? m_nPrevPanY : m_nPanY);
    }
    m_view = target;
}

std::unique_ptr<CSwfRectangle> CPublishRun::AreaRect() const {
    return std::make_unique<CSwfRectangle>(m_g.U(m_nPanX), m_g.U(m_nPanY),
                                           m_g.U(m_nPanX + m_g.nWidth) - 1,
                                           m_g.U(m_nPanY + m_g.nHeight) - 1);
}

void CPublishRun::SetView(uint32_t absolute, const SZoomView& view, int32_t panX, int32_t panY) {
    const SZoomView shown{view.left + panX, view.top + panY, view.width, view.height};
    const SViewTransform t = TransformFor(shown, m_g.nWidth);
    const double unit = m_g.nTwips / 20.0;
    const double panel = m_g.nPanelWidth * unit;
    CSwfFrame& at = Frame(absolute);
    at.AddAction(CSwfAction::SetProperty("", kPropX, FormatFixed(panel + t.x * unit)));
    at.AddAction(CSwfAction::SetProperty("", kPropY, FormatFixed(t.y * unit)));
    at.AddAction(CSwfAction::SetProperty("", kPropXScale, FormatFixed(100.0 * t.scale)));
    at.AddAction(CSwfAction::SetProperty("", kPropYScale, FormatFixed(100.0 * t.scale)));
    if (m_segments.size() == 1) {
        // The main timeline carries the control sprite, which keeps its place and size.
        at.AddAction(
            CSwfAction::SetProperty("control", kPropX, FormatFixed(-t.x * unit / t.scale)));
        at.AddAction(
            CSwfAction::SetProperty("control", kPropY, FormatFixed(-t.y * unit / t.scale)));
        const std::string zoom = FormatFixed(m_g.fZoom / t.scale);
        at.AddAction(CSwfAction::SetProperty("control", kPropXScale, zoom));
        at.AddAction(CSwfAction::SetProperty("control", kPropYScale, zoom));
    }
}

void CPublishRun::PlaceChanges(const CFrameInfo& frame, bool whole) {
    const int32_t W = m_canvas.nWidth;
    const int32_t H = m_canvas.nHeight;
    std::vector<SRect> rects;
    if (whole) {
        rects.push_back({0, 0, W - 1, H - 1});
    } else {
        CChangeFinder finder(m_canvas.previous.data(), m_canvas.current.data(), W, H);
        rects = finder.FindChanges();
    }
    m_bRedrawWhole = false;
    const bool fades = m_bCrossFades || frame.m_nFrameEffect == kEffectCrossFade;
    const uint32_t fadeFrames =
        fades ? std::max<uint32_t>(1, uint32_t(frame.m_nFrameEffectDuration * 10.0 / m_fFrameMs))
              : 0;
    for (SRect rc : rects) {
        if (m_settings.m_nNoiseFilter != 0 && !whole) {
            uint32_t changed = 0;
            for (int32_t y = rc.top; y <= rc.bottom; ++y) {
                const size_t row = size_t(y) * W;
                for (int32_t x = rc.left; x <= rc.right; ++x) {
                    changed += m_canvas.current[row + x] != m_canvas.previous[row + x] ? 1 : 0;
                }
            }
            if (changed <= m_settings.m_nNoiseFilter) {
                continue;
            }
        }
        const bool transparency = m_bTransparency && !m_bZoomShown;
        if (!transparency && !m_bZoomShown) {
            if (rc.left == 0) {
                rc.right += 4;
            } else if (rc.right == W - 1) {
                rc.left -= 4;
            } else {
                rc.left -= 2;
                rc.right += 2;
            }
            rc.top -= 1;
            rc.bottom += 1;
            rc.left = std::max(0, rc.left);
            rc.top = std::max(0, rc.top);
            rc.right = std::min(W - 1, rc.right);
            rc.bottom = std::min(H - 1, rc.bottom);
        }
        std::unique_ptr<CSwfBitmapRect> made =
            m_pBitmaps->Make(rc, m_canvas, transparency, m_random);
        CSwfBitmapRect& bitmap = Keep(std::move(made));
        bitmap.SetLayer(kLayerPicture);
        CSwfFrame& at = Frame(m_nL);
        CSwfBitmapRect* pShown = &bitmap;
        if (m_bDeferPlacement) {
            m_pDeferred = &bitmap;
        } else if (fadeFrames > 1) {
            // The copies fade in over the fade length, each removed when the next one shows;
            // the first emits the bitmap the others share.
            for (uint32_t k = 1; k <= fadeFrames; ++k) {
                CSwfBitmapRect& copy = k == 1 ? bitmap
                                              : Keep(std::make_unique<CSwfBitmapRect>(
                                                    rc.left * m_g.nTwips, rc.top * m_g.nTwips,
                                                    (rc.right + 1) * m_g.nTwips - 1,
                                                    (rc.bottom + 1) * m_g.nTwips - 1, bitmap));
                copy.SetLayer(kLayerPicture);
                const int32_t alpha = int32_t(std::min<uint32_t>(256, 256 * k / fadeFrames));
                copy.SetColorTransform(false, true, 256, 256, 256, alpha, 0, 0, 0, 0);
                Frame(m_nL + k - 1).AddObject(copy);
                if (k < fadeFrames) {
                    Frame(m_nL + k).RemoveObject(copy);
                }
                pShown = &copy;
            }
            m_nLastEffectFrame = std::max(m_nLastEffectFrame, m_nL + fadeFrames - 1);
        } else {
            at.AddObject(bitmap);
        }
        // Covered bitmaps go once the new one shows fully.
        CSwfFrame& covered =
            Frame(m_nL + (fadeFrames > 1 && !m_bDeferPlacement ? fadeFrames - 1 : 0));
        if (!bitmap.HasAlpha()) {
            std::erase_if(m_placed, [&](const SPlaced& placed) {
                const bool inside = placed.rc.left >= rc.left && placed.rc.top >= rc.top &&
                                    placed.rc.right <= rc.right && placed.rc.bottom <= rc.bottom;
                if (inside) {
                    covered.RemoveObject(*placed.pObject);
                }
                return inside;
            });
        }
        m_placed.push_back({pShown, rc});
    }
}

namespace {

// The scale of a shape's placement works from the origin; the translation keeps the point
// (cx, cy) where it is.
void ScaleAbout(CSwfShapeObject& shape, double scale, double cx, double cy) {
    const int32_t scale16 = int32_t(std::lround(scale * 65536.0));
    shape.SetScale(scale16, scale16);
    shape.SetTranslate(int32_t(std::lround(cx * (1 - scale))),
                       int32_t(std::lround(cy * (1 - scale))));
}

}  // namespace

void CPublishRun::StartEffects() {
    uint32_t length = 0;
    const double cx = m_g.U(m_nPanX) + m_g.U(m_g.nWidth) / 2.0;
    const double cy = m_g.U(m_nPanY) + m_g.U(m_g.nHeight) / 2.0;
    if (CSwfBitmapRect* pFirst = std::exchange(m_pDeferred, nullptr)) {
        // The first picture grows from its centre, 1.2 times larger each movie frame.
        uint32_t k = 0;
        for (double scale = 1; scale <= 100; scale *= 1.2, ++k) {
            ScaleAbout(*pFirst, scale / 100, cx, cy);
            Frame(m_nL + k).AddObject(*pFirst);
            Frame(m_nL + k + 1).RemoveObject(*pFirst);
        }
        ScaleAbout(*pFirst, 1, cx, cy);
        Frame(m_nL + k).AddObject(*pFirst);
        length = std::max(length, k);
    }
    if (m_settings.m_bFadeInStart) {
        double step = 3;
        double value = 255;
        uint32_t k = 0;
        while (value >= 0) {
            auto cover = AreaRect();
            cover->SetFillColor(ColorOf(m_settings.m_crBackground, uint8_t(value)));
            cover->SetLineWidth(0);
            cover->SetLayer(kLayerTransition);
            CSwfRectangle& kept = Keep(std::move(cover));
            Frame(m_nL + k).AddObject(kept);
            Frame(m_nL + k + 1).RemoveObject(kept);
            step = std::min(15.0, step + 0.5);
            value -= step;
            ++k;
        }
        length = std::max(length, k);
    }
    if (length > 0) {
        m_nLastEffectFrame = std::max(m_nLastEffectFrame, m_nL + length);
        m_nL += length + 5;
    }
}

void CPublishRun::EndEffects() {
    const double cx = m_g.U(m_nPanX) + m_g.U(m_g.nWidth) / 2.0;
    const double cy = m_g.U(m_nPanY) + m_g.U(m_g.nHeight) / 2.0;
    const uint32_t start = m_nL;
    uint32_t last = start;
    if (CSwfBitmapRect* pFinal = std::exchange(m_pDeferred, nullptr)) {
        // The final picture shrinks about its centre over the background, 0.8 times smaller
        // each movie frame, until it is gone.
        auto background = AreaRect();
        background->SetFillColor(ColorOf(m_settings.m_crBackground));
        background->SetLineColor(ColorOf(m_settings.m_crBackground));
        background->SetLayer(kLayerPicture);
        Frame(start).AddObject(Keep(std::move(background)));
        uint32_t k = 0;
        for (double scale = 1; scale >= 0.01; scale *= 0.8, ++k) {
            ScaleAbout(*pFinal, scale, cx, cy);
            Frame(start + k).AddObject(*pFinal);
            Frame(start + k + 1).RemoveObject(*pFinal);
        }
        last = std::max(last, start + k);
    }
    if (m_settings.m_bFadeOutEnd) {
        double alpha = 12;
        double step = 15;
        CSwfRectangle* pLast = nullptr;
        for (uint32_t k = 0;; ++k) {
            const bool final = alpha + step >= 256 && k > 0;
            auto cover = AreaRect();
            cover->SetFillColor(ColorOf(m_settings.m_crBackground, uint8_t(final ? 255 : alpha)));
            cover->SetLineWidth(0);
            cover->SetLayer(kLayerTransition);
            CSwfRectangle& kept = Keep(std::move(cover));
            CSwfFrame& at = Frame(start + k);
            if (pLast != nullptr) {
                at.RemoveObject(*pLast);
            }
            at.AddObject(kept);
            pLast = &kept;
            if (final) {
                last = std::max(last, start + k);
                break;
            }
            alpha += step;
            if (k >= 2) {
                step = std::max(3.0, step - 0.5);
            }
        }
    }
    m_nL = last;
    m_nLastEffectFrame = std::max(m_nLastEffectFrame, m_nL);
}

void CPublishRun::AddTransition(const CFrameInfo& frame, uint32_t first, uint32_t end) {
    const uint32_t n = uint32_t(frame.m_nFrameEffectDuration * 10.0 / m_fFrameMs);
    auto cover = [&](uint32_t at, int32_t alpha, CSwfRectangle* pBefore) -> CSwfRectangle& {
        auto shape = AreaRect();
        shape->SetFillColor(ColorOf(uint32_t(frame.m_crFrameEffect), uint8_t(alpha)));
        shape->SetLineWidth(0);
        shape->SetLayer(kLayerTransition);
        CSwfRectangle& kept = Keep(std::move(shape));
        if (pBefore != nullptr) {
            Frame(at).RemoveObject(*pBefore);
        }
        Frame(at).AddObject(kept);
        return kept;
    };
    switch (frame.m_nFrameEffect) {
        case kEffectFadeIn: {
            CSwfRectangle* pLast = nullptr;
            for (uint32_t k = 0; k < n && first + k < end; ++k) {
                pLast = &cover(first + k, 255 - int32_t(255 * k / n), pLast);
            }
            if (pLast != nullptr) {
                Frame(std::min(end, first + n)).RemoveObject(*pLast);
            }
            break;
        }
        case kEffectFadeOut: {
            const uint32_t m = std::max<uint32_t>(2, n);
            const uint32_t start = end > m ? std::max(first, end - m) : first;
            CSwfRectangle* pLast = nullptr;
            for (uint32_t k = 0; start + k < end; ++k) {
                pLast =
                    &cover(start + k, int32_t(std::min<uint32_t>(255, 255 * k / (m - 1))), pLast);
            }
            if (pLast != nullptr) {
                Frame(end).RemoveObject(*pLast);
            }
            break;
        }
        case kEffectSweepingHighlight:
            AddSweep(frame, first, std::min(end, first + n));
            break;
        case kEffectTransitionalFadesStart:
            m_bCrossFades = true;
            break;
        case kEffectTransitionalFadesStop:
            m_bCrossFades = false;
            break;
        default:
            break;
    }
}

void CPublishRun::AddSweep(const CFrameInfo& frame, uint32_t first, uint32_t end) {
    if (end <= first) {
        return;
    }
    // A band of two strips, fading in and out towards its middle, turned by 45 degrees and moved
    // from before the top-left corner to past the bottom-right one.
    const double W = m_g.nWidth;
    const double H = m_g.nHeight;
    // Strips of a whole even number of pixels meet without a seam.
    const int32_t halfWidth = std::max(4, int32_t(std::max(W, H) / 12));
    const double strip = 2.0 * halfWidth;
    const double length = 2 * std::max(W, H) + 2 * strip;
    const int32_t halfStrip = m_g.U(halfWidth);
    const int32_t halfLength = m_g.U(int32_t(length / 2));
    const CSwfColor clear = ColorOf(uint32_t(frame.m_crFrameEffect), 0);
    const CSwfColor strong = ColorOf(uint32_t(frame.m_crFrameEffect), 150);
    CSwfRectangle* strips[2];
    for (int i = 0; i < 2; ++i) {
        auto shape =
            std::make_unique<CSwfRectangle>(-halfStrip, -halfLength, halfStrip - 1, halfLength - 1);
        shape->SetLinearGradient(i == 0 ? clear : strong, i == 0 ? strong : clear);
        shape->SetLineWidth(0);
        shape->SetRotation(45 << 16);
        shape->SetLayer(kLayerTransition);
        strips[i] = &Keep(std::move(shape));
    }
    const uint32_t n = end - first;
    const double diagonal = (W + H) / std::sqrt(2.0);
    const double from = -strip;
    const double to = diagonal + strip;
    for (uint32_t k = 0; k < n; ++k) {
        const double along = n > 1 ? from + (to - from) * k / (n - 1) : (from + to) / 2;
        for (int i = 0; i < 2; ++i) {
            const double centre = (along + (i == 0 ? -strip / 2 : strip / 2)) / std::sqrt(2.0);
            strips[i]->SetTranslate(int32_t(std::lround((m_nPanX + centre) * m_g.nTwips)),
                                    int32_t(std::lround((m_nPanY + centre) * m_g.nTwips)));
            CSwfFrame& at = Frame(first + k);
            if (k > 0) {
                at.RemoveObject(*strips[i]);
            }
            at.AddObject(*strips[i]);
        }
    }
    for (CSwfRectangle* pStrip : strips) {
        Frame(end).RemoveObject(*pStrip);
    }
    m_nLastEffectFrame = std::max(m_nLastEffectFrame, end);
}

void CPublishRun::Finish() {
    m_prompter.BeginProgress("Creating Adobe Flash movie");
    CompleteInteractions();
    const uint32_t M = std::max({m_nL, m_nLastEffectFrame + 1, kMinFrames});
    if (m_settings.m_bVideoExport) {
        for (; m_nFlashFrame < M; ++m_nFlashFrame) {
            Frame(m_nFlashFrame)
                .AddAction(CSwfAction::SetVariable("/control:flashframe",
                                                   FormatSwfInteger(int32_t(m_nFlashFrame))));
        }
    }
    m_nL = M;
    m_prompter.BeginProgress("Inserting main soundtrack");
    InsertSoundtrack();
    Frame(M - 1);
    EndOfMovie();
    AddControl();
    AddChapterIndex();
    AddSegmentSprites();
    AddInfoBox();
    m_canvas = SPublishCanvas();
    m_pBitmaps->ClearCaches();
}

void CPublishRun::EndOfMovie() {
    const uint32_t last = m_nL - 1;
    const bool segments = m_segments.size() > 1;
    CScriptBuilder rewind;
    rewind.Set("/control:position", "1").Set("/control:seek_flag", "1");
    rewind.Set("/control:keep_playing", "1").Stop();
    if (!m_settings.m_bLoopMovie || m_settings.m_bVideoExport) {
        CScriptBuilder end;
        end.Set("/control:playing", "0").Stop();
        if (m_settings.m_bVideoExport) {
            end.Set("/control:export_completed", "true");
        }
        end.AddTo(Frame(last));
        if (segments) {
            rewind.AddTo(Frame(last + 1));
        }
    } else if (segments) {
        rewind.AddTo(Frame(last));
    }
}

void CPublishRun::AddControl() {
    // Without a visible bar the control sprite only carries out seeks.
    std::vector<uint32_t> starts;
    for (size_t k = 1; k < m_segments.size(); ++k) {
        starts.push_back(m_segments[k].nStart);
    }
    const uint32_t firstSplit = starts.empty() ? 0 : starts.front();
    m_pControl->GetFrame(0);
    AddSeekScript(*m_pControl, 1, starts, firstSplit);
    auto control = std::make_unique<CSwfSpriteObject>(std::move(m_pControl), CSwfString("control"));
    control->SetLayer(kLayerControl);
    m_main.GetFrame(0).AddObject(Keep(std::move(control)));
}

void CPublishRun::AddSegmentSprites() {
    if (m_segments.size() < 2) {
        return;
    }
    const uint32_t firstSplit = m_segments[1].nStart;
    const std::string zoom = FormatFixed(m_g.fZoom);
    CSwfSpriteObject* pPrevious = nullptr;
    for (uint32_t k = 1; k < m_segments.size(); ++k) {
        auto sprite = std::make_unique<CSwfSpriteObject>(std::move(m_segments[k].pOwned),
                                                         CSwfString(SegmentName("movie", k)));
        sprite->SetLayer(kLayerPicture);
        CSwfSpriteObject& kept = Keep(std::move(sprite));
        CSwfFrame& at = m_main.GetFrame(firstSplit + k - 1);
        if (pPrevious != nullptr) {
            at.RemoveObject(*pPrevious);
        }
        at.AddObject(kept);
        at.AddAction(CSwfAction::SetProperty("", kPropX,
                                             FormatSwfInteger(m_g.nPanelWidth * m_g.nTwips / 20)));
        at.AddAction(CSwfAction::SetProperty("", kPropY, "0"));
        at.AddAction(CSwfAction::SetProperty("", kPropXScale, "100"));
        at.AddAction(CSwfAction::SetProperty("", kPropYScale, "100"));
        at.AddAction(CSwfAction::SetProperty("control", kPropXScale, zoom));
        at.AddAction(CSwfAction::SetProperty("control", kPropYScale, zoom));
        pPrevious = &kept;

        auto gotoTimeline = std::make_unique<CSwfMovie>();
        BuildSegmentGoto(*gotoTimeline, k);
        auto jumper = std::make_unique<CSwfSpriteObject>(std::move(gotoTimeline),
                                                         CSwfString(SegmentName("controlgoto", k)));
        jumper->SetLayer(kLayerControl);
        m_main.GetFrame(0).AddObject(Keep(std::move(jumper)));
    }
}

bool CPublishRun::Save(const std::string& moviePath, SPublishResults& results) {
    namespace fs = std::filesystem;
    m_prompter.BeginProgress("Finishing flash movie");
    const fs::path target(moviePath);
    fs::path temp = target;
    temp += ".part";
    CSaveProgress progress(m_prompter, m_bCancel);
    std::error_code ec;
    bool ok = m_main.Save(temp.string(), &progress);
    if (!ok) {
        m_strError = "Unable to write the movie " + moviePath + ": " + m_main.Error();
    } else if (m_main.WasCancelled()) {
        m_bTerminated = true;
    }
    std::string why;
    if (ok && !m_bTerminated && !m_settings.m_bVideoExport &&
        !CompressSwfFile(temp.string(), &why)) {
        ok = false;
        m_strError = "Unable to compress the movie " + moviePath + ": " + why;
    }
    const uint32_t frames = m_nL;
    results.nFrameCount = frames;
    results.nPlayingSeconds = int32_t(frames / std::max(1, m_settings.m_nFrameRate));
    results.bCancelled = m_bTerminated;
    results.strMoviePath = moviePath;
    results.geometry = m_g;
    if (ok && !m_bTerminated) {
        fs::rename(temp, target, ec);
        if (ec) {
            ok = false;
            m_strError = "Unable to write the movie " + moviePath + ": " + ec.message();
        }
    }
    if (!ok || m_bTerminated) {
        fs::remove(temp, ec);
        results.nSizeKB = -1;
    } else {
        const auto size = fs::file_size(target, ec);
        results.nSizeKB = ec ? -1 : int64_t((size + 512) / 1024);
    }
    results.strError = m_strError;
    return ok;
}
