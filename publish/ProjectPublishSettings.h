// The publish settings a project file keeps, taken over into the publisher's settings.
#pragma once

struct CProjectSettings;
struct CPublishSettings;

void ApplyProjectPublishSettings(const CProjectSettings& stored, CPublishSettings& settings);
