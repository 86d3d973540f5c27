// Importing a video file as a new project: the grabber plug-in decodes the frames, each is
// compared with the one before it and its changes written into a new stream, and the frame
// rate becomes the frames' durations.
#pragma once

#include <string>

#include "project/ops/NewProject.h"

class CVideoGrabber;
class IPrompter;

inline constexpr const char* kImportCaption = "Importing Video...";
inline constexpr const char* kVideoCaption = "Video Import";
inline constexpr const char* kVideoUnreadable = "Unable to read file.";
inline constexpr const char* kVideoTempFailed = "Unable to open temporary files";
inline constexpr const char* kVideoTooLarge =
    "The video's pictures are %d x %d pixels, too large to import.";
inline constexpr const char* kVideoSizeChanged =
    "The video's pictures change size from %d x %d to %d x %d.\n"
    "The frames before the change were imported.";
// The largest side a recording can have.
inline constexpr int kMaxVideoSide = 16384;

enum class EVideoImport {
    Saved,      // the new project was written
    NoGrabber,  // no plug-in: open the file as a project instead
    Failed,     // told to the user
};

// A name the open dialog treats as a video: it ends neither in "lumo" nor in "tmp".
bool IsVideoFileName(const std::string& name);

EVideoImport ImportVideo(const std::string& videoFile, const CVideoGrabber& grabber,
                         IPrompter& prompter, const SNewProjectOptions& options);
