#include <gtest/gtest.h>

#include "tests/recording/GrabberFixture.h"

namespace {

class ScreenGrabberTest : public GrabberFixture {};

TEST_F(ScreenGrabberTest, StartArmsTheFirstTickAndEachTickReArmsForTheRestOfThePeriod) {
    Start(MouseOff());
    ASSERT_EQ(m_host.m_Armed.size(), 1u);
    EXPECT_EQ(m_host.m_Armed[0], 200u);
    EXPECT_EQ(m_grabber->Timing().nPeriodMs, 50u);
    Tick(200);
    ASSERT_EQ(m_host.m_Armed.size(), 2u);
    EXPECT_EQ(m_host.m_Armed[1], 50u);  // the manual clock did not move during the tick
}

TEST_F(ScreenGrabberTest, FirstGrabIsAWholeAreaKeyFrameAndSetsTheProjectDefaults) {
    Start(MouseOff());
    Tick(200);
    ASSERT_EQ(m_project.FrameCount(), 1u);
    EXPECT_EQ(m_project.FirstFrame()->m_bKeyFrame, 1);
    EXPECT_EQ(m_project.m_nWidth, 100);
    EXPECT_EQ(m_project.m_nHeight, 80);
    EXPECT_EQ(m_project.m_rcDefaultHotspot, (SRect{15, 12, 25, 20}));
    EXPECT_EQ(m_project.m_rcDefaultZoom, (SRect{15, 12, 70, 56}));
    EXPECT_EQ(m_project.FirstFrame()->m_rcHotspot, m_project.m_rcDefaultHotspot);
    FinalTick();
    ExpectFramesMatchTheScreen();
}

TEST_F(ScreenGrabberTest, AStillScreenWithoutMouseGivesOneDelayAtTheEndAndAFinalKeyFrame) {
    Start(MouseOff());
    Tick(200);
    for (int i = 0; i < 40; ++i) {
        Tick(50);
    }
    EXPECT_EQ(m_project.FrameCount(), 1u);
    EXPECT_EQ(m_project.FirstFrame()->m_nDuration, 0) << "no stamp of its own until it ends";
    FinalTick(50);
    const std::vector<CFrameInfo*> frames = Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0]->m_nDuration, 205);  // 41 ticks of 50 ms
    EXPECT_EQ(frames[1]->m_bKeyFrame, 1);
    ExpectFramesMatchTheScreen();
}

TEST_F(ScreenGrabberTest, ChangesBecomeFramesThatRebuildToTheScreen) {
    Start(MouseOff());
    Tick(200);
    m_screen.Fill(40, 30, 10, 5, 0xFF0000);  // inside the capture
    Tick();
    Tick();                                 // nothing new
    m_screen.Fill(0, 0, 10, 10, 0x00FF00);  // outside the capture: no frame
    Tick();
    m_screen.Fill(110, 80, 30, 30, 0x0000FF);  // across the capture's bottom-right corner
    Tick();
    m_screen.Fill(0, 0, 160, 120, 0xABCDEF);  // everything
    Tick();
    FinalTick();
    const std::vector<CFrameInfo*> frames = Frames();
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(frames[1]->m_bKeyFrame, 0);
    EXPECT_EQ(frames[2]->m_bKeyFrame, 0);
    EXPECT_EQ(frames[3]->m_bKeyFrame, 1) << "more than a third changed";
    EXPECT_EQ(frames[4]->m_bKeyFrame, 1) << "the final frame";
    ExpectFramesMatchTheScreen();
}

TEST_F(ScreenGrabberTest, DurationsAddUpToTheRecordedTime) {
    Start(MouseOff());
    Tick(200);
    uint32_t elapsed = 0;
    for (int i = 0; i < 300; ++i) {
        const uint32_t ms = 47 + static_cast<uint32_t>(i % 9);
        elapsed += ms;
        if (i % 7 == 0) {
            m_screen.Fill(25 + i % 50, 15, 3, 3, 0x010101u * static_cast<uint32_t>(i));
        }
        Tick(ms);
    }
    FinalTick(50);
    elapsed += 50;
    EXPECT_NEAR(static_cast<double>(TotalDuration()), elapsed / 10.0, 1.0);
    ExpectFramesMatchTheScreen();
}

