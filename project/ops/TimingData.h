// The timing data file beside a project: one line per frame with its number, duration, deleted
// mark and talk-bubble text, so that durations and texts can be edited in a text editor and
// read back at the next open.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CDemoProject;
struct SProjectFileHooks;

// The longest duration a frame can be given, in 1/100 s (almost three hours): what the editor's
// duration field takes, and what keeps the start times of a project's frames within their field.
inline constexpr int32_t kMaxFrameDuration = 999'999;

// "<folder>/<project name>_timing_data.txt" for a project file.
std::string TimingFileName(const std::string& projectFile);

// The text of one line's last field as the file stores it: UTF-8 with line feeds, quotes and
// backslashes escaped, carriage returns dropped, other control characters made blanks (or
// dropped at either end). "##ERROR##" when the text cannot be converted.
std::string EscapeTimingText(std::u16string_view text);

// The whole file. With `bSkipDeleted` (deleted frames are being removed) deleted frames are
// left out and the kept frames numbered as they will be.
std::string TimingDataText(const CDemoProject& project, bool bSkipDeleted = false);

// Writes the file for a project; a file that cannot be made is skipped silently.
bool ExportTiming(const CDemoProject& project, const std::string& projectFile,
                  bool bSkipDeleted = false);

// Applies the lines of a timing data text. Line k applies to the frame at 1-based position
// k + nFramesBefore; lines naming no frame or a duration beyond kMaxFrameDuration are ignored.
// Returns the number of lines applied.
int ApplyTimingData(CDemoProject& project, std::string_view text, uint32_t nFramesBefore = 0);

// Reads the file of a project when there is one; returns the number of lines applied.
int ImportTiming(CDemoProject& project, const std::string& projectFile, uint32_t nFramesBefore = 0);

// Makes a project file write the timing data after every save and read it after every open,
// as "export_timing_data" asks.
void InstallTimingDataHooks(SProjectFileHooks& hooks);
