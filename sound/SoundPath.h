// Names of sound files: stored names may use "\" or "/" as separators, and a frame's sound is
// looked for in several places.
#pragma once

#include <optional>
#include <string>

// The file name and extension of a stored name, after its last separator of either kind.
std::string SoundFileName(const std::string& name);
// The name without the extension of its file name (taken after the file name's last ".").
std::string SoundNameWithoutExtension(const std::string& name);
// The cleaned copy beside a sound: its name without extension followed by "_denoise.wav".
std::string CleanedCopyName(const std::string& sound);
// The profile file beside a sound: its name without extension followed by "_denoise.dat".
std::string ProfileFileName(const std::string& sound);

struct SSoundSearch {
    std::string projectFolder;  // folder that relative names start from
    std::string currentFolder;  // the working folder; empty means the process's own
    std::string ownFileFolder;  // playback only: the folder of the project's own file
};

// The first of these that opens for reading: the project's folder + relative, the current folder
// + relative, the absolute name, the current folder + the absolute name's file name, and (when
// given) the own file's folder + that file name.
std::optional<std::string> FindSoundFile(const std::string& relative, const std::string& absolute,
                                         const SSoundSearch& where);
