// The main window's recording on a private X server, in this process: recording keys that do
// not fit the state only beep, the pause key starts a recording, the stop dialog's "Stop and
// Save" opens the new project in the editor on its first frame, and afterwards the keys leave
// the open project alone.
#include <gtest/gtest.h>
#include <xcb/xcb_keysyms.h>

#include <QApplication>
#include <QElapsedTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "app/MainWindow.h"
#include "app/MainWindowRecording.h"
#include "app/Startup.h"
#include "platform/ScriptedPrompter.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDrawer.h"
#include "tests/support/XTestInput.h"
#include "tests/support/XvfbServer.h"

namespace fs = std::filesystem;

namespace {

constexpr xcb_keysym_t kControl = 0xffe3;
constexpr xcb_keysym_t kAlt = 0xffe9;
constexpr xcb_keysym_t kDelete = 0xffff;
constexpr xcb_keysym_t kPause = 0xff13;
constexpr xcb_keysym_t kLetterC = 0x0063;

// Handles events until `done` holds or the time is up.
bool Until(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

class RecordingTestWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.Running()) << m_server.Error();
        // The window's own connections (keys, screen) go to the test's server.
        setenv("DISPLAY", m_server.Display().c_str(), 1);
        setenv("XDG_RUNTIME_DIR", m_dir.Path().c_str(), 1);
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "quillo_tests_recording_window";
        static char* argv[] = {name, nullptr};
        static QApplication* pApp = new QApplication(argc, argv);
        (void)pApp;
        QApplication::setQuitOnLastWindowClosed(false);
        m_pConnection = xcb_connect(m_server.Display().c_str(), nullptr);
        m_pSymbols = xcb_key_symbols_alloc(m_pConnection);
    }
    void TearDown() override {
        xcb_key_symbols_free(m_pSymbols);
        xcb_disconnect(m_pConnection);
    }

    void Press(std::initializer_list<xcb_keysym_t> keys) {
        std::vector<uint8_t> codes;
        for (xcb_keysym_t k : keys) {
            xcb_keycode_t* all = xcb_key_symbols_get_keycode(m_pSymbols, k);
            ASSERT_NE(all, nullptr);
            codes.push_back(all[0]);
            std::free(all);
        }
        for (uint8_t c : codes) {
            m_input.Key(c, true);
        }
        for (auto it = codes.rbegin(); it != codes.rend(); ++it) {
            m_input.Key(*it, false);
        }
        m_input.Sync();
    }

    CXvfbServer m_server{{320, 240, true}};
    CTempDir m_dir;
    CXTestInput m_input{m_server.Display()};
    xcb_connection_t* m_pConnection = nullptr;
    xcb_key_symbols_t* m_pSymbols = nullptr;
};

TEST_F(RecordingTestWindow, KeysBeepUntilARecordingStartsAndTheSavedOneIsEdited) {
    SStartupOptions o;
    o.currentFolder = m_dir.Path().string();
    o.programFolder = m_dir.File("bin");
    o.settingsFolder = m_dir.File("settings");
    o.registryFiles = {{m_dir.File("user.ini"), m_dir.File("machine.ini")}};
    o.vidcapResource = std::string_view("vidcap");
    CStartup startup(o);
    startup.Run();
    fs::create_directories(m_dir.File("tmp"));
    startup.Settings().m_settings.m_strTempDirectory = m_dir.File("tmp") + "/";
    CProgramState& state = startup.Settings().m_state;
    state.m_nCaptureMode = 2;  // "Full Screen"
    state.m_bRecordingHint = 0;
    state.m_bCreatingHint = 0;
    CScriptedPrompter prompter;
    const std::string saved = m_dir.File("recorded.lumo");
    prompter.QueueFileName(saved);
    int stopDialogs = 0;
    SMainWindowHooks hooks;
    hooks.askStop = [&] {
        ++stopDialogs;
        return EStopAnswer::StopAndSave;
    };
    CMainWindow window(startup.Settings(), startup.CommandLine(), prompter, hooks);
    window.StartUp();
    window.show();
    CMainWindowRecorder& recording = window.Recording();
    const CRecorder& recorder = recording.Recorder();

    // Before any recording the stop and chapter keys only beep.
    Press({kControl, kDelete});
    ASSERT_TRUE(Until([&] { return recording.Beeps() == 1; }));
    Press({kAlt, kLetterC});
    ASSERT_TRUE(Until([&] { return recording.Beeps() == 2; }));
    EXPECT_FALSE(recorder.Started());

    CTestDrawer drawer(m_server.Display());
    ASSERT_TRUE(drawer.Ok());
    drawer.Fill(0, 0, 320, 240, 0x3060A0);
    drawer.Sync();
    Press({kPause});
    ASSERT_TRUE(Until([&] { return recorder.Started(); }));
    EXPECT_FALSE(window.isVisible());
    ASSERT_TRUE(Until([&] { return recording.Project().FrameCount() >= 1; }));
    drawer.Fill(40, 40, 60, 40, 0xE02020);
    drawer.Sync();
    ASSERT_TRUE(Until([&] { return recording.Project().FrameCount() >= 2; }));
    Press({kControl, kDelete});
    ASSERT_TRUE(Until([&] { return window.HasProject(); })) << prompter.Transcript();
    EXPECT_EQ(stopDialogs, 1);
    EXPECT_FALSE(recorder.Running());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.Project().m_pszFileName, saved);
    EXPECT_EQ(window.ShownFrame(), 0u);
    EXPECT_EQ(window.Project().m_nWidth, 320);
    EXPECT_GE(window.Project().FrameCount(), 3u);
    EXPECT_TRUE(std::none_of(fs::directory_iterator(m_dir.File("tmp")), fs::directory_iterator(),
                             [](const fs::directory_entry& e) {
                                 return e.path().filename().string().starts_with("DMO");
                             }));

    // The open project is never recorded into.
    const int beeps = recording.Beeps();
    Press({kPause});
    ASSERT_TRUE(Until([&] { return recording.Beeps() == beeps + 1; }));
    window.close();
}

}  // namespace
