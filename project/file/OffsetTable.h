// The picture offset table at the start of a project file and the trailer offset after it:
// which width its entries have, how many stream pictures it names, where the data area starts
// and whether the file was finished.
#pragma once

#include <cstdint>
#include <cstdio>

constexpr std::uint64_t kUnfinishedTrailer = 0xFFFFFFFF;
constexpr std::uint64_t k4GiB = std::uint64_t{1} << 32;

struct SOffsetTable {
    bool bWide = true;
    std::uint32_t nPictures = 0;
    std::uint32_t nWrapFrame = 0;   // 32-bit table: 1-based entry at which offsets wrapped
    std::uint64_t nEndOffset = 0;   // end of the stream data, counted from the data area
    std::uint64_t nSlotPos = 0;     // file position of the trailer offset
    std::uint64_t nDataStart = 0;   // file position of the data area
    std::uint64_t nTrailerPos = 0;  // the trailer offset as stored
    bool bFinished = false;         // the trailer offset names a place inside the file

    std::uint32_t EntrySize() const { return bWide ? 8 : 4; }
    std::uint64_t DataEnd() const { return nDataStart + nEndOffset; }
};

// Reads the table of a file of `nFileSize` bytes. False when the table does not end inside the
// file or names no stream at all.
bool ReadOffsetTable(std::FILE* file, std::uint64_t nFileSize, SOffsetTable& table);
