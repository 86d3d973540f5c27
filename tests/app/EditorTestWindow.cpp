// Authoring in the editor on a private X server with a window manager, driven only by synthetic
// keyboard and mouse input: a bubble typed, dragged and styled, a hotspot that waits for a click
// and goes to a frame, a chapter heading and a deleted frame, saved and read back by
// `quillo info --json`; the last edits undone and redone; the reopened project shows the same
// picture as `quillo frame --overlays`.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "app/EditorController.h"
#include "app/FramePreview.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "editor/BubbleTextPanel.h"
#include "platform/ScriptedPrompter.h"
#include "project/model/DemoProject.h"
#include "tests/app/TestStartup.h"
#include "tests/app/WindowTestProject.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestKeyboard.h"
#include "tests/support/WindowManager.h"
#include "tests/support/XTestInput.h"
#include "tests/support/XvfbServer.h"

namespace fs = std::filesystem;

namespace {

using namespace keysym;
constexpr xcb_keysym_t kShift = 0xffe1;
constexpr xcb_keysym_t kLeft = 0xff51;
constexpr xcb_keysym_t kRight = 0xff53;
constexpr xcb_keysym_t kDown = 0xff54;
constexpr xcb_keysym_t kHome = 0xff50;
constexpr xcb_keysym_t kPageDown = 0xff56;
constexpr xcb_keysym_t kReturn = 0xff0d;

bool Until(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

void Settle(int ms = 150) {
    Until([] { return false; }, ms);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class EditorTestWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.Running()) << m_server.Error();
        ASSERT_TRUE(m_manager.Running());
        ASSERT_TRUE(m_keyboard.Ok());
        ASSERT_TRUE(m_mouse.Ok());
        setenv("DISPLAY", m_server.Display().c_str(), 1);
        setenv("XDG_RUNTIME_DIR", m_dir.Path().c_str(), 1);
        static int argc = 1;
        static char name[] = "quillo_tests_editor_window";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "xcb");
        static QApplication* pApp = new QApplication(argc, argv);
        (void)pApp;
        QApplication::setQuitOnLastWindowClosed(false);
    }

    std::unique_ptr<CStartup> Start(std::vector<std::string> args) {
        auto startup = StartProgramWithoutHints(m_dir, std::move(args));
        startup->Settings().m_state.m_rcMainWindow = {40, 40, 940, 700};
        return startup;
    }

    void Press(std::initializer_list<xcb_keysym_t> keys) {
        m_keyboard.Press(keys);
        Settle(60);
    }
    void Type(const std::string& text) {
        for (char c : text) {
            if (c >= 'A' && c <= 'Z') {
                Press({kShift, static_cast<xcb_keysym_t>(c - 'A' + 'a')});
            } else {
                Press({static_cast<xcb_keysym_t>(static_cast<unsigned char>(c))});
            }
        }
    }
    void ClickAt(const QPoint& global) {
        m_mouse.MoveTo(global.x(), global.y());
        m_mouse.Click(1);
        m_mouse.Sync();
        Settle();
    }
    void Click(QWidget* pWidget) {
        ASSERT_NE(pWidget, nullptr);
        ClickAt(pWidget->mapToGlobal(pWidget->rect().center()));
    }
    // The screen point of a point of the shown picture.
    static QPoint OnPicture(CMainWindow& window, QPoint at) {
        CFramePreview* pPreview = window.Preview();
        const QRect r = pPreview->PictureRect();
        const QSize size = pPreview->Picture().size();
        return pPreview->mapToGlobal(
            QPoint(r.x() + (at.x() * r.width() + r.width() / 2) / size.width(),
                   r.y() + (at.y() * r.height() + r.height() / 2) / size.height()));
    }
    void Drag(const QPoint& from, const QPoint& to) {
        m_mouse.MoveTo(from.x(), from.y());
        m_mouse.Button(1, true);
        m_mouse.Sync();
        Settle(60);
        for (int i = 1; i <= 5; ++i) {
            m_mouse.MoveTo(from.x() + (to.x() - from.x()) * i / 5,
                           from.y() + (to.y() - from.y()) * i / 5);
            m_mouse.Sync();
            Settle(40);
        }
        m_mouse.Button(1, false);
        m_mouse.Sync();
        Settle();
    }
    // Focuses the preview with a click on a corner of the picture, away from the overlays.
    void FocusPreview(CMainWindow& window) { ClickAt(OnPicture(window, {4, 4})); }

    void Shoot(QWidget& widget, const char* name) {
        if (const char* dir = std::getenv("QUILLO_SCREENSHOT_DIR")) {
            widget.grab().save(QString("%1/%2.png").arg(dir, name));
        }
    }

    std::string Info(const std::string& file) {
        const std::string out = m_dir.File("info.json");
        const pid_t pid = SpawnProgramTo({QUILLO_BIN, "info", "--json", file}, {}, out);
        EXPECT_EQ(WaitForExit(pid, 60), 0);
        return ReadAll(out);
    }

    CXvfbServer m_server{{1024, 768, true}};
    CWindowManager m_manager{m_server.Display()};
    CTempDir m_dir;
    CTestKeyboard m_keyboard{m_server.Display()};
    CXTestInput m_mouse{m_server.Display()};
};

