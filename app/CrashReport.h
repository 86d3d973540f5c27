// The crash report layer: a fatal signal (a bad memory access, an abort, an uncaught exception)
// first attempts the emergency save of unsaved work, then writes a report with a backtrace into
// the settings folder, then lets the signal end the process as it would have.
#pragma once

#include <string>

using TEmergencySaveHook = void (*)();

// Installs the handlers once; later calls only change the folder and the hook. `saveHook` runs
// at most once, and never again when it crashes itself.
void InstallCrashReporter(const std::string& reportFolder, TEmergencySaveHook saveHook);
// Switches the reports off and on (the hook still runs).
void EnableCrashReports(bool bEnable);
// The report written last by this process, empty when none.
std::string LastCrashReport();

// Writes a report for `signal` to an open file descriptor (tests, and the handler itself).
void WriteCrashReport(int fd, int signal);
