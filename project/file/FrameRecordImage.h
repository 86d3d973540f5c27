// The 520-byte stored image of a frame record, as project files, autosaves and the style
// clipboard hold it. Fields are written and read one by one at their fixed offsets,
// little-endian. A pointer slot holds 1 when its item is present (the item itself is stored
// after the record by the project file) and 0 when it is absent; the pointer values never
// reach the file. Reserved bytes are carried unchanged from a read to the next write.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "project/model/FrameInfo.h"

inline constexpr std::size_t kFrameRecordSize = 520;
using TFrameRecordImage = std::array<uint8_t, kFrameRecordSize>;

// What the stored image says about a record's place in the project.
struct SFrameRecordLinks {
    bool bHasPrev = false;
    bool bHasNext = false;  // clear in the last record: that is where the records end
    // Frames with equal non-zero numbers continue one synchronised sound; 0 = none.
    uint32_t nSyncGroup = 0;

    friend bool operator==(const SFrameRecordLinks&, const SFrameRecordLinks&) = default;
};

// Writes the image of a record. Memory-only fields (caches, stream positions, the redraw
// switch) are stored as 0, and an undone edited picture as absent, since it is not saved.
void WriteFrameRecordImage(const CFrameRecord& frame, const SFrameRecordLinks& links,
                           TFrameRecordImage& out);

// Reads an image into a record. Present items are created empty for the project file reader to
// fill; the editor's cache block is created anew and the other memory-only fields are cleared.
// The sync owner is not resolved here: the returned links carry its group number.
SFrameRecordLinks ReadFrameRecordImage(const TFrameRecordImage& in, CFrameRecord& frame);

// The links of a frame of a list, for writing the frames one after another in list order.
// Sync groups are numbered 1, 2, 3, ... in the order their owners are first met.
class CFrameRecordLinker {
public:
    SFrameRecordLinks LinksOf(const CFrameInfo& frame);

private:
    std::unordered_map<const CFrameInfo*, uint32_t> m_SyncGroups;
};

// One named field of the stored image, for tools and checks that show the layout.
struct SFrameRecordField {
    std::size_t nOffset;
    std::size_t nWidth;
    std::string name;  // "reserved" for reserved bytes
};
std::vector<SFrameRecordField> FrameRecordLayout();
