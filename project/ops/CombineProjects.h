// "Combine Quillo movies...": builds one project from several project files, one after the
// other. The combined recording is as large as the largest (or, with a pan recording among
// them, as small as the smallest); smaller recordings are centred. Either the pictures are
// written into a new stream, or ("Copy editing information only and use video from source")
// the frames keep reading their pictures from the project files they came from.
#pragma once

#include <string>
#include <vector>

#include "project/ops/NewProject.h"

class IPrompter;

inline constexpr const char* kCombineCaption = "Combining Quillo movies";
inline constexpr const char* kTooFewToCombine =
    "You must select at least two movie files for combining.";
inline constexpr const char* kTooFewCaption = "Combine Quillo movies";
inline constexpr const char* kCannotOpenToCombine =
    "Unable to open movie: %s.     \nCombination aborted.";
inline constexpr const char* kCannotOpenCaption = "Combine Quillo Movies";

// The names a drop on the combine list adds: those ending in ".lumo".
std::vector<std::string> DroppedProjectFiles(const std::vector<std::string>& names);

// Combines the files in list order and saves the result as a new recording. False (with the
// message told) on failure or cancel.
bool CombineProjects(const std::vector<std::string>& files, bool bEditingOnly, IPrompter& prompter,
                     const SNewProjectOptions& options);
