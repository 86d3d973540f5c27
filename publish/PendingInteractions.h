// Interactions whose go-to targets are known only once every project frame has its movie frame:
// recorded while the frames are laid out, completed after the walk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CFrameInfo;
class CSwfButton;
class CSwfMovie;
class CSwfSpriteObject;
struct SBubbleEntry;

struct SPendingInteraction {
    enum EKind : uint8_t { kFrameLink = 1, kHotspot = 2, kTalkBubble = 3 };

    uint8_t nKind = kFrameLink;
    const CFrameInfo* pFrame = nullptr;
    CSwfMovie* pSegment = nullptr;  // the movie segment where the entry was placed
    uint32_t nLocalFrame = 0;       // frame within that segment
    // Project frame number (1-based) to go to; 0 = "Stop".
    int32_t nTargetFrame = 0;
    // Project frame number (1-based) at which the object disappears.
    int32_t nUntilFrame = 0;
    CSwfButton* pButton = nullptr;
    CSwfSpriteObject* pSprite = nullptr;
    // "Flash Movie" hotspots: the movie loaded into the sprite, by its name beside the movie.
    std::string strLoadMovie;
    const SBubbleEntry* pBubble = nullptr;  // a talk bubble's sprite, buttons and span
};

// The frame's own "URL / Command" and "Go to Frame" actions, run when the movie reaches the
// entry's frame: a go-to becomes a seek request to the control sprite, "Stop" stops the movie.
// `frameStart[i]` is the movie frame at which project frame i (0-based) starts.
void CompleteFrameLink(const SPendingInteraction& entry, const std::vector<uint32_t>& frameStart);
