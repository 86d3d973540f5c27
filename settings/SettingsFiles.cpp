#include "settings/SettingsFiles.h"

#include <filesystem>
#include <system_error>

#include "project/ops/TimingData.h"
#include "settings/CustomDefaults.h"

CSettingsFiles::CSettingsFiles(CRegistryValues registry, std::string programFolder,
                               std::optional<std::string> folder)
    : m_registry(std::move(registry)),
      m_folder(std::move(programFolder), &m_registry, std::move(folder)) {}

void CSettingsFiles::Start() {
    m_settings = CAppSettings();
    if (!m_settings.LoadConfig(m_folder) && !m_folder.Path().empty()) {
        m_settings.SaveConfig(m_folder.Path());
    }
    if (m_folder.Path().empty()) {
        return;
    }
    if (!m_state.ReadFile(StateFile())) {
        std::string projects = m_folder.File("Projects");
        if (EnsureFolder(projects)) {
            m_state.m_strLastProjectFolder = projects + "/";
        }
        m_state.m_block.m_bCreateWebPage = 1;
        m_state.WriteFile(StateFile());
    }
}

bool CSettingsFiles::Exit() {
    bool ok = m_registry.WriteVersion();
    ok = !m_folder.Path().empty() && m_settings.SaveConfig(m_folder.Path()) && ok;
    ok = !m_folder.Path().empty() && m_state.WriteFile(StateFile()) && ok;
    return ok;
}

SProjectFileHooks CSettingsFiles::ProjectFileHooks() const {
    SProjectFileHooks hooks;
    if (m_settings.m_bExportTimingData) {
        InstallTimingDataHooks(hooks);
    }
    if (m_settings.m_bUseCustomDefaults) {
        hooks.applyCustomDefaults = [this](CDemoProject& project) {
            ApplyCustomDefaults(m_folder, project);
        };
    }
    return hooks;
}
