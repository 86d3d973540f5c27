// The publish settings kept outside the project: "config.txt" and the program state file.
#pragma once

class CAppSettings;
struct CProgramState;
struct CPublishSettings;

void ApplyProgramPublishSettings(const CAppSettings& config, const CProgramState& state,
                                 CPublishSettings& settings);