TEST_F(ScreenGrabberTest, ScreenIsGrabbedOnEveryNthTick) {
    struct SCase {
        uint32_t fps;
        int grabsIn24Ticks;
    };
    for (const SCase& c : {SCase{20, 24}, SCase{10, 12}, SCase{4, 6}, SCase{1, 4}}) {
        CDemoProject project;
        CFakeScreen screen(32, 32);
        CRecordingOptions o = MouseOff();
        o.m_bCustomRates = 1;
        o.m_nScreenFps = c.fps;
        CScreenGrabber grabber({project, screen, m_cursor, m_events, m_clock, m_prompter, m_host},
                               m_flags);
        grabber.SetOptions(o);
        grabber.SetTempDir(m_dir.Path().string());
        grabber.StartCapture();
        for (int i = 0; i < 24; ++i) {
            m_clock.Advance(grabber.Timing().nPeriodMs);
            grabber.OnCaptureTick(false);
        }
        EXPECT_EQ(screen.m_nGrabs, c.grabsIn24Ticks) << c.fps << " fps";
        grabber.Stream().Discard();
    }
}

TEST_F(ScreenGrabberTest, PausedTicksDoNotGrabAndThePauseLengthensTheShownFrame) {
    Start(MouseOff());
    Tick(200);
    m_screen.Fill(40, 30, 10, 5, 0xFF0000);
    Tick(50);
    ASSERT_EQ(m_project.FrameCount(), 2u);
    const int grabs = m_screen.m_nGrabs;
    m_flags.paused = true;
    for (int i = 0; i < 200; ++i) {  // 10 s
        Tick(50);
    }
    EXPECT_EQ(m_screen.m_nGrabs, grabs);
    const int32_t atPause = m_project.LastFrame()->m_nDuration;
    m_flags.paused = false;  // resumed without narration: the delay base stays
    m_screen.Fill(60, 30, 10, 5, 0x00FF00);
    Tick(50);
    ASSERT_EQ(m_project.FrameCount(), 3u);
    const int32_t frameShownAtPause = Frames()[1]->m_nDuration;
    EXPECT_GE(frameShownAtPause, 1000);
    EXPECT_LE(frameShownAtPause, 1010);
    EXPECT_LE(atPause, 10) << "the first paused tick only closed the time before the pause";
    FinalTick();
    ExpectFramesMatchTheScreen();
}

TEST_F(ScreenGrabberTest, ResumeWithRestartStartsANewDelaySegment) {
    Start(MouseOff());
    Tick(200);
    m_screen.Fill(40, 30, 10, 5, 0xFF0000);
    Tick(50);
    m_flags.paused = true;
    for (int i = 0; i < 200; ++i) {
        Tick(50);
    }
    m_flags.paused = false;
    m_flags.restart = true;  // what a resume with narration does
    m_screen.Fill(60, 30, 10, 5, 0x00FF00);
    Tick(50);
    EXPECT_LE(Frames()[1]->m_nDuration, 10);
}

TEST_F(ScreenGrabberTest, AFinalTickWhilePausedStillWritesAWholeFrameAndThePauseDelay) {
    Start(MouseOff());
    Tick(200);
    Tick(50);
    m_flags.paused = true;
    FinalTick(50);
    const std::vector<CFrameInfo*> frames = Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1]->m_bKeyFrame, 1);
    EXPECT_EQ(frames[0]->m_nDuration, 10);
    ExpectFramesMatchTheScreen();
}

TEST_F(ScreenGrabberTest, ASnapshotOfAnUnchangedScreenIsAFrameWithTheTopLeftCorner) {
    Start(MouseOff());
    Tick(200);
    Tick(50);
    m_flags.snapshot = true;
    Tick(50);
    ASSERT_EQ(m_project.FrameCount(), 2u);
    EXPECT_FALSE(m_flags.snapshot.load());
    EXPECT_EQ(m_host.m_nSounds, 1);
    EXPECT_EQ(m_host.m_nPauseCommands, 1) << "the snapshot pauses the recording again";
    EXPECT_EQ(m_project.LastFrame()->m_bKeyFrame, 0);
    // While paused, a snapshot adds its frame and does not ask for another pause.
    m_flags.paused = true;
    Tick(50);
    m_flags.snapshot = true;
    m_flags.paused = false;
    Tick(50);
    EXPECT_EQ(m_project.FrameCount(), 3u);
    FinalTick();
    ExpectFramesMatchTheScreen();
}

