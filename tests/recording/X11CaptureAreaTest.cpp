// Capture areas on a private X server: the second of two monitors, a pan that glides after the
// pointer over a wide screen, and a selected area that follows the active window of a real
// window manager.
#include <signal.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/randr.h>
#include <xcb/xcbext.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "platform/InputEvents.h"
#include "platform/RecordingClock.h"
#include "platform/ScriptedPrompter.h"
#include "platform/X11CursorSource.h"
#include "platform/X11Display.h"
#include "platform/X11ScreenSource.h"
#include "platform/X11WindowSource.h"
#include "project/model/DemoProject.h"
#include "project/stream/FrameCompositor.h"
#include "project/stream/StreamFile.h"
#include "recording/CaptureArea.h"
#include "recording/FrameGeometry.h"
#include "recording/HeadlessCaptureArea.h"
#include "recording/HeadlessRecorder.h"
#include "recording/ScreenGrabber.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDrawer.h"
#include "tests/support/XTestInput.h"
#include "tests/support/XvfbServer.h"

namespace {

using namespace std::chrono_literals;

uint32_t Tile(int x, int y) {
    // Neighbouring 60-pixel tiles differ; the lowest bit of red is not kept by the stream.
    return ((static_cast<uint32_t>(x / 60) * 0x3B1F) ^ (static_cast<uint32_t>(y / 60) * 0x9D2C5)) &
           0x00FEFEFEu;
}

// Waits up to two seconds for `ready`.
template <typename F>
bool WaitFor(F ready) {
    for (int i = 0; i < 100; ++i) {
        if (ready()) {
            return true;
        }
        std::this_thread::sleep_for(20ms);
    }
    return ready();
}

class X11CaptureAreaTest : public ::testing::Test {
protected:
    void Open(int width, int height) {
        m_server = std::make_unique<CXvfbServer>(CXvfbServer::SOptions{width, height, true});
        ASSERT_TRUE(m_server->Running()) << m_server->Error();
        m_drawer = std::make_unique<CTestDrawer>(m_server->Display());
        ASSERT_TRUE(m_drawer->Ok());
        m_display = std::make_unique<CX11Display>(m_server->Display());
        m_screen = std::make_unique<CX11ScreenSource>(*m_display);
        m_cursor = std::make_unique<CX11CursorSource>(*m_display);
        m_recorder = std::make_unique<CHeadlessRecorder>(m_clock, m_events, m_flags, nullptr);
        m_grabber = std::make_unique<CScreenGrabber>(
            CScreenGrabber::SServices{m_project, *m_screen, *m_cursor, m_events, m_clock,
                                      m_prompter, *m_recorder},
            m_flags);
        m_grabber->SetTempDir(m_dir.Path().string());
    }

    void Record(const CRecordingOptions& options, uint32_t ms) {
        m_grabber->SetOptions(options);
        m_recorder->Record(*m_grabber, ms, nullptr);
    }

    // Every frame rebuilt: the picture and the frame's place in it.
    struct SRebuilt {
        CPixelPicture picture;
        int32_t x, y;
    };
    std::vector<SRebuilt> Rebuild() {
        SCaptureFiles files;
        EXPECT_TRUE(m_grabber->Stream().Stop(files));
        CStreamFile stream;
        EXPECT_TRUE(stream.OpenCapture(files.dataPath, files.indexPath));
        CFrameCompositor compositor(m_project);
        compositor.SetSources({&stream});
        std::vector<SRebuilt> frames;
        for (uint32_t i = 0; i < m_project.FrameCount(); ++i) {
            compositor.GoToFrame(i);
            EXPECT_FALSE(compositor.Damaged());
            frames.push_back({compositor.Picture(), compositor.OriginX(), compositor.OriginY()});
        }
        return frames;
    }

    static uint32_t At(const CPixelPicture& p, int x, int y) {
        return p.m_Pixels[static_cast<size_t>(y) * p.m_nWidth + x] & 0x00FEFEFEu;
    }

