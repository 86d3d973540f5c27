// Recordings whose capture moves: a pan after the cursor over a screen held in memory, and a
// selected area that follows the active window. Every frame is rebuilt through the compositor.
#include <gtest/gtest.h>

#include "recording/HeadlessCaptureArea.h"
#include "tests/recording/GrabberFixture.h"

namespace {

class CListedWindows : public IWindowSource {
public:
    std::optional<SWindowInfo> ActiveWindow() override { return m_active; }
    bool Activate(uint32_t) override { return true; }
    void Ignore(uint32_t) override {}
    std::optional<SWindowInfo> m_active;
};

class MovingCaptureTest : public GrabberFixture {
protected:
    void SetUp() override {
        // A screen whose every pixel differs from its neighbours.
        m_screen.m_nWidth = 320;
        m_screen.m_nHeight = 200;
        m_screen.m_Pixels.resize(320 * 200);
        for (size_t i = 0; i < m_screen.m_Pixels.size(); ++i) {
            m_screen.m_Pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0x00FEFFFFu;
        }
        m_rect = {};
    }

    void Begin(const SCaptureChoice& choice, CRecordingOptions options, IWindowSource* pWindows) {
        m_pArea = std::make_unique<CHeadlessCaptureArea>(SScreenRect{17, 17, 70, 54},
                                                         m_screen.VirtualScreen(), pWindows);
        Start(options);
        m_grabber->SetCaptureArea(choice, m_pArea.get());
    }

    // One tick; each new frame expects the screen at the capture's place.
    void Step(bool final = false) {
        m_clock.Advance(50);
        const uint32_t before = m_project.FrameCount();
        m_grabber->OnCaptureTick(final);
        for (uint32_t i = before; i < m_project.FrameCount(); ++i) {
            m_expected.push_back(m_screen.Snapshot(m_grabber->CaptureRect()));
        }
    }

    // Rebuilds every frame forward and backward; the capture's part of the picture must show
    // what the screen showed there.
    void ExpectFramesShowTheScreenAtTheirPlace(bool pan) {
        SCaptureFiles files;
        ASSERT_TRUE(m_grabber->Stream().Stop(files));
        CStreamFile stream;
        ASSERT_TRUE(stream.OpenCapture(files.dataPath, files.indexPath));
        CFrameCompositor compositor(m_project);
        compositor.SetSources({&stream});
        const uint32_t n = m_project.FrameCount();
        ASSERT_EQ(m_expected.size(), n);
        const int32_t w = m_project.m_nWidth;
        const int32_t h = m_project.m_nHeight;
        for (int pass = 0; pass < 2; ++pass) {
            for (uint32_t k = 0; k < n; ++k) {
                const uint32_t i = pass == 0 ? k : n - 1 - k;
                compositor.GoToFrame(i);
                ASSERT_FALSE(compositor.Damaged());
                const CPixelPicture& picture = compositor.Picture();
                ASSERT_EQ(picture.m_nWidth, pan ? 320 : w);
                const CFrameInfo& frame = *m_project.FrameAt(i);
                int bad = 0;
                for (int32_t y = 0; y < h; ++y) {
                    for (int32_t x = 0; x < w; ++x) {
                        const size_t at =
                            static_cast<size_t>(y + frame.m_nPanY) * picture.m_nWidth + x +
                            frame.m_nPanX;
                        bad += (picture.m_Pixels[at] & 0x00FEFFFFu) !=
                               (m_expected[i][static_cast<size_t>(y) * w + x] & 0x00FEFFFFu);
                    }
                }
                EXPECT_EQ(bad, 0) << "frame " << i << (pass == 0 ? " forward" : " backward");
            }
        }
    }

