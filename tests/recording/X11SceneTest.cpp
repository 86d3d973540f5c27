#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/InputEvents.h"
#include "platform/RecordingClock.h"
#include "platform/ScriptedPrompter.h"
#include "platform/X11CursorSource.h"
#include "platform/X11Display.h"
#include "platform/X11ScreenSource.h"
#include "project/file/ProjectFile.h"
#include "project/model/DemoProject.h"
#include "project/stream/FrameCompositor.h"
#include "project/stream/StreamFile.h"
#include "project/stream/StreamFormat.h"
#include "recording/HeadlessRecorder.h"
#include "recording/ScreenGrabber.h"
#include "tests/support/ScenePlayer.h"
#include "tests/support/TempDir.h"
#include "tests/support/XvfbServer.h"

namespace {

// True when the frame's picture starts with a record that covers the whole recorded area; the
// compositor has found the picture's bytes.
bool StartsWithWholeArea(const CStreamFile& stream, const CFrameInfo& frame, int w, int h) {
    std::vector<uint8_t> bytes;
    if (frame.m_nDataStart <= 0 || frame.m_nDataEnd <= frame.m_nDataStart ||
        !stream.ReadData(static_cast<uint64_t>(frame.m_nDataStart),
                         static_cast<uint64_t>(frame.m_nDataEnd), bytes)) {
        return false;
    }
    CByteReader reader(bytes);
    SStreamRecordHead head;
    return ReadRecordHead(reader, head) == ERecordRead::Ok && head.nType == kRecordOldPixels &&
           head.rect.nLeft == 0 && head.rect.nTop == 0 && head.rect.Width() == w &&
           head.rect.Height() == h;
}

TEST(X11SceneRecording, EverySavedFrameIsAPictureTheSceneShowed) {
    constexpr int kW = 1024;
    constexpr int kH = 768;
    constexpr uint32_t kRecordMs = 10000;
    CXvfbServer server({kW, kH, true});
    ASSERT_TRUE(server.Running()) << server.Error();
    CScenePlayer scene(QUILLO_SCENE_BINARY, server.Display(), 16);
    ASSERT_TRUE(scene.WaitUntilShown());

    CX11Display display(server.Display());
    CX11ScreenSource screen(display);
    CX11CursorSource cursor(display);
    CInputEvents events;
    CSteadyClock clock;
    SRecorderFlags flags;
    CScriptedPrompter prompter;
    CDemoProject recorded;
    CTempDir dir;
    CHeadlessRecorder recorder(clock, events, flags, nullptr);
    CScreenGrabber grabber({recorded, screen, cursor, events, clock, prompter, recorder}, flags);
    CRecordingOptions options;
    options.m_bExtraCompression = 1;  // zlib keeps every bit of every pixel
    grabber.SetOptions(options);
    grabber.SetTempDir(dir.Path().string());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(recorder.Record(grabber, kRecordMs, nullptr), CHeadlessRecorder::EEnd::TimeUp);
    const int64_t recordedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - start)
                                   .count() -
                               CScreenGrabber::kFirstTickDelayMs;

    SCaptureFiles files;
    ASSERT_TRUE(grabber.Stream().Stop(files));
    const std::string saved = dir.File("scene.lumo");
    {
        CProjectFile saver(recorded, prompter);
        ASSERT_TRUE(saver.SaveNewRecording(files, saved)) << prompter.Transcript();
    }
    EXPECT_FALSE(std::filesystem::exists(files.dataPath));
    EXPECT_FALSE(std::filesystem::exists(files.indexPath));

    CDemoProject project;
    CProjectFile file(project, prompter);
    ASSERT_TRUE(file.Open(saved)) << prompter.Transcript();
    ASSERT_EQ(project.FrameCount(), recorded.FrameCount());
    ASSERT_GE(project.FrameCount(), 40u);
    EXPECT_EQ(project.m_nWidth, kW);
    EXPECT_EQ(project.m_nHeight, kH);
    CFrameCompositor compositor(project);
    compositor.SetSources(file.StreamSources());
    std::vector<unsigned long long> rebuilt;
    for (uint32_t i = 0; i < project.FrameCount(); ++i) {
        compositor.GoToFrame(i);
        ASSERT_FALSE(compositor.Damaged()) << "frame " << i;
        rebuilt.push_back(SceneHash(compositor.Picture().m_Pixels));
    }
    // Taken last: on a loaded machine the scene may print the hash of its final picture late.
    const std::set<unsigned long long> shown = scene.Hashes();
    int unknown = 0;
    for (size_t i = 0; i < rebuilt.size(); ++i) {
        if (shown.count(rebuilt[i]) == 0) {
            ++unknown;
            ADD_FAILURE() << "frame " << i << " is no picture the scene showed";
        }
    }
    EXPECT_EQ(unknown, 0);
    // Key frames, the first and the final among them, cover the whole area; no other frame does.
    const CStreamFile& stream = *file.StreamSources().at(0);
    EXPECT_EQ(project.FirstFrame()->m_bKeyFrame, 1);
    EXPECT_EQ(project.LastFrame()->m_bKeyFrame, 1);
    uint32_t nPartial = 0;
    for (const CFrameInfo* f = project.FirstFrame(); f != nullptr; f = f->m_pNext) {
        EXPECT_EQ(StartsWithWholeArea(stream, *f, kW, kH), f->m_bKeyFrame != 0);
        nPartial += f->m_bKeyFrame == 0;
    }
    EXPECT_GT(nPartial, 0u);
    int64_t total = 0;
    for (const CFrameInfo* f = project.FirstFrame(); f != nullptr; f = f->m_pNext) {
        total += f->m_nDuration;
    }
    EXPECT_GE(static_cast<double>(total) * 10.0,
              0.95 * (kRecordMs - CScreenGrabber::kFirstTickDelayMs));
    EXPECT_LE(static_cast<double>(total) * 10.0, 1.05 * static_cast<double>(recordedMs));
}

}  // namespace