TEST_F(ScreenGrabberTest, ThePauseEventPausesAndTheStopEventStops) {
    Start(MouseOff());
    Tick(200);
    m_events.Pause().Set();
    Tick(50);
    EXPECT_TRUE(m_flags.paused.load());
    EXPECT_EQ(m_host.m_Shown, std::vector<bool>{true});
    m_events.Save().Set();
    Tick(50);
    EXPECT_TRUE(m_host.m_Stops.empty()) << "no stop while paused";
    m_events.Pause().Reset();
    Tick(50);
    EXPECT_FALSE(m_flags.paused.load());
    EXPECT_EQ(m_host.m_Shown, (std::vector<bool>{true, false}));
    ASSERT_EQ(m_host.m_Stops.size(), 1u);
    EXPECT_EQ(m_host.m_Stops[0], EStopReason::User);
}

TEST_F(ScreenGrabberTest, LowDiskSpaceAsksForAStopAndEveryStreamByteCounts) {
    for (size_t i = 0; i < m_screen.m_Pixels.size(); ++i) {
        m_screen.m_Pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0x00FFFFFFu;
    }
    Start(MouseOff());
    m_grabber->SetFreeSpace(CScreenGrabber::kDiskReserve + 20000);
    Tick(200);  // a first frame of varied pixels writes more than 20,000 bytes
    EXPECT_TRUE(m_host.m_Stops.empty());
    EXPECT_LT(m_grabber->FreeSpace(), CScreenGrabber::kDiskReserve);
    Tick(50);
    ASSERT_EQ(m_host.m_Stops.size(), 1u);
    EXPECT_EQ(m_host.m_Stops[0], EStopReason::DiskFull);
    Tick(50);
    EXPECT_EQ(m_host.m_Stops.size(), 2u) << "the tick goes on asking";
}

TEST_F(ScreenGrabberTest, AnUnreadableScreenStopsTheRecording) {
    Start(MouseOff());
    Tick(200);
    m_screen.m_bBroken = true;
    Tick(50);
    ASSERT_EQ(m_host.m_Stops.size(), 1u);
    EXPECT_EQ(m_host.m_Stops[0], EStopReason::User);
    EXPECT_EQ(m_host.m_nKills, 1);
    FinalTick();  // a final tick that cannot read the screen just ends
    EXPECT_EQ(m_project.FrameCount(), 1u);
}

TEST_F(ScreenGrabberTest, FailuresToOpenFilesOrArmTheTimerAreReported) {
    {
        Start(MouseOff());
        m_grabber->SetTempDir((m_dir.Path() / "missing").string());
        Tick(200);
        EXPECT_EQ(m_prompter.Transcript(), "Quillo Error: Unable to open capture file\n");
        ASSERT_EQ(m_prompter.Messages().size(), 1u);
        EXPECT_EQ(m_prompter.Messages()[0].caption, "Quillo Error");
        EXPECT_EQ(m_prompter.Messages()[0].icon, EMsgIcon::Error);
        EXPECT_EQ(m_host.m_nCloses, 1);
        EXPECT_EQ(m_project.FrameCount(), 0u);
    }
    CScriptedPrompter prompter;
    CTestGrabberHost host;
    host.m_bTimerWorks = false;
    CDemoProject project;
    CScreenGrabber grabber({project, m_screen, m_cursor, m_events, m_clock, prompter, host},
                           m_flags);
    grabber.SetOptions(MouseOff());
    grabber.StartCapture();
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(prompter.Messages()[0].text, "Timer Resource Unavailable");
    EXPECT_EQ(prompter.Messages()[0].caption, "Quillo Resource Failure");
    EXPECT_EQ(host.m_nCloses, 1);
}

TEST_F(ScreenGrabberTest, ACaptureHalfOffTheScreenRecordsItsOffScreenPartBlack) {
    m_rect = {100, 60, 100, 80};  // the screen is 160 × 120
    Start(MouseOff());
    Tick(200);
    m_screen.Fill(150, 110, 20, 20, 0xFFFFFF);
    Tick(50);
    FinalTick();
    EXPECT_EQ(m_expected.back()[static_cast<size_t>(79) * 100 + 99], 0u);
    ExpectFramesMatchTheScreen();
}

}  // namespace
