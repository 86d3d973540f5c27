#include <gtest/gtest.h>

#include <set>

#include "tests/recording/GrabberFixture.h"

namespace {

// Mouse at 10 samples per second against a screen at 20, so the tick never switches to inline
// sampling; the test takes the sampling thread's readings itself.
class CursorFramesTest : public GrabberFixture {
protected:
    static CRecordingOptions MouseOn() {
        CRecordingOptions o;
        o.m_bCustomRates = 1;
        o.m_nScreenFps = 20;
        o.m_nMouseFps = 10;
        return o;
    }
    // The frames' cursor positions, as the table picture's top-left in the capture.
    std::vector<std::pair<int32_t, int32_t>> CursorPath() const {
        std::vector<std::pair<int32_t, int32_t>> path;
        for (const CFrameInfo* f : Frames()) {
            path.emplace_back(f->m_nCursorX, f->m_nCursorY);
        }
        return path;
    }
};

TEST_F(CursorFramesTest, AMovingCursorOverAStillScreenMakesCursorFramesAlongItsPath) {
    m_cursor.MoveTo(30, 20);
    Start(MouseOn());
    Tick(200);
    std::vector<std::pair<int32_t, int32_t>> expected = {{30 - 20 - 1, 20 - 10 - 1}};
    for (int i = 1; i <= 30; ++i) {
        m_cursor.MoveTo(30 + 2 * i, 20 + i);
        expected.emplace_back(30 + 2 * i - 21, 20 + i - 11);
        SampleCursor();
        Tick(25);
    }
    FinalTick(50);
    EXPECT_FALSE(m_grabber->InlineSampling());
    EXPECT_EQ(CursorPath(), expected);
    const std::vector<CFrameInfo*> frames = Frames();
    for (size_t i = 0; i + 1 < frames.size(); ++i) {
        EXPECT_EQ(frames[i]->m_nCursorEndX, frames[i + 1]->m_nCursorX) << i;
        EXPECT_EQ(frames[i]->m_nCursorEndY, frames[i + 1]->m_nCursorY) << i;
        EXPECT_EQ(frames[i]->m_hCursor, 7u);
    }
    EXPECT_NEAR(static_cast<double>(TotalDuration()), (200 + 31 * 50 - 200) / 10.0, 1.0);
    ExpectFramesMatchTheScreen();
}

TEST_F(CursorFramesTest, EachCursorShapeHasOneTableEntry) {
    Start(MouseOn());
    Tick(200);
    const uint32_t shapes[] = {7, 9, 7, 9, 11, 7};
    int32_t x = 40;
    for (uint32_t shape : shapes) {
        m_cursor.m_reading.shape = shape;
        m_cursor.MoveTo(x += 3, 40);
        SampleCursor();
        for (int i = 0; i < 25; ++i) {
            Tick(50);
        }
    }
    FinalTick();
    const CCursorImageTable& table = m_project.m_CursorImages;
    ASSERT_EQ(table.m_Images.size(), 3u);
    std::set<uint32_t> seen;
    for (const CCursorImage& image : table.m_Images) {
        seen.insert(image.m_hCursor);
        ASSERT_EQ(image.m_pPixels.size(), static_cast<size_t>(table.m_nWidth) * table.m_nHeight);
        EXPECT_EQ(image.m_nHotX, 1);
        EXPECT_EQ(image.m_pPixels[0], (image.m_hCursor * 0x010203u) & 0x00FFFFFFu);
        EXPECT_EQ(image.m_pPixels[3 * table.m_nWidth + 3], kCursorPixelTransparent);
        EXPECT_EQ(image.m_pPixels[4], kCursorPixelTransparent) << "outside the cursor's picture";
        EXPECT_EQ(image.m_bInverts, 0);
    }
    EXPECT_EQ(seen, (std::set<uint32_t>{7, 9, 11}));
    ExpectFramesMatchTheScreen();
}

TEST_F(CursorFramesTest, AClickGivesAClickDownFrameFollowedByAClickUpFrame) {
    m_cursor.MoveTo(60, 50);
    Start(MouseOn());
    Tick(200);
    Tick(50);
    m_events.ClickDown().Set();
    m_events.ClickUp().Set();
    SampleCursor();
    Tick(25);
    for (int i = 0; i < 25; ++i) {
        Tick(50);
    }
    FinalTick();
    int down = -1;
    int up = -1;
    const std::vector<CFrameInfo*> frames = Frames();

    for (size_t i = 0; i < frames.size(); ++i) {
        if (frames[i]->m_bClickDown) {
            EXPECT_EQ(down, -1);
            down = static_cast<int>(i);
        }
        if (frames[i]->m_bClickUp) {
            EXPECT_EQ(up, -1);
            up = static_cast<int>(i);
        }
    }
    ASSERT_GE(down, 0);
    EXPECT_EQ(up, down + 1);
    EXPECT_EQ(frames[down]->m_nCursorX, frames[up]->m_nCursorX);
}

TEST_F(CursorFramesTest, AKeyPressMarksTheNextScreenFrame) {
    m_cursor.MoveTo(60, 50);
    Start(MouseOn());
    Tick(200);
    m_events.KeyDown().Set();
    Tick(50);  // nothing changed: the key waits for a frame
    m_screen.Fill(40, 40, 8, 8, 0xFFFFFF);
    Tick(50);
    m_screen.Fill(60, 40, 8, 8, 0xFFFFFF);
    Tick(50);
    const std::vector<CFrameInfo*> frames = Frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[1]->m_bKeyDown, 1);
    EXPECT_EQ(frames[2]->m_bKeyDown, 0);
}

