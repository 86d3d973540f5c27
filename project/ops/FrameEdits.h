// Edits of the open project's frame list that the editor's frame menu starts: inserting a
// duplicate of the current frame and setting how far the current frame's edited picture reaches.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

class CDemoProject;
class CFrameCompositor;
class CFrameInfo;

// What the editor keeps about frame positions; every member may stay empty.
struct SFrameEditHooks {
    // The compositor whose layer list holds the following edited pictures.
    CFrameCompositor* pCompositor = nullptr;
    // A frame was inserted at this 1-based position: history and link entries naming it or a
    // later position move up by one.
    std::function<void(int32_t nInsertedNumber)> renumberHistory;
    // The project changed and the shown frame must be drawn again.
    std::function<void()> markModified;
};

// The stream picture a frame shows within its own source: its m_nStreamFrame when it is a
// duplicate, else the count of non-duplicate frames of the same source before it.
uint32_t StreamPictureOf(const CDemoProject& project, const CFrameInfo& frame);

// Inserts a copy of the current frame right after it and makes the copy current. The copy has
// no sound and shows its source's stream picture. Frame-number targets naming the new position
// or a later one move up by one. Returns the copy, or null when there is no current frame.
CFrameInfo* InsertDuplicate(CDemoProject& project, const SFrameEditHooks& hooks = {});

// The answers of the dialog "Apply edit to following frames...".
struct SApplyToFollowing {
    int32_t nLastFrame = 0;     // "Apply up to frame:", 1-based
    uint8_t nTransparency = 0;  // "Transparency"
};

// The values the dialog starts with for the current frame.
SApplyToFollowing ApplyToFollowingDefaults(const CDemoProject& project);

// The dialog's OK: the current frame's edited picture also covers the following frames up to
// the given one (kept between the current frame and the last). False when the current frame
// has no edited picture.
bool ApplyToFollowing(CDemoProject& project, const SApplyToFollowing& answer,
                      const SFrameEditHooks& hooks = {});
// "This frame only": the edited picture covers its own frame again.
bool ApplyToThisFrameOnly(CDemoProject& project, const SFrameEditHooks& hooks = {});

// Asks for the reach of the edited picture and applies it; the dialog is the caller's
// (`ask` returns nothing on Cancel).
bool RunApplyToFollowingDialog(
    CDemoProject& project,
    const std::function<std::optional<SApplyToFollowing>(const SApplyToFollowing&)>& ask,
    const SFrameEditHooks& hooks = {});
