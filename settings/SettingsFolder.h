// Where the settings files live: the "Quillomatic" folder in the user's documents folder,
// else the program's own folder when it holds the desktop program, else the folder that the
// registry value "Location" names. QUILLO_SETTINGS_DIR, or a folder given to the constructor,
// replaces the search (tests, portable installs).
#pragma once

#include <optional>
#include <string>
#include <string_view>

class CRegistryValues;

class CSettingsFolder {
public:
    static constexpr const char* kEnvironmentOverride = "QUILLO_SETTINGS_DIR";
    static constexpr const char* kFolderName = "Quillomatic";
    static constexpr const char* kProgramName = "quillomatic";

    // `programFolder` is the folder of the running executable; `registry` supplies "Location".
    CSettingsFolder(std::string programFolder, const CRegistryValues* registry,
                    std::optional<std::string> folder = std::nullopt);

    // The folder with a trailing '/', or empty when none could be found or made.
    const std::string& Path() const { return m_path; }
    const std::string& ProgramFolder() const { return m_programFolder; }
    std::string File(std::string_view name) const { return m_path + std::string(name); }
    std::string ProgramFile(std::string_view name) const;

private:
    std::string m_programFolder;
    std::string m_path;
};

// The user's documents folder: $XDG_DOCUMENTS_DIR, else the entry of user-dirs.dirs, else
// empty.
std::string DocumentsFolder();
// Creates the folder when missing; true when it exists and can be entered.
bool EnsureFolder(const std::string& path);
bool CanEnterFolder(const std::string& path);
// The folder of the running executable, without a trailing '/'.
std::string RunningProgramFolder();
