// The publish settings a project file keeps, taken over into the publisher's settings.
#pragma once

#include <cstdint>

struct CProjectSettings;
struct CPublishSettings;
struct CSettingsBlock;

// "Frame Rate:" is kept as decimal text in the first of the settings block's publish strings.
// Empty, unreadable or out-of-range text gives 0: the publisher keeps its default rate.
int32_t StoredFrameRate(const CSettingsBlock& block);
void StoreFrameRate(CSettingsBlock& block, int32_t rate);

void ApplyProjectPublishSettings(const CProjectSettings& stored, CPublishSettings& settings);
