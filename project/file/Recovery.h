// Rebuilds a playable project from a damaged capture file or project file by scanning its
// records, resynchronising byte by byte over data that does not decode, and finds the capture
// files that a recording left behind when the program ended before saving them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "project/file/ProjectFile.h"

class IPrompter;

// What the "Quillo Recovery" dialog sets.
struct SRecoveryOptions {
    int nMaxWidth = 800;
    int nMaxHeight = 600;
    bool bRecoverMouse = true;
};

struct SRecoveryRequest {
    std::string fileName;
    bool bRawCapture = true;
    // The pixel coding of a project file's records (the recording option); a capture file's
    // header tells its own.
    bool bZlibOption = false;
    // Shows the recovery dialog with the options found; false = Cancel. Empty: accepted as is.
    std::function<bool(SRecoveryOptions&)> askOptions;
    // Saves without asking for a name.
    std::optional<std::string> presetName;
    SProjectFileHooks saveHooks;
};

enum class ERecoverResult {
    Saved,
    NotACapture,
    CannotRead,
    NoTempFiles,
    Cancelled,
    Nothing,
    NotSaved
};

struct SRecoveryReport {
    ERecoverResult result = ERecoverResult::NotSaved;
    std::string savedFile;
    uint32_t nFrames = 0;
    int nWidth = 0;
    int nHeight = 0;
    uint64_t nSkippedBytes = 0;  // bytes passed over while resynchronising
};

class CRecovery {
public:
    static constexpr int kDefaultMaxWidth = 800;
    static constexpr int kDefaultMaxHeight = 600;
    static constexpr int kMinimumSize = 32;
    // The duration of a frame that no time record reached.
    static constexpr int32_t kUntimedFrameTime = 5;

    CRecovery(IPrompter& prompter, std::string tempDir);

    // Scans the file into a new recording in the temporary folder and saves it as a new
    // project. The scanned file is never changed.
    SRecoveryReport Recover(const SRecoveryRequest& request);

private:
    IPrompter& m_prompter;
    std::string m_tempDir;
};

// The command that makes a project of a kept capture file, its name quoted for a shell where it
// needs that: quillo recover 'FILE'.
std::string RecoverCommand(const std::string& capturePath);

// The "DMO*.tmp" files in the temporary folder, oldest first, leaving out those that a running
// recording holds locked.
std::vector<std::string> FindLeftoverCaptures(const std::string& tempDir);

enum class ELeftoverChoice { Recover, Ignore, Delete };

// Offers every leftover capture in turn. `ask` shows the question for a file name without
// folder; `recover` recovers one file and says whether the recovery was saved. A leftover is
// deleted only after its recovery was saved or when the user chose "Delete"; "Ignore" stops
// asking. Returns the number of recovered files.
int OfferLeftoverRecovery(const std::string& tempDir,
                          const std::function<ELeftoverChoice(const std::string& name)>& ask,
                          const std::function<bool(const std::string& path)>& recover);
