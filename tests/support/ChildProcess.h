// Programs that a test starts: with extra environment variables, standard output dropped.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Starts args[0] (a path) with the arguments after it; `env` holds "NAME=value" entries added to
// the test's environment. Returns the child's id, or -1.
pid_t SpawnProgram(const std::vector<std::string>& args, const std::vector<std::string>& env);
// The same with standard output and standard error going to the file `output`.
pid_t SpawnProgramTo(const std::vector<std::string>& args, const std::vector<std::string>& env,
                     const std::string& output);

// Waits up to `seconds` for the child: its exit code, 128 + the signal that ended it, or -1 when
// it did not end in time (it is then killed).
int WaitForExit(pid_t pid, int seconds);
