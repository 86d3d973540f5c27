// Writes a new frame image stream from whole pictures, as removing deleted frames, combining
// projects and importing a video need: each picture is compared with the one before it by the
// recorder's change finder and only the changed rectangles are written (old pixels, then new),
// or the whole area when they cover more than a third of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Rect.h"
#include "project/stream/CaptureStream.h"
#include "project/stream/PixelCoding.h"

class CDemoProject;
class CFrameInfo;

class CStreamReencoder {
public:
    struct SChanges {
        std::vector<SRect> rects;  // inclusive edges
        bool bWhole = false;       // the whole area is written as one rectangle
    };

    // The frames of the new stream are appended to `target`.
    explicit CStreamReencoder(CDemoProject& target) : m_Target(target) {}

    // Creates the two temporary files in `tempDir` and writes the stream header.
    bool Begin(const std::string& tempDir, int nWidth, int nHeight, bool bZlibPixels);

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    size_t PixelCount() const { return static_cast<size_t>(m_nWidth) * m_nHeight; }

    // Where two pictures of the stream's size differ; the whole area when the changes cover
    // more than a third of it.
    SChanges FindChanges(const uint32_t* pOld, const uint32_t* pNew) const;
    SChanges Whole() const;

    // Appends a frame to the target and writes its picture: every changed rectangle as old
    // pixels from `pOld` and new pixels from `pNew`.
    CFrameInfo& WritePicture(const uint32_t* pOld, const uint32_t* pNew, const SChanges& changes);

    // Copies the cursor and time records among `records` (one picture of another stream, whose
    // pixels are coded as `coding`), moved by (nDx, nDy); its rectangle records are skipped.
    // False when the records are damaged.
    bool CopyCursorRecords(const std::vector<uint8_t>& records, EPixelCoding coding, int nDx,
                           int nDy);

    bool Stop(SCaptureFiles& files) { return m_Stream.Stop(files); }
    void Discard() { m_Stream.Discard(); }
    bool WriteFailed() const { return m_Stream.WriteFailed(); }

private:
    CDemoProject& m_Target;
    CCaptureStream m_Stream;
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<uint32_t> m_Cursor;
};
