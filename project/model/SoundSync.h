// The sound switches of a frame ("Single frame", "Synchronized sound", "Background"), which
// exclude one another, and the synchronisation of a sound over the frames that follow.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "project/model/DemoProject.h"

// Asks whether synchronisation data that was calculated before is to be calculated anew
// ("Confirm re-synchronization..."): true only for "Calculate new synchronization data" with OK.
using TConfirmResync = std::function<bool()>;

struct SSoundSyncContext {
    bool bEnableSyncSound = false;          // the setting "enable_sync_sound"
    std::optional<int64_t> nSoundLengthMs;  // length of the frame's sound, when it can be read
    TConfirmResync confirmResync;           // not set: keep the current data
};

void SetBackgroundSound(CFrameRecord& frame, bool bOn);
void SetSingleFrameSound(CFrameRecord& frame, bool bOn, std::optional<int64_t> nSoundLengthMs);
void SetSyncSound(CDemoProject& project, CFrameInfo& frame, bool bOn,
                  const SSoundSyncContext& context);

// Lays a frame's sound over the frames that follow it until the sound ends. Returns whether new
// synchronisation data was calculated.
bool SynchroniseSound(CDemoProject& project, CFrameInfo& frame, const SSoundSyncContext& context);
