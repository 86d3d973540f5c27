// Read access to one frame image stream: its header, its picture offset table and the bytes of
// each picture. A stream lives in the two temporary files of a recording, inside a project file,
// or (tests, fuzzing) in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "project/stream/StreamFormat.h"

class CStreamFile {
public:
    CStreamFile() = default;
    ~CStreamFile();
    CStreamFile(const CStreamFile&) = delete;
    CStreamFile& operator=(const CStreamFile&) = delete;

    // The picture file and index file of a recording; the table width is told by its marker.
    bool OpenCapture(const std::string& dataPath, const std::string& indexPath);

    // A stream stored in one file: the record data at `nDataPos` (`nDataLen` bytes) and
    // `nPictures` + 1 table entries at `nTablePos`. `nWrapFrame` is the 1-based frame at which a
    // 32-bit table wrapped past 4 GiB (0 = none).
    bool OpenInFile(const std::string& path, uint64_t nDataPos, uint64_t nDataLen,
                    uint64_t nTablePos, uint32_t nPictures, bool bWideOffsets, uint32_t nWrapFrame);

    // A stream held in memory; the table is in capture form (no end entry).
    bool OpenMemory(std::vector<uint8_t> data, std::vector<uint8_t> table);

    void Close();

    bool IsOpen() const { return m_bOpen; }
    const SStreamHeader& Header() const { return m_Header; }
    uint32_t PictureCount() const { return m_nPictures; }
    bool WideOffsets() const { return m_bWide; }
    // File position of the record data's first byte (the header).
    uint64_t DataPos() const { return m_nDataPos; }

    // The file positions at which picture `nPicture`'s records begin and end, clamped to the
    // record data; `bCut` tells that the table placed them beyond it. False for a picture the
    // table does not have.
    bool PictureRange(uint32_t nPicture, uint64_t& nStart, uint64_t& nEnd, bool& bCut) const;

    // Reads the bytes between two file positions, clamped to the record data, into `out`.
    bool ReadData(uint64_t nStart, uint64_t nEnd, std::vector<uint8_t>& out) const;

private:
    bool ReadTable(uint64_t nPos, void* pOut, size_t nBytes) const;
    bool ReadEntry(uint32_t nIndex, uint64_t& nOffset) const;
    bool Finish();

    bool m_bOpen = false;
    int m_fdData = -1;
    int m_fdTable = -1;
    std::vector<uint8_t> m_MemData;
    std::vector<uint8_t> m_MemTable;
    bool m_bMemory = false;

    uint64_t m_nDataPos = 0;
    uint64_t m_nDataLen = 0;
    uint64_t m_nTablePos = 0;
    uint64_t m_nTableLen = 0;
    uint32_t m_nPictures = 0;
    bool m_bWide = true;
    uint32_t m_nWrapFrame = 0;
    SStreamHeader m_Header;
};
