// The main window's whole-project commands under Qt's offscreen platform: "Insert Duplicate
// Frame" on the shown frame and "Remove..." of the deleted frames.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <filesystem>

#include "app/FramePreview.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "platform/ScriptedPrompter.h"
#include "project/DemoProject.h"
#include "project/ProjectFile.h"
#include "tests/app/WindowTestProject.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

QAction* FindAction(QMenu* pMenu, const QString& text) {
    for (QAction* pAction : pMenu->actions()) {
        if (pAction->text() == text) {
            return pAction;
        }
        if (pAction->menu() != nullptr) {
            if (QAction* pFound = FindAction(pAction->menu(), text)) {
                return pFound;
            }
        }
    }
    return nullptr;
}

class ProjectOpsWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "quillo_tests_window";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr) {
            static QApplication* pApp = new QApplication(argc, argv);
            (void)pApp;
        }
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void SetUp() override {
        ASSERT_TRUE(MakeTestProject(m_temp, m_project, m_durations));
        fs::create_directories(m_dir.File("tmp"));
        SStartupOptions o;
        o.args = {"demo.lumo"};
        o.currentFolder = m_dir.Path().string();
        o.programFolder = m_dir.File("bin");
        o.settingsFolder = m_dir.File("home/Quillomatic");
        o.registryFiles = {{m_dir.File("user.ini"), m_dir.File("machine.ini")}};
        o.vidcapResource = std::string_view("vidcap");
        m_startup = std::make_unique<CStartup>(o);
        m_startup->Run();
        m_startup->Settings().m_settings.m_strTempDirectory = m_dir.File("tmp") + "/";
        m_window = std::make_unique<CMainWindow>(m_startup->Settings(), m_startup->CommandLine(),
                                                 m_prompter);
        m_window->StartUp();
        m_window->show();
        Spin();
        ASSERT_TRUE(m_window->HasProject()) << m_prompter.Transcript();
    }

    void TearDown() override {
        if (m_window) {
            m_prompter.QueueAnswer(EMsgAnswer::No);
            m_window->close();
        }
    }

    QAction* Action(const char* text) {
        for (QAction* pMenu : m_window->menuBar()->actions()) {
            if (pMenu->menu() != nullptr) {
                if (QAction* pAction = FindAction(pMenu->menu(), text)) {
                    return pAction;
                }
            }
        }
        ADD_FAILURE() << "no menu entry " << text;
        return nullptr;
    }

    static void Spin(int ms = 20) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }

    CTempDir m_dir;
    std::string m_temp = m_dir.Path().string() + "/";
    std::string m_project = m_dir.File("demo.lumo");
    std::vector<int> m_durations = {40, 25, 25, 25, 60};
    CScriptedPrompter m_prompter;
    std::unique_ptr<CStartup> m_startup;
    std::unique_ptr<CMainWindow> m_window;
};

TEST_F(ProjectOpsWindowTest, InsertDuplicateFrameShowsTheCopyAfterTheShownFrame) {
    m_window->FrameBar()->setValue(1);
    const QImage shown = m_window->Preview()->Picture();
    QAction* pDuplicate = Action("Insert &Duplicate Frame");
    ASSERT_NE(pDuplicate, nullptr);
    EXPECT_EQ(pDuplicate->shortcut(), QKeySequence("Alt+D"));
    pDuplicate->trigger();
    EXPECT_EQ(m_window->Project().FrameCount(), 6u);
    EXPECT_EQ(m_window->ShownFrame(), 2u);
    EXPECT_EQ(m_window->FrameText(), "Frame 3 of 6");
    EXPECT_EQ(m_window->FrameBar()->maximum(), 5);
    EXPECT_EQ(m_window->Preview()->Picture(), shown);
    EXPECT_TRUE(m_window->Modified());
    EXPECT_TRUE(m_window->Project().FrameAt(2)->m_bDuplicate);
}

TEST_F(ProjectOpsWindowTest, RemoveDeletedFramesWritesANewProjectAndKeepsTheOpenOne) {
    m_window->Project().FrameAt(1)->m_bDeleted = 1;
    m_window->Project().FrameAt(4)->m_bDeleted = 1;
    m_prompter.QueueFileName(m_dir.File("kept.lumo"));
    QAction* pRemove = Action("&Remove...");
    ASSERT_NE(pRemove, nullptr);
    pRemove->trigger();
    EXPECT_TRUE(m_window->isEnabled());
    EXPECT_EQ(m_window->Project().FrameCount(), 5u);
    ASSERT_TRUE(fs::exists(m_dir.File("kept.lumo"))) << m_prompter.Transcript();
    CDemoProject kept;
    CScriptedPrompter prompter;
    CProjectFile file(kept, prompter);
    ASSERT_TRUE(file.Open(m_dir.File("kept.lumo")));
    EXPECT_EQ(kept.FrameCount(), 3u);
    EXPECT_EQ(kept.LastFrame()->m_bKeyFrame, 1);
    EXPECT_NE(std::find(m_prompter.ProgressCaptions().begin(), m_prompter.ProgressCaptions().end(),
                        "Removing Deleted Frames"),
              m_prompter.ProgressCaptions().end());
}

}  // namespace
