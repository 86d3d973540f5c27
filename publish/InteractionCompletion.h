// Completing the hotspots once every project frame has its movie frame: the button's click and
// hover scripts, and the sprite and button placed for as long as the hotspot is shown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "publish/PendingInteractions.h"

struct SPublishContext;

// The movie frame at which project frame `number` (1-based) starts; frames past the project
// start where the movie ends.
uint32_t MovieFrameOf(const std::vector<uint32_t>& frameStarts, int32_t number, uint32_t end);

// An address or target as the user typed it, made fit for a SWF string: a zero byte would end
// the string early, so it is written as "%00" in an address and left out of a target.
std::string SwfUrlText(const std::string& url);
std::string SwfTargetText(const std::string& target);
// A "javascript:" address opened in the movie's own window, which players refuse.
bool IsBlockedScriptUrl(const std::string& url, const std::string& target);

// Gives the hotspot's button its actions and places the sprite and the button from the
// entry's frame until the movie frame where its until frame starts. `frameStarts[i]` is the
// movie frame at which project frame i (0-based) starts.
void CompleteHotspot(SPublishContext& context, const SPendingInteraction& entry,
                     const std::vector<uint32_t>& frameStarts);
