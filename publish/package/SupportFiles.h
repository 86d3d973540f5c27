// The files a published page needs beside it: the web player in a folder of its own, and the
// movies of "Flash Movie" hotspots, which the movie loads by their file names.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class CDemoProject;

// The web player's folder as the program carries it: $QUILLO_RUFFLE_DIR, else "ruffle" in the
// program's data folder. Empty when it cannot be found.
std::filesystem::path WebPlayerSource();

// The files of the web player that a page loads (scripts and WebAssembly modules) and their
// licences; source maps and package notes stay behind.
std::vector<std::filesystem::path> WebPlayerFiles(const std::filesystem::path& source);

// Copies the web player into `folder`/ruffle, replacing older copies. False with `why`.
bool CopyWebPlayer(const std::filesystem::path& source, const std::filesystem::path& folder,
                   std::string& why);

// The movie files of "Flash Movie" hotspots in the frames the movie shows, in frame order, each
// once.
std::vector<std::string> HotspotMovieFiles(const CDemoProject& project);

// Copies each file into `folder` under its own file name (a file already there is left as it
// is). False with `why` when one cannot be copied.
bool CopySupportFiles(const std::vector<std::string>& files, const std::filesystem::path& folder,
                      std::string& why);