    std::unique_ptr<CXvfbServer> m_server;
    std::unique_ptr<CTestDrawer> m_drawer;
    std::unique_ptr<CX11Display> m_display;
    std::unique_ptr<CX11ScreenSource> m_screen;
    std::unique_ptr<CX11CursorSource> m_cursor;
    CInputEvents m_events;
    CSteadyClock m_clock;
    SRecorderFlags m_flags;
    CScriptedPrompter m_prompter;
    CDemoProject m_project;
    CTempDir m_dir;
    std::unique_ptr<CHeadlessRecorder> m_recorder;
    std::unique_ptr<CScreenGrabber> m_grabber;
};

// RRSetMonitor with at most one output, sent as it is: the library's own serialiser of this
// request asks for more than the server takes.
struct SSetMonitorRequest {
    uint8_t major, minor;
    uint16_t length;
    uint32_t window, name;
    uint8_t primary, automatic;
    uint16_t nOutput;
    int16_t x, y;
    uint16_t width, height;
    uint32_t widthMm, heightMm;
    uint32_t output;
};

bool SetMonitor(xcb_connection_t* c, xcb_window_t root, const char* name, const SScreenRect& rect,
                xcb_randr_output_t output) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    if (!atom) {
        return false;
    }
    SSetMonitorRequest r{};
    r.window = root;
    r.name = atom->atom;
    r.primary = output != 0;
    r.nOutput = output != 0 ? 1 : 0;
    r.x = static_cast<int16_t>(rect.x);
    r.y = static_cast<int16_t>(rect.y);
    r.width = static_cast<uint16_t>(rect.width);
    r.height = static_cast<uint16_t>(rect.height);
    r.output = output;
    iovec parts[4];
    parts[2].iov_base = &r;
    parts[2].iov_len = output != 0 ? sizeof r : sizeof r - sizeof r.output;
    parts[3].iov_base = nullptr;
    parts[3].iov_len = 0;
    xcb_protocol_request_t request{2, &xcb_randr_id, XCB_RANDR_SET_MONITOR, 1};
    const xcb_void_cookie_t cookie{xcb_send_request(c, XCB_REQUEST_CHECKED, parts + 2, &request)};
    xcb_generic_error_t* error = xcb_request_check(c, cookie);
    std::free(error);
    return error == nullptr && xcb_connection_has_error(c) == 0;
}

// Two RandR monitors side by side on one wide screen; the first takes over Xvfb's own output.
bool SetTwoMonitors(xcb_connection_t* c, xcb_window_t root, const SScreenRect& first,
                    const SScreenRect& second) {
    std::unique_ptr<xcb_randr_get_screen_resources_current_reply_t, decltype(&std::free)> res(
        xcb_randr_get_screen_resources_current_reply(
            c, xcb_randr_get_screen_resources_current(c, root), nullptr),
        &std::free);
    if (!res || xcb_randr_get_screen_resources_current_outputs_length(res.get()) < 1) {
        return false;
    }
    const xcb_randr_output_t output = xcb_randr_get_screen_resources_current_outputs(res.get())[0];
    return SetMonitor(c, root, "LEFT", first, output) && SetMonitor(c, root, "RIGHT", second, 0);
}

TEST_F(X11CaptureAreaTest, TheSecondMonitorIsRecorded) {
    Open(1440, 600);
    const SScreenRect left{0, 0, 800, 600};
    const SScreenRect right{800, 0, 640, 480};
    ASSERT_TRUE(SetTwoMonitors(m_drawer->Connection(), m_drawer->Screen()->root, left, right));
    const std::vector<SScreenRect> monitors = m_screen->Monitors();
    ASSERT_EQ(monitors.size(), 2u);
    EXPECT_EQ(monitors[0], left);
    EXPECT_EQ(monitors[1], right);

    m_drawer->FillAtOnce({{0, 0, 1440, 600, 0x202020}, {800, 0, 640, 480, 0x20A040}});
    m_drawer->Fill(1000, 100, 50, 40, 0xC03020);
    m_grabber->SetCaptureArea({ECaptureMode::FullScreen, 2, false}, nullptr);
    CRecordingOptions options;
    options.m_bRecordMouse = 0;
    Record(options, 600);
    EXPECT_EQ(m_grabber->CaptureRect(), monitors[1]);
    EXPECT_EQ(m_project.m_nWidth, 640);
    const std::vector<SRebuilt> frames = Rebuild();
    ASSERT_FALSE(frames.empty());
    const CPixelPicture& last = frames.back().picture;
    EXPECT_EQ(At(last, 10, 10), 0x20A040u);
    EXPECT_EQ(At(last, 210, 110), 0xC03020u);
}

TEST_F(X11CaptureAreaTest, PanGlidesAfterThePointerAndTheFramesShowTheScreenThere) {
    Open(1920, 1080);
    for (int y = 0; y < 1080; y += 60) {
        for (int x = 0; x < 1920; x += 60) {
            m_drawer->Fill(x, y, 60, 60, Tile(x, y));
        }
    }
    CXTestInput input(m_server->Display());
    ASSERT_TRUE(input.Ok());
    input.MoveTo(1910, 540);
    input.Sync();
    CHeadlessCaptureArea area({637, 297, 646, 486}, m_screen->VirtualScreen(), nullptr);
    m_grabber->SetCaptureArea({ECaptureMode::SelectedArea, 0, true}, &area);
    Record(CRecordingOptions{}, 3500);
    ASSERT_TRUE(m_grabber->Panning());
    // The area glided most of the way to the right edge of the screen (it slows down before
    // it) and stayed at its height; the frame is around it.
    const SScreenRect r = m_grabber->CaptureRect();
    EXPECT_GE(r.x, 1000);
    EXPECT_LE(r.x, 1280);
    EXPECT_EQ(r.y, 300);
    EXPECT_EQ(area.FrameWindowRect(), (SScreenRect{r.x - 3, 297, 646, 486}));

    const std::vector<SRebuilt> frames = Rebuild();
    ASSERT_GT(frames.size(), 5u);
    EXPECT_EQ(frames.front().x, 640);
    EXPECT_EQ(frames.back().x, m_grabber->CaptureRect().x);
    int32_t lastX = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        const SRebuilt& f = frames[i];
        ASSERT_EQ(f.picture.m_nWidth, 1920);
        EXPECT_GE(f.x, lastX);
        EXPECT_EQ(f.y, 300);
        lastX = f.x;
        int bad = 0;
        for (int y = f.y; y < f.y + 480; y += 7) {
            for (int x = f.x; x < f.x + 640; x += 7) {
                bad += At(f.picture, x, y) != Tile(x, y);
            }
        }
        EXPECT_EQ(bad, 0) << "frame " << i << " at " << f.x;
    }
}

