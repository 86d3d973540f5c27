// Brings a frame record read from an older project file up to the current meaning of its
// fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "project/model/FrameInfo.h"

struct SFrameUpgradeContext {
    int nVersion = 0;                // the file's version, major x 100 + minor
    std::size_t nRecordSize = 520;   // bytes of the record that the file stores
    std::int32_t nFrameNumber = 1;   // 1-based position of the frame in the list
    bool bHasSyncOwner = false;      // the stored record names a synchronised-sound owner
    bool bFirstFrameHasPan = false;  // the project's first frame has a pan picture
    std::int32_t nWidth = 0;         // recorded area
    std::int32_t nHeight = 0;
    // Length of the frame's sound, when it can be read (single-frame sound length).
    std::optional<std::int64_t> nSoundLengthMs;
};

void UpgradeFrameRecord(CFrameRecord& frame, const SFrameUpgradeContext& context);
// Keeps the zoom region inside the recorded area.
void ClipZoomRegion(CFrameRecord& frame, std::int32_t nWidth, std::int32_t nHeight);

// Offset at which the 16-bit forms of the stream frame and the targets end in a stored record.
constexpr std::size_t kLegacyFieldsEnd = 178;
