// Pieces shared by the operations that build a new project file from the open project or from
// several projects: copying the project-wide setup, reading the stored records of a frame's
// picture and saving the result as a new recording.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "project/file/ProjectFile.h"
#include "project/stream/PixelCoding.h"

class CDemoProject;
class CStreamFile;
class CStreamReencoder;
struct CFrameRecord;
class IPrompter;

inline constexpr const char* kQuilloErrorCaption = "Quillo Error";
inline constexpr const char* kTempFileFailed = "Unable to open temporary file";

// Where and how a new project is written.
struct SNewProjectOptions {
    std::string tempDir = "/tmp";
    // The pixel compression setting for the new stream.
    bool bZlibPixels = false;
    // Save under this name instead of asking for one.
    std::optional<std::string> outputName;
    // Files that the new project must not replace besides the ones it is read from (the
    // desktop program's open project).
    std::vector<std::string> inUse;
    // Hooks of the project file that saves the result (timing data, recent files).
    SProjectFileHooks hooks;
};

// Copies what a project keeps beside its frames: defaults, settings and the cursor table. The
// source list is not copied: a new project's pictures are in its own stream.
void CopyProjectSetup(const CDemoProject& from, CDemoProject& to);

// The stream picture each frame shows within its source, in list order.
std::vector<uint32_t> StreamPictures(const CDemoProject& project);

// The pixel coding of a stream of a project.
EPixelCoding CodingOf(const CDemoProject& project, const CStreamFile& stream);

// The stored records of one picture of a stream.
bool ReadPictureRecords(const CStreamFile& stream, uint32_t nPicture, std::vector<uint8_t>& out);

// Maps old 1-based frame numbers to new ones after frames were left out: a number that named a
// left-out frame names the nearest kept frame before it (frame 1 when there is none), and a
// number beyond the old frames names the new last frame. Numbers below 1 are kept.
class CFrameNumberMap {
public:
    // `kept[i]` tells whether old frame i (0-based) is kept.
    explicit CFrameNumberMap(const std::vector<bool>& kept);
    int32_t Map(int32_t nOld) const;
    // The same for a 0-based index.
    int32_t MapIndex(int32_t nOld) const { return Map(nOld + 1) - 1; }

private:
    std::vector<int32_t> m_New;
    int32_t m_nNewCount = 0;
};

// Maps the frame-number targets and the edited picture's reach of one frame.
void MapFrameTargets(CFrameRecord& frame, const CFrameNumberMap& map);

// The files a new project built from `inputs` must not replace: those and the options' files
// in use.
std::vector<std::string> FilesInUse(const SNewProjectOptions& options,
                                    const std::vector<std::string>& inputs);

// The project files whose streams the project's frames read: its own and its source projects.
std::vector<std::string> StreamFileNames(const CDemoProject& project);

// Stops the stream of a built project and saves it as a new recording under a name that is none
// of `inUse`; the temporary files are deleted whatever happens. False on failure or cancel.
bool SaveBuiltProject(CDemoProject& built, CStreamReencoder& encoder, IPrompter& prompter,
                      const SNewProjectOptions& options, const std::vector<std::string>& inUse);
