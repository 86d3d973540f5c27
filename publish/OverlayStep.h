// Overlays on the movie's frames: talk bubbles, hotspots, the frames' own links and the chapter
// index. Links and hotspots that go to other frames wait until every frame has its movie frame.
#pragma once

#include <cstdint>
#include <list>
#include <utility>
#include <vector>

#include "publish/BubbleCompletion.h"
#include "publish/HotspotSprite.h"
#include "publish/PendingInteractions.h"

class CFrameInfo;
class CSwfMovie;
struct SPublishContext;

class COverlayStep {
public:
    static constexpr uint32_t kMaxChapters = 1024;

    explicit COverlayStep(SPublishContext& context);

    // Project frame `index` starts a chapter at the current movie frame.
    void NoteChapter(const CFrameInfo& frame, uint32_t index);
    // Project frame `index` (0-based) has its talk bubble or hotspot from the current movie frame.
    void AddTalkBubble(const CFrameInfo& frame, uint32_t index);
    void AddHotspot(const CFrameInfo& frame, uint32_t index);
    // The frame's own "URL / Command" or "Go to Frame" action, in a movie frame of its own.
    void AddFrameLink(const CFrameInfo& frame);
    // Fills in the go-to targets; `frameStarts[i]` is the movie frame project frame i starts at.
    void CompleteInteractions(const std::vector<uint32_t>& frameStarts);
    // The index of the chapters, in the first frame of the control sprite's timeline.
    void AddChapterIndex(CSwfMovie& control);

private:
    SPublishContext& m_context;
    CHotspotSprite m_hotspots;
    std::vector<SPendingInteraction> m_pending;
    std::list<SBubbleEntry> m_bubbles;
    std::vector<std::pair<uint32_t, uint32_t>> m_chapters;  // project frame, movie frame
};
