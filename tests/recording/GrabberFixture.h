// A capture tick on an in-memory screen with a clock that moves only when told, and a way to
// rebuild every recorded frame through the compositor.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/InputEvents.h"
#include "platform/RecordingClock.h"
#include "platform/ScriptedPrompter.h"
#include "project/model/DemoProject.h"
#include "project/stream/FrameCompositor.h"
#include "project/stream/StreamFile.h"
#include "recording/ScreenGrabber.h"
#include "tests/recording/FakeCursorSource.h"
#include "tests/recording/FakeScreen.h"
#include "tests/recording/TestGrabberHost.h"
#include "tests/support/TempDir.h"

class GrabberFixture : public ::testing::Test {
protected:
    static CRecordingOptions MouseOff() {
        CRecordingOptions o;
        o.m_bRecordMouse = 0;
        return o;
    }

    void Start(const CRecordingOptions& options) {
        m_grabber = std::make_unique<CScreenGrabber>(
            CScreenGrabber::SServices{m_project, m_screen, m_cursor, m_events, m_clock, m_prompter,
                                      m_host},
            m_flags);
        m_grabber->SetOptions(options);
        m_grabber->SetTempDir(m_dir.Path().string());
        m_grabber->SetCaptureRect(m_rect);
        m_grabber->SetFreeSpace(int64_t{1} << 40);
        m_grabber->StartCapture();
    }

    // Moves the clock and runs one timer tick; remembers the screen for every frame it made.
    void Tick(uint32_t ms = 50) {
        m_clock.Advance(ms);
        Run(false);
    }
    void FinalTick(uint32_t ms = 50) {
        m_clock.Advance(ms);
        Run(true);
    }
    void Run(bool final) {
        const uint32_t before = m_project.FrameCount();
        m_grabber->OnCaptureTick(final);
        for (uint32_t i = before; i < m_project.FrameCount(); ++i) {
            m_expected.push_back(m_screen.Snapshot(m_rect));
        }
    }

    // One reading of the sampling thread, half way to the next tick, made by the test so that it
    // is deterministic.
    void SampleCursor() {
        m_clock.Advance(25);
        std::lock_guard lock(m_grabber->Sampler().Lock());
        m_grabber->Sampler().TakeCursorSample();
    }

    // Closes the stream and rebuilds each frame, forward and then backward.
    void ExpectFramesMatchTheScreen() {
        SCaptureFiles files;
        ASSERT_TRUE(m_grabber->Stream().Stop(files));
        CStreamFile stream;
        ASSERT_TRUE(stream.OpenCapture(files.dataPath, files.indexPath));
        ASSERT_EQ(stream.PictureCount(), m_project.FrameCount());
        CFrameCompositor compositor(m_project);
        compositor.SetSources({&stream});
        const uint32_t n = m_project.FrameCount();
        ASSERT_EQ(m_expected.size(), n);
        for (int pass = 0; pass < 2; ++pass) {
            for (uint32_t k = 0; k < n; ++k) {
                const uint32_t i = pass == 0 ? k : n - 1 - k;
                compositor.GoToFrame(i);
                EXPECT_FALSE(compositor.Damaged());
                EXPECT_EQ(Differences(compositor.Picture().m_Pixels, m_expected[i]), 0)
                    << "frame " << i << (pass == 0 ? " forward" : " backward");
                const CFrameInfo& frame = *m_project.FrameAt(i);
                const SCursorLayer& layer = compositor.CursorLayer();
                EXPECT_EQ(layer.bPresent, frame.m_hCursor != 0) << "frame " << i;
                if (layer.bPresent) {
                    EXPECT_EQ(layer.nX, frame.m_nCursorX) << "frame " << i;
                    EXPECT_EQ(layer.nY, frame.m_nCursorY) << "frame " << i;
                }
            }
        }
    }

    // Pixels that differ; run-length coded pixels lose the lowest bit of red.
    int Differences(const std::vector<uint32_t>& got, const std::vector<uint32_t>& want) const {
        if (got.size() != want.size()) {
            return -1;
        }
        const uint32_t mask = m_bExactPixels ? 0x00FFFFFFu : 0x00FEFFFFu;
        int n = 0;
        for (size_t i = 0; i < got.size(); ++i) {
            n += (got[i] & mask) != (want[i] & mask) ? 1 : 0;
        }
        return n;
    }

    std::vector<CFrameInfo*> Frames() const {
        std::vector<CFrameInfo*> frames;
        for (CFrameInfo* f = m_project.FirstFrame(); f != nullptr; f = f->m_pNext) {
            frames.push_back(f);
        }
        return frames;
    }

    int64_t TotalDuration() const {
        int64_t sum = 0;
        for (const CFrameInfo* f : Frames()) {
            sum += f->m_nDuration;
        }
        return sum;
    }

    SScreenRect m_rect{20, 10, 100, 80};
    CFakeScreen m_screen{160, 120};
    CFakeCursorSource m_cursor;
    CInputEvents m_events;
    CManualClock m_clock{100000};
    CScriptedPrompter m_prompter;
    CTestGrabberHost m_host;
    CDemoProject m_project;
    SRecorderFlags m_flags;
    CTempDir m_dir;
    std::unique_ptr<CScreenGrabber> m_grabber;
    std::vector<std::vector<uint32_t>> m_expected;
    bool m_bExactPixels = false;  // zlib-coded streams keep every bit
};
