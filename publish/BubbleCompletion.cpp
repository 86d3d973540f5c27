#include "publish/BubbleCompletion.h"

#include <algorithm>
#include <memory>

#include "publish/InteractionCompletion.h"
#include "publish/MovieSegments.h"
#include "publish/OverlayCarry.h"
#include "publish/PendingInteractions.h"
#include "publish/PublishContext.h"
#include "swf/SwfAction.h"
#include "swf/SwfButton.h"
#include "swf/SwfSpriteObject.h"

namespace {

constexpr uint16_t kLayerNavigatingBubble = 60005;
constexpr uint16_t kLayerNavigationButton = 60006;
constexpr int kOnRelease = 6;
constexpr int kKeyOnly = 0;
constexpr uint8_t kKeyLeft = 1;
constexpr uint8_t kKeyRight = 2;

uint32_t SegmentStart(CMovieSegments& segments, const CSwfMovie* pSegment) {
    for (uint32_t k = 0; k < segments.Count(); ++k) {
        if (&segments.Timeline(k) == pSegment) {
            return segments.StartOf(k);
        }
    }
    return 0;
}

CSwfFrame& FrameAt(CMovieSegments& segments, uint32_t absolute) {
    const uint32_t k = segments.SegmentOf(absolute);
    return segments.Timeline(k).GetFrame(absolute - segments.StartOf(k));
}

// A seek to the 1-based movie frame `position` that plays on, on release and on the key.
void AddSeek(CSwfButton& button, int32_t position, uint8_t key) {
    for (const int condition : {kOnRelease, kKeyOnly}) {
        const uint8_t code = condition == kKeyOnly ? key : 0;
        button.AddAction(CSwfAction::SetVariable("/control:position", position), condition, code);
        button.AddAction(CSwfAction::SetVariable("/control:seek_flag", "1"), condition, code);
        button.AddAction(CSwfAction::SetVariable("/control:keep_playing", "1"), condition, code);
        button.NextCondition();
    }
}

void Move(CSwfSpriteObject& sprite, const SBubbleMotion& motion) {
    sprite.SetScale(motion.nScale, motion.nScale);
    sprite.SetTranslate(motion.nDx, motion.nDy);
    sprite.SetColorTransform(false, motion.nAlpha != 256, 256, 256, 256, motion.nAlpha, 0, 0, 0, 0);
}

// One placement per frame from `from`, each ending in the next frame.
void Animate(CMovieSegments& segments, CSwfSpriteObject& sprite, uint32_t from,
             const SBubbleMotion* motions, size_t count) {
    for (size_t k = 0; k < count; ++k) {
        CSwfFrame& frame = FrameAt(segments, from + uint32_t(k));
        if (k > 0) {
            frame.RemoveObject(sprite);
        }
        Move(sprite, motions[k]);
        frame.AddObject(sprite);
    }
    if (count > 0) {
        FrameAt(segments, from + uint32_t(count)).RemoveObject(sprite);
    }
    Move(sprite, {});
}

}  // namespace

void CompleteTalkBubble(SPublishContext& context, const SPendingInteraction& entry,
                        const std::vector<uint32_t>& frameStarts, SBubbleChain& chain) {
    const SBubbleEntry& bubble = *entry.pBubble;
    CMovieSegments& segments = context.segments;
    const uint32_t at = SegmentStart(segments, entry.pSegment) + entry.nLocalFrame;
    const std::vector<SBubbleMotion>& in = bubble.animation.in;
    const std::vector<SBubbleMotion>& out = bubble.animation.out;
    const uint32_t rest = at + uint32_t(in.size());
    const uint32_t end =
        std::max(MovieFrameOf(frameStarts, bubble.nUntilFrame, context.nNextFrame), rest + 1);
    const bool navigating = bubble.pNext != nullptr;
    if (navigating) {
        bubble.pSprite->SetLayer(kLayerNavigatingBubble);
    }
    // The "out" effect ends with the bubble; a short span keeps only its last frames.
    const size_t outCount = std::min<size_t>(out.size(), end - rest - 1);
    const uint32_t outStart = end - uint32_t(outCount);
    Animate(segments, *bubble.pSprite, at, in.data(), in.size());
    CarryObject(segments, *bubble.pSprite, rest, outStart);
    Animate(segments, *bubble.pSprite, outStart, out.data() + (out.size() - outCount), outCount);
    context.nLastEffectFrame = std::max(context.nLastEffectFrame, end);
    if (!navigating) {
        return;
    }
    // Positions are 1-based movie frames: the next bubble's seek lands on the frame this one's
    // span ends at, the previous one on the earlier bubble's resting frame.
    int32_t previous = 0;
    if (chain.bAny) {
        previous = int32_t(chain.nRest) + 1;
    } else if (bubble.nPreviousBubble > 0) {
        previous = int32_t(MovieFrameOf(frameStarts, bubble.nPreviousBubble, at)) + 1;
    }
    AddSeek(*bubble.pNext, int32_t(end) + 1, kKeyRight);
    bubble.pNext->SetLayer(kLayerNavigationButton);
    CarryObject(segments, *bubble.pNext, rest, end);
    if (bubble.pPrevious && previous > 0) {
        AddSeek(*bubble.pPrevious, previous, kKeyLeft);
        bubble.pPrevious->SetLayer(kLayerNavigationButton);
        CarryObject(segments, *bubble.pPrevious, rest, end);
    }
    if (outCount > 0) {
        CSwfFrame& leaving = FrameAt(segments, outStart);
        leaving.AddAction(CSwfAction::SetVariable("/control:prev_pos", int32_t(rest) + 1));
        leaving.AddAction(CSwfAction::SetVariable("/control:prev_flag", "1"));
    }
    CSwfFrame& resting = FrameAt(segments, rest);
    resting.AddAction(CSwfAction::SetVariable("/control:prev_pos", previous));
    resting.AddAction(CSwfAction::SetVariable("/control:prev_flag", "1"));
    if (chain.bAny) {
        CSwfFrame& earlier = FrameAt(segments, chain.nRest);
        earlier.AddAction(CSwfAction::SetVariable("/control:next_pos", int32_t(rest) + 1));
        earlier.AddAction(CSwfAction::SetVariable("/control:next_flag", "1"));
    }
    chain.bAny = true;
    chain.nRest = rest;
}
