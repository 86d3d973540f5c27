#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "platform/InputEvents.h"
#include "platform/RecordingClock.h"
#include "platform/ScriptedPrompter.h"
#include "platform/X11CursorSource.h"
#include "platform/X11Display.h"
#include "platform/X11InputSource.h"
#include "platform/X11ScreenSource.h"
#include "project/model/DemoProject.h"
#include "project/stream/FrameCompositor.h"
#include "project/stream/StreamFile.h"
#include "recording/HeadlessRecorder.h"
#include "recording/ScreenGrabber.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDrawer.h"
#include "tests/support/XTestInput.h"
#include "tests/support/XvfbServer.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr uint32_t kBackground = 0x405060;

// What the test drew on the root window, kept beside the server so that frames can be checked.
class CScreenModel {
public:
    CScreenModel() : m_Pixels(static_cast<size_t>(kWidth) * kHeight, kBackground) {}
    void Fill(int x0, int y0, int w, int h, uint32_t rgb) {
        for (int y = std::max(y0, 0); y < std::min(y0 + h, kHeight); ++y) {
            for (int x = std::max(x0, 0); x < std::min(x0 + w, kWidth); ++x) {
                m_Pixels[static_cast<size_t>(y) * kWidth + x] = rgb;
            }
        }
    }
    // The capture of rect r, black off the screen.
    std::vector<uint32_t> Capture(const SScreenRect& r) const {
        std::vector<uint32_t> out(static_cast<size_t>(r.width) * r.height, 0);
        for (int y = 0; y < r.height; ++y) {
            for (int x = 0; x < r.width; ++x) {
                const int sx = r.x + x;
                const int sy = r.y + y;
                if (sx >= 0 && sy >= 0 && sx < kWidth && sy < kHeight) {
                    out[static_cast<size_t>(y) * r.width + x] =
                        m_Pixels[static_cast<size_t>(sy) * kWidth + sx];
                }
            }
        }
        return out;
    }

private:
    std::vector<uint32_t> m_Pixels;
};

bool SamePicture(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if ((a[i] & 0x00FEFFFFu) != (b[i] & 0x00FEFFFFu)) {
            return false;
        }
    }
    return true;
}

// One recording of the test's own X server through the real screen, cursor and input sources.
class X11RecordingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.Running()) << m_server.Error();
        m_drawer = std::make_unique<CTestDrawer>(m_server.Display());
        m_input = std::make_unique<CXTestInput>(m_server.Display());
        ASSERT_TRUE(m_drawer->Ok());
        ASSERT_TRUE(m_input->Ok());
        m_drawer->Fill(0, 0, kWidth, kHeight, kBackground);
        m_display = std::make_unique<CX11Display>(m_server.Display());
        m_screen = std::make_unique<CX11ScreenSource>(*m_display);
        m_cursor = std::make_unique<CX11CursorSource>(*m_display);
        m_inputSource = std::make_unique<CX11InputSource>(m_server.Display(), m_events);
        m_eventSource = std::make_unique<CInputEventSource>(*m_inputSource);
        m_recorder =
            std::make_unique<CHeadlessRecorder>(m_clock, m_events, m_flags, m_eventSource.get());
        m_grabber = std::make_unique<CScreenGrabber>(
            CScreenGrabber::SServices{m_project, *m_screen, *m_cursor, m_events, m_clock,
                                      m_prompter, *m_recorder},
            m_flags);
        m_grabber->SetTempDir(m_dir.Path().string());
    }

    // Records while `scene` plays on a thread of its own, and a little longer so that its last
    // change is seen; a scene slowed down by a busy machine is waited for.
    template <typename F>
    CHeadlessRecorder::EEnd Record(const CRecordingOptions& options, const SScreenRect& rect,
                                   F scene) {
        m_grabber->SetOptions(options);
        m_grabber->SetCaptureRect(rect);
        std::atomic<bool> done{false};
        const auto start = std::chrono::steady_clock::now();
        auto since = [&start] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now() - start)
                       .count() -
                   CScreenGrabber::kFirstTickDelayMs;
        };
        std::thread player([&] {
            scene();
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            m_nSceneMs = since();
            done = true;
        });
        const CHeadlessRecorder::EEnd end = m_recorder->Record(*m_grabber, 60000, &done);
        m_nRecordedMs = since();
        player.join();
        return end;
    }

    // Every frame's picture, rebuilt from the temporary files.
    std::vector<std::vector<uint32_t>> Rebuild() {
        SCaptureFiles files;
        EXPECT_TRUE(m_grabber->Stream().Stop(files));
        CStreamFile stream;
        EXPECT_TRUE(stream.OpenCapture(files.dataPath, files.indexPath));
        CFrameCompositor compositor(m_project);
        compositor.SetSources({&stream});
        std::vector<std::vector<uint32_t>> pictures;
        for (uint32_t i = 0; i < m_project.FrameCount(); ++i) {
            compositor.GoToFrame(i);
            EXPECT_FALSE(compositor.Damaged());
            pictures.push_back(compositor.Picture().m_Pixels);
        }
        return pictures;
    }

    std::vector<CFrameInfo*> Frames() const {
        std::vector<CFrameInfo*> frames;
        for (CFrameInfo* f = m_project.FirstFrame(); f != nullptr; f = f->m_pNext) {
            frames.push_back(f);
        }
        return frames;
    }

    CXvfbServer m_server{{kWidth, kHeight, true}};
    std::unique_ptr<CTestDrawer> m_drawer;
    std::unique_ptr<CXTestInput> m_input;
    std::unique_ptr<CX11Display> m_display;
    std::unique_ptr<CX11ScreenSource> m_screen;
    std::unique_ptr<CX11CursorSource> m_cursor;
    CInputEvents m_events;
    std::unique_ptr<CX11InputSource> m_inputSource;
    std::unique_ptr<CInputEventSource> m_eventSource;
    CSteadyClock m_clock;
    SRecorderFlags m_flags;
    CScriptedPrompter m_prompter;
    CDemoProject m_project;
    CTempDir m_dir;
    std::unique_ptr<CHeadlessRecorder> m_recorder;
    std::unique_ptr<CScreenGrabber> m_grabber;
    // From the first tick to the end of the scene, and to the end of the final tick.
    int64_t m_nSceneMs = 0;
    int64_t m_nRecordedMs = 0;
};

