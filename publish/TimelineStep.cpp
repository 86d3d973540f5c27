#include "publish/TimelineStep.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

#include "project/model/DemoProject.h"
#include "project/model/FrameInfo.h"
#include "publish/MovieLayers.h"
#include "publish/PublishContext.h"
#include "publish/PublishSettings.h"
#include "publish/ScriptBuilder.h"
#include "publish/SeekControl.h"
#include "swf/SwfAction.h"
#include "swf/SwfEditText.h"
#include "swf/SwfShapeObject.h"
#include "swf/SwfSpriteObject.h"

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

CTimelineStep::CTimelineStep(SPublishContext& context) : m_context(context) {}

void CTimelineStep::StartMainTimeline() {
    const SMovieGeometry& g = m_context.geometry;
    const int32_t rate = std::clamp(m_context.settings.m_nFrameRate, 1, 120);
    CSwfMovie& main = m_context.segments.Main();
    main.SetStageSize(g.StageWidth(), g.StageHeight());
    main.SetFrameRate(uint8_t(rate));

    CSwfFrame& first = main.GetFrame(0);
    if (m_context.settings.m_bVideoExport) {
        // A dot at the top-right pixel, white and black in turn, by which the recorder tells
        // the movie's frames apart.
        auto marker = main.NewTimeline();
        CSwfRectangle* pPrevious = nullptr;
        for (uint32_t i = 0; i < 100; ++i) {
            auto dot = std::make_unique<CSwfRectangle>(g.U(g.nWidth - 1), 0, g.U(g.nWidth) - 1,
                                                       g.U(1) - 1);
            const uint8_t level = i % 2 == 0 ? 255 : 0;
            dot->SetFillColor(CSwfColor(level, level, level, 255));
            dot->SetLineWidth(0);
            CSwfFrame& frame = marker->GetFrame(i);
            frame.AddObject(*dot);
            if (pPrevious != nullptr) {
                frame.RemoveObject(*pPrevious);
            }
            pPrevious = &m_context.Keep(std::move(dot));
        }
        auto sprite = std::make_unique<CSwfSpriteObject>(std::move(marker), CSwfString("avimovie"));
        sprite->SetLayer(kLayerSyncMarker);
        first.AddObject(m_context.Keep(std::move(sprite)));
    }
    CScriptBuilder init;
    init.Set("/control:export_completed", "false").Set("/control:add_speech", "0");
    init.Set("/control:down_click", "0").Set("/control:up_click", "0");
    init.Set("/control:keyboard_click", "0");
    // The seek script stops the sprite named here: it must name the main timeline from the start.
    init.Set("/control:playing_movie", "../").Set("/control:start_frame", "0");
    init.AddTo(first);
    first.AddAction(CSwfAction::SetProperty("", kPropHighQuality, "2"));
    AddFrameZero(main);
    auto credit =
        std::make_unique<CSwfEditText>(g.U(-200), g.U(-200), g.U(-50), g.U(-50),
                                       u"This screencast was created with Quillo screen recorder");
    credit->SetEditable(false);
    credit->SetLayer(kLayerPicture);
    first.AddObject(m_context.Keep(std::move(credit)));
}

void CTimelineStep::AddFrameZero(CSwfMovie& timeline) {
    const SMovieGeometry& g = m_context.geometry;
    CSwfMovie& main = m_context.segments.Main();
    timeline.SetStageSize(g.StageWidth(), g.StageHeight());
    timeline.SetFrameRate(main.FrameRate());
    CSwfFrame& frame = timeline.GetFrame(0);
    if (&timeline == &main) {
        frame.SetBackgroundColor(0xFFFFFF);
    } else {
        frame.AddAction(CSwfAction::SetProperty("", kPropHighQuality, "2"));
    }
    const uint32_t colour = m_context.settings.m_crBackground;
    auto background = std::make_unique<CSwfRectangle>(0, 0, g.U(m_context.nPictureWidth) - 1,
                                                      g.U(m_context.nPictureHeight) - 1);
    background->SetFillColor(SwfColorFromRef(colour));
    background->SetLineColor(SwfColorFromRef(colour));
    background->SetLayer(kLayerPicture);
    frame.AddObject(m_context.Keep(std::move(background)));
}

