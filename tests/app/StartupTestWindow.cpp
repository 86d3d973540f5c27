// The main window under Qt's offscreen platform: a fresh settings folder, a project opened from
// the command line and shown scaled with its frame bar, number and duration, the preview played
// for the frames' durations, the recent files in the "&File" menu, the questions at close, the
// autosave on SIGTERM, damaged projects and leftover captures.
#include <gtest/gtest.h>
#include <signal.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <filesystem>
#include <fstream>

#include "app/CaptureFrameWnd.h"
#include "app/FramePreview.h"
#include "app/MainWindow.h"
#include "app/SessionEnd.h"
#include "app/Startup.h"
#include "platform/ScriptedPrompter.h"
#include "project/stream/FrameCompositor.h"
#include "tests/app/TestStartup.h"
#include "tests/app/WindowTestProject.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "quillo_tests_window";
        static char* argv[] = {name, nullptr};
        // Kept until the process ends: Qt's own globals go before a static application would.
        static QApplication* pApp = new QApplication(argc, argv);
        (void)pApp;
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void SetUp() override {
        ASSERT_TRUE(MakeTestProject(m_temp, m_project, m_durations));
        fs::create_directories(m_dir.File("tmp"));
    }

    std::unique_ptr<CStartup> Start(std::vector<std::string> args) {
        return StartProgramIn(m_dir, std::move(args), m_settingsFolder);
    }

    std::unique_ptr<CMainWindow> Window(CStartup& startup, SMainWindowHooks hooks = {}) {
        auto window = std::make_unique<CMainWindow>(startup.Settings(), startup.CommandLine(),
                                                    m_prompter, std::move(hooks));
        window->StartUp();
        window->show();
        Spin();
        return window;
    }

    static void Spin(int ms = 20) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }

    static QImage Expected(int nBox) {
        STestProjectPicture p = Desktop(nBox);
        return QImage(reinterpret_cast<const uchar*>(p.pixels.data()), p.nWidth, p.nHeight,
                      p.nWidth * 4, QImage::Format_RGB32)
            .copy();
    }

    CTempDir m_dir;
    std::string m_temp = m_dir.Path().string() + "/";
    std::string m_project = m_dir.File("demo.lumo");
    std::string m_settingsFolder = m_dir.File("home/Quillomatic");
    std::vector<int> m_durations = {40, 25, 25, 25, 60};
    CScriptedPrompter m_prompter;
};

TEST_F(WindowTest, OpensTheCommandLineProjectScaledAndExitWritesTheSettings) {
    auto startup = Start({"demo.lumo"});
    auto window = Window(*startup);
    ASSERT_TRUE(window->HasProject()) << m_prompter.Transcript();
    EXPECT_EQ(window->FrameText(), "Frame 1 of 5");
    EXPECT_EQ(window->DurationText(), "Duration 0.40 s");
    EXPECT_EQ(window->FrameBar()->maximum(), 4);
    EXPECT_EQ(window->Preview()->Picture(), Expected(-1));

    window->FrameBar()->setValue(3);
    EXPECT_EQ(window->ShownFrame(), 3u);
    EXPECT_EQ(window->Preview()->Picture(), Expected(2));
    EXPECT_EQ(window->FrameText(), "Frame 4 of 5");

    // The preview follows the window's size and keeps the picture's proportions.
    for (QSize size : {QSize(1000, 760), QSize(520, 420)}) {
        window->resize(size);
        Spin();
        const QRect shown = window->Preview()->PictureRect();
        const QRect inside = window->Preview()->rect();
        EXPECT_TRUE(inside.contains(shown));
        EXPECT_TRUE(shown.width() == inside.width() || shown.height() == inside.height());
        EXPECT_NEAR(double(shown.width()) / shown.height(), 320.0 / 200.0, 0.02);
    }
    window->resize(900, 640);
    Spin(50);
    if (const char* dir = std::getenv("QUILLO_SCREENSHOT_DIR")) {
        window->grab().save(QString(dir) + "/main-window.png");
    }

    // The open project is not among the recent files the menu shows.
    for (QAction* pAction : window->FileMenu()->actions()) {
        EXPECT_FALSE(pAction->objectName().startsWith("File")) << pAction->text().toStdString();
    }
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(m_prompter.Messages().empty()) << m_prompter.Transcript();
    for (const char* file : {"config.txt", "Quillomatic.ini", "vidcap.data"}) {
        EXPECT_TRUE(fs::exists(m_settingsFolder + "/" + file)) << file;
    }
    CProgramState state;
    ASSERT_TRUE(state.ReadFile(m_settingsFolder + "/Quillomatic.ini"));
    ASSERT_EQ(state.m_recentFiles.size(), 1u);
    EXPECT_EQ(state.m_recentFiles[0], m_project);
    EXPECT_EQ(state.m_rcMainWindow[2] - state.m_rcMainWindow[0], window->width());
    EXPECT_EQ(CRegistryValues(m_dir.File("user.ini"), m_dir.File("machine.ini")).Version(),
              "t 7 47 53");
}

