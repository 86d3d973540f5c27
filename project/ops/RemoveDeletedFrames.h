// "Remove..." of "Deleted Frames": writes a new project file without the deleted frames. Every
// kept frame's picture is rebuilt and written again into a new stream, so the result needs no
// picture of a left-out frame. The open project is left as it was.
#pragma once

#include <vector>

#include "project/ops/NewProject.h"

class CDemoProject;
class CStreamFile;
class IPrompter;

inline constexpr const char* kRemovingCaption = "Removing Deleted Frames";
inline constexpr const char* kNothingToKeep =
    "Every frame is marked as deleted, so there is nothing to keep.\n"
    "Undelete a frame first.";
inline constexpr const char* kNothingToKeepCaption = "Remove Deleted Frames";

// `sources` are the project's open streams (CProjectFile::StreamSources). False on failure,
// cancel, or when every frame is deleted.
bool RemoveDeletedFrames(CDemoProject& project, const std::vector<const CStreamFile*>& sources,
                         IPrompter& prompter, const SNewProjectOptions& options);
