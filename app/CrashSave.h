// The save of unsaved work after a crash. The copy is prepared while the program runs normally
// and kept here; after a fatal signal a child process writes it with system calls only, so a
// crash inside the allocator or stdio cannot stop it, and the crashed process waits for the
// child a bounded time, so a save that hangs cannot keep it from its report.
#pragma once

#include <string>

#include "project/file/ProjectCopyPlan.h"

// Keeps `plan` as what a crash saves under `fileName`, instead of the plan kept before. False
// (and nothing kept) when the name is too long to be kept without allocating.
bool KeepCrashSave(SProjectCopyPlan plan, const std::string& fileName);
// Nothing is saved after a crash.
void DropCrashSave();
// Writes the kept plan; safe in a signal handler. True when the file was written.
bool RunCrashSave();
