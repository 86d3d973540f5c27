// The files the program carries beside its binaries: the web player and the launcher that
// published executables start from.
#pragma once

#include <filesystem>
#include <string_view>

// The folder of the running executable.
std::filesystem::path RunningExecutableFolder();

// Where the data item `name` (a file or folder) is: $QUILLO_DATA_DIR, else beside the running
// executable, else one folder up (the build tree keeps the programs in sub-folders), else the
// build tree this program was built in. Empty when none holds it.
std::filesystem::path FindProgramData(std::string_view name);
