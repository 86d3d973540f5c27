// The control bar settings a project keeps: the six scheme colours and three numbers of the bar
// page. Zeroes in the numbers mean the defaults, so projects that never chose a bar keep it.
#pragma once

struct CProjectSettings;
struct CPublishSettings;

void ApplyStoredBarSettings(const CProjectSettings& stored, CPublishSettings& settings);
void StoreBarSettings(const CPublishSettings& settings, CProjectSettings& stored);
