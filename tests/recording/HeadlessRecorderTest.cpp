#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/CommandSocket.h"
#include "platform/InputEvents.h"
#include "platform/RecordingClock.h"
#include "platform/ScriptedPrompter.h"
#include "project/model/Chapter.h"
#include "project/model/DemoProject.h"
#include "recording/HeadlessRecorder.h"
#include "recording/Recorder.h"
#include "tests/recording/FakeCursorSource.h"
#include "tests/recording/FakeScreen.h"
#include "tests/support/TempDir.h"

namespace {

// The loop on the system clock over an in-memory screen, ended in each of its ways.
class HeadlessRecorderTest : public ::testing::Test {
protected:
    CHeadlessRecorder::EEnd Run(uint32_t ms, const std::atomic<bool>* interrupt = nullptr,
                                CCommandSocket* pCommands = nullptr) {
        CScreenGrabber grabber(
            {m_project, m_screen, m_cursor, m_events, m_clock, m_prompter, m_recorder}, m_flags);
        CRecordingOptions options;
        options.m_bRecordMouse = 0;
        grabber.SetOptions(options);
        grabber.SetTempDir(m_tempDir);
        const CHeadlessRecorder::EEnd end = m_recorder.Record(grabber, ms, interrupt, pCommands);
        grabber.Stream().Discard();
        return end;
    }

    CTempDir m_dir;
    std::string m_tempDir = m_dir.Path().string();
    CFakeScreen m_screen{64, 48};
    CFakeCursorSource m_cursor;
    CInputEvents m_events;
    CSteadyClock m_clock;
    CScriptedPrompter m_prompter;
    CDemoProject m_project;
    SRecorderFlags m_flags;
    CHeadlessRecorder m_recorder{m_clock, m_events, m_flags, nullptr};
};

TEST_F(HeadlessRecorderTest, RunsUntilTheTimeIsUpAndEndsWithTheFinalFrame) {
    EXPECT_EQ(Run(1500), CHeadlessRecorder::EEnd::TimeUp);
    EXPECT_GE(m_recorder.Ticks(), 2u);
    ASSERT_EQ(m_project.FrameCount(), 2u);
    EXPECT_EQ(m_project.LastFrame()->m_bKeyFrame, 1);
    EXPECT_FALSE(m_recorder.InputWasActive());
}

TEST_F(HeadlessRecorderTest, AnInterruptEndsTheRecordingWithTheFinalFrame) {
    std::atomic<bool> interrupt{false};
    std::thread signaller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        interrupt = true;
    });
    EXPECT_EQ(Run(0, &interrupt), CHeadlessRecorder::EEnd::Interrupted);
    signaller.join();
    EXPECT_EQ(m_project.FrameCount(), 2u);
}

TEST_F(HeadlessRecorderTest, TheStopEventEndsTheRecording) {
    m_events.Save().Set();
    EXPECT_EQ(Run(20000), CHeadlessRecorder::EEnd::Stopped);
    EXPECT_EQ(m_project.FrameCount(), 2u) << "the first grab, then the final one";
}

TEST_F(HeadlessRecorderTest, AnUnreadableScreenStopsWithoutAFinalFrame) {
    m_screen.m_bBroken = true;
    EXPECT_EQ(Run(20000), CHeadlessRecorder::EEnd::Stopped);
    EXPECT_EQ(m_project.FrameCount(), 0u);
}

TEST_F(HeadlessRecorderTest, FilesThatCannotBeMadeFailTheRecording) {
    m_tempDir = (m_dir.Path() / "missing").string();
    EXPECT_EQ(Run(20000), CHeadlessRecorder::EEnd::Failed);
    EXPECT_EQ(m_prompter.Transcript(), "Quillo Error: Unable to open capture file\n");
}

TEST_F(HeadlessRecorderTest, CommandsOfOtherProgramsPauseMarkChaptersAndStop) {
    const std::string path = m_dir.File("quillo-recorder");
    CCommandSocket socket;
    ASSERT_TRUE(socket.Listen(path)) << socket.Error();
    auto sender = std::async(std::launch::async, [&] {
        std::vector<std::string> log;
        auto send = [&](int code) {
            std::string error;
            const bool ok = SendRecorderCode(path, code, error);
            log.push_back(std::to_string(code) + " " + (ok ? "ok" : error) +
                          (m_flags.paused.load() ? " paused" : ""));
        };
        // The first frame comes with the first tick; a chapter before it has nothing to head.
        std::string error;
        while (!SendRecorderCode(path, kHotkeyChapter, error)) {
            if (error.find("no frame has been recorded yet") == std::string::npos) {
                log.push_back("67 " + error);
                return log;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        log.push_back("67 ok");
        for (int code :
             {kHotkeyTray, kHotkeyPause, kHotkeyChapter, kHotkeyPause, 99, kHotkeyStop}) {
            send(code);
        }
        return log;
    });
    EXPECT_EQ(Run(60000, nullptr, &socket), CHeadlessRecorder::EEnd::Stopped);
    EXPECT_EQ(
        sender.get(),
        (std::vector<std::string>{
            "67 ok",
            "72 the recording refused command 72: a recording without a window has no "
            "tray icon",
            "19 ok paused", "67 ok paused", "19 ok",
            "99 the recording refused command 99: no recorder command has the code 99", "27 ok"}));
    // Both marks fell on the one frame shown; the later heading stays.
    ASSERT_GE(m_project.FrameCount(), 1u);
    ASSERT_TRUE(m_project.FirstFrame()->HasChapter());
    EXPECT_EQ(std::u16string(CChapter(*m_project.FirstFrame()).Title()), u"Chapter 2");
}

}  // namespace
