// The main window's whole-project commands under Qt's offscreen platform: "Insert Duplicate
// Frame" on the shown frame, "Remove..." of the deleted frames, the custom defaults, the reach
// of an edited picture and the talk-bubble effect files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "app/ApplyToFollowingDialog.h"
#include "app/FramePreview.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "platform/ScriptedPrompter.h"
#include "project/file/ProjectFile.h"
#include "project/model/DemoProject.h"
#include "project/model/TalkBubble.h"
#include "project/stream/PictureBlock.h"
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

    // Changes the project file before the window opens it.
    virtual void PrepareProject(CDemoProject&) {}

    void SetUp() override {
        ASSERT_TRUE(MakeTestProject(m_temp, m_project, m_durations));
        {
            CDemoProject project;
            CScriptedPrompter prompter;
            CProjectFile file(project, prompter);
            ASSERT_TRUE(file.Open(m_project));
            PrepareProject(project);
            ASSERT_TRUE(file.Save());
        }
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

TEST_F(ProjectOpsWindowTest, ANewProjectNeverTakesThePlaceOfTheOpenOne) {
    m_window->Project().FrameAt(1)->m_bDeleted = 1;
    const auto before = [this] {
        std::ifstream in(m_project, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string bytes = before();
    ASSERT_EQ(::link(m_project.c_str(), m_dir.File("link.lumo").c_str()), 0);
    // The open project under two other spellings, then a free name.
    m_prompter.QueueFileName(m_dir.Path().string() + "/./demo.lumo");
    m_prompter.QueueFileName(m_dir.File("link.lumo"));
    m_prompter.QueueFileName(m_dir.File("kept.lumo"));
    Action("&Remove...")->trigger();
    const std::string inUse =
        "Save Quillo...: Selected file is currently in use.  Please select a different file "
        "name.   \n";
    EXPECT_EQ(m_prompter.Transcript(), inUse + inUse);
    EXPECT_EQ(before(), bytes);
    EXPECT_TRUE(fs::exists(m_dir.File("kept.lumo")));
}

TEST_F(ProjectOpsWindowTest, CustomDefaultsSavedFromTheProjectApplyToProjectsOpenedLater) {
    m_window->Project().m_crDefaultBubble = 0x123456;
    m_window->Project().m_fSwfDelayScale = 2.5f;
    QAction* pSave = Action("Save Custom &Defaults...");
    ASSERT_NE(pSave, nullptr);
    const std::string defaults = m_dir.File("home/Quillomatic/QuillomaticCustom.ini");
    m_prompter.QueueAnswer(EMsgAnswer::No);
    pSave->trigger();
    EXPECT_FALSE(fs::exists(defaults));
    m_prompter.QueueAnswer(EMsgAnswer::Yes);
    pSave->trigger();
    ASSERT_TRUE(fs::exists(defaults)) << m_prompter.Transcript();

    const std::string other = m_dir.File("other.lumo");
    ASSERT_TRUE(MakeTestProject(m_temp, other, m_durations));
    for (const bool bUse : {false, true}) {
        SCOPED_TRACE(bUse ? "use_custom_defaults on" : "use_custom_defaults off");
        m_startup->Settings().m_settings.m_bUseCustomDefaults = bUse;
        CMainWindow window(m_startup->Settings(), SCommandLine{}, m_prompter);
        ASSERT_TRUE(window.OpenProject(other)) << m_prompter.Transcript();
        EXPECT_EQ(window.Project().m_crDefaultBubble, bUse ? 0x123456 : kDefaultBubbleColor);
        EXPECT_EQ(window.Project().m_fSwfDelayScale, bUse ? 2.5f : 1.0f);
    }
}

// Frame 2 carries an edited layer picture: a green bar, 40 x 20, centred at (140, 90) to
// (179, 109); frame 1 has a talk bubble with an animation.
class FrameEditsWindowTest : public ProjectOpsWindowTest {
protected:
    static constexpr uint32_t kGreen = 0x00FF00;
    // The same at a transparency of 30 over the light window.
    static constexpr uint32_t kGreenAt30 = 0x47FA47;

    void PrepareProject(CDemoProject& project) override {
        CFrameInfo& edited = *project.FrameAt(1);
        edited.m_pPicture = EncodePictureBlock(
            CPixelPicture{40, 20, std::vector<uint32_t>(800, 0xFF000000 | kGreen)});
        edited.m_bPictureLayer = 1;
        edited.m_nPictureTransparency = 30;
        CFrameInfo& bubble = *project.FrameAt(0);
        bubble.m_pText = u"Hello";
        bubble.m_pFormat = UnlaidBubbleLines();
        bubble.m_pBubbleAnimation = CBubbleAnimation{};
        bubble.m_pBubbleAnimation->m_nSettings = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        bubble.m_pBubbleAnimation->m_Channels[3] = {{4, 3, 2, 1}, 0.25f};
    }

    // The colour at the middle of the edited picture in the preview of frame `nIndex`.
    uint32_t ShownCentre(uint32_t nIndex) {
        m_window->ShowFrame(nIndex);
        return m_window->Preview()->Picture().pixel(160, 100) & 0xFFFFFF;
    }

    // Answers the dialog that the next command opens.
    static void WhenDialogOpens(std::function<void(CApplyToFollowingDialog&)> answer) {
        QTimer::singleShot(0, [answer] {
            auto* pDialog =
                dynamic_cast<CApplyToFollowingDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(pDialog, nullptr);
            answer(*pDialog);
        });
    }

    QMenu* FrameMenu() {
        for (QAction* pMenu : m_window->menuBar()->actions()) {
            if (pMenu->text() == "Frame") {
                return pMenu->menu();
            }
        }
        return nullptr;
    }

    // Enabled states as the frame menu shows them for frame `nIndex`.
    bool EnabledOn(uint32_t nIndex, const char* text) {
        m_window->ShowFrame(nIndex);
        QMenu* pMenu = FrameMenu();
        EXPECT_NE(pMenu, nullptr);
        emit pMenu->aboutToShow();
        return Action(text)->isEnabled();
    }
};

TEST_F(FrameEditsWindowTest, EditedPictureReachesTheFollowingFramesAndBack) {
    EXPECT_FALSE(EnabledOn(0, "This and &following frames..."));
    EXPECT_FALSE(EnabledOn(2, "This frame &only"));
    EXPECT_TRUE(EnabledOn(1, "This and &following frames..."));
    EXPECT_TRUE(EnabledOn(1, "This frame &only"));
    EXPECT_EQ(ShownCentre(1), kGreenAt30);
    EXPECT_NE(ShownCentre(2), kGreenAt30);

    // The dialog starts with the last frame and the stored transparency; the answer is up to
    // frame 4, opaque.
    m_window->ShowFrame(1);
    SApplyToFollowing initial;
    bool bAnswered = false;
    WhenDialogOpens([&](CApplyToFollowingDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Apply edit to following frames...");
        initial = dialog.Answer();
        dialog.LastFrameEdit()->setValue(4);
        dialog.TransparencySlider()->setValue(0);
        bAnswered = true;
        dialog.accept();
    });
    Action("This and &following frames...")->trigger();
    ASSERT_TRUE(bAnswered);
    EXPECT_EQ(initial.nLastFrame, 5);
    EXPECT_EQ(initial.nTransparency, 30);
    EXPECT_TRUE(m_window->Modified());
    EXPECT_EQ(m_window->ShownFrame(), 1u);
    const CFrameInfo& edited = *m_window->Project().FrameAt(1);
    EXPECT_EQ(edited.m_nPictureUntil, 3);
    EXPECT_EQ(edited.m_nPictureTransparency, 0);
    for (uint32_t i : {1u, 2u, 3u}) {
        EXPECT_EQ(ShownCentre(i), kGreen) << "frame " << i + 1;
    }
    EXPECT_NE(ShownCentre(4), kGreen);
    EXPECT_NE(ShownCentre(0), kGreen);

    // Cancel keeps the reach; the dialog now starts at the frame it reaches.
    m_window->ShowFrame(1);
    WhenDialogOpens([&](CApplyToFollowingDialog& dialog) {
        initial = dialog.Answer();
        dialog.reject();
    });
    Action("This and &following frames...")->trigger();
    EXPECT_EQ(initial.nLastFrame, 4);
    EXPECT_EQ(edited.m_nPictureUntil, 3);

    m_window->ShowFrame(1);
    Action("This frame &only")->trigger();
    EXPECT_EQ(edited.m_bPictureFollowing, 0);
    EXPECT_EQ(m_window->ShownFrame(), 1u);
    EXPECT_EQ(m_window->Preview()->Picture().pixel(160, 100) & 0xFFFFFF, kGreen);
    EXPECT_NE(ShownCentre(2), kGreen);
    EXPECT_NE(ShownCentre(3), kGreen);
}

TEST_F(FrameEditsWindowTest, FollowingPictureOfTheFileShowsWhenOpened) {
    m_window->ShowFrame(1);
    WhenDialogOpens([&](CApplyToFollowingDialog& dialog) {
        dialog.TransparencySlider()->setValue(0);
        dialog.accept();
    });
    Action("This and &following frames...")->trigger();
    m_prompter.QueueAnswer(EMsgAnswer::Yes);
    m_window->close();
    m_window.reset();

    m_window =
        std::make_unique<CMainWindow>(m_startup->Settings(), m_startup->CommandLine(), m_prompter);
    m_window->StartUp();
    Spin();
    ASSERT_TRUE(m_window->HasProject()) << m_prompter.Transcript();
    EXPECT_EQ(ShownCentre(4), kGreen) << "saved up to the last frame";
}

TEST_F(FrameEditsWindowTest, EffectIsSavedAndLoadedForTheShownBubble) {
    EXPECT_FALSE(EnabledOn(1, "Save Effect"));
    EXPECT_FALSE(EnabledOn(1, "Load Effect"));
    EXPECT_TRUE(EnabledOn(0, "Save Effect"));
    EXPECT_TRUE(EnabledOn(0, "Load Effect"));

    m_window->ShowFrame(0);
    CFrameInfo& frame = *m_window->Project().FrameAt(0);
    const CBubbleAnimation saved = *frame.m_pBubbleAnimation;
    fs::create_directories(m_dir.File("effects"));
    m_prompter.QueueFileName(m_dir.File("effects/wobble"));
    Action("Save Effect")->trigger();
    ASSERT_TRUE(fs::exists(m_dir.File("effects/wobble.lumo_effect"))) << m_prompter.Transcript();
    EXPECT_FALSE(m_window->Modified());

    frame.m_pBubbleAnimation->m_nSettings.fill(0);
    m_prompter.QueueFileName(m_dir.File("effects/wobble.lumo_effect"));
    Action("Load Effect")->trigger();
    EXPECT_EQ(*frame.m_pBubbleAnimation, saved);
    EXPECT_EQ(frame.m_bBubbleAnimation, 1);
    EXPECT_TRUE(m_window->Modified());

    m_prompter.QueueFileName(m_dir.File("effects/none.lumo_effect"));
    Action("Load Effect")->trigger();
    m_prompter.QueueFileName(m_dir.File("gone/x.lumo_effect"));
    Action("Save Effect")->trigger();
    EXPECT_EQ(*frame.m_pBubbleAnimation, saved);
    EXPECT_EQ(m_prompter.Transcript(),
              "Quillo Error: Unable to load effect.\nQuillo Error: Unable to save effect.\n");

    const auto& requests = m_prompter.FileRequests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].caption, "Save Effect...");
    EXPECT_EQ(requests[0].filter, "Quillo Effects (*.lumo_effect)");
    EXPECT_EQ(requests[1].caption, "Load Effect...");
    EXPECT_EQ(requests[1].initialName, m_dir.File("effects") + "/") << "the last used folder";
}

}  // namespace
