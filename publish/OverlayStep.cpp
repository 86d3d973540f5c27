#include "publish/OverlayStep.h"

#include "project/model/DemoProject.h"
#include "project/model/FrameInfo.h"
#include "publish/InteractionCompletion.h"
#include "publish/PublishContext.h"
#include "publish/PublishSettings.h"

COverlayStep::COverlayStep(SPublishContext& context) : m_context(context), m_hotspots(context) {}

void COverlayStep::NoteChapter(const CFrameInfo& frame, uint32_t index) {
    if (frame.HasChapter() && m_chapters.size() < kMaxChapters) {
        m_chapters.emplace_back(index, m_context.nNextFrame);
    }
}

void COverlayStep::AddTalkBubble(const CFrameInfo&) {}

void COverlayStep::AddHotspot(const CFrameInfo& frame) {
    if (!frame.HasHotspot()) {
        return;
    }
    const auto number = int32_t(m_context.project.IndexOf(&frame) + 1);
    m_pending.push_back(m_hotspots.Build(frame, number, m_context.strErrors));
}

void COverlayStep::AddFrameLink(const CFrameInfo& frame) {
    const bool link =
        frame.m_bFrameUrl != 0 || (frame.m_bFrameGoto != 0 && frame.m_bLinearPlay == 0);
    if (!link || m_context.settings.m_bVideoExport) {
        return;
    }
    CMovieSegments& segments = m_context.segments;
    const uint32_t at = m_context.nNextFrame;
    m_pending.push_back({SPendingInteraction::kFrameLink, &frame, &segments.Current(),
                         at - segments.CurrentStart()});
    m_context.Frame(at);
    ++m_context.nNextFrame;
}

void COverlayStep::CompleteInteractions(const std::vector<uint32_t>& frameStarts) {
    for (const SPendingInteraction& entry : m_pending) {
        if (entry.nKind == SPendingInteraction::kFrameLink) {
            CompleteFrameLink(entry, frameStarts);
        } else if (entry.nKind == SPendingInteraction::kHotspot) {
            CompleteHotspot(m_context, entry, frameStarts);
        }
    }
}

void COverlayStep::AddChapterIndex() {}
