// Starting a fresh instance of the program: the running process is replaced by its own
// executable with new arguments.
#pragma once

#include <string>
#include <vector>

// Returns only when the program could not be started again.
bool RestartProgram(const std::vector<std::string>& args);
