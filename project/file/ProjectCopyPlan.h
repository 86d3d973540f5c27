// A copy of the open project under another name, prepared in full ahead of time so that
// writing it needs nothing but system calls: no allocation, no stdio, no locks. The program
// writes it after a crash, when the allocator or stdio may be the part that failed.
#pragma once

#include <cstdint>
#include <string>

class CDemoProject;
class CProjectFile;

struct SProjectCopyPlan {
    // The project file, opened again: a descriptor of the plan's own, read with pread only.
    // Whoever keeps the plan closes it.
    int nSourceFd = -1;
    // The offset table up to the trailer offset, then the trailer offset's "unfinished" mark.
    std::string head;
    // The stream's bytes in the project file, copied unchanged.
    std::uint64_t nDataStart = 0;
    std::uint64_t nDataEnd = 0;
    std::string trailer;
    // The trailer offset, written last once everything before it is on the disk.
    std::uint64_t nSlotPos = 0;
    std::string slot;
};

// Prepares a copy of `project`, open through `file`, as it is now. False, with nothing kept
// open, when the project cannot be copied: no file, a corrupted project or an unreadable table.
bool PrepareProjectCopy(CProjectFile& file, CDemoProject& project, SProjectCopyPlan& plan);

// Writes the copy into `tempName` and renames it to `fileName` once complete; a failed copy
// leaves no file behind. Safe to call in a signal handler.
bool WriteProjectCopy(const SProjectCopyPlan& plan, const char* tempName, const char* fileName);
