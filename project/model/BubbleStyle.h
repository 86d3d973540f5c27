// The look of talk bubbles: what a frame takes when it first gets text, the project's default
// style and copying one bubble's look to the others.
#pragma once

#include "project/model/DemoProject.h"

// Gives a frame whose text is committed for the first time its style, font and colours from the
// project's defaults.
void ApplyFirstText(CFrameRecord& frame, const CDemoProject& project);

// "Apply this font to ALL": copies the font and the five colour and switch values of source to
// every other non-deleted frame whose talk bubble has the same style.
void ApplyStyleToAll(CDemoProject& project, const CFrameInfo& source);

// "Make this the default font" when the font dialog closes with OK: ticked, the dialog's font
// with the frame's five values becomes the default style; unticked, the default style is removed.
void SetDefaultStyle(CDemoProject& project, const CFrameRecord& frame, const CLogFont& font,
                     bool bMakeDefault);

// The colour buttons of the font dialog ("Font Color", "Background" and the shadow "Color"):
// the frame takes the colour and the project keeps it as its default.
void SetBubbleTextColor(CFrameRecord& frame, CDemoProject& project, int32_t crColor);
void SetBubbleColor(CFrameRecord& frame, CDemoProject& project, int32_t crColor);
void SetBubbleShadowColor(CFrameRecord& frame, CDemoProject& project, int32_t crColor);
