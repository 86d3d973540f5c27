#include "project/stream/RingBuffer.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

uint64_t HalfAvailableMemory() {
    std::FILE* f = std::fopen("/proc/meminfo", "r");
    if (f == nullptr) {
        return 0;
    }
    char line[256];
    unsigned long long nKiB = 0;
    bool bFound = false;
    while (!bFound && std::fgets(line, sizeof line, f) != nullptr) {
        bFound = std::sscanf(line, "MemAvailable: %llu kB", &nKiB) == 1;
    }
    std::fclose(f);
    return bFound ? nKiB * 1024 / 2 : 0;
}

size_t CRingBuffer::DefaultCapacity() {
    const uint64_t nHalf = HalfAvailableMemory();
    if (nHalf == 0) {
        return kLargestRing;
    }
    return static_cast<size_t>(std::clamp<uint64_t>(nHalf, 1, kLargestRing));
}

void CRingBuffer::Begin(int fd, size_t nCapacity) {
    m_fd = fd;
    m_Ring.assign(std::max<size_t>(nCapacity, 1), 0);
    m_nWritePos = m_nFlushPos = m_nUnflushed = 0;
    m_nTotal = 0;
    m_bWriteFailed = false;
}

void CRingBuffer::End() {
    m_fd = -1;
    m_Ring.clear();
    m_Ring.shrink_to_fit();
    m_nWritePos = m_nFlushPos = m_nUnflushed = 0;
}

void CRingBuffer::Put(const uint8_t* p, size_t n) {
    const size_t nRing = m_Ring.size();
    while (n > 0) {
        // Up to the end of the ring, and no further than the flush position once it is ahead.
        size_t nRoom = nRing - m_nWritePos;
        if (m_nFlushPos > m_nWritePos) {
            nRoom = m_nFlushPos - m_nWritePos;
        } else if (m_nFlushPos == m_nWritePos && m_nUnflushed == 0) {
            nRoom = nRing - m_nWritePos;
        }
        const size_t nPiece = std::min(n, nRoom);
        std::memcpy(m_Ring.data() + m_nWritePos, p, nPiece);
        p += nPiece;
        n -= nPiece;
        m_nWritePos = (m_nWritePos + nPiece) % nRing;
        m_nUnflushed += nPiece;
        m_nTotal += nPiece;
        if (m_nWritePos == m_nFlushPos) {
            Flush(kFullFlush);
        }
    }
}

bool CRingBuffer::WriteOut(const uint8_t* p, size_t n) {
    while (n > 0) {
        ssize_t nDone = ::write(m_fd, p, n);
        if (nDone <= 0) {
            m_bWriteFailed = true;
            return false;
        }
        p += nDone;
        n -= static_cast<size_t>(nDone);
    }
    return true;
}

bool CRingBuffer::Flush(size_t n) {
    n = std::min(n, m_nUnflushed);
    if (n == 0) {
        return !m_bWriteFailed;
    }
    const size_t nRing = m_Ring.size();
    const size_t nFirst = std::min(n, nRing - m_nFlushPos);
    // Once the disk refused bytes, nothing more is written: the file keeps the records up to the
    // failure and no pieces of later ones, which a recovery would take for records after a gap.
    bool bOk = !m_bWriteFailed && WriteOut(m_Ring.data() + m_nFlushPos, nFirst);
    if (bOk && nFirst < n) {
        bOk = WriteOut(m_Ring.data(), n - nFirst);
    }
    // The bytes leave the ring even when the disk refused them, so that a full disk cannot stall
    // the capture; the failure is reported through WriteFailed().
    m_nFlushPos = (m_nFlushPos + n) % nRing;
    m_nUnflushed -= n;
    return bOk;
}
