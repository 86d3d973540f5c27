#include "publish/OverlayStep.h"

#include "project/model/FrameInfo.h"
#include "publish/PublishContext.h"
#include "publish/PublishSettings.h"

COverlayStep::COverlayStep(SPublishContext& context) : m_context(context) {}

void COverlayStep::NoteChapter(const CFrameInfo& frame, uint32_t index) {
    if (frame.HasChapter() && m_chapters.size() < kMaxChapters) {
        m_chapters.emplace_back(index, m_context.nNextFrame);
    }
}

void COverlayStep::AddTalkBubble(const CFrameInfo&) {}

void COverlayStep::AddHotspot(const CFrameInfo&) {}

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
        }
    }
}

void COverlayStep::AddChapterIndex() {}
