#include "publish/PublishRun.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/Prompter.h"
#include "platform/ReplacingFile.h"
#include "project/model/DemoProject.h"
#include "project/model/FrameInfo.h"
#include "project/stream/FrameCompositor.h"
#include "publish/PublishResults.h"
#include "publish/PublishSettings.h"
#include "swf/SwfCompress.h"
#include "swf/SwfProgress.h"

namespace {

// The progress of writing the file, shown in the progress window. A build whose walk was
// already cut short is written whole, so its cancel no longer stops the writing.
class CSaveProgress : public ISwfProgress {
public:
    CSaveProgress(IPrompter& prompter, std::atomic<bool>& cancel, bool cancellable)
        : m_prompter(prompter), m_bCancel(cancel), m_bCancellable(cancellable) {}
    void Begin(std::string_view) override {}
    void Set(double percent) override { m_prompter.SetProgress(int(percent)); }
    bool IsCancelled() override {
        return m_bCancellable && (m_bCancel || m_prompter.IsCancelled());
    }
    void End() override {}

private:
    IPrompter& m_prompter;
    std::atomic<bool>& m_bCancel;
    bool m_bCancellable;
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

CPublishRun::CPublishRun(CDemoProject& project, CFrameCompositor& compositor, IPrompter& prompter,
                         const CPublishSettings& settings, std::atomic<bool>& cancel)
    : m_context(project, compositor, prompter, settings, cancel),
      m_timeline(m_context),
      m_picture(m_context),
      m_zoom(m_context),
      m_effects(m_context),
      m_overlays(m_context),
      m_cursor(m_context),
      m_soundtrack(m_context),
      m_controlBar(m_context) {}

CPublishRun::~CPublishRun() = default;

void CPublishRun::Run(const std::string& moviePath, SPublishResults& results) {
    m_context.prompter.BeginProgress("Creating Adobe Flash movie");
    Prepare();
    Walk();
    Finish();
    Save(moviePath, results);
    m_context.prompter.EndProgress();
}

void CPublishRun::Prepare() {
    const CPublishSettings& settings = m_context.settings;
    m_context.fMovieFrameMs = 1000.0 / std::clamp(settings.m_nFrameRate, 1, 120);
    const SBarSize bar = CControlBarStep::SizeFor(settings, m_context.project.m_nWidth);
    m_context.geometry =
        ComputeGeometry(m_context.project.m_nWidth, m_context.project.m_nHeight,
                        settings.m_nDisplayWidth, settings.m_nDisplayHeight, 0, bar.nHeight,
                        bar.nExtraRow, settings.m_bControlsOverDemo, settings.m_bKeepAspect);
    MeasurePicture();
    m_timeline.StartMainTimeline();
    m_controlBar.Prepare();
    m_picture.Prepare();
}

void CPublishRun::MeasurePicture() {
    const SMovieGeometry& g = m_context.geometry;
    m_context.nPictureWidth = g.nWidth;
    m_context.nPictureHeight = g.nHeight;
    if (m_context.project.FrameCount() == 0) {
        return;
    }
    m_context.compositor.GoToFrame(0);
    const CPixelPicture& shown = m_context.compositor.ShownPicture();
    if (shown.m_nWidth >= g.nWidth && shown.m_nHeight >= g.nHeight &&
        (shown.m_nWidth > g.nWidth || shown.m_nHeight > g.nHeight)) {
        m_context.nPictureWidth = shown.m_nWidth;
        m_context.nPictureHeight = shown.m_nHeight;
        m_context.bPanned = true;
    }
}

bool CPublishRun::MemoryProbe() {
    const SMovieGeometry& g = m_context.geometry;
    const int64_t need = int64_t(g.nWidth) * g.nHeight * 16;
    const int64_t available = AvailableMemory();
    if (available < 0 || available >= need) {
        return true;
    }
    m_context.prompter.Message(
        {"You are running low on system memory.  Your movie has been truncated.",
         "Quillo Memory Usage Warning", EMsgIcon::Warning});
    return false;
}

void CPublishRun::Walk() {
    SPublishContext& c = m_context;
    const CPublishSettings& settings = c.settings;
    m_timeline.Plan();
    m_zoom.Start();
    const std::vector<uint32_t>& order = m_timeline.Order();
    bool firstPicture = true;
    bool zoomed = false;
    for (size_t j = 0; j < order.size(); ++j) {
        const uint32_t index = order[j];
        CFrameInfo& frame = m_timeline.ProjectFrame(index);
        if (!MemoryProbe()) {
            c.cancel = true;
        }
        if (m_timeline.SplitIfDue()) {
            m_picture.StartSegment();
            m_zoom.StartSegment();
        }
        m_zoom.FollowPan(frame);
        c.compositor.GoToFrame(index);
        m_timeline.NoteStart(index);
        m_overlays.NoteChapter(frame, index);
        const SZoomView target = m_zoom.TargetOf(frame);
        zoomed = m_zoom.ShowsZoomed(target);
        if (frame.m_bResync != 0) {
            m_timeline.RequestSplit(CTimelineStep::kSegmentFrames);
        }

        m_picture.TakeShownPicture();
        uint32_t first = c.nNextFrame;
        const bool defer = firstPicture && settings.m_bZoomInStart;
        CSwfBitmapRect* pFirst = m_picture.Place(
            {.nFadeFrames = m_effects.FadeFrames(frame), .bZoomed = zoomed, .bDefer = defer});
        if (firstPicture) {
            firstPicture = false;
            m_effects.AddStartEffects(pFirst);
            m_timeline.SetTimingOrigin(c.nNextFrame);
            first = c.nNextFrame;
        }
        m_cursor.AddInputEffects(frame);
        m_overlays.AddTalkBubble(frame, index);
        m_soundtrack.AddFrameSounds(frame);
        m_overlays.AddHotspot(frame, index);

        m_timeline.AddPause(frame);
        const uint32_t end = m_timeline.EndFrame(j);
        m_zoom.AddSteps(frame, target, first, end);
        m_effects.AddTransition(frame, first, end);
        c.nNextFrame = end;
        // A sound that the next frame starts must fit in one segment.
        if (j + 1 < order.size()) {
            m_timeline.FitSound(m_soundtrack.SoundFrames(m_timeline.ProjectFrame(order[j + 1])));
        }
        m_timeline.NumberVideoFrames(c.nNextFrame);
        m_overlays.AddFrameLink(frame);
        m_cursor.AddCursorMotion(frame);
        c.prompter.SetProgress(int(100 * (j + 1) / order.size()));
        if (c.Cancelled()) {
            m_bTerminated = true;
            break;
        }
    }
    if (!m_bTerminated && (settings.m_bFadeOutEnd || settings.m_bZoomOutEnd)) {
        CSwfBitmapRect* pFinal =
            m_picture.Place({.bWhole = true,
                             .nFadeFrames = m_effects.FadeFrames(*c.project.LastFrame()),
                             .bZoomed = zoomed,
                             .bDefer = settings.m_bZoomOutEnd});
        m_effects.AddEndEffects(pFinal);
        ++c.nNextFrame;
    }
}

void CPublishRun::Finish() {
    SPublishContext& c = m_context;
    c.prompter.BeginProgress("Creating Adobe Flash movie");
    m_overlays.CompleteInteractions(m_timeline.FrameStarts());
    const uint32_t length =
        std::max({c.nNextFrame, c.nLastEffectFrame + 1, CTimelineStep::kMinFrames});
    m_timeline.NumberVideoFrames(length);
    c.nNextFrame = length;
    c.prompter.BeginProgress("Inserting main soundtrack");
    m_soundtrack.InsertSoundtrack();
    c.Frame(length - 1);
    m_timeline.EndOfMovie();
    m_overlays.AddChapterIndex(m_controlBar.ControlTimeline());
    m_controlBar.AddControl();
    m_timeline.AddSegmentSprites();
    m_controlBar.AddInfoBox();
    m_picture.Release();
}

bool CPublishRun::Save(const std::string& moviePath, SPublishResults& results) {
    CSwfMovie& main = m_context.segments.Main();
    m_context.prompter.BeginProgress("Finishing flash movie");
    // The movie is written and compressed under a temporary name beside it, which becomes the
    // movie only once both have succeeded.
    CReplacingFile staged;
    bool ok = staged.Open(moviePath) && staged.Close();
    if (!ok) {
        m_strError = "Unable to write the movie " + moviePath + ": " + staged.Error();
    }
    CSaveProgress progress(m_context.prompter, m_context.cancel, !m_bTerminated);
    if (ok && !main.Save(staged.TempPath(), &progress)) {
        ok = false;
        m_strError = "Unable to write the movie " + moviePath + ": " + main.Error();
    } else if (ok && main.WasCancelled()) {
        m_bTerminated = true;
    }
    std::string why;
    // A cancelled build still gives a playable movie of the frames placed so far.
    if (ok && !m_context.settings.m_bVideoExport && !CompressSwfFile(staged.TempPath(), &why)) {
        ok = false;
        m_strError = "Unable to compress the movie " + moviePath + ": " + why;
    }
    const uint32_t frames = m_context.nNextFrame;
    results.nFrameCount = frames;
    results.nPlayingSeconds = int32_t(frames / std::max(1, m_context.settings.m_nFrameRate));
    results.bCancelled = m_bTerminated;
    results.strMoviePath = moviePath;
    results.geometry = m_context.geometry;
    if (ok && !staged.Commit()) {
        ok = false;
        m_strError = "Unable to write the movie " + moviePath + ": " + staged.Error();
    }
    if (!ok) {
        staged.Discard();
        results.nSizeKB = -1;
    } else if (m_bTerminated) {
        results.nSizeKB = -1;
    } else {
        std::error_code ec;
        const auto size = std::filesystem::file_size(moviePath, ec);
        results.nSizeKB = ec ? -1 : int64_t((size + 512) / 1024);
    }
    results.strError =
        m_strError.empty() ? m_context.strErrors : m_strError + "\n" + m_context.strErrors;
    while (!results.strError.empty() && results.strError.back() == '\n') {
        results.strError.pop_back();
    }
    return ok;
}