TEST_F(X11RecordingTest, EveryFrameIsAScreenThatWasShownInTheOrderShown) {
    const SScreenRect rect{0, 0, kWidth, kHeight};
    std::vector<CScreenModel> states(1);
    // A box that moves, a counter that grows and a line of "typed" blocks.
    for (int step = 1; step <= 12; ++step) {
        CScreenModel next = states.back();
        next.Fill(40 * (step - 1), 100, 40, 40, kBackground);
        next.Fill(40 * step, 100, 40, 40, 0xE03020);
        next.Fill(900, 20, 8 * step, 16, 0x20E040);
        next.Fill(100 + 12 * step, 400, 9, 14, 0x000000);
        states.push_back(next);
    }
    CRecordingOptions options;
    options.m_bRecordMouse = 0;
    const auto end = Record(options, rect, [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        for (int step = 1; step <= 12; ++step) {
            m_drawer->FillAtOnce({{40 * (step - 1), 100, 40, 40, kBackground},
                                  {40 * step, 100, 40, 40, 0xE03020},
                                  {900, 20, 8 * step, 16, 0x20E040},
                                  {100 + 12 * step, 400, 9, 14, 0x000000}});
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
        }
    });
    EXPECT_EQ(end, CHeadlessRecorder::EEnd::Interrupted);
    const std::vector<std::vector<uint32_t>> pictures = Rebuild();
    ASSERT_GE(pictures.size(), 3u);
    std::vector<std::vector<uint32_t>> expected;
    for (const CScreenModel& s : states) {
        expected.push_back(s.Capture(rect));
    }
    // Fills land between grabs or inside one; either way a frame shows a drawn state.
    size_t state = 0;
    for (size_t i = 0; i < pictures.size(); ++i) {
        size_t j = state;
        while (j < expected.size() && !SamePicture(pictures[i], expected[j])) {
            ++j;
        }
        ASSERT_LT(j, expected.size())
            << "frame " << i << " shows no drawn screen after state " << state;
        state = j;
    }
    EXPECT_EQ(state, expected.size() - 1) << "the final frame shows the final screen";
    const std::vector<CFrameInfo*> frames = Frames();
    EXPECT_EQ(frames.front()->m_bKeyFrame, 1);
    EXPECT_EQ(frames.back()->m_bKeyFrame, 1);
    int64_t total = 0;
    for (const CFrameInfo* f : frames) {
        total += f->m_nDuration;
    }
    // The recording ends somewhere between the end of the scene and the end of the final tick.
    EXPECT_GE(static_cast<double>(total) * 10.0, 0.95 * static_cast<double>(m_nSceneMs));
    EXPECT_LE(static_cast<double>(total) * 10.0, 1.05 * static_cast<double>(m_nRecordedMs));
}

