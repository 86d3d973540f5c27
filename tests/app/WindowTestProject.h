// A small project for the window tests: a light desktop with a dark window on it, a red box
// that moves across in a few frames of known durations, and a final whole-area key frame.
#pragma once

#include <string>
#include <vector>

#include "platform/ScriptedPrompter.h"
#include "project/file/ProjectFile.h"
#include "project/model/DemoProject.h"
#include "project/stream/CaptureStream.h"

struct STestProjectPicture {
    int nWidth = 320;
    int nHeight = 200;
    std::vector<uint32_t> pixels;

    uint32_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * nWidth + x]; }
};

inline STestProjectPicture Desktop(int nBox) {
    STestProjectPicture p;
    p.pixels.resize(static_cast<size_t>(p.nWidth) * p.nHeight);
    for (int y = 0; y < p.nHeight; ++y) {
        for (int x = 0; x < p.nWidth; ++x) {
            const uint32_t blue = static_cast<uint32_t>(160 + y * 80 / p.nHeight) & 0xFE;
            p.At(x, y) = 0x306000 | blue;
            if (x >= 40 && x < 280 && y >= 30 && y < 170) {
                p.At(x, y) = y < 44 ? 0x203880 : 0xF0F0F0;
            }
        }
    }
    if (nBox >= 0) {
        for (int y = 90; y < 120; ++y) {
            for (int x = 60 + nBox * 40; x < 90 + nBox * 40; ++x) {
                p.At(x, y) = 0xE02020;
            }
        }
    }
    return p;
}

// Writes the project to `fileName`; the frames last `durations` hundredths each.
inline bool MakeTestProject(const std::string& tempDir, const std::string& fileName,
                            const std::vector<int>& durations) {
    CDemoProject project;
    CCaptureStream stream;
    if (!stream.Begin(project, tempDir, 320, 200, false)) {
        return false;
    }
    STestProjectPicture shown = Desktop(-1);
    const STestProjectPicture blank = [] {
        STestProjectPicture b;
        b.pixels.assign(static_cast<size_t>(b.nWidth) * b.nHeight, 0);
        return b;
    }();
    for (size_t i = 0; i < durations.size(); ++i) {
        const bool bKey = i == 0 || i + 1 == durations.size();
        const STestProjectPicture next = Desktop(i == 0 ? -1 : static_cast<int>(i) - 1);
        CFrameInfo& frame = stream.AppendCapturedFrame();
        if (bKey) {
            stream.WriteRect(0, 0, 319, 199, (i == 0 ? blank : shown).pixels.data(), 320,
                             kRecordOldPixels);
            stream.WriteRect(0, 0, 319, 199, next.pixels.data(), 320, kRecordNewPixels);
            frame.m_bKeyFrame = 1;
        } else {
            stream.WriteRect(20, 90, 299, 119, shown.pixels.data(), 320, kRecordOldPixels);
            stream.WriteRect(20, 90, 299, 119, next.pixels.data(), 320, kRecordNewPixels);
        }
        stream.WriteTick(static_cast<uint32_t>(durations[i]));
        shown = next;
    }
    SCaptureFiles files;
    if (!stream.Stop(files)) {
        return false;
    }
    CScriptedPrompter prompter;
    CProjectFile file(project, prompter);
    return file.SaveNewRecording(files, fileName);
}
