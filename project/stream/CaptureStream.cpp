#include "project/stream/CaptureStream.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "project/model/DemoProject.h"
#include "project/stream/PixelCoding.h"

namespace {

int MakeTempFile(const std::string& dir, const char* prefix, std::string& path) {
    std::string pattern = dir;
    if (!pattern.empty() && pattern.back() != '/') {
        pattern += '/';
    }
    pattern += prefix;
    pattern += "XXXXXX.tmp";
    int fd = mkstemps(pattern.data(), 4);
    if (fd >= 0) {
        path = pattern;
    }
    return fd;
}

bool WriteAll(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        ssize_t nDone = ::write(fd, p, n);
        if (nDone <= 0) {
            return false;
        }
        p += nDone;
        n -= static_cast<size_t>(nDone);
    }
    return true;
}

}  // namespace

CCaptureStream::~CCaptureStream() {
    Discard();
}

bool CCaptureStream::Begin(CDemoProject& project, const std::string& tempDir, int nWidth,
                           int nHeight, bool bZlibPixels, size_t nRingBytes) {
    Discard();
    if (nWidth <= 0 || nHeight <= 0 || nWidth > INT16_MAX || nHeight > INT16_MAX) {
        return false;
    }
    m_fdData = MakeTempFile(tempDir, "DMO", m_DataPath);
    m_fdIndex = MakeTempFile(tempDir, "DIX", m_IndexPath);
    if (m_fdData < 0 || m_fdIndex < 0) {
        Discard();
        return false;
    }
    // Held until the stream stops, so that another instance never offers a live recording
    // for recovery.
    ::flock(m_fdData, LOCK_EX | LOCK_NB);
    m_pProject = &project;
    m_nWidth = nWidth;
    m_nHeight = nHeight;
    m_bZlib = bZlibPixels;
    m_nPictures = 0;
    m_bTableFailed = false;
    m_bFlushClockSet = false;
    project.m_nWidth = nWidth;
    project.m_nHeight = nHeight;
    project.m_b24BitColor = true;
    project.m_bZlibPixels = bZlibPixels;

    m_Ring.Begin(m_fdData, nRingBytes == 0 ? CRingBuffer::DefaultCapacity() : nRingBytes);
    auto header = EncodeStreamHeader(nWidth, nHeight, bZlibPixels);
    m_Ring.Put(header.data(), header.size());
    return true;
}

void CCaptureStream::WriteTableEntry() {
    auto entry = EncodeTableEntry(m_Ring.TotalBytes(), m_nPictures == 0);
    if (!WriteAll(m_fdIndex, entry.data(), entry.size())) {
        m_bTableFailed = true;
    }
    ++m_nPictures;
}

CFrameInfo& CCaptureStream::AppendCapturedFrame(const SCaptureContext& context) {
    WriteTableEntry();
    return m_pProject->AppendCapturedFrame(context);
}

CFrameInfo& CCaptureStream::AppendCapturedFrame() {
    return AppendCapturedFrame(SCaptureContext{});
}

void CCaptureStream::AddToLastFrame(uint32_t nIncrement) {
    if (CFrameInfo* pLast = m_pProject->LastFrame()) {
        pLast->m_nDuration += static_cast<int32_t>(nIncrement);
        pLast->m_nRecordedDuration += static_cast<int32_t>(nIncrement);
    }
}

void CCaptureStream::PutTicks(uint32_t nIncrement) {
    // Only 16 bits fit in a record: a longer pause becomes several records.
    while (nIncrement > 0) {
        const uint32_t nPart = std::min(nIncrement, kMaxIncrement);
        const uint8_t record[3] = {kRecordTick, static_cast<uint8_t>(nPart & 0xFF),
                                   static_cast<uint8_t>(nPart >> 8)};
        m_Ring.Put(record, sizeof record);
        nIncrement -= nPart;
    }
}

void CCaptureStream::WriteTick(uint32_t nIncrement) {
    if (!IsOpen()) {
        return;
    }
    PutTicks(nIncrement);
    AddToLastFrame(nIncrement);
}