void CTimelineStep::Plan() {
    CDemoProject& project = m_context.project;
    const CPublishSettings& settings = m_context.settings;
    m_order = PlayOrder(project);
    for (CFrameInfo* f = project.FirstFrame(); f != nullptr; f = f->m_pNext) {
        m_frames.push_back(f);
    }
    m_fSpeed = settings.m_fPlaybackSpeed > 0 ? settings.m_fPlaybackSpeed : 1.0f;
    m_startTimes.assign(m_order.size(), 0);
    double sum = 0;
    for (size_t j = 0; j < m_order.size(); ++j) {
        m_startTimes[j] = int32_t(sum);
        sum += PublishDuration(*m_frames[m_order[j]], settings.m_fSwfDelayScale) / double(m_fSpeed);
    }
    m_frameStarts.assign(project.FrameCount() + 8, 1);
}

bool CTimelineStep::SplitIfDue() {
    const uint32_t at = m_context.nNextFrame;
    const bool due = at >= 8000 && (at - 8000) / kSegmentFrames > m_nSplits;
    if (!due && !m_bSplitRequested) {
        return false;
    }
    CMovieSegments& segments = m_context.segments;
    const uint32_t k = segments.Count();  // the new segment's number
    if (k == 1) {
        CScriptBuilder enter;
        enter.Set("/control:playing_movie", "../" + SegmentName("movie", 1));
        enter.Set("/control:start_frame", FormatSwfInteger(int32_t(at)));
        enter.AddTo(segments.Main().GetFrame(at - 1));
        segments.Main().GetFrame(at).AddAction(CSwfAction::Stop());
    } else {
        const uint32_t firstSplit = segments.StartOf(1);
        CScriptBuilder leave;
        leave.Set("/control:playing_movie", "../" + SegmentName("movie", k));
        leave.Set("/control:start_frame", FormatSwfInteger(int32_t(at)));
        leave.Target("../").Goto(uint16_t(firstSplit + k - 1)).Target("").Stop();
        leave.AddTo(segments.Frame(at - 1));
    }
    AddFrameZero(segments.Open(at));
    const uint32_t credit = m_bSplitRequested ? m_nSplitCredit : 0;
    m_nSplits = at + credit >= 8000 ? (at - 8000 + credit) / kSegmentFrames : 0;
    m_bSplitRequested = false;
    m_nSplitCredit = 0;
    return true;
}

void CTimelineStep::RequestSplit(uint32_t credit) {
    m_bSplitRequested = true;
    m_nSplitCredit = credit;
}

void CTimelineStep::FitSound(uint32_t soundFrames) {
    const CMovieSegments& segments = m_context.segments;
    const uint32_t at = m_context.nNextFrame;
    const uint32_t start = segments.CurrentStart();
    const uint32_t limit = segments.Count() == 1 ? kFirstSegmentFrames : kSegmentFrames;
    if (soundFrames > 0 && at > start && at - start + soundFrames > limit) {
        RequestSplit(std::min(soundFrames, kFirstSegmentFrames));
    }
}

void CTimelineStep::NoteStart(uint32_t index) {
    const uint32_t at = std::max<uint32_t>(1, m_context.nNextFrame);
    for (uint32_t d = m_nFirstUnstarted; d < index; ++d) {
        if (m_frames[d]->m_bDeleted != 0) {
            m_frameStarts[d] = at;
        }
    }
    m_nFirstUnstarted = std::max(m_nFirstUnstarted, index + 1);
    m_frameStarts[index] = at;
}

std::vector<uint32_t> CTimelineStep::FrameStarts() const {
    return std::vector<uint32_t>(m_frameStarts.begin(),
                                 m_frameStarts.begin() + m_context.project.FrameCount());
}

