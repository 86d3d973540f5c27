// The SCORM 1.2 content package: the folder "<base>_SCORM" beside the movie with the manifest
// "imsmanifest.xml", the page, the movie, the web player and the hotspot movies, and optionally
// "<base>.zip" of all of them inside that folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct SScormManifest {
    std::string strIdentifier;  // cleaned resource identifier
    std::string strVersion;
    std::string strCreatedAt;
    std::string strTitle;            // the movie's base name
    std::string strLaunch;           // relative name of the page
    std::vector<std::string> files;  // relative names, the page first
};

std::string ScormManifestText(const SScormManifest& manifest);

// "<folder>/<base>_SCORM".
std::filesystem::path ScormFolder(const std::filesystem::path& outputFolder,
                                  const std::string& baseName);

// Writes `zipPath` with the manifest and every listed file of `folder`, deflated at the best
// level, the manifest at the root. False with `why`.
bool WriteScormZip(const std::filesystem::path& folder, const std::vector<std::string>& files,
                   const std::filesystem::path& zipPath, std::string& why);