TEST_F(WindowTest, PlayShowsEveryFrameForItsDuration) {
    auto startup = Start({m_project});
    auto window = Window(*startup);
    ASSERT_TRUE(window->HasProject());
    std::vector<uint32_t> shown;
    QElapsedTimer clock;
    clock.start();
    window->Play();
    while (window->Playing() && clock.elapsed() < 5000) {
        if (shown.empty() || shown.back() != window->ShownFrame()) {
            shown.push_back(window->ShownFrame());
        }
        QApplication::processEvents(QEventLoop::AllEvents, 2);
    }
    EXPECT_FALSE(window->Playing());
    EXPECT_EQ(shown, (std::vector<uint32_t>{0, 1, 2, 3, 4}));
    // Every frame but the last is shown for its duration before the next one.
    EXPECT_GE(clock.elapsed(), (40 + 25 + 25 + 25) * 10);
}

TEST_F(WindowTest, RecentFilesAppearNewestFirstAndAStoredPlaceOffTheScreenComesBack) {
    auto startup = Start({});
    CProgramState& state = startup->Settings().m_state;
    state.m_recentFiles = {m_dir.File("a.lumo"), m_dir.File("b.lumo")};
    state.m_rcMainWindow = {5000, 4000, 5800, 4600};
    auto window = Window(*startup);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Moved back to the bottom right corner, whole.
    EXPECT_TRUE(screen.contains(window->geometry()));
    EXPECT_EQ(window->geometry().right(), screen.right());
    EXPECT_EQ(window->geometry().bottom(), screen.bottom());

    QStringList labels;
    for (QAction* pAction : window->FileMenu()->actions()) {
        if (pAction->objectName().startsWith("File")) {
            labels << pAction->objectName() + " " + pAction->text();
        }
    }
    EXPECT_EQ(labels, (QStringList{"File2 &2 b.lumo", "File1 &1 a.lumo"}));
    // A recent file that cannot be opened is said so.
    window->FileMenu()->findChild<QAction*>("File1")->trigger();
    ASSERT_EQ(m_prompter.Messages().size(), 1u);
    EXPECT_EQ(m_prompter.Messages()[0].text, "Unable to open Quillo    ");
    EXPECT_EQ(m_prompter.Messages()[0].caption, "File Error");
}

TEST_F(WindowTest, CloseWithChangesAsksAndCancelKeepsTheWindowOpen) {
    auto startup = Start({m_project});
    auto window = Window(*startup);
    window->SetShownDuration(123);
    m_prompter.QueueAnswer(EMsgAnswer::Cancel);
    window->close();
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(m_prompter.Messages().size(), 1u);
    EXPECT_EQ(m_prompter.Messages()[0].text, "Save changes to demo ?    ");
    EXPECT_EQ(m_prompter.Messages()[0].caption, "demo has been changed");

    m_prompter.QueueAnswer(EMsgAnswer::Yes);
    window->close();
    EXPECT_FALSE(window->isVisible());
    CDemoProject reopened;
    CProjectFile file(reopened, m_prompter);
    ASSERT_TRUE(file.Open(m_project));
    EXPECT_EQ(reopened.FirstFrame()->m_nDuration, 123);
}

