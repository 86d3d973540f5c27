#include "recording/CursorRecorder.h"

#include <algorithm>

#include "project/model/DemoProject.h"
#include "project/stream/CaptureStream.h"

namespace {

// Draws a premultiplied ARGB pixel over a screen pixel.
uint32_t Over(uint32_t argb, uint32_t below) {
    const uint32_t a = argb >> 24;
    if (a == 0xFF) {
        return argb & 0x00FFFFFFu;
    }
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t src = (argb >> shift) & 0xFF;
        const uint32_t dst = (below >> shift) & 0xFF;
        const uint32_t c = std::min<uint32_t>(255, src + (dst * (255 - a) + 127) / 255);
        out |= c << shift;
    }
    return out;
}

}  // namespace

CCursorRecorder::CCursorRecorder(CDemoProject& project, CCaptureStream& stream,
                                 ICursorSource& cursor)
    : m_project(project), m_stream(stream), m_cursor(cursor) {}

void CCursorRecorder::FirstUse(uint32_t hCursor) {
    m_bStarted = true;
    SCursorPicture picture;
    if (m_cursor.Picture(hCursor, picture)) {
        m_nCw = std::clamp(picture.width, kMinCursorSize, kMaxCursorSize);
        m_nCh = std::clamp(picture.height, kMinCursorSize, kMaxCursorSize);
    }
    CCursorImageTable& table = m_project.m_CursorImages;
    if (!table.m_bPresent) {
        table.m_nWidth = m_nCw;
        table.m_nHeight = m_nCh;
        table.m_bPresent = true;
    }
}

uint8_t CCursorRecorder::AddTableEntry(const SCursorPicture& picture) {
    CCursorImage image;
    image.m_hCursor = picture.shape;
    image.m_nHotX = picture.hotX;
    image.m_nHotY = picture.hotY;
    image.m_pPixels.assign(static_cast<size_t>(m_nCw) * m_nCh, kCursorPixelTransparent);
    // X cursors are full-colour pictures with alpha: none of their pixels inverts the screen, so
    // each pixel is the cursor drawn on black, or transparent where alpha is 0.
    for (int32_t y = 0; y < std::min(m_nCh, picture.height); ++y) {
        for (int32_t x = 0; x < std::min(m_nCw, picture.width); ++x) {
            const uint32_t p = picture.argb[static_cast<size_t>(y) * picture.width + x];
            if ((p >> 24) != 0) {
                image.m_pPixels[static_cast<size_t>(y) * m_nCw + x] = p & 0x00FFFFFFu;
            }
        }
    }
    m_project.m_CursorImages.Add(std::move(image));
    return 0;
}

void CCursorRecorder::WriteCursorRecord(const SCursorState& state, uint32_t delay,
                                        const uint32_t* pScreen, int32_t width, int32_t height) {
    if (!m_bStarted) {
        FirstUse(state.hCursor);
    }
    CFrameInfo* pFrame = m_project.LastFrame();
    if (pFrame == nullptr) {
        return;
    }
    // A hidden cursor keeps the shape drawn last, so that the frame still knows its cursor.
    uint32_t hCursor = state.hCursor;
    SCursorPicture picture;
    bool known = false;
    if (state.hidden != 0 && m_hLastDrawn != 0) {
        hCursor = m_hLastDrawn;
        known = m_cursor.Picture(hCursor, picture);
    } else {
        known = m_cursor.Picture(hCursor, picture);
    }
    int32_t x = state.x;
    int32_t y = state.y;
    if (known) {
        x -= picture.hotX;
        y -= picture.hotY;
    }
    const bool visible = known && x >= -m_nCw && y >= -m_nCh && x < width && y < height;
    if (!visible) {
        pFrame->m_hCursor = 0;
        m_stream.WriteTick(delay);
        return;
    }

    pFrame->m_hCursor = hCursor;
    pFrame->m_nCursorX = x;
    pFrame->m_nCursorY = y;
    if (CFrameInfo* pPrev = pFrame->m_pPrev) {
        pPrev->m_nCursorEndX = static_cast<int16_t>(x);
        pPrev->m_nCursorEndY = static_cast<int16_t>(y);
    }
    if (hCursor != m_hLastDrawn) {
        m_hLastDrawn = hCursor;
        const CCursorImage* pEntry = m_project.m_CursorImages.Find(hCursor, 0);
        m_bLastInverts = pEntry != nullptr ? pEntry->m_bInverts : AddTableEntry(picture);
    }
    pFrame->m_bCursorInverts = m_bLastInverts;
    pFrame->m_bClickDown = state.clickDown;
    pFrame->m_bClickUp = state.clickUp;
    pFrame->m_bCursorNotShown = state.hidden;
    WriteComposed(x, y, picture, delay, pScreen, width, height);
}

void CCursorRecorder::WriteComposed(int32_t x, int32_t y, const SCursorPicture& picture,
                                    uint32_t delay, const uint32_t* pScreen, int32_t width,
                                    int32_t height) {
    // Only the part of the cursor area inside the capture is stored; its frame keeps the true
    // position, so that the table picture is still placed right.
    const int32_t left = std::max(x, 0);
    const int32_t top = std::max(y, 0);
    const int32_t right = std::min(x + m_nCw, width) - 1;
    const int32_t bottom = std::min(y + m_nCh, height) - 1;
    if (left > right || top > bottom) {
        m_stream.WriteTick(delay);
        return;
    }
    // The stream takes pixels at their place in a picture of the capture's size.
    m_Work.resize(static_cast<size_t>(width) * height);
    for (int32_t row = top; row <= bottom; ++row) {
        for (int32_t col = left; col <= right; ++col) {
            const size_t i = static_cast<size_t>(row) * width + col;
            uint32_t p = pScreen[i];
            const int32_t cx = col - x;
            const int32_t cy = row - y;
            if (cx < picture.width && cy < picture.height) {
                p = Over(picture.argb[static_cast<size_t>(cy) * picture.width + cx], p);
            }
            m_Work[i] = p;
        }
    }
    m_stream.WriteRect(left, top, right, bottom, m_Work.data(), static_cast<size_t>(width),
                       kRecordCursor, delay, true);
}