    std::unique_ptr<CHeadlessCaptureArea> m_pArea;
};

TEST_F(MovingCaptureTest, PanGlidesAfterTheCursorAndTheFramesShowTheScreenThere) {
    m_cursor.MoveTo(315, 40);
    Begin({ECaptureMode::SelectedArea, 0, true}, MouseOff(), nullptr);
    for (int i = 0; i < 80; ++i) {
        if (i == 40) {
            // Something changes where the capture now is.
            const SScreenRect& r = m_grabber->CaptureRect();
            m_screen.Fill(r.x + 5, r.y + 5, 20, 10, 0x00FF0000);
        }
        Step();
    }
    Step(true);
    ASSERT_TRUE(m_grabber->Panning());
    // The capture went as far right as the screen allows and no further.
    EXPECT_EQ(m_grabber->CaptureRect(), (SScreenRect{256, 20, 64, 48}));
    // The frame window is placed around the moved capture.
    EXPECT_EQ(m_pArea->FrameWindowRect(), (SScreenRect{253, 17, 70, 54}));

    const std::vector<CFrameInfo*> frames = Frames();
    ASSERT_GT(frames.size(), 10u);
    int32_t lastX = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        const CFrameInfo& f = *frames[i];
        EXPECT_GE(f.m_nPanX, lastX) << "frame " << i;
        EXPECT_EQ(f.m_nPanY, 20);
        lastX = f.m_nPanX;
        // Only the first and the last frame are key frames, and they hold the whole screen.
        const bool key = i == 0 || i + 1 == frames.size();
        EXPECT_EQ(f.m_bKeyFrame != 0, key) << "frame " << i;
        EXPECT_EQ(f.m_pPanPicture.has_value(), key) << "frame " << i;
    }
    EXPECT_EQ(frames.front()->m_nPanX, 20);
    EXPECT_EQ(frames.back()->m_nPanX, 256);
    ExpectFramesShowTheScreenAtTheirPlace(true);
}

TEST_F(MovingCaptureTest, AreaLargerThanTheScreenIsRecordedWithoutPanning) {
    m_pArea = std::make_unique<CHeadlessCaptureArea>(SScreenRect{-3, -3, 400, 100},
                                                     m_screen.VirtualScreen(), nullptr);
    Start(MouseOff());
    m_grabber->SetCaptureArea({ECaptureMode::SelectedArea, 0, true}, m_pArea.get());
    Step();
    Step(true);
    EXPECT_FALSE(m_grabber->Panning());
    EXPECT_EQ(m_grabber->CaptureRect(), (SScreenRect{0, 0, 394, 94}));
    EXPECT_FALSE(m_project.FirstFrame()->m_pPanPicture.has_value());
}

TEST_F(MovingCaptureTest, FollowingTheActiveWindowMovesTheCaptureToIt) {
    CListedWindows windows;
    CRecordingOptions options = MouseOff();
    options.m_bFollowActiveWindow = 1;
    Begin({ECaptureMode::SelectedArea, 0, false}, options, &windows);
    Step();
    Step();
    // A window inside the frame leaves the capture where it is.
    windows.m_active = SWindowInfo{5, {30, 30, 20, 20}, false};
    Step();
    EXPECT_EQ(m_grabber->CaptureRect(), (SScreenRect{20, 20, 64, 48}));
    // A distant window takes the capture, without a screen copy on that tick.
    windows.m_active = SWindowInfo{6, {200, 120, 60, 40}, false};
    const int grabs = m_screen.m_nGrabs;
    const uint32_t frames = m_project.FrameCount();
    Step();
    EXPECT_EQ(m_screen.m_nGrabs, grabs);
    EXPECT_EQ(m_project.FrameCount(), frames);
    EXPECT_EQ(m_grabber->CaptureRect(), (SScreenRect{198, 116, 64, 48}));
    Step();
    EXPECT_EQ(m_project.FrameCount(), frames + 1);
    Step(true);
    EXPECT_FALSE(m_project.FirstFrame()->m_pPanPicture.has_value());
    ExpectFramesShowTheScreenAtTheirPlace(false);
}

}  // namespace
