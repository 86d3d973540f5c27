// Shared pieces of the project operation tests: a recording saved as a project file through the
// real capture stream and project file, opened again with a compositor on its streams.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/ScriptedPrompter.h"
#include "project/DemoProject.h"
#include "project/FrameCompositor.h"
#include "project/ProjectFile.h"
#include "tests/project/StreamTestRecorder.h"

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