TEST_F(WindowTest, SigtermSavesUnsavedWorkAsAutosaveAndCloses) {
    auto startup = Start({m_project});
    auto window = Window(*startup);
    CSessionEndWatcher watcher;
    QObject::connect(&watcher, &CSessionEndWatcher::sessionEnding, window.get(),
                     &CMainWindow::CloseForAutosave);
    window->FrameBar()->setValue(2);
    window->SetShownDuration(777);
    ASSERT_EQ(::raise(SIGTERM), 0);
    Spin(100);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(m_prompter.Messages().empty()) << m_prompter.Transcript();
    const std::string autosave = m_dir.File("demo_autosave.lumo");
    EXPECT_EQ(window->AutosaveName(), autosave);
    CDemoProject saved;
    CProjectFile file(saved, m_prompter);
    ASSERT_TRUE(file.Open(autosave)) << m_prompter.Transcript();
    EXPECT_EQ(saved.FrameAt(2)->m_nDuration, 777);
    CDemoProject original;
    CProjectFile originalFile(original, m_prompter);
    ASSERT_TRUE(originalFile.Open(m_project));
    EXPECT_EQ(original.FrameAt(2)->m_nDuration, 25);
}

TEST_F(WindowTest, DamagedProjectOffersRecoveryAndRestartsOnTheRecoveredOne) {
    std::vector<uint8_t> bytes;
    {
        std::ifstream in(m_project, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    bytes.resize(bytes.size() - 400);
    const std::string damaged = m_dir.File("damaged.lumo");
    std::ofstream(damaged, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));

    // A name that does not exist is only reported.
    {
        auto startup = Start({"missing.lumo"});
        auto window = Window(*startup);
        EXPECT_FALSE(window->HasProject());
        EXPECT_EQ(m_prompter.Transcript(), "File Error: Unable to open Quillo    \n");
        window->close();
        m_prompter = CScriptedPrompter();
    }
    // No: the open dialog again (cancelled here).
    {
        auto startup = Start({damaged});
        m_prompter.QueueAnswer(EMsgAnswer::No);
        auto window = Window(*startup);
        EXPECT_FALSE(window->HasProject());
        ASSERT_EQ(m_prompter.Messages().size(), 1u);
        EXPECT_EQ(m_prompter.Messages()[0].text,
                  "Unable to open Quillo project file.    \nWould you like to try recovering "
                  "this file?    ");
        EXPECT_EQ(m_prompter.FileRequests().size(), 1u);
        window->close();
    }
    // Yes: recovered into a new project, and a fresh instance is to open it.
    auto startup = Start({damaged});
    m_prompter.QueueAnswer(EMsgAnswer::Yes);
    const std::string recovered = m_dir.File("recovered.lumo");
    m_prompter.QueueFileName(recovered);
    bool bAsked = false;
    auto window = Window(*startup, {[&](SRecoveryOptions&) { return bAsked = true; }, {}});
    EXPECT_TRUE(bAsked);
    EXPECT_TRUE(fs::exists(recovered));
    ASSERT_TRUE(window->RestartRequest());
    EXPECT_EQ(*window->RestartRequest(), std::vector<std::string>{recovered});
    EXPECT_TRUE(fs::exists(damaged));
}

TEST_F(WindowTest, LeftoverCaptureIsOfferedRecoveredOpenedAndDeleted) {
    // A recording that ended without being saved leaves its capture files behind.
    CDemoProject recorded;
    CCaptureStream stream;
    ASSERT_TRUE(stream.Begin(recorded, m_dir.File("tmp"), 320, 200, false));
    const STestProjectPicture first = Desktop(0);
    const STestProjectPicture blank = [] {
        STestProjectPicture b;
        b.pixels.assign(static_cast<size_t>(b.nWidth) * b.nHeight, 0);
        return b;
    }();
    stream.AppendCapturedFrame();
    stream.WriteRect(0, 0, 319, 199, blank.pixels.data(), 320, kRecordOldPixels);
    stream.WriteRect(0, 0, 319, 199, first.pixels.data(), 320, kRecordNewPixels);
    SCaptureFiles files;
    ASSERT_TRUE(stream.Stop(files));

    auto startup = Start({});
    const std::string out = m_dir.File("found.lumo");
    m_prompter.QueueFileName(out);
    std::vector<std::string> offered;
    auto window = Window(*startup, {[](SRecoveryOptions&) { return true; },
                                    [&](const std::string& name) {
                                        offered.push_back(name);
                                        return ELeftoverChoice::Recover;
                                    }});
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0], fs::path(files.dataPath).filename().string());
    EXPECT_FALSE(fs::exists(files.dataPath));
    ASSERT_TRUE(window->HasProject()) << m_prompter.Transcript();
    EXPECT_EQ(window->Project().m_nWidth, 320);
    EXPECT_EQ(window->Project().m_nHeight, 200);
    EXPECT_EQ(window->Preview()->Picture(), Expected(0));
    window->close();
}