uint32_t CTimelineStep::EndFrame(size_t j) const {
    const CFrameInfo& frame = *m_frames[m_order[j]];
    const double frameMs = m_context.fMovieFrameMs;
    const double d = PublishDuration(frame, m_context.settings.m_fSwfDelayScale) / double(m_fSpeed);
    double end = m_nTimingOrigin + std::floor((d + m_startTimes[j]) * 10.0 / frameMs);
    if (frame.m_nFrameEffect == kEffectCrossFade) {
        end = std::floor(end - frame.m_nFrameEffectDuration * 10.0 / frameMs);
    }
    const uint32_t at = m_context.nNextFrame;
    return end > double(at) ? uint32_t(end) : at + 1;
}

void CTimelineStep::AddPause(const CFrameInfo& frame) {
    if (frame.m_nDuration != 0 || m_context.settings.m_bVideoExport) {
        return;
    }
    ++m_context.nNextFrame;
    CScriptBuilder pause;
    pause.Set("/control:playing", "0").Stop();
    pause.AddTo(m_context.Frame(m_context.nNextFrame));
    ++m_context.nNextFrame;
}

void CTimelineStep::NumberVideoFrames(uint32_t end) {
    if (!m_context.settings.m_bVideoExport) {
        return;
    }
    for (; m_nNextVideoFrame < end; ++m_nNextVideoFrame) {
        m_context.Frame(m_nNextVideoFrame)
            .AddAction(CSwfAction::SetVariable("/control:flashframe",
                                               FormatSwfInteger(int32_t(m_nNextVideoFrame))));
    }
}

void CTimelineStep::EndOfMovie() {
    const CPublishSettings& settings = m_context.settings;
    const uint32_t last = m_context.nNextFrame - 1;
    const bool segmented = m_context.segments.Count() > 1;
    CScriptBuilder rewind;
    rewind.Set("/control:position", "1").Set("/control:seek_flag", "1");
    rewind.Set("/control:keep_playing", "1").Stop();
    if (!settings.m_bLoopMovie || settings.m_bVideoExport) {
        CScriptBuilder end;
        end.Set("/control:playing", "0").Stop();
        if (settings.m_bVideoExport) {
            end.Set("/control:export_completed", "true");
        }
        end.AddTo(m_context.Frame(last));
        if (segmented) {
            rewind.AddTo(m_context.Frame(last + 1));
        }
    } else if (segmented) {
        rewind.AddTo(m_context.Frame(last));
    }
}

void CTimelineStep::AddSegmentSprites() {
    CMovieSegments& segments = m_context.segments;
    if (segments.Count() < 2) {
        return;
    }
    const SMovieGeometry& g = m_context.geometry;
    CSwfMovie& main = segments.Main();
    const uint32_t firstSplit = segments.StartOf(1);
    const std::string zoom = FormatSwfFixed(g.fZoom);
    CSwfSpriteObject* pPrevious = nullptr;
    for (uint32_t k = 1; k < segments.Count(); ++k) {
        auto sprite = std::make_unique<CSwfSpriteObject>(segments.Take(k),
                                                         CSwfString(SegmentName("movie", k)));
        sprite->SetLayer(kLayerPicture);
        CSwfSpriteObject& kept = m_context.Keep(std::move(sprite));
        CSwfFrame& at = main.GetFrame(firstSplit + k - 1);
        if (pPrevious != nullptr) {
            at.RemoveObject(*pPrevious);
        }
        at.AddObject(kept);
        at.AddAction(
            CSwfAction::SetProperty("", kPropX, FormatSwfInteger(g.nPanelWidth * g.nTwips / 20)));
        at.AddAction(CSwfAction::SetProperty("", kPropY, "0"));
        at.AddAction(CSwfAction::SetProperty("", kPropXScale, "100"));
        at.AddAction(CSwfAction::SetProperty("", kPropYScale, "100"));
        at.AddAction(CSwfAction::SetProperty("control", kPropXScale, zoom));
        at.AddAction(CSwfAction::SetProperty("control", kPropYScale, zoom));
        pPrevious = &kept;

        auto gotoTimeline = main.NewTimeline();
        BuildSegmentGoto(*gotoTimeline, k);
        auto jumper = std::make_unique<CSwfSpriteObject>(std::move(gotoTimeline),
                                                         CSwfString(SegmentName("controlgoto", k)));
        jumper->SetLayer(kLayerControl);
        main.GetFrame(0).AddObject(m_context.Keep(std::move(jumper)));
    }
}
