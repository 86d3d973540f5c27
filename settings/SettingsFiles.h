// The settings of one program run: found and read at start, written back at exit.
#pragma once

#include <optional>
#include <string>

#include "project/file/ProjectFile.h"
#include "settings/AppSettings.h"
#include "settings/ProgramState.h"
#include "settings/RegistryValues.h"
#include "settings/SettingsFolder.h"

class CSettingsFiles {
public:
    CSettingsFiles(CRegistryValues registry, std::string programFolder,
                   std::optional<std::string> folder = std::nullopt);

    // Reads "config.txt" (writing one with the defaults when there is none) and the program
    // state file. At the first start, when no state file exists, the "Projects" folder becomes
    // the last project folder and the state file is written with the defaults.
    void Start();
    // Writes the registry "Version", "config.txt" and the program state file. Returns false when
    // one of them could not be written.
    bool Exit();

    // What the project file needs from these settings: the timing data file written at every
    // save and read at every open, and the custom defaults applied at every open, each when
    // switched on. Free space and recent files are the caller's.
    SProjectFileHooks ProjectFileHooks() const;

    const CSettingsFolder& Folder() const { return m_folder; }
    const CRegistryValues& Registry() const { return m_registry; }
    std::string StateFile() const { return m_folder.File(CProgramState::kFileName); }

    CAppSettings m_settings;
    CProgramState m_state;

private:
    CRegistryValues m_registry;
    CSettingsFolder m_folder;
};
