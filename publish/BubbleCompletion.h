// Talk bubbles once every frame has its movie frame: the span each bubble stays on screen,
// carried across segments, and the navigation buttons that step from one bubble to the next
// through the control sprite's seek requests.
#pragma once

#include <cstdint>
#include <vector>

#include "publish/BubbleAnimation.h"

class CSwfButton;
class CSwfSpriteObject;
struct SPendingInteraction;
struct SPublishContext;

struct SBubbleEntry {
    CSwfSpriteObject* pSprite = nullptr;  // "tb%d"
    CSwfButton* pNext = nullptr;          // navigation buttons, when the bubble has them
    CSwfButton* pPrevious = nullptr;
    int32_t nUntilFrame = 0;         // 1-based project frame at which the bubble is gone
    int32_t nPreviousBubble = 0;     // 1-based project frame of the nearest earlier bubble, or 0
    SBubbleAnimationPlan animation;  // as it appears and before it goes
};

// The navigating bubble completed last, whose "next" requests lead to the following one.
struct SBubbleChain {
    bool bAny = false;
    uint32_t nRest = 0;  // its resting frame, absolute
};

// Places the bubble of `entry` from its frame until the start of its until frame (at least one
// frame after it comes to rest) and gives its navigation buttons their seeks. `frameStarts[i]` is
// the movie frame at which project frame i + 1 starts.
void CompleteTalkBubble(SPublishContext& context, const SPendingInteraction& entry,
                        const std::vector<uint32_t>& frameStarts, SBubbleChain& chain);
