// Reading and writing a project file (".lumo"): the picture offset table, the trailer offset,
// the frame image stream and the trailer with the frame records and the project settings.
// Saving a new recording builds the file from the recording's temporary files; saving in place
// rewrites only the trailer; saving under another name copies the stream.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "project/file/OffsetTable.h"
#include "project/stream/CaptureStream.h"

class CDemoProject;
class CFrameCompositor;
class CStoreReader;
class CStreamFile;
class IPrompter;

// What the project file needs from the rest of the program; every member may stay empty.
struct SProjectFileHooks {
    // Inspection only: the file is opened for reading and cannot be saved in place.
    bool bReadOnly = false;
    // "export_timing_data": write the timing data at every save, read it at every open.
    bool bExportTimingData = false;
    std::function<void(const CDemoProject&, const std::string& projectFile)> writeTimingData;
    std::function<void(CDemoProject&, const std::string& projectFile)> readTimingData;
    // Applies the custom defaults when "use_custom_defaults" is on.
    std::function<void(CDemoProject&)> applyCustomDefaults;
    // Puts a file at the top of the recent files.
    std::function<void(const std::string&)> addRecentFile;
    // Asks for the recording size of a project whose frame records could not be used; the
    // values found are prefilled.
    std::function<void(std::int32_t& width, std::int32_t& height)> askRecordingSize;
    // Free bytes on the disk of a folder; empty when unknown.
    std::function<std::optional<std::uint64_t>(const std::string& folder)> freeSpace;
    // Length of a sound file in milliseconds, when it can be read; empty: the WAV header says.
    std::function<std::optional<std::int64_t>(const std::string& soundFile)> soundLengthMs;
};

enum class EOpenFailure { None, CannotOpen, Damaged, LaterVersion, NotAProject };

// The question for the recording size of a project whose frame records could not be used.
inline constexpr const char* kSizeQuestionCaption = "Internal file corruption detected...";
inline constexpr const char* kSizeQuestionText =
    "Quillo has detected an internal error and cannot determine the original recording size of "
    "this project. Please enter the width and height (in pixels) of this recording.";

// Whether two names lead to one file: the same device and inode, so that hard links and other
// spellings of one path count. False when either cannot be found.
bool IsSameFile(const std::string& a, const std::string& b);

// Refuses, before any work is done, a preset name for a new project that would replace one of
// the files it is built from, with the save's "currently in use" message. True when refused.
bool RefusePresetOverInput(const std::optional<std::string>& presetName,
                           const std::vector<std::string>& inputs, IPrompter& prompter);

class CProjectFile {
public:
    static constexpr int kVersionMajor = 7;
    static constexpr int kVersionMinor = 47;
    static constexpr int kVersion = kVersionMajor * 100 + kVersionMinor;
    static constexpr std::size_t kCopyPiece = 65536;
    static constexpr int kProgressIntervalMs = 500;

    CProjectFile(CDemoProject& project, IPrompter& prompter, SProjectFileHooks hooks = {});
    ~CProjectFile();
    CProjectFile(const CProjectFile&) = delete;
    CProjectFile& operator=(const CProjectFile&) = delete;

    // Asks for the file name unless one is preset, builds the project file from the recording's
    // temporary files and deletes them. On failure or cancel the temporary files are kept. A
    // name that is one of `inUse` (the files the new project is read from) is refused as in use.
    bool SaveNewRecording(const SCaptureFiles& files, const std::optional<std::string>& presetName,
                          const std::vector<std::string>& inUse = {});
    // The name a new recording is saved under when `name` was chosen: a preset name, or a chosen
    // one without any extension, gains ".lumo".
    static std::string NewRecordingName(const std::string& name, bool bPreset);
    // Rewrites the trailer of the open project.
    bool Save();
    // Writes a copy under another name; unless frames are being removed the copy becomes the
    // open project.
    bool SaveAs(const std::string& fileName, bool bRemovingFrames = false);
    // Reads a project. On failure the project is left as it was and OpenFailure() says why;
    // the caller tells the user (the later-version refusal is told here).
    bool Open(const std::string& fileName);
    EOpenFailure OpenFailure() const { return m_failure; }

    // The trailer's bytes for the project as it is, to be stored in `projectFile`.
    std::string BuildTrailer(const std::string& projectFile);
    // Writes the trailer at the file's current position and flushes it.
    bool WriteTrailer(std::FILE* file, const std::string& projectFile);

    // The key-frame file that a corrupted project keeps beside it ("%s%s.keyframes").
    static std::string KeyFrameFileName(const std::string& projectFile);
    bool WriteKeyFrameFile() const;
    // Called when the program leaves the open project: a corrupted one keeps its key frames in
    // the key-frame file, so that the next open need not read every picture to find them.
    void LeaveProject() const;

    // The streams the compositor reads: entry 0 the project's own, then its source projects
    // (null for a source that could not be opened).
    std::vector<const CStreamFile*> StreamSources() const;
    const SOffsetTable& Table() const { return m_table; }
    // The version of the file that Open read (0 for a corrupted project).
    int FileVersion() const { return m_nFileVersion; }

private:
    struct SOpenState;

    bool CopyRange(std::FILE* from, std::uint64_t start, std::uint64_t end, std::FILE* to,
                   const std::string& caption);
    bool ReadTrailer(CStoreReader& in, SOpenState& state);
    bool ReadCursorTable(CStoreReader& in, int version, SOpenState& state);
    void OpenSources(const std::string& projectFolder);
    void FindCorruptedSize(const std::string& fileName);
    void FinishOpen(const std::string& fileName);
    void Refuse(const char* text);
    // The open file's size and offset table; refuses a corrupted project or an unreadable table.
    bool ReadOwnTable(std::uint64_t& size, SOffsetTable& table);

    CDemoProject& m_project;
    IPrompter& m_prompter;
    SProjectFileHooks m_hooks;
    SOffsetTable m_table;
    std::vector<std::unique_ptr<CStreamFile>> m_streams;
    EOpenFailure m_failure = EOpenFailure::None;
    int m_nFileVersion = 0;
    bool m_bCancelled = false;
};

// Registers with the compositor every edited layer picture that also covers following frames,
// as the editor does after a project was opened.
void RegisterFollowingPictures(const CDemoProject& project, CFrameCompositor& compositor);
