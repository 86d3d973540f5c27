// Shared pieces of the project operation tests: a recording saved as a project file through the
// real capture stream and project file, opened again with a compositor on its streams.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/ScriptedPrompter.h"
#include "project/file/ProjectFile.h"
#include "project/model/DemoProject.h"
#include "project/stream/FrameCompositor.h"
#include "project/stream/PictureBlock.h"
#include "tests/project/stream/StreamTestRecorder.h"

struct SOpsProject {
    CScriptedPrompter prompter;
    CDemoProject project;
    std::unique_ptr<CProjectFile> file;
    std::unique_ptr<CFrameCompositor> compositor;

    // The stream picture of frame `nIndex` (0-based), edited pictures and cursor left out.
    CPixelPicture PictureAt(uint32_t nIndex) {
        EXPECT_EQ(compositor->GoToFrame(nIndex), nIndex);
        return compositor->Picture();
    }
};

inline std::unique_ptr<SOpsProject> OpenOps(const std::string& path) {
    auto ops = std::make_unique<SOpsProject>();
    ops->file = std::make_unique<CProjectFile>(ops->project, ops->prompter);
    if (!ops->file->Open(path)) {
        ADD_FAILURE() << "cannot open " << path;
        return nullptr;
    }
    ops->compositor = std::make_unique<CFrameCompositor>(ops->project);
    ops->compositor->SetSources(ops->file->StreamSources());
    RegisterFollowingPictures(ops->project, *ops->compositor);
    return ops;
}

// Records `nFrames` frames of a `nWidth` x `nHeight` screen: a key frame, then changes of small
// areas, a frame with only a cursor and time, and now and then another key frame. Saved under
// `path`.
inline void RecordProjectFile(const std::string& dir, const std::string& path, int nWidth,
                              int nHeight, int nFrames, unsigned nSeed = 1) {
    CDemoProject project;
    CScriptedPrompter prompter;
    std::mt19937 rng(nSeed);
    CTestRecorder rec(project, dir, nWidth, nHeight, false);
    ASSERT_TRUE(rec.Begun());
    rec.Key(rng);
    rec.Tick(10);
    for (int i = 1; i < nFrames; ++i) {
        if (i % 5 == 3) {
            rec.Still();
            rec.Cursor(2, 3, 4, 4, rng);
        } else if (i % 7 == 6) {
            rec.Key(rng);
        } else {
            const int x = (i * 7) % (nWidth - 10);
            const int y = (i * 3) % (nHeight - 8);
            rec.Change({{x, y, x + 6, y + 5}}, rng);
            rec.Cursor(x, y, 3, 3, rng, 2);
        }
        rec.Tick(5 + i);
    }
    SCaptureFiles files;
    ASSERT_TRUE(rec.Stream().Stop(files));
    CProjectFile file(project, prompter);
    ASSERT_TRUE(file.SaveNewRecording(files, path));
}

// Records a pan recording: a `nWidth` x `nHeight` area that moves over a `nDesktopWidth` x
// `nDesktopHeight` desktop whose picture the first frame keeps. Every frame moves the area and
// changes a small part of the desktop inside it; some frames change the whole area, some carry a
// cursor. Saved under `path`.
inline void RecordPanProjectFile(const std::string& dir, const std::string& path, int nWidth,
                                 int nHeight, int nDesktopWidth, int nDesktopHeight, int nFrames,
                                 unsigned nSeed = 1) {
    CDemoProject project;
    CScriptedPrompter prompter;
    std::mt19937 rng(nSeed);
    CCaptureStream stream;
    ASSERT_TRUE(stream.Begin(project, dir, nWidth, nHeight, false));
    CPixelPicture desktop{
        nDesktopWidth, nDesktopHeight,
        std::vector<uint32_t>(static_cast<size_t>(nDesktopWidth) * nDesktopHeight)};
    for (uint32_t& px : desktop.m_Pixels) {
        px = CTestRecorder::Colour(rng);
    }
    auto window = [&](int nX, int nY) {
        std::vector<uint32_t> out(static_cast<size_t>(nWidth) * nHeight);
        for (int y = 0; y < nHeight; ++y) {
            for (int x = 0; x < nWidth; ++x) {
                out[static_cast<size_t>(y) * nWidth + x] =
                    desktop.m_Pixels[static_cast<size_t>(nY + y) * nDesktopWidth + nX + x];
            }
        }
        return out;
    };
    for (int i = 0; i < nFrames; ++i) {
        const int nX = (i * 7) % (nDesktopWidth - nWidth + 1);
        const int nY = (i * 5) % (nDesktopHeight - nHeight + 1);
        CFrameInfo& frame = stream.AppendCapturedFrame(
            SCaptureContext{static_cast<uint16_t>(nX), static_cast<uint16_t>(nY)});
        const bool bWhole = i == 0 || i % 4 == 2;
        const int l = bWhole ? 0 : (i * 3) % (nWidth - 6);
        const int t = bWhole ? 0 : (i * 2) % (nHeight - 5);
        const int r = bWhole ? nWidth - 1 : l + 5;
        const int b = bWhole ? nHeight - 1 : t + 4;
        const std::vector<uint32_t> before = window(nX, nY);
        if (i == 0) {
            frame.m_pPanPicture = EncodePictureBlock(desktop);
        } else {
            const uint32_t cr = CTestRecorder::Colour(rng);
            for (int y = t; y <= b; ++y) {
                for (int x = l; x <= r; ++x) {
                    desktop.m_Pixels[static_cast<size_t>(nY + y) * nDesktopWidth + nX + x] =
                        rng() % 3 == 0 ? CTestRecorder::Colour(rng) : cr;
                }
            }
        }
        const std::vector<uint32_t> after = window(nX, nY);
        stream.WriteRect(l, t, r, b, before.data(), static_cast<size_t>(nWidth), kRecordOldPixels);
        stream.WriteRect(l, t, r, b, after.data(), static_cast<size_t>(nWidth), kRecordNewPixels);
        frame.m_bKeyFrame = bWhole ? 1 : 0;
        if (i % 3 == 1) {
            std::vector<uint32_t> cursor(after.size(), CTestRecorder::Colour(rng));
            stream.WriteRect(1, 2, 3, 4, cursor.data(), static_cast<size_t>(nWidth), kRecordCursor,
                             4, true);
        }
        stream.WriteTick(6 + static_cast<uint32_t>(i));
    }
    SCaptureFiles files;
    ASSERT_TRUE(stream.Stop(files));
    CProjectFile file(project, prompter);
    ASSERT_TRUE(file.SaveNewRecording(files, path));
}

// The recorded area of the frame at `nIndex` as the compositor shows it: the part of the
// picture at the frame's pan origin.
inline std::vector<uint32_t> RecordedArea(SOpsProject& ops, uint32_t nIndex) {
    const CPixelPicture picture = ops.PictureAt(nIndex);
    const CFrameInfo& frame = *ops.project.FrameAt(nIndex);
    const int nWidth = ops.project.m_nWidth;
    const int nHeight = ops.project.m_nHeight;
    const bool bPan = picture.m_nWidth != nWidth || picture.m_nHeight != nHeight;
    const int nX = bPan ? frame.m_nPanX : 0;
    const int nY = bPan ? frame.m_nPanY : 0;
    std::vector<uint32_t> out;
    for (int y = nY; y < nY + nHeight && y < picture.m_nHeight; ++y) {
        for (int x = nX; x < nX + nWidth && x < picture.m_nWidth; ++x) {
            out.push_back(picture.m_Pixels[static_cast<size_t>(y) * picture.m_nWidth + x]);
        }
    }
    return out;
}