bool CCaptureStream::WriteRect(int nLeft, int nTop, int nRight, int nBottom,
                               const uint32_t* pPixels, size_t nRowLength, EStreamRecordType type,
                               uint32_t nIncrement, bool bCount) {
    if (!IsOpen() || pPixels == nullptr || type < kRecordOldPixels || type > kRecordCursor ||
        nLeft < 0 || nTop < 0 || nLeft > nRight || nTop > nBottom || nRight >= m_nWidth ||
        nBottom >= m_nHeight || nRowLength < static_cast<size_t>(nRight) + 1) {
        return false;
    }
    uint8_t head[11];
    size_t nHead = 0;
    head[nHead++] = type;
    if (type == kRecordCursor) {
        // The part of a long increment that does not fit goes into tick records before it.
        const uint32_t nOwn = std::min(nIncrement, kMaxIncrement);
        PutTicks(nIncrement - nOwn);
        PutU16(head + nHead, static_cast<uint16_t>(nOwn));
        nHead += 2;
        if (bCount) {
            AddToLastFrame(nIncrement);
        }
    }
    for (int v : {nLeft, nRight, nTop, nBottom}) {
        PutU16(head + nHead, static_cast<uint16_t>(v));
        nHead += 2;
    }
    m_Ring.Put(head, nHead);

    const size_t nWidth = static_cast<size_t>(nRight - nLeft + 1);
    const size_t nHeight = static_cast<size_t>(nBottom - nTop + 1);
    m_Column.resize(nWidth * nHeight);
    size_t i = 0;
    for (size_t x = 0; x < nWidth; ++x) {
        const uint32_t* p = pPixels + static_cast<size_t>(nTop) * nRowLength + nLeft + x;
        for (size_t y = 0; y < nHeight; ++y, p += nRowLength) {
            m_Column[i++] = *p;
        }
    }
    for (uint32_t px : m_Column) {
        m_pProject->CountColor(px);
    }
    m_Encoded.clear();
    if (m_bZlib) {
        if (!AppendZlibPixels(m_Column, m_Encoded)) {
            return false;
        }
    } else {
        AppendRle24(m_Column, m_Encoded);
    }
    m_Ring.Put(m_Encoded.data(), m_Encoded.size());
    return true;
}

bool CCaptureStream::FlushForTick(uint32_t nNowMs) {
    if (!m_bFlushClockSet) {
        m_bFlushClockSet = true;
        m_nLastEmptied = nNowMs;
    }
    bool bOk = m_Ring.Flush(kFlushPerTick);
    if (m_Ring.Unflushed() == 0) {
        m_nLastEmptied = nNowMs;
    } else if (static_cast<int32_t>(nNowMs - m_nLastEmptied) >=
               static_cast<int32_t>(kFlushIntervalMs)) {
        bOk = m_Ring.FlushAll() && bOk;
        m_nLastEmptied = nNowMs;
    }
    return bOk;
}

void CCaptureStream::CloseFiles() {
    if (m_fdData >= 0) {
        ::close(m_fdData);
    }
    if (m_fdIndex >= 0) {
        ::close(m_fdIndex);
    }
    m_fdData = m_fdIndex = -1;
    m_Ring.End();
}

bool CCaptureStream::Sync(SCaptureFiles& files) {
    if (!IsOpen()) {
        return false;
    }
    m_Ring.FlushAll();
    files.dataPath = m_DataPath;
    files.indexPath = m_IndexPath;
    files.nPictures = m_nPictures;
    files.nDataBytes = m_Ring.TotalBytes();
    return !WriteFailed();
}

bool CCaptureStream::Stop(SCaptureFiles& files) {
    if (!IsOpen()) {
        return false;
    }
    const bool bOk = Sync(files);
    CloseFiles();
    m_DataPath.clear();
    m_IndexPath.clear();
    m_pProject = nullptr;
    return bOk;
}

void CCaptureStream::Discard() {
    CloseFiles();
    for (std::string* pPath : {&m_DataPath, &m_IndexPath}) {
        if (!pPath->empty()) {
            std::remove(pPath->c_str());
            pPath->clear();
        }
    }
    m_pProject = nullptr;
}