TEST_F(X11RecordingTest, PointerPathClicksKeysAndCursorShapesAreRecorded) {
    const SScreenRect rect{0, 0, kWidth, kHeight};
    m_drawer->MapWindowWithCursor(500, 0, 524, 768, m_drawer->FontCursor(152));
    m_input->MoveTo(100, 300);
    CRecordingOptions options;
    options.m_bCustomRates = 1;
    options.m_nScreenFps = 20;
    options.m_nMouseFps = 20;
    std::vector<std::pair<int, int>> path;
    for (int i = 0; i <= 40; ++i) {
        path.emplace_back(100 + 15 * i, 300 + 2 * i);
    }
    Record(options, rect, [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        for (size_t i = 0; i < path.size(); ++i) {
            m_input->MoveTo(path[i].first, path[i].second);
            if (i == 10) {
                m_input->Button(1, true);
                // Held for several ticks, so that a loaded machine still records the press and
                // the release in different frames.
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
                m_input->Button(1, false);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
        }
        m_input->Key(38, true);
        m_input->Key(38, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        m_drawer->Fill(10, 10, 30, 30, 0xFFFFFF);  // a screen frame that takes the key
    });
    const std::vector<CFrameInfo*> frames = Frames();
    ASSERT_GT(frames.size(), 10u);
    // Hot-spot positions lie on the pointer's straight path, in order.
    int lastX = 0;
    size_t positions = 0;
    for (const CFrameInfo* f : frames) {
        if (f->m_hCursor == 0) {
            continue;
        }
        const CCursorImage* image = m_project.m_CursorImages.Find(f->m_hCursor, 0);
        ASSERT_NE(image, nullptr);
        const int x = f->m_nCursorX + image->m_nHotX;
        const int y = f->m_nCursorY + image->m_nHotY;
        EXPECT_GE(x, lastX);
        EXPECT_NEAR(y, 300 + (x - 100) * 2 / 15, 2) << "at x " << x;
        lastX = x;
        ++positions;
    }
    EXPECT_GE(positions, path.size() / 4);
    EXPECT_EQ(lastX, path.back().first);
    EXPECT_EQ(m_project.m_CursorImages.m_Images.size(), 2u) << "the root's cursor and the I-beam";

    int down = -1;
    int up = -1;
    bool key = false;
    for (size_t i = 0; i < frames.size(); ++i) {
        if (frames[i]->m_bClickDown && down < 0) {
            down = static_cast<int>(i);
        }
        if (frames[i]->m_bClickUp && up < 0) {
            up = static_cast<int>(i);
        }
        key = key || frames[i]->m_bKeyDown != 0;
    }
    ASSERT_GE(down, 0);
    EXPECT_GT(up, down);
    EXPECT_TRUE(key);
}

TEST_F(X11RecordingTest, AHiddenPointerKeepsTheLastShapeAndIsMarkedNotShown) {
    const SScreenRect rect{0, 0, kWidth, kHeight};
    m_drawer->MapWindowWithCursor(600, 0, 424, 768, m_drawer->InvisibleCursor());
    m_input->MoveTo(100, 100);
    CRecordingOptions options;
    Record(options, rect, [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        for (int x = 100; x <= 900; x += 50) {
            m_input->MoveTo(x, 100);
            std::this_thread::sleep_for(std::chrono::milliseconds(80));
        }
        m_drawer->Fill(10, 10, 30, 30, 0xFFFFFF);
    });
    const std::vector<CFrameInfo*> frames = Frames();
    ASSERT_FALSE(frames.empty());
    const uint32_t shown = frames.front()->m_hCursor;
    ASSERT_NE(shown, 0u);
    EXPECT_EQ(frames.front()->m_bCursorNotShown, 0);
    bool hidden = false;
    for (const CFrameInfo* f : frames) {
        if (f->m_bCursorNotShown) {
            hidden = true;
            EXPECT_EQ(f->m_hCursor, shown) << "a hidden pointer keeps the shape drawn last";
            EXPECT_GE(f->m_nCursorX, 600 - 32);
        }
    }
    EXPECT_TRUE(hidden);
    EXPECT_EQ(m_project.m_CursorImages.m_Images.size(), 1u);
}

TEST_F(X11RecordingTest, ACaptureHalfOffTheScreenRecordsBlackThereAndNoErrors) {
    const SScreenRect rect{kWidth - 200, kHeight - 150, 400, 300};
    CRecordingOptions options;
    options.m_bRecordMouse = 0;
    CScreenModel model;
    model.Fill(kWidth - 50, kHeight - 50, 50, 50, 0xFFFF00);
    Record(options, rect, [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        m_drawer->Fill(kWidth - 50, kHeight - 50, 50, 50, 0xFFFF00);
    });
    EXPECT_TRUE(m_prompter.Messages().empty());
    const std::vector<std::vector<uint32_t>> pictures = Rebuild();
    ASSERT_FALSE(pictures.empty());
    EXPECT_TRUE(SamePicture(pictures.back(), model.Capture(rect)));
    EXPECT_EQ(pictures.back()[static_cast<size_t>(299) * 400 + 399], 0u);
}

}  // namespace