TEST_F(CursorFramesTest, CursorsPartlyLeftOfTheCaptureAreRecordedAndOnesBeyondItAreNot) {
    struct SCase {
        int32_t screenX;  // hot spot on the screen; the capture starts at x = 20
        bool recorded;
    };
    for (const SCase& c :
         {SCase{20 - 31 + 1, true}, SCase{20 - 32 + 1, true}, SCase{20 - 33 + 1, false},
          SCase{20 + 99 + 1, true}, SCase{20 + 100 + 1, false}}) {
        CDemoProject project;
        CTestGrabberHost host;
        m_cursor.MoveTo(c.screenX, 40);
        CScreenGrabber grabber({project, m_screen, m_cursor, m_events, m_clock, m_prompter, host},
                               m_flags);
        grabber.SetOptions(MouseOn());
        grabber.SetTempDir(m_dir.Path().string());
        grabber.SetCaptureRect(m_rect);
        grabber.StartCapture();
        m_clock.Advance(200);
        grabber.OnCaptureTick(false);
        ASSERT_EQ(project.FrameCount(), 1u);
        const CFrameInfo& frame = *project.FirstFrame();
        if (c.recorded) {
            EXPECT_EQ(frame.m_hCursor, 7u) << c.screenX;
            EXPECT_EQ(frame.m_nCursorX, c.screenX - 1 - 20);
        } else {
            EXPECT_EQ(frame.m_hCursor, 0u) << c.screenX;
        }
        EXPECT_GE(frame.m_nDuration, 1) << "the record carries the delay either way";
        SCaptureFiles files;
        ASSERT_TRUE(grabber.Stream().Stop(files));
        CStreamFile stream;
        ASSERT_TRUE(stream.OpenCapture(files.dataPath, files.indexPath));
        CFrameCompositor compositor(project);
        compositor.SetSources({&stream});
        compositor.GoToFrame(0);
        EXPECT_FALSE(compositor.Damaged()) << c.screenX;
    }
}

TEST_F(CursorFramesTest, EqualRatesAndAQuickFirstTickSwitchToInlineSampling) {
    CRecordingOptions o = MouseOn();
    o.m_nMouseFps = 20;
    Start(o);
    m_grabber->BeginSampling();
    EXPECT_TRUE(m_grabber->Sampler().ThreadRunning());
    Tick(200);
    EXPECT_TRUE(m_grabber->InlineSampling());
    EXPECT_FALSE(m_grabber->Sampler().ThreadRunning());
    // Inline, each grab samples the cursor itself.
    for (int i = 1; i <= 30; ++i) {
        m_cursor.MoveTo(30 + i, 30);
        Tick(50);
    }
    FinalTick();
    EXPECT_GT(m_project.FrameCount(), 20u);
    EXPECT_EQ(m_project.LastFrame()->m_nCursorX, 30 + 30 - 21);
}

TEST_F(CursorFramesTest, WithoutEqualRatesTheThreadKeepsSampling) {
    Start(MouseOn());
    m_grabber->BeginSampling();
    Tick(200);
    EXPECT_FALSE(m_grabber->InlineSampling());
    EXPECT_TRUE(m_grabber->Sampler().ThreadRunning());
}

}  // namespace