TEST_F(EditorTestWindow, AuthoredOverlaysAreSavedUndoneAndShownAgain) {
    const std::string project = m_dir.File("my demo #1.lumo");
    const std::vector<int> durations = {50, 20, 20, 20, 50};
    ASSERT_TRUE(MakeTestProject(m_dir.Path().string(), project, durations));
    auto pStartup = Start({project});
    CScriptedPrompter prompter;
    auto pWindow =
        std::make_unique<CMainWindow>(pStartup->Settings(), pStartup->CommandLine(), prompter);
    CMainWindow& window = *pWindow;
    window.StartUp();
    window.show();
    ASSERT_TRUE(Until([&] { return window.HasProject() && window.isActiveWindow(); }))
        << prompter.Transcript();
    Settle(300);
    EXPECT_EQ(window.windowTitle(), "my demo #1.lumo[*] - Quillo");
    EXPECT_FALSE(window.isWindowModified());
    CDemoProject& p = window.Project();
    CEditorController& editor = window.Editor();

    // Frame 2: a bubble typed into the text box.
    FocusPreview(window);
    Press({kRight});
    ASSERT_EQ(window.ShownFrame(), 1u);
    Click(editor.TextPanel());
    Type("Hello");
    CFrameInfo& frame2 = *p.FrameAt(1);
    ASSERT_TRUE(Until([&] { return frame2.HasTalkBubble(); }));
    EXPECT_EQ(frame2.m_pText, u"Hello");
    EXPECT_TRUE(window.isWindowModified());
    // The text box's keys stay with the text: the arrows move the cursor, not the frame.
    Press({kLeft});
    EXPECT_EQ(window.ShownFrame(), 1u);

    // Dragged by 40 x 30 picture pixels.
    const int32_t x0 = frame2.m_nBubbleX;
    const int32_t y0 = frame2.m_nBubbleY;
    Drag(OnPicture(window, {x0, y0}), OnPicture(window, {x0 + 40, y0 + 30}));
    EXPECT_NEAR(frame2.m_nBubbleX, x0 + 40, 2);
    EXPECT_NEAR(frame2.m_nBubbleY, y0 + 30, 2);

    // Its style: "Square Bubble" with a shadow.
    Press({kAlt, 's'});
    ASSERT_TRUE(
        Until([&] { return editor.OpenDialog() != nullptr && editor.OpenDialog()->isVisible(); }));
    QWidget* pDialog = editor.OpenDialog();
    Settle(300);
    Shoot(*pDialog, "style-talk-bubble");
    Click(pDialog->findChild<QComboBox*>("bubbleStyle"));
    Press({kDown});
    Press({kReturn});
    Click(pDialog->findChild<QCheckBox*>("shadow"));
    Click(pDialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
    ASSERT_TRUE(Until([&] { return editor.OpenDialog() == nullptr; }));
    EXPECT_EQ(frame2.m_nBubbleStyle, 1);
    EXPECT_EQ(frame2.m_bShadow, 1);

    // Frame 3: a hotspot that goes to frame 5 and waits for a click.
    FocusPreview(window);
    Press({kRight});
    ASSERT_EQ(window.ShownFrame(), 2u);
    CFrameInfo& frame3 = *p.FrameAt(2);
    Press({kAlt, 'h'});
    ASSERT_TRUE(frame3.HasHotspot());
    Press({kAlt, 's'});
    ASSERT_TRUE(
        Until([&] { return editor.OpenDialog() != nullptr && editor.OpenDialog()->isVisible(); }));
    pDialog = editor.OpenDialog();
    Settle(300);
    Shoot(*pDialog, "style-hotspot");
    Click(pDialog->findChild<QCheckBox*>("hotspotGoto"));
    Click(pDialog->findChild<QSpinBox*>("hotspotGotoFrame"));
    Press({kControl, 'a'});
    Type("5");
    Click(pDialog->findChild<QRadioButton*>("waitForClick"));
    if (auto* pTabs = pDialog->findChild<QTabWidget*>("styleTabs")) {
        pTabs->setCurrentIndex(2);
        Settle(200);
        Shoot(*pDialog, "style-frame-effects");
        pTabs->setCurrentIndex(1);
    }
    Click(pDialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
    ASSERT_TRUE(Until([&] { return editor.OpenDialog() == nullptr; }));
    EXPECT_EQ(frame3.m_bHotspotGoto, 1);
    EXPECT_EQ(frame3.m_nHotspotGotoFrame, 5);
    EXPECT_TRUE(frame3.HotspotWaitsForClick());
    const SRect hotspot = frame3.m_rcHotspot;

    // Frame 1: a chapter heading.
    FocusPreview(window);
    Press({kHome});
    ASSERT_EQ(window.ShownFrame(), 0u);
    Press({kAlt, 'r'});
    ASSERT_TRUE(
        Until([&] { return editor.OpenDialog() != nullptr && editor.OpenDialog()->isVisible(); }));
    Settle(200);
    Type("Intro");
    Press({kReturn});
    ASSERT_TRUE(Until([&] { return editor.OpenDialog() == nullptr; }));
    EXPECT_EQ(p.FrameAt(0)->m_pChapter, u"Intro");

    // Frame 4 marked deleted with the Delete key; Page Down stops at the last frame.
    FocusPreview(window);
    Press({kRight});
    Press({kRight});
    Press({kRight});
    ASSERT_EQ(window.ShownFrame(), 3u);
    Press({kDelete});
    EXPECT_EQ(p.FrameAt(3)->m_bDeleted, 1);
    Press({kPageDown});
    EXPECT_EQ(window.ShownFrame(), 4u);
    Shoot(window, "editor-deleted-frame");

    Press({kControl, 's'});
    ASSERT_TRUE(Until([&] { return !window.isWindowModified(); }));

    // No key press changed a duration.
    for (uint32_t i = 0; i < durations.size(); ++i) {
        EXPECT_EQ(p.FrameAt(i)->m_nDuration, durations[i]) << i;
    }

    // The saved file holds exactly the edits.
    const std::string info = Info(project);
    EXPECT_NE(info.find("\"kind\": \"chapter\", \"text\": \"Intro\""), std::string::npos) << info;
    EXPECT_NE(info.find("\"kind\": \"bubble\", \"text\": \"Hello\", \"style\": 1, \"x\": " +
                        std::to_string(frame2.m_nBubbleX) +
                        ", \"y\": " + std::to_string(frame2.m_nBubbleY) + ", \"shadow\": true"),
              std::string::npos)
        << info;
    EXPECT_NE(info.find("\"goTo\": 5, \"url\": false, \"waitsForClick\": true"), std::string::npos)
        << info;
    EXPECT_NE(info.find("\"number\": 4, \"duration\": 20"), std::string::npos);
    const auto frame4 = info.find("\"number\": 4,");
    const auto frame5 = info.find("\"number\": 5,");
    ASSERT_NE(frame5, std::string::npos);
    EXPECT_NE(info.substr(frame4, frame5 - frame4).find("\"deleted\""), std::string::npos);
    EXPECT_EQ(info.substr(frame5).find("\"deleted\""), std::string::npos);
    EXPECT_EQ(std::count(info.begin(), info.end(), '{') - 1, 5 + 3)
        << "five frames and three overlays: " << info;

    // Undo of the last three edits: the deletion, the chapter, the hotspot's settings.
    for (int i = 0; i < 3; ++i) {
        Press({kControl, kShift, 'z'});
    }
    EXPECT_EQ(p.FrameAt(3)->m_bDeleted, 0);
    EXPECT_FALSE(p.FrameAt(0)->HasChapter());
    EXPECT_TRUE(frame3.HasHotspot());
    EXPECT_EQ(frame3.m_bHotspotGoto, 0);
    EXPECT_EQ(frame2.m_nBubbleStyle, 1);
    EXPECT_TRUE(window.isWindowModified());
    for (int i = 0; i < 3; ++i) {
        Press({kControl, kShift, 'y'});
    }
    EXPECT_EQ(p.FrameAt(3)->m_bDeleted, 1);
    EXPECT_EQ(p.FrameAt(0)->m_pChapter, u"Intro");
    EXPECT_EQ(frame3.m_nHotspotGotoFrame, 5);
    Press({kControl, 's'});
    ASSERT_TRUE(Until([&] { return !window.isWindowModified(); }));

    // "&Close" from the File menu asks for a fresh program without a project.
    Press({kAlt, 'f'});
    Press({'c'});
    ASSERT_TRUE(Until([&] { return !window.isVisible(); }));
    ASSERT_TRUE(window.RestartRequest().has_value());
    EXPECT_TRUE(window.RestartRequest()->empty());
    pWindow.reset();

    // Reopened: the preview shows the bubble and the hotspot, pixel for pixel as the command
    // line draws them.
    auto pStartup2 = Start({project});
    CMainWindow reopened(pStartup2->Settings(), pStartup2->CommandLine(), prompter);
    reopened.StartUp();
    reopened.show();
    ASSERT_TRUE(Until([&] { return reopened.HasProject() && reopened.isActiveWindow(); }));
    for (uint32_t n : {2u, 3u}) {
        reopened.ShowFrame(n - 1);
        const QImage shown = reopened.Preview()->Picture();
        const std::string png = m_dir.File("frame" + std::to_string(n) + ".png");
        const pid_t pid =
            SpawnProgram({QUILLO_BIN, "frame", project, std::to_string(n), png, "--overlays"}, {});
        ASSERT_EQ(WaitForExit(pid, 60), 0);
        const QImage drawn(QString::fromStdString(png));
        ASSERT_EQ(shown.size(), drawn.size());
        int64_t nDiffering = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                nDiffering += (shown.pixel(x, y) & 0xFFFFFF) != (drawn.pixel(x, y) & 0xFFFFFF);
            }
        }
        EXPECT_EQ(nDiffering, 0) << "frame " << n;
    }
    // The hotspot's outline is drawn where it was put, over the recorded picture.
    reopened.ShowFrame(2);
    const QImage hotspotFrame = reopened.Preview()->Picture();
    const std::string raw = m_dir.File("raw3.png");
    ASSERT_EQ(WaitForExit(SpawnProgram({QUILLO_BIN, "frame", project, "3", raw}, {}), 60), 0);
    const QImage recorded(QString::fromStdString(raw));
    const QPoint edge(hotspot.left + 1, (hotspot.top + hotspot.bottom) / 2);
    EXPECT_NE(hotspotFrame.pixel(edge) & 0xFFFFFF, recorded.pixel(edge) & 0xFFFFFF);
    const QPoint inside((hotspot.left + hotspot.right) / 2, (hotspot.top + hotspot.bottom) / 2);
    EXPECT_EQ(hotspotFrame.pixel(inside) & 0xFFFFFF, recorded.pixel(inside) & 0xFFFFFF);

    // The editor with a bubble and a hotspot on one frame, for a look; not saved.
    reopened.ShowFrame(1);
    FocusPreview(reopened);
    Press({kAlt, 'h'});
    Settle(300);
    Shoot(reopened, "editor-bubble-hotspot");
    // "Hide Multiple Objects" leaves only the hotspot just added; pressed again, both show.
    const QImage both = reopened.Preview()->Picture();
    const std::string raw2 = m_dir.File("raw2.png");
    ASSERT_EQ(WaitForExit(SpawnProgram({QUILLO_BIN, "frame", project, "2", raw2}, {}), 60), 0);
    const QImage recorded2(QString::fromStdString(raw2));
    const CFrameInfo& shownFrame = *reopened.Project().FrameAt(1);
    const QPoint bubble(shownFrame.m_nBubbleX, shownFrame.m_nBubbleY);
    const QPoint hotspotEdge(shownFrame.m_rcHotspot.left + 1,
                             (shownFrame.m_rcHotspot.top + shownFrame.m_rcHotspot.bottom) / 2);
    ASSERT_NE(both.pixel(bubble), recorded2.pixel(bubble));
    Press({kAlt, 'm'});
    EXPECT_EQ(reopened.Preview()->Picture().pixel(bubble), recorded2.pixel(bubble));
    EXPECT_EQ(reopened.Preview()->Picture().pixel(hotspotEdge), both.pixel(hotspotEdge));
    Press({kAlt, 'm'});
    EXPECT_EQ(reopened.Preview()->Picture(), both);
    prompter.QueueAnswer(EMsgAnswer::No);
    reopened.close();
}

}  // namespace