// A window manager on the test's server, stopped with the test.
class COpenbox {
public:
    explicit COpenbox(const std::string& display) {
        m_pid = fork();
        if (m_pid == 0) {
            setenv("DISPLAY", display.c_str(), 1);
            execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~COpenbox() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    COpenbox(const COpenbox&) = delete;
    COpenbox& operator=(const COpenbox&) = delete;

private:
    pid_t m_pid = -1;
};

xcb_window_t MapColouredWindow(xcb_connection_t* c, const xcb_screen_t* s, int x, int y, int w,
                               int h, uint32_t rgb) {
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t values[] = {rgb};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, s->root, static_cast<int16_t>(x),
                      static_cast<int16_t>(y), static_cast<uint16_t>(w), static_cast<uint16_t>(h),
                      0, XCB_WINDOW_CLASS_INPUT_OUTPUT, s->root_visual, XCB_CW_BACK_PIXEL, values);
    xcb_map_window(c, window);
    xcb_flush(c);
    return window;
}

TEST_F(X11CaptureAreaTest, SwitchingTheActiveWindowMovesTheCaptureToIt) {
    Open(1024, 768);
    m_drawer->Fill(0, 0, 1024, 768, 0x303030);
    COpenbox wm(m_server->Display());
    CX11WindowSource windows(*m_display);
    xcb_connection_t* c = m_drawer->Connection();
    const xcb_window_t first = MapColouredWindow(c, m_drawer->Screen(), 40, 40, 300, 200, 0xC02020);
    ASSERT_TRUE(WaitFor([&] {
        windows.Activate(first);
        const auto active = windows.ActiveWindow();
        return active && active->id == first;
    })) << "openbox did not activate the window";
    const xcb_window_t second =
        MapColouredWindow(c, m_drawer->Screen(), 600, 420, 200, 160, 0x20A040);
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(WaitFor([&] {
        windows.Activate(first);
        const auto active = windows.ActiveWindow();
        return active && active->id == first;
    }));

    const std::optional<SWindowInfo> firstInfo = windows.ActiveWindow();
    ASSERT_TRUE(firstInfo);

    // Before the recording the frame takes the active window's place, decoration included.
    CHeadlessCaptureArea area({}, m_screen->VirtualScreen(), &windows);
    ASSERT_TRUE(area.SnapToActiveWindow());
    const SScreenRect start = area.FrameWindowRect();
    EXPECT_EQ(start, RectOf(FrameForWindow(EdgesOf(firstInfo->rect), false, kFrameBorder)));
    EXPECT_GE(start.width, 306);

    m_grabber->SetCaptureArea({ECaptureMode::ActiveWindow, 0, false}, &area);
    CRecordingOptions options;
    options.m_bRecordMouse = 0;
    options.m_bFollowActiveWindow = 1;
    std::optional<SWindowInfo> secondInfo;
    std::thread user([&] {
        std::this_thread::sleep_for(900ms);
        CX11Display other(m_server->Display());
        CX11WindowSource switcher(other);
        WaitFor([&] {
            switcher.Activate(second);
            secondInfo = switcher.ActiveWindow();
            return secondInfo && secondInfo->id == second;
        });
    });
    Record(options, 2500);
    user.join();
    ASSERT_TRUE(secondInfo && secondInfo->id == second) << "openbox did not switch windows";
    // The capture kept its size and is centred on the second window.
    const SRect target = FrameForWindow(EdgesOf(secondInfo->rect), false, kFrameBorder);
    const SScreenRect& r = m_grabber->CaptureRect();
    EXPECT_EQ(r.width, start.width - 6);
    EXPECT_EQ(r.height, start.height - 6);
    EXPECT_NEAR(r.x + r.width / 2, (target.left + target.right) / 2, 1);
    EXPECT_NEAR(r.y + r.height / 2, (target.top + target.bottom) / 2, 1);
    const std::vector<SRebuilt> frames = Rebuild();
    ASSERT_GE(frames.size(), 2u);
    const CPixelPicture& firstFrame = frames.front().picture;
    const CPixelPicture& last = frames.back().picture;
    EXPECT_EQ(At(firstFrame, firstFrame.m_nWidth / 2, firstFrame.m_nHeight / 2), 0xC02020u);
    EXPECT_EQ(At(last, last.m_nWidth / 2, last.m_nHeight / 2), 0x20A040u);
}

}  // namespace
