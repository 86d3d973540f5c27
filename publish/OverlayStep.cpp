#include "publish/OverlayStep.h"

#include <cstdio>

#include "editor/bubble/BubbleGui.h"
#include "editor/bubble/BubbleLayout.h"
#include "project/model/DemoProject.h"
#include "project/model/FrameInfo.h"
#include "publish/BubbleSprite.h"
#include "publish/ChapterIndex.h"
#include "publish/InteractionCompletion.h"
#include "publish/PublishContext.h"
#include "publish/PublishSettings.h"
#include "swf/SwfMovie.h"
#include "swf/SwfSpriteObject.h"

namespace {
constexpr uint16_t kLayerBubble = 60004;
}  // namespace

COverlayStep::COverlayStep(SPublishContext& context) : m_context(context), m_hotspots(context) {}

void COverlayStep::NoteChapter(const CFrameInfo& frame, uint32_t index) {
    if (frame.HasChapter() && m_chapters.size() < kMaxChapters) {
        m_chapters.emplace_back(index, m_context.nNextFrame);
    }
}

void COverlayStep::AddTalkBubble(const CFrameInfo& frame, uint32_t index) {
    // Bubbles are laid out with the preview's font engine.
    if (!frame.HasTalkBubble() || !EnsureBubbleGui()) {
        return;
    }
    SPublishContext& c = m_context;
    const CBubbleLayout layout = LayoutBubble(c.project, frame, MovieBubbleView(c));
    const uint32_t at = c.nNextFrame;
    SBubbleLook look;
    look.nFade = c.settings.m_bFadeInText ? kBubbleFadeSteps : 1;
    look.bHidden = frame.m_bBubbleOnHover != 0;
    char name[32];
    std::snprintf(name, sizeof name, "tb%u", at);
    auto sprite = std::make_unique<CSwfSpriteObject>(BuildBubbleTimeline(c, frame, layout, look),
                                                     CSwfString(name));
    sprite->SetLayer(kLayerBubble);

    SBubbleEntry& bubble = m_bubbles.emplace_back();
    bubble.pSprite = &c.Keep(std::move(sprite));
    bubble.nUntilFrame =
        frame.m_bBubbleShowUntil != 0 ? frame.m_nBubbleUntilFrame + 1 : int32_t(index + 2);
    if (frame.m_bBubbleAnimation != 0 && frame.m_pBubbleAnimation && !look.bHidden) {
        const SRect& rc = layout.rcBubble;
        bubble.animation =
            PlanBubbleAnimation(*frame.m_pBubbleAnimation, c.segments.Main().FrameRate(), rc,
                                c.geometry.nWidth, c.geometry.nHeight, c.geometry.nTwips);
    }
    if (layout.navigation.bShown) {
        bubble.pNext = &MakeNavigationButton(c, frame, layout, true);
        if (layout.navigation.bPrevious) {
            bubble.pPrevious = &MakeNavigationButton(c, frame, layout, false);
            bubble.nPreviousBubble = layout.navigation.nPreviousTarget;
        }
    }
    CMovieSegments& segments = c.segments;
    SPendingInteraction entry{SPendingInteraction::kTalkBubble, &frame, &segments.Current(),
                              at - segments.CurrentStart()};
    entry.pBubble = &bubble;
    m_pending.push_back(entry);
}

void COverlayStep::AddHotspot(const CFrameInfo& frame, uint32_t index) {
    if (!frame.HasHotspot()) {
        return;
    }
    m_pending.push_back(m_hotspots.Build(frame, int32_t(index + 1), m_context.strErrors));
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
    SBubbleChain chain;
    for (const SPendingInteraction& entry : m_pending) {
        if (entry.nKind == SPendingInteraction::kFrameLink) {
            CompleteFrameLink(entry, frameStarts);
        } else if (entry.nKind == SPendingInteraction::kTalkBubble) {
            CompleteTalkBubble(m_context, entry, frameStarts, chain);
        } else if (entry.nKind == SPendingInteraction::kHotspot) {
            CompleteHotspot(m_context, entry, frameStarts);
        }
    }
}

void COverlayStep::AddChapterIndex(CSwfMovie& control) {
    const CPublishSettings& settings = m_context.settings;
    if (!settings.m_bChapterIndex || !settings.m_bControlBar || settings.m_bVideoExport ||
        m_chapters.empty() || !EnsureBubbleGui()) {
        return;
    }
    std::vector<SChapterEntry> chapters;
    for (const auto& [index, movieFrame] : m_chapters) {
        if (const CFrameInfo* pFrame = m_context.project.FrameAt(index)) {
            chapters.push_back({pFrame, movieFrame});
        }
    }
    AddChapterIndexSprite(m_context, control, chapters);
}
