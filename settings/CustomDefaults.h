// The custom defaults file "QuillomaticCustom.ini": the settings of the current project that the
// user saved as defaults for every project opened or recorded later.
#pragma once

#include <string>

#include "project/model/ProjectSettings.h"

class CDemoProject;
class CSettingsFolder;
class CStoreReader;
class IPrompter;

struct CCustomDefaults {
    static constexpr const char* kFileName = "QuillomaticCustom.ini";
    static constexpr int kVersion = 747;

    static std::string Serialize(const CProjectSettings& settings);
    // Reads a whole file into `settings`; on damage `settings` is left as it was.
    static bool Read(CStoreReader& in, CProjectSettings& settings);
};

// Asks "Save current Quillo settings as defaults ?" and, on Yes, writes the file into the
// settings folder. Returns true when the file was written.
bool SaveCustomDefaults(IPrompter& prompter, const CSettingsFolder& folder,
                        const CProjectSettings& settings);
// Applies the file from the settings folder, else from the program's folder, to `settings`.
// A missing file is not an error. Returns true when a file was applied.
bool ApplyCustomDefaults(const CSettingsFolder& folder, CProjectSettings& settings);

// The same for a project: its own defaults are taken into its settings first and back after.
bool SaveCustomDefaults(IPrompter& prompter, const CSettingsFolder& folder, CDemoProject& project);
bool ApplyCustomDefaults(const CSettingsFolder& folder, CDemoProject& project);
