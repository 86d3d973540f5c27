// Drawing a laid-out talk bubble over the shown picture: the body of its style, the pointer, the
// text with its shadow and underline, and the navigation buttons.
#pragma once

#include <QImage>

#include "editor/bubble/BubbleLayout.h"

struct CFrameRecord;

// Draws `layout` of `frame`'s bubble onto `surface` (32-bit, the shown picture).
void DrawBubbleLayout(const CBubbleLayout& layout, const CFrameRecord& frame, QImage& surface);

// Lays out the bubble of `frame` for a picture of the surface's size and draws it.
CBubbleLayout DrawBubble(const CDemoProject& project, const CFrameInfo& frame,
                         const SBubbleView& view, QImage& surface);

enum class EBubbleHit { kNone, kBubble, kPrevious, kNext };

// What a click at (x, y) of the shown picture meets: a navigation button before the bubble.
EBubbleHit HitTestBubble(const CBubbleLayout& layout, int32_t x, int32_t y);
