// What the movie shows over a frame's picture: the hotspot in its style and the talk bubble.
// The editor's preview and `quillo frame --overlays` both draw through here, so the two agree.
#pragma once

#include <QImage>
#include <optional>

#include "editor/bubble/BubbleLayout.h"

class CDemoProject;
class CFrameInfo;

// Which overlays are drawn; the editor can show only the one being edited.
struct SOverlayChoice {
    bool bHotspot = true;
    bool bBubble = true;
};

// Draws the frame's hotspot and talk bubble onto `picture`, the frame's composed picture at the
// recorded size. Returns the bubble's layout when the frame has a bubble.
std::optional<CBubbleLayout> DrawFrameOverlays(const CDemoProject& project, const CFrameInfo& frame,
                                               QImage& picture, SOverlayChoice choice = {});

// Draws only the hotspot of the frame.
void DrawHotspot(const CFrameInfo& frame, QImage& picture);

// A colour the user chose (red in the low byte) as a Qt colour.
QColor ColorFromUser(int32_t crColor);
int32_t UserFromColor(const QColor& color);