TEST_F(WindowTest, RecoverModeTurnsOpenIntoRecoveryOfTheChosenFile) {
    auto startup = Start({"-Recover", m_project});
    auto window = Window(*startup, {[](SRecoveryOptions&) { return true; }, {}});
    EXPECT_FALSE(window->HasProject());
    QAction* pOpen = nullptr;
    for (QAction* pAction : window->FileMenu()->actions()) {
        if (pAction->text() == "Recover Quillo movie...") {
            pOpen = pAction;
        }
    }
    ASSERT_NE(pOpen, nullptr);
    auto* pEdit = window->findChild<QPushButton*>("editButton");
    ASSERT_NE(pEdit, nullptr);
    EXPECT_EQ(pEdit->text(), "Recover Demo");

    // A project file chosen here is scanned as a damaged one; the fresh instance opens the result.
    const std::string out = m_dir.File("again.lumo");
    m_prompter.QueueFileName(m_project);
    m_prompter.QueueFileName(out);
    pOpen->trigger();
    EXPECT_TRUE(fs::exists(out)) << m_prompter.Transcript();
    ASSERT_TRUE(window->RestartRequest());
    EXPECT_EQ(*window->RestartRequest(), std::vector<std::string>{out});
}

TEST_F(WindowTest, CaptureModesShowTheFrameNameTheSizeAndAreStored) {
    // "/s:" gives top, left, bottom, right and chooses the selected area.
    auto startup = Start({"/s:40,30,240,330"});
    auto window = Window(*startup);
    CCaptureFrameWnd* pFrame = window->CaptureFrame();
    ASSERT_NE(pFrame, nullptr);
    EXPECT_EQ(window->CaptureChoice().mode, ECaptureMode::SelectedArea);
    EXPECT_EQ(pFrame->FrameRect(), (SRect{30, 40, 330, 240}));
    EXPECT_TRUE(pFrame->isVisible());
    EXPECT_TRUE(pFrame->Interactive());
    EXPECT_EQ(window->windowTitle(), "Quillo 294x194");

    window->SetCaptureMode(static_cast<int>(ECaptureMode::FullScreen));
    Spin();
    EXPECT_FALSE(pFrame->isVisible());
    const QRect screen = QGuiApplication::primaryScreen()->virtualGeometry();
    EXPECT_EQ(window->windowTitle(),
              QString("Quillo %1x%2").arg(screen.width()).arg(screen.height()));

    window->SetCaptureMode(static_cast<int>(ECaptureMode::ActiveWindow));
    Spin();
    EXPECT_TRUE(pFrame->isVisible());
    EXPECT_TRUE(pFrame->TrackingActive());
    // Recording stops the tracking and the mouse; pausing lets the frame be moved again.
    pFrame->SetRecordingLook(false);
    EXPECT_FALSE(pFrame->TrackingActive());
    EXPECT_FALSE(pFrame->Interactive());
    pFrame->SetRecordingLook(true);
    EXPECT_TRUE(pFrame->Interactive());
    EXPECT_TRUE(pFrame->FixedSize());

    window->close();
    CProgramState state;
    ASSERT_TRUE(state.ReadFile(m_settingsFolder + "/Quillomatic.ini"));
    EXPECT_EQ(state.m_nCaptureMode, 2);
    EXPECT_EQ(state.m_rcCaptureFrame, (std::array<int32_t, 4>{30, 330, 40, 240}));
}

TEST_F(WindowTest, TheCaptureFrameGivesWayToAnOpenedProject) {
    auto startup = Start({"/s:40,30,240,330", "demo.lumo"});
    auto window = Window(*startup);
    ASSERT_TRUE(window->HasProject()) << m_prompter.Transcript();
    EXPECT_EQ(window->CaptureChoice().mode, ECaptureMode::SelectedArea);
    EXPECT_FALSE(window->CaptureFrame()->isVisible());
}

}  // namespace
