#include "project/stream/StreamFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {

int OpenRead(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

uint64_t FileSize(int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 && st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

bool ReadAt(int fd, uint64_t nPos, void* pOut, size_t nBytes) {
    auto* p = static_cast<uint8_t*>(pOut);
    while (nBytes > 0) {
        ssize_t n = ::pread(fd, p, nBytes, static_cast<off_t>(nPos));
        if (n <= 0) {
            return false;
        }
        p += n;
        nPos += static_cast<uint64_t>(n);
        nBytes -= static_cast<size_t>(n);
    }
    return true;
}

constexpr uint64_t k4GiB = 1ull << 32;

}  // namespace

CStreamFile::~CStreamFile() {
    Close();
}

void CStreamFile::Close() {
    if (m_fdTable >= 0 && m_fdTable != m_fdData) {
        ::close(m_fdTable);
    }
    if (m_fdData >= 0) {
        ::close(m_fdData);
    }
    m_fdData = m_fdTable = -1;
    m_MemData.clear();
    m_MemTable.clear();
    m_bMemory = false;
    m_bOpen = false;
    m_nPictures = 0;
    m_Header = SStreamHeader{};
}

bool CStreamFile::OpenCapture(const std::string& dataPath, const std::string& indexPath) {
    Close();
    m_fdData = OpenRead(dataPath);
    m_fdTable = OpenRead(indexPath);
    if (m_fdData < 0 || m_fdTable < 0) {
        Close();
        return false;
    }
    m_nDataPos = 0;
    m_nDataLen = FileSize(m_fdData);
    m_nTablePos = 0;
    m_nTableLen = FileSize(m_fdTable);
    uint8_t first[8] = {};
    m_bWide = m_nTableLen >= 8 && ReadAt(m_fdTable, 0, first, 8) && first[7] == 0xFF;
    m_nPictures =
        static_cast<uint32_t>(std::min<uint64_t>(m_nTableLen / (m_bWide ? 8 : 4), UINT32_MAX));
    m_nWrapFrame = 0;
    return Finish();
}

bool CStreamFile::OpenInFile(const std::string& path, uint64_t nDataPos, uint64_t nDataLen,
                             uint64_t nTablePos, uint32_t nPictures, bool bWideOffsets,
                             uint32_t nWrapFrame) {
    Close();
    m_fdData = OpenRead(path);
    if (m_fdData < 0) {
        return false;
    }
    m_fdTable = m_fdData;
    const uint64_t nFile = FileSize(m_fdData);
    m_nDataPos = std::min(nDataPos, nFile);
    m_nDataLen = std::min(nDataLen, nFile - m_nDataPos);
    m_nTablePos = std::min(nTablePos, nFile);
    m_bWide = bWideOffsets;
    const uint64_t nEntrySize = m_bWide ? 8 : 4;
    m_nTableLen =
        std::min((static_cast<uint64_t>(nPictures) + 1) * nEntrySize, nFile - m_nTablePos);
    m_nPictures = static_cast<uint32_t>(std::min<uint64_t>(nPictures, m_nTableLen / nEntrySize));
    m_nWrapFrame = nWrapFrame;
    return Finish();
}

bool CStreamFile::OpenMemory(std::vector<uint8_t> data, std::vector<uint8_t> table) {
    Close();
    m_bMemory = true;
    m_MemData = std::move(data);
    m_MemTable = std::move(table);
    m_nDataPos = 0;
    m_nDataLen = m_MemData.size();
    m_nTablePos = 0;
    m_nTableLen = m_MemTable.size();
    m_bWide = m_nTableLen >= 8 && m_MemTable[7] == 0xFF;
    m_nPictures = static_cast<uint32_t>(m_nTableLen / (m_bWide ? 8 : 4));
    m_nWrapFrame = 0;
    return Finish();
}

bool CStreamFile::Finish() {
    std::vector<uint8_t> head;
    if (!ReadData(m_nDataPos, m_nDataPos + kStreamHeaderSize, head) ||
        !ParseStreamHeader(head, m_Header)) {
        Close();
        return false;
    }
    m_bOpen = true;
    return true;
}

bool CStreamFile::ReadTable(uint64_t nPos, void* pOut, size_t nBytes) const {
    if (nPos > m_nTableLen || nBytes > m_nTableLen - nPos) {
        return false;
    }
    if (m_bMemory) {
        std::memcpy(pOut, m_MemTable.data() + nPos, nBytes);
        return true;
    }
    return ReadAt(m_fdTable, m_nTablePos + nPos, pOut, nBytes);
}

bool CStreamFile::ReadEntry(uint32_t nIndex, uint64_t& nOffset) const {
    uint8_t b[8] = {};
    const size_t nEntrySize = m_bWide ? 8 : 4;
    if (!ReadTable(static_cast<uint64_t>(nIndex) * nEntrySize, b, nEntrySize)) {
        return false;
    }
    nOffset = 0;
    for (size_t i = 0; i < nEntrySize; ++i) {
        nOffset |= static_cast<uint64_t>(b[i]) << (8 * i);
    }
    if (m_bWide) {
        if (nIndex == 0) {
            nOffset &= kWideTableOffsetMask;
        }
    } else if (m_nWrapFrame > 0 && nIndex + 1 >= m_nWrapFrame) {
        nOffset += k4GiB;
    }
    return true;
}

bool CStreamFile::PictureRange(uint32_t nPicture, uint64_t& nStart, uint64_t& nEnd,
                               bool& bCut) const {
    if (!m_bOpen || nPicture >= m_nPictures) {
        return false;
    }
    uint64_t nFrom = 0;
    if (!ReadEntry(nPicture, nFrom)) {
        return false;
    }
    uint64_t nTo = m_nDataLen;
    if (!ReadEntry(nPicture + 1, nTo)) {
        nTo = m_nDataLen;
    }
    bCut = nFrom < m_Header.nSize || nFrom > m_nDataLen || nTo > m_nDataLen || nTo < nFrom;
    nFrom = std::min(nFrom, m_nDataLen);
    nTo = std::clamp(nTo, nFrom, m_nDataLen);
    nStart = m_nDataPos + nFrom;
    nEnd = m_nDataPos + nTo;
    return true;
}

bool CStreamFile::ReadData(uint64_t nStart, uint64_t nEnd, std::vector<uint8_t>& out) const {
    const uint64_t nDataEnd = m_nDataPos + m_nDataLen;
    nStart = std::clamp(nStart, m_nDataPos, nDataEnd);
    nEnd = std::clamp(nEnd, nStart, nDataEnd);
    out.resize(static_cast<size_t>(nEnd - nStart));
    if (out.empty()) {
        return true;
    }
    if (m_bMemory) {
        std::memcpy(out.data(), m_MemData.data() + (nStart - m_nDataPos), out.size());
        return true;
    }
    return ReadAt(m_fdData, nStart, out.data(), out.size());
}
