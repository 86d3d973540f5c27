// Writes a project's frame image stream while it is recorded or re-encoded: the header and the
// records go through a memory ring into the picture file ("DMO*.tmp"), the picture offset table
// straight into the index file ("DIX*.tmp"). Both files are made in the given temporary folder and
// handed to the project-file writer when the stream stops.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "project/stream/RingBuffer.h"
#include "project/stream/StreamFormat.h"

class CDemoProject;
class CFrameInfo;
struct SCaptureContext;

// The two files of a stopped stream.
struct SCaptureFiles {
    std::string dataPath;
    std::string indexPath;
    uint32_t nPictures = 0;
    uint64_t nDataBytes = 0;
};

class CCaptureStream {
public:
    // A type-3 or type-4 record holds at most this many hundredths of a second.
    static constexpr uint32_t kMaxIncrement = 0xFFFF;
    // What a capture tick writes of the ring at most, and how long records may stay in memory
    // only: a recording killed outright loses no more than that.
    static constexpr size_t kFlushPerTick = 65'536;
    static constexpr uint32_t kFlushIntervalMs = 500;

    CCaptureStream() = default;
    // A stream that was never stopped deletes its files.
    ~CCaptureStream();
    CCaptureStream(const CCaptureStream&) = delete;
    CCaptureStream& operator=(const CCaptureStream&) = delete;

    // Creates the two files in `tempDir`, writes the header and sets the project's recording
    // size and pixel coding. `nRingBytes` 0 takes the default ring size. False when a file
    // cannot be made.
    bool Begin(CDemoProject& project, const std::string& tempDir, int nWidth, int nHeight,
               bool bZlibPixels, size_t nRingBytes = 0);

    // Writes the offset of the coming picture to the table and appends a new frame.
    CFrameInfo& AppendCapturedFrame(const SCaptureContext& context);
    CFrameInfo& AppendCapturedFrame();

    // Appends a record of type 1, 2 or 3 for the rectangle (inclusive corners, in pixels of the
    // recorded area) taken from `pPixels`, where pixel (x, y) is pPixels[y * nRowLength + x].
    // For type 3 the time increment comes first and, with `bCount`, is added to the last frame's
    // durations. False (nothing written) for a rectangle outside the recorded area.
    bool WriteRect(int nLeft, int nTop, int nRight, int nBottom, const uint32_t* pPixels,
                   size_t nRowLength, EStreamRecordType type, uint32_t nIncrement = 0,
                   bool bCount = false);

    // Appends time without a cursor picture and adds it to the last frame's durations.
    void WriteTick(uint32_t nIncrement);

    // Writes up to `nBytes` bytes of the ring to the picture file.
    bool Flush(size_t nBytes) { return m_Ring.Flush(nBytes); }
    // The flush of a capture tick at clock time `nNowMs` (milliseconds): up to kFlushPerTick
    // bytes, and everything once kFlushIntervalMs passed since the ring was last emptied.
    bool FlushForTick(uint32_t nNowMs);

    // Flushes everything, closes both files and hands them over; false when a write failed.
    bool Stop(SCaptureFiles& files);
    // Writes out everything buffered and describes both files, which stay open so that the
    // recording can go on; false when a write failed or the stream is not open.
    bool Sync(SCaptureFiles& files);
    // Closes and deletes both files.
    void Discard();

    bool IsOpen() const { return m_fdData >= 0; }
    uint64_t BytesWritten() const { return m_Ring.TotalBytes(); }
    // Bytes written to the stream that are still in memory only.
    size_t Unflushed() const { return m_Ring.Unflushed(); }
    uint32_t PictureCount() const { return m_nPictures; }
    size_t RingCapacity() const { return m_Ring.Capacity(); }
    bool WriteFailed() const { return m_Ring.WriteFailed() || m_bTableFailed; }
    const std::string& DataPath() const { return m_DataPath; }
    const std::string& IndexPath() const { return m_IndexPath; }

private:
    void WriteTableEntry();
    void AddToLastFrame(uint32_t nIncrement);
    void PutTicks(uint32_t nIncrement);
    void CloseFiles();

    CDemoProject* m_pProject = nullptr;
    CRingBuffer m_Ring;
    int m_fdData = -1;
    int m_fdIndex = -1;
    std::string m_DataPath;
    std::string m_IndexPath;
    int m_nWidth = 0;
    int m_nHeight = 0;
    bool m_bZlib = false;
    uint32_t m_nPictures = 0;
    bool m_bTableFailed = false;
    bool m_bFlushClockSet = false;
    uint32_t m_nLastEmptied = 0;
    std::vector<uint32_t> m_Column;
    std::vector<uint8_t> m_Encoded;
};
