// The programs themselves on a private X server: a `quillo record` killed in the middle of a
// recording leaves its capture file, which is not offered while the recording runs and is offered,
// recovered and opened at the capture size by the next start of the main window; and
// `quillomatic` starts on a fresh home folder, opens a project from its command line and ends
// on SIGTERM writing its settings.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/FramePreview.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "platform/ScriptedPrompter.h"
#include "project/file/Recovery.h"
#include "settings/ProgramState.h"
#include "tests/app/WindowTestProject.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDrawer.h"
#include "tests/support/XvfbServer.h"

namespace fs = std::filesystem;

namespace {

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void EnsureApplication() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "quillo_tests_programs";
    static char* argv[] = {name, nullptr};
    static QApplication* pApp = new QApplication(argc, argv);
    (void)pApp;
}

TEST(RecoveryTestProgram, KilledRecordingIsOfferedAtTheNextStartAndRecovered) {
    CXvfbServer server({320, 240, true});
    ASSERT_TRUE(server.Running()) << server.Error();
    CTestDrawer drawer(server.Display());
    ASSERT_TRUE(drawer.Ok());
    drawer.Fill(0, 0, 320, 240, 0x3060A0);
    drawer.Sync();

    CTempDir dir;
    const std::string captures = dir.File("captures");
    fs::create_directories(captures);
    const pid_t recorder =
        SpawnProgram({QUILLO_BIN, "record", dir.File("killed.lumo"), "--temp", captures,
                      "--display", server.Display(), "--seconds", "120"},
                     {});
    ASSERT_GT(recorder, 0);
    // Boxes of changing colours while the recording runs.
    const uint32_t colours[] = {0xE02020, 0x20C040, 0xF0C000, 0x8020E0};
    for (int i = 0; i < 24; ++i) {
        drawer.Fill(20 + (i % 6) * 40, 60 + (i / 6) * 30, 36, 26, colours[i % 4]);
        drawer.Sync();
        Sleep(80);
    }
    // A recording that still runs holds its capture file: it is not a leftover.
    ASSERT_EQ(std::distance(fs::directory_iterator(captures), {}), 2);
    EXPECT_TRUE(FindLeftoverCaptures(captures).empty());
    kill(recorder, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(recorder, &status, 0), recorder);
    ASSERT_TRUE(WIFSIGNALED(status));
    const auto leftovers = FindLeftoverCaptures(captures);
    ASSERT_EQ(leftovers.size(), 1u);

    EnsureApplication();
    SStartupOptions o;
    o.currentFolder = dir.Path().string();
    o.programFolder = dir.File("bin");
    o.settingsFolder = dir.File("home/Quillomatic");
    o.registryFiles = {{dir.File("user.ini"), dir.File("machine.ini")}};
    CStartup startup(o);
    startup.Run();
    startup.Settings().m_settings.m_strTempDirectory = captures + "/";
    CScriptedPrompter prompter;
    const std::string saved = dir.File("recovered.lumo");
    prompter.QueueFileName(saved);
    std::vector<std::string> offered;
    SRecoveryOptions shownOptions;
    CMainWindow window(startup.Settings(), startup.CommandLine(), prompter,
                       {[&](SRecoveryOptions& options) {
                            shownOptions = options;
                            return true;
                        },
                        [&](const std::string& name) {
                            offered.push_back(name);
                            return ELeftoverChoice::Recover;
                        }});
    window.StartUp();
    window.show();
    QElapsedTimer t;
    t.start();
    while (!window.HasProject() && t.elapsed() < 5000) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    ASSERT_EQ(offered, std::vector<std::string>{fs::path(leftovers[0]).filename().string()});
    EXPECT_EQ(shownOptions.nMaxWidth, 320);
    EXPECT_EQ(shownOptions.nMaxHeight, 240);
    ASSERT_TRUE(window.HasProject()) << prompter.Transcript();
    EXPECT_TRUE(fs::exists(saved));
    EXPECT_FALSE(fs::exists(leftovers[0]));
    EXPECT_EQ(window.Project().m_nWidth, 320);
    EXPECT_EQ(window.Project().m_nHeight, 240);
    EXPECT_GT(window.Project().FrameCount(), 1u);

    // The recorded boxes are in the pictures.
    window.ShowFrame(window.Project().FrameCount() - 1);
    const QImage last = window.Preview()->Picture();
    ASSERT_EQ(last.size(), QSize(320, 240));
    EXPECT_EQ(last.pixel(5, 5) & 0xFFFFFF, 0x3060A0u);
    EXPECT_EQ(last.pixel(38, 73) & 0xFFFFFF, 0xE02020u);
    window.close();
}

TEST(RecoveryTestProgram, DesktopProgramStartsFreshOpensItsProjectAndEndsOnSigterm) {
    CXvfbServer server({800, 600, true});
    ASSERT_TRUE(server.Running()) << server.Error();
    CTempDir dir;
    const std::string project = dir.File("demo.lumo");
    ASSERT_TRUE(MakeTestProject(dir.Path().string(), project, {50, 20, 20, 20, 50}));
    const std::string home = dir.File("home");
    fs::create_directories(home);
    const pid_t program =
        SpawnProgram({QUILLOMATIC_BIN, project},
                     {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config",
                      "XDG_DOCUMENTS_DIR=", "QUILLO_SETTINGS_DIR=", "TMPDIR=" + dir.Path().string(),
                      "QT_QPA_PLATFORM=xcb", "DISPLAY=" + server.Display(),
                      // fontconfig keeps its caches to the end; the window tests check for leaks.
                      "ASAN_OPTIONS=detect_leaks=0"});
    ASSERT_GT(program, 0);
    const std::string folder = home + "/Quillomatic/";
    for (int i = 0; i < 100 && !fs::exists(folder + "Quillomatic.ini"); ++i) {
        Sleep(50);
    }
    Sleep(1500);
    if (const char* shots = std::getenv("QUILLO_SCREENSHOT_DIR")) {
        const std::string command = "DISPLAY=" + server.Display() + " import -window root " +
                                    std::string(shots) + "/quillomatic-xvfb.png";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
    kill(program, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(program, &status, 0), program);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    for (const char* file : {"config.txt", "Quillomatic.ini", "vidcap.data"}) {
        EXPECT_TRUE(fs::exists(folder + file)) << file;
    }
    EXPECT_TRUE(fs::is_directory(folder + "Projects"));
    CProgramState state;
    ASSERT_TRUE(state.ReadFile(folder + "Quillomatic.ini"));
    EXPECT_EQ(state.m_recentFiles, std::vector<std::string>{project});
    EXPECT_GT(state.m_rcMainWindow[2], state.m_rcMainWindow[0]);
    // Nothing was edited: no autosave.
    EXPECT_FALSE(fs::exists(dir.File("demo_autosave.lumo")));
}

}  // namespace
