// A talk bubble in the movie: a timeline that draws the body of the bubble's style, its pointer
// and its lines with the geometry the preview uses, in one step or fading in over five frames,
// and the navigation buttons that sit on its last row.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "editor/bubble/BubbleLayout.h"

struct CFrameRecord;
class CSwfButton;
class CSwfMovie;
struct SPublishContext;

inline constexpr uint32_t kBubbleFadeSteps = 5;

// The view a bubble of the project is laid out on in the movie: the same as the preview's of a
// full-size picture.
SBubbleView MovieBubbleView(const SPublishContext& context);

class CBubbleFont;
class CDemoProject;
class CSwfFont;

// The embedded font of bubble text drawn in `font` with `look`'s stored font, holding the
// characters of `text`.
std::unique_ptr<CSwfFont> BubbleTextFont(const CDemoProject& project, const CFrameRecord& look,
                                         const CBubbleFont& font, std::u16string_view text);

struct SBubbleLook {
    uint32_t nFade = 1;  // steps of the appearance: 1 or kBubbleFadeSteps
    // Shown only while the pointer is over a hotspot: the timeline waits, empty, in its first
    // frame and appears from the second on when played.
    bool bHidden = false;
    // Bubbles that share one embedded font (defined by the caller before them); without one the
    // bubble embeds its own.
    CSwfFont* pFont = nullptr;
};

// The bubble's timeline: its appearance, then a Stop. `look` gives the colours, style switches
// and alignment; the objects stay alive with the publish.
std::unique_ptr<CSwfMovie> BuildBubbleTimeline(SPublishContext& context, const CFrameRecord& look,
                                               const CBubbleLayout& layout, const SBubbleLook& how);

// The "next" (pointing right) or "previous" navigation button over its area of the layout; its
// actions are added once the movie frames are known.
CSwfButton& MakeNavigationButton(SPublishContext& context, const CFrameRecord& look,
                                 const CBubbleLayout& layout, bool next);
