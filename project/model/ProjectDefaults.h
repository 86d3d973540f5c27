// The project keeps its talk-bubble, hotspot and zoom defaults as members of its own; the
// project file and the custom defaults carry them inside the settings block. These two copy
// them across.
#pragma once

class CDemoProject;

// The members into m_Settings, before the settings are written or replaced.
void StoreProjectDefaults(CDemoProject& project);
// m_Settings into the members, after the settings were read or replaced.
void LoadProjectDefaults(CDemoProject& project);
