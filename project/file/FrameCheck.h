// Rebuilds every frame of a project forward and again backward and tells, frame by frame,
// whether its picture can be trusted.
#pragma once

#include <cstdint>
#include <vector>

class CDemoProject;
class CFrameCompositor;

enum class EFrameCheck {
    Good,
    Missing,          // its picture comes from a source project that is not open
    Damaged,          // its picture holds pixels of stream data that could not be decoded
    DiffersBackward,  // rebuilt backward it is not the picture it is forward
};

struct SProjectCheck {
    // No picture could be built at all: the recorded area is not a size a picture can have.
    bool bSizeRefused = false;
    std::vector<EFrameCheck> frames;

    uint32_t Problems() const;
};

// After GoToFrame: no picture could be built at all, because the recorded area is not a size a
// picture can have (the compositor refuses it).
bool PictureRefused(const CDemoProject& project, const CFrameCompositor& compositor);

SProjectCheck CheckFrames(const CDemoProject& project, CFrameCompositor& compositor);
