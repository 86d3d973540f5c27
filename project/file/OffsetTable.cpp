#include "project/file/OffsetTable.h"

#include "project/store/StoreReader.h"

namespace {

// The marker byte on top of the first entry of a 64-bit table.
constexpr std::uint64_t kWideMarkerLimit = 0xFEFFFFFF;
constexpr std::uint64_t kWideOffsetMask = 0x00FFFFFFFFFFFFFFull;

}  // namespace

bool ReadOffsetTable(std::FILE* file, std::uint64_t nFileSize, SOffsetTable& table) {
    table = SOffsetTable();
    CStoreReader in(file, 0, nFileSize);
    std::uint64_t first = 0;
    if (!in.U64(first)) {
        return false;
    }
    table.bWide = (first >> 32) > kWideMarkerLimit || (first >> 32) == 0;
    if (!in.Seek(0)) {
        return false;
    }

    std::uint64_t counted = 0;   // non-zero entries that count
    std::uint64_t last = 0;      // the last counted entry: the end offset
    std::uint64_t previous = 0;  // raw value of the entry before
    bool countEnded = false;
    for (std::uint64_t index = 0;; ++index) {
        std::uint64_t entry = 0;
        if (table.bWide) {
            if (!in.U64(entry)) {
                return false;
            }
            if (index == 0) {
                entry &= kWideOffsetMask;
            }
        } else {
            std::uint32_t e32 = 0;
            if (!in.U32(e32)) {
                return false;
            }
            entry = e32;
        }
        if (entry == 0) {
            break;
        }
        if (!table.bWide && index > 0 && entry < previous) {
            if (table.nWrapFrame == 0 && index < UINT32_MAX) {
                table.nWrapFrame = static_cast<std::uint32_t>(index + 1);
            } else {
                countEnded = true;
            }
        }
        previous = entry;
        if (!countEnded) {
            ++counted;
            last = entry + (table.nWrapFrame != 0 ? k4GiB : 0);
        }
    }
    if (counted == 0 || counted - 1 > UINT32_MAX - 2) {
        return false;
    }
    table.nPictures = static_cast<std::uint32_t>(counted - 1);
    table.nEndOffset = last;
    table.nSlotPos = in.Pos();
    std::uint64_t trailer = 0;
    if (table.bWide) {
        if (!in.U64(trailer)) {
            return false;
        }
    } else {
        std::uint32_t t32 = 0;
        if (!in.U32(t32)) {
            return false;
        }
        trailer = t32;
        // Past a wrap the trailer lies beyond 4 GiB too, when the file is that long.
        if (table.nWrapFrame != 0 && trailer < table.nEndOffset && trailer + k4GiB < nFileSize) {
            trailer += k4GiB;
        }
    }
    table.nDataStart = in.Pos();
    table.nTrailerPos = trailer;
    table.bFinished =
        trailer != kUnfinishedTrailer && trailer > table.nDataStart && trailer < nFileSize;
    return true;
}
