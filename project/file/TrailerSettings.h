// The project settings of a trailer, in two runs around the cursor table: the head (preview
// size to output names) and the tail (reserved line to source projects). Readers apply the
// version thresholds of the tail items: an item that a file of that version does not hold
// keeps its current value.
#pragma once

#include "project/model/ProjectSettings.h"

class CStoreReader;
class CStoreWriter;

void WriteSettingsHead(CStoreWriter& out, const CProjectSettings& s);
void WriteSettingsTail(CStoreWriter& out, const CProjectSettings& s);
bool ReadSettingsHead(CStoreReader& in, CProjectSettings& s);
bool ReadSettingsTail(CStoreReader& in, int version, CProjectSettings& s);

// Offset of the font slot in a stored frame record: non-zero when a 60-byte font follows.
constexpr std::size_t kRecordFontSlot = 68;
