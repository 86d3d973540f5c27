// The mouse menu: the click effect of a frame, hiding its cursor, and restoring both as they
// were recorded.
#pragma once

#include "project/model/FrameInfo.h"

enum class EMouseCommand { kNone, kDownClick, kUpClick, kHide, kRestore };

// Applies the command to the frame; true when a switch or the cursor position really changed,
// which is when the project counts as modified.
bool ApplyMouseCommand(CFrameRecord& frame, EMouseCommand command);
