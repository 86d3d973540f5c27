// Records the cursor of the frame being captured: its position, shape and click marks in the
// frame record, its picture in the project's cursor table (once per shape), and a stream record
// of the area under the cursor with the cursor drawn in, which also carries the frame's delay.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/CursorSource.h"

class CDemoProject;
class CCaptureStream;

// The cursor as the capture tick last saw it, relative to the capture origin.
struct SCursorState {
    int32_t x = 0;  // hot spot
    int32_t y = 0;
    uint32_t hCursor = 0;
    uint8_t clickDown = 0;
    uint8_t clickUp = 0;
    uint8_t hidden = 0;
};

class CCursorRecorder {
public:
    // The table's picture size unless the first cursor seen is larger.
    static constexpr int32_t kMinCursorSize = 32;
    static constexpr int32_t kMaxCursorSize = 256;

    CCursorRecorder(CDemoProject& project, CCaptureStream& stream, ICursorSource& cursor);

    // Records the cursor for the project's last frame with `delay` hundredths of a second.
    // `pScreen` is the captured picture (width × height) the cursor is drawn over.
    void WriteCursorRecord(const SCursorState& state, uint32_t delay, const uint32_t* pScreen,
                           int32_t width, int32_t height);

    int32_t CursorWidth() const { return m_nCw; }
    int32_t CursorHeight() const { return m_nCh; }

private:
    void FirstUse(uint32_t hCursor);
    // Adds the table entry of a shape not seen before; returns its inverting flag.
    uint8_t AddTableEntry(const SCursorPicture& picture);
    void WriteComposed(int32_t x, int32_t y, const SCursorPicture& picture, uint32_t delay,
                       const uint32_t* pScreen, int32_t width, int32_t height);

    CDemoProject& m_project;
    CCaptureStream& m_stream;
    ICursorSource& m_cursor;
    bool m_bStarted = false;
    int32_t m_nCw = kMinCursorSize;
    int32_t m_nCh = kMinCursorSize;
    uint32_t m_hLastDrawn = 0;
    uint8_t m_bLastInverts = 0;
    std::vector<uint32_t> m_Work;
};
