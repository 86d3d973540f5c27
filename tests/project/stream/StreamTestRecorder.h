// A simulated recorder for the stream tests: it keeps a screen, writes the changes of every
// capture through the real capture stream (old pixels, then new pixels, key frames as one whole
// rectangle) and remembers each picture's screen and cursor for comparison.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "project/model/DemoProject.h"
#include "project/stream/CaptureStream.h"
#include "project/stream/StreamFile.h"

struct STestRect {
    int nLeft;
    int nTop;
    int nRight;
    int nBottom;
};

struct STestCursor {
    bool bPresent = false;
    int nX = 0;
    int nY = 0;
    int nWidth = 0;
    int nHeight = 0;
    std::vector<uint32_t> pixels;  // rows top to bottom
};

class CTestRecorder {
public:
    CTestRecorder(CDemoProject& project, const std::string& dir, int nWidth, int nHeight,
                  bool bZlib, size_t nRing = 0)
        : m_Project(project),
          m_nWidth(nWidth),
          m_nHeight(nHeight),
          m_Screen(static_cast<size_t>(nWidth) * nHeight, 0) {
        m_bBegun = m_Stream.Begin(project, dir, nWidth, nHeight, bZlib, nRing);
    }

    bool Begun() const { return m_bBegun; }
    CCaptureStream& Stream() { return m_Stream; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }

    // A capture in which `rects` changed to colours from `rng`; every colour keeps the lowest
    // red bit clear, which run-length coding does not store.
    CFrameInfo& Change(const std::vector<STestRect>& rects, std::mt19937& rng) {
        std::vector<uint32_t> next = m_Screen;
        for (const STestRect& rc : rects) {
            const uint32_t cr = Colour(rng);
            for (int y = rc.nTop; y <= rc.nBottom; ++y) {
                for (int x = rc.nLeft; x <= rc.nRight; ++x) {
                    next[Index(x, y)] = rng() % 4 == 0 ? Colour(rng) : cr;
                }
            }
        }
        CFrameInfo& frame = m_Stream.AppendCapturedFrame();
        for (const STestRect& rc : rects) {
            Write(rc, m_Screen, kRecordOldPixels);
        }
        for (const STestRect& rc : rects) {
            Write(rc, next, kRecordNewPixels);
        }
        m_Screen = std::move(next);
        Remember();
        return frame;
    }

    // A capture that changed more than a third of the area: the whole area as one rectangle.
    CFrameInfo& Key(std::mt19937& rng) {
        std::vector<uint32_t> next(m_Screen.size());
        uint32_t cr = Colour(rng);
        for (uint32_t& px : next) {
            px = rng() % 8 == 0 ? (cr = Colour(rng)) : cr;
        }
        CFrameInfo& frame = m_Stream.AppendCapturedFrame();
        const STestRect whole{0, 0, m_nWidth - 1, m_nHeight - 1};
        Write(whole, m_Screen, kRecordOldPixels);
        Write(whole, next, kRecordNewPixels);
        frame.m_bKeyFrame = 1;
        m_Screen = std::move(next);
        Remember();
        return frame;
    }

    // A frame with no change of the screen (a cursor-only frame).
    CFrameInfo& Still() {
        CFrameInfo& frame = m_Stream.AppendCapturedFrame();
        Remember();
        return frame;
    }

    // Adds a cursor record to the last picture; the last one of a picture is its cursor.
    void Cursor(int nX, int nY, int nWidth, int nHeight, std::mt19937& rng,
                uint32_t nIncrement = 3) {
        STestCursor cursor{true, nX, nY, nWidth, nHeight, {}};
        std::vector<uint32_t> area(m_Screen.size());
        for (int y = 0; y < nHeight; ++y) {
            for (int x = 0; x < nWidth; ++x) {
                area[Index(nX + x, nY + y)] = Colour(rng);
                cursor.pixels.push_back(area[Index(nX + x, nY + y)]);
            }
        }
        m_Stream.WriteRect(nX, nY, nX + nWidth - 1, nY + nHeight - 1, area.data(),
                           static_cast<size_t>(m_nWidth), kRecordCursor, nIncrement, true);
        m_Cursors.back() = cursor;
    }

    void Tick(uint32_t nIncrement) { m_Stream.WriteTick(nIncrement); }

    bool Stop(CStreamFile& file) {
        SCaptureFiles files;
        if (!m_Stream.Stop(files)) {
            return false;
        }
        m_DataPath = files.dataPath;
        m_IndexPath = files.indexPath;
        return file.OpenCapture(files.dataPath, files.indexPath);
    }

    const std::string& DataPath() const { return m_DataPath; }
    const std::string& IndexPath() const { return m_IndexPath; }
    // The screen after stream picture `nPicture`.
    const std::vector<uint32_t>& Screen(uint32_t nPicture) const { return m_Screens[nPicture]; }
    const STestCursor& CursorOf(uint32_t nPicture) const { return m_Cursors[nPicture]; }
    uint32_t Pictures() const { return static_cast<uint32_t>(m_Screens.size()); }

    static uint32_t Colour(std::mt19937& rng) { return rng() & 0xFEFFFF; }

private:
    size_t Index(int x, int y) const { return static_cast<size_t>(y) * m_nWidth + x; }

    void Write(const STestRect& rc, const std::vector<uint32_t>& screen, EStreamRecordType type) {
        m_Stream.WriteRect(rc.nLeft, rc.nTop, rc.nRight, rc.nBottom, screen.data(),
                           static_cast<size_t>(m_nWidth), type);
    }

    void Remember() {
        m_Screens.push_back(m_Screen);
        m_Cursors.emplace_back();
    }

    CDemoProject& m_Project;
    CCaptureStream m_Stream;
    bool m_bBegun = false;
    int m_nWidth;
    int m_nHeight;
    std::vector<uint32_t> m_Screen;
    std::vector<std::vector<uint32_t>> m_Screens;
    std::vector<STestCursor> m_Cursors;
    std::string m_DataPath;
    std::string m_IndexPath;
};
