// The capture-area frame window on a private X server through Qt's X11 platform: its shape
// leaves the capture to the screen, and dragging and resizing it with synthetic mouse input
// keep the capture width a multiple of 4 and at least 32 pixels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <memory>

#include "app/CaptureFrameWnd.h"
#include "platform/X11Display.h"
#include "platform/X11ScreenSource.h"
#include "recording/FrameGeometry.h"
#include "tests/support/TestDrawer.h"
#include "tests/support/XTestInput.h"
#include "tests/support/XvfbServer.h"

namespace {

constexpr uint8_t kLeftButton = 1;
constexpr uint8_t kRightButton = 3;
constexpr uint8_t kShiftKeycode = 50;  // Shift_L of Xvfb's default keymap
constexpr uint32_t kDesktop = 0x204060;

class CaptureFrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_pServer = new CXvfbServer(CXvfbServer::SOptions{800, 600, true});
        ASSERT_TRUE(s_pServer->Running()) << s_pServer->Error();
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("DISPLAY", QByteArray::fromStdString(s_pServer->Display()));
        static int argc = 1;
        static char name[] = "quillo_tests_capture_frame";
        static char* argv[] = {name, nullptr};
        s_pApp = new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    // The application lets go of the server before the server stops.
    static void TearDownTestSuite() {
        delete s_pApp;
        s_pApp = nullptr;
        delete s_pServer;
        s_pServer = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(s_pApp, nullptr);
        m_drawer = std::make_unique<CTestDrawer>(s_pServer->Display());
        m_input = std::make_unique<CXTestInput>(s_pServer->Display());
        ASSERT_TRUE(m_drawer->Ok());
        ASSERT_TRUE(m_input->Ok());
        m_drawer->Fill(0, 0, 800, 600, kDesktop);
        m_owner = std::make_unique<QWidget>();
        m_frame = std::make_unique<CCaptureFrameWnd>(m_owner.get(), nullptr, false);
        m_frame->SetMode(ECaptureMode::SelectedArea);
        m_frame->ApplyFrameRect({100, 100, 306, 206});
        m_frame->ShowFrame();
        Settle();
    }

    // Lets Qt handle what the server sent until the frame window sits where it says.
    void Settle() {
        m_input->Sync();
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 300) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    }

    void Drag(int x0, int y0, int x1, int y1, uint8_t button = kLeftButton) {
        m_input->MoveTo(x0, y0);
        Settle();
        m_input->Button(button, true);
        Settle();
        m_input->MoveTo((x0 + x1) / 2, (y0 + y1) / 2);
        Settle();
        m_input->MoveTo(x1, y1);
        Settle();
        m_input->Button(button, false);
        Settle();
    }

    static inline CXvfbServer* s_pServer = nullptr;
    static inline QApplication* s_pApp = nullptr;
    std::unique_ptr<CTestDrawer> m_drawer;
    std::unique_ptr<CXTestInput> m_input;
    std::unique_ptr<QWidget> m_owner;
    std::unique_ptr<CCaptureFrameWnd> m_frame;
};

TEST_F(CaptureFrameTest, TheFrameLiesOutsideTheCapture) {
    CX11Display display(s_pServer->Display());
    CX11ScreenSource screen(display);
    // The whole window: its frame is painted, its hole shows the desktop.
    std::vector<uint32_t> pixels(206 * 106);
    ASSERT_TRUE(screen.Grab({100, 100, 206, 106}, pixels.data()));
    int frame = 0;
    int desktop = 0;
    for (int y = 0; y < 106; ++y) {
        for (int x = 0; x < 206; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * 206 + x];
            const bool onFrame = x < 3 || y < 3 || x >= 203 || y >= 103;
            if (onFrame) {
                frame += p == 0xFF6464u || p == 0u;
            } else {
                desktop += p == kDesktop;
            }
        }
    }
    EXPECT_EQ(frame, 206 * 106 - 200 * 100);
    EXPECT_EQ(desktop, 200 * 100);
    EXPECT_EQ(m_owner->windowTitle(), "Quillo 200x100");
}

TEST_F(CaptureFrameTest, ResizingByAnEdgeRoundsTheCaptureWidthWhenReleased) {
    // Capture width 200 at the start; the right edge at x = 305, the left at x = 100.
    struct SCase {
        int fromX, toX;
        SRect want;
    };
    const SCase cases[] = {
        {305, 306, {100, 100, 306, 206}},  // 201 → 200
        {305, 307, {100, 100, 310, 206}},  // 202 → 204
        {305, 308, {100, 100, 310, 206}},  // 203 → 204
        {101, 99, {96, 100, 306, 206}},    // by the left edge: 202 → 204, the left edge moves
        {305, 120, {100, 100, 138, 206}},  // the least size: 38
    };
    for (const SCase& c : cases) {
        m_frame->ApplyFrameRect({100, 100, 306, 206});
        Settle();
        Drag(c.fromX, 150, c.toX, 150);
        EXPECT_EQ(m_frame->FrameRect(), c.want) << c.fromX << " to " << c.toX;
        EXPECT_EQ(m_frame->geometry(), QRect(c.want.left, c.want.top, c.want.right - c.want.left,
                                             c.want.bottom - c.want.top));
    }
    EXPECT_EQ(m_owner->windowTitle(), "Quillo 32x100");
}

TEST_F(CaptureFrameTest, ShiftOrTheRightButtonMoveTheFrame) {
    Drag(305, 150, 345, 190, kRightButton);
    EXPECT_EQ(m_frame->FrameRect(), (SRect{140, 140, 346, 246}));
    m_input->Key(kShiftKeycode, true);
    Drag(141, 200, 121, 180);
    m_input->Key(kShiftKeycode, false);
    EXPECT_EQ(m_frame->FrameRect(), (SRect{120, 120, 326, 226}));
    // While recording the frame neither moves nor resizes; paused it moves only.
    m_frame->SetRecordingLook(false);
    Drag(325, 150, 365, 150);
    EXPECT_EQ(m_frame->FrameRect(), (SRect{120, 120, 326, 226}));
    m_frame->SetRecordingLook(true);
    Drag(325, 150, 365, 150);
    EXPECT_EQ(m_frame->FrameRect(), (SRect{160, 120, 366, 226}));
}

}  // namespace
