#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/InputEvents.h"
#include "platform/RecordingClock.h"
#include "platform/ScriptedPrompter.h"
#include "project/model/DemoProject.h"
#include "recording/HeadlessRecorder.h"
#include "tests/recording/FakeCursorSource.h"
#include "tests/recording/FakeScreen.h"
#include "tests/support/TempDir.h"

namespace {

// The loop on the system clock over an in-memory screen, ended in each of its ways.
class HeadlessRecorderTest : public ::testing::Test {
protected:
    CHeadlessRecorder::EEnd Run(uint32_t ms, const std::atomic<bool>* interrupt = nullptr) {
        CScreenGrabber grabber(
            {m_project, m_screen, m_cursor, m_events, m_clock, m_prompter, m_recorder}, m_flags);
        CRecordingOptions options;
        options.m_bRecordMouse = 0;
        grabber.SetOptions(options);
        grabber.SetTempDir(m_tempDir);
        const CHeadlessRecorder::EEnd end = m_recorder.Record(grabber, ms, interrupt);
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

}  // namespace
