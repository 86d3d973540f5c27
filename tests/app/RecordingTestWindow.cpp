// The main window's recording on a private X server, in this process: recording keys that do
// not fit the state only beep, the pause key starts a recording, the stop dialog's "Stop and
// Save" opens the new project in the editor on its first frame, and afterwards the keys leave
// the open project alone; a selected area moved while paused is recorded at its new place; the
// saved recording opens with rounded durations, the custom defaults and its timing data file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/CaptureFrameWnd.h"
#include "app/FramePreview.h"
#include "app/MainWindow.h"
#include "app/RecordingController.h"
#include "app/RecordingOptionsDialog.h"
#include "app/Startup.h"
#include "platform/AtomicFile.h"
#include "platform/ScriptedPrompter.h"
#include "project/file/ProjectFile.h"
#include "project/model/DemoProject.h"
#include "project/ops/TimingData.h"
#include "settings/CustomDefaults.h"
#include "tests/app/TestStartup.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDrawer.h"
#include "tests/support/TestKeyboard.h"
#include "tests/support/XvfbServer.h"

namespace fs = std::filesystem;

namespace {

using namespace keysym;

// Handles events until `done` holds or the time is up.
bool Until(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

void EnsureApplication() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "quillo_tests_recording_window";
    static char* argv[] = {name, nullptr};
    static QApplication* pApp = new QApplication(argc, argv);
    (void)pApp;
    QApplication::setQuitOnLastWindowClosed(false);
}

class RecordingTestWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.Running()) << m_server.Error();
        // The window's own connections (keys, screen) go to the test's server.
        setenv("DISPLAY", m_server.Display().c_str(), 1);
        setenv("XDG_RUNTIME_DIR", m_dir.Path().c_str(), 1);
        EnsureApplication();
    }

    // The program with its settings and capture files in the test's folder, and no hints.
    std::unique_ptr<CStartup> Start(std::vector<std::string> args) {
        return StartProgramWithoutHints(m_dir, std::move(args));
    }

    void Press(std::initializer_list<xcb_keysym_t> keys) { m_keyboard.Press(keys); }

    CXvfbServer m_server{{320, 240, true}};
    CTempDir m_dir;
    CTestKeyboard m_keyboard{m_server.Display()};
};

TEST_F(RecordingTestWindow, KeysBeepUntilARecordingStartsAndTheSavedOneIsEdited) {
    auto pStartup = Start({});
    CStartup& startup = *pStartup;
    startup.Settings().m_state.m_nCaptureMode = static_cast<int32_t>(ECaptureMode::FullScreen);
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
    CRecordingController& recording = window.Recording();
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

TEST_F(RecordingTestWindow, APausedFrameMovedElsewhereRecordsThereWithTheSameSize) {
    // A frame of 166 x 106 at the top left: a capture of 160 x 100 at (3, 3).
    auto pStartup = Start({"/s:0,0,106,166"});
    CStartup& startup = *pStartup;
    CScriptedPrompter prompter;
    prompter.QueueFileName(m_dir.File("moved.lumo"));
    SMainWindowHooks hooks;
    hooks.askStop = [] { return EStopAnswer::StopAndSave; };
    CMainWindow window(startup.Settings(), startup.CommandLine(), prompter, hooks);
    window.StartUp();
    window.show();
    CRecordingController& recording = window.Recording();
    const CRecorder& recorder = recording.Recorder();
    CCaptureFrameWnd* pFrame = window.CaptureFrame();
    ASSERT_NE(pFrame, nullptr);
    ASSERT_EQ(window.CaptureChoice().mode, ECaptureMode::SelectedArea);

    // Blue everywhere but a red box that only the moved frame sees.
    CTestDrawer drawer(m_server.Display());
    ASSERT_TRUE(drawer.Ok());
    drawer.Fill(0, 0, 320, 240, 0x3060A0);
    drawer.Fill(200, 120, 100, 100, 0xE02020);
    drawer.Sync();
    Press({kPause});
    ASSERT_TRUE(Until([&] { return recording.Project().FrameCount() >= 1; }));
    Press({kPause});
    ASSERT_TRUE(Until([&] { return recorder.Paused(); }));
    EXPECT_TRUE(pFrame->Interactive());
    pFrame->ApplyFrameRect({150, 130, 316, 236});
    Press({kPause});
    ASSERT_TRUE(Until([&] { return !recorder.Paused(); }));
    ASSERT_TRUE(Until([&] { return recording.Project().FrameCount() >= 2; }));
    Press({kControl, kDelete});
    ASSERT_TRUE(Until([&] { return window.HasProject(); })) << prompter.Transcript();

    EXPECT_EQ(window.Project().m_nWidth, 160);
    EXPECT_EQ(window.Project().m_nHeight, 100);
    const auto colourAt = [&](uint32_t frame, int x, int y) {
        window.ShowFrame(frame);
        return window.Preview()->Picture().pixel(x, y) & 0xFFFFFF;
    };
    // Before the move every pixel is blue; after it, the box covers screen x >= 200, y >= 120,
    // x < 300 and y < 220, which is 47 <= x < 147 and y < 87 of a capture at (153, 133).
    EXPECT_EQ(colourAt(0, 100, 50), 0x3060A0u);
    const uint32_t last = window.Project().FrameCount() - 1;
    EXPECT_EQ(colourAt(last, 40, 50), 0x3060A0u);
    EXPECT_EQ(colourAt(last, 60, 50), 0xE02020u);
    EXPECT_EQ(colourAt(last, 140, 80), 0xE02020u);
    window.close();
}

TEST_F(RecordingTestWindow, TheSavedRecordingGetsRoundedDurationsCustomDefaultsAndTimingData) {
    auto pStartup = Start({});
    CStartup& startup = *pStartup;
    startup.Settings().m_state.m_nCaptureMode = static_cast<int32_t>(ECaptureMode::FullScreen);
    startup.Settings().m_settings.m_bUseCustomDefaults = true;
    startup.Settings().m_settings.m_bExportTimingData = true;
    CProjectSettings defaults;
    defaults.m_block.m_crBubble = 0x123456;
    defaults.m_fSwfDelayScale = 2.5;
    ASSERT_TRUE(WriteFileAtomically(startup.Settings().Folder().File(CCustomDefaults::kFileName),
                                    CCustomDefaults::Serialize(defaults)));
    CScriptedPrompter prompter;
    const std::string saved = m_dir.File("rounded.lumo");
    prompter.QueueFileName(saved);
    SMainWindowHooks hooks;
    hooks.askStop = [] { return EStopAnswer::StopAndSave; };
    CMainWindow window(startup.Settings(), startup.CommandLine(), prompter, hooks);
    window.StartUp();
    window.show();
    CRecordingController& recording = window.Recording();

    // Changes at uneven times give recorded durations that are no multiples of 5.
    CTestDrawer drawer(m_server.Display());
    ASSERT_TRUE(drawer.Ok());
    drawer.Fill(0, 0, 320, 240, 0x3060A0);
    drawer.Sync();
    Press({kPause});
    ASSERT_TRUE(Until([&] { return recording.Project().FrameCount() >= 1; }));
    for (int i = 0; i < 4; ++i) {
        Until([] { return false; }, 230 + 170 * i);
        drawer.Fill(20 + 60 * i, 40, 40, 40, 0xE02020);
        drawer.Sync();
    }
    ASSERT_TRUE(Until([&] { return recording.Project().FrameCount() >= 4; }));
    Press({kControl, kDelete});
    ASSERT_TRUE(Until([&] { return window.HasProject(); })) << prompter.Transcript();
    EXPECT_FALSE(window.Modified());

    // What the editor shows is what the file holds.
    CDemoProject stored;
    CScriptedPrompter readPrompter;
    CProjectFile file(stored, readPrompter, {.bReadOnly = true});
    ASSERT_TRUE(file.Open(saved)) << readPrompter.Transcript();
    for (const CDemoProject* p : {&window.Project(), &stored}) {
        SCOPED_TRACE(p == &stored ? "the saved file" : "the editor");
        ASSERT_GE(p->FrameCount(), 4u);
        for (const CFrameInfo* f = p->FirstFrame(); f != nullptr; f = f->m_pNext) {
            EXPECT_EQ(f->m_nDuration % 5, 0) << f->m_nDuration;
            EXPECT_EQ(f->m_nRecordedDuration, f->m_nDuration);
        }
        EXPECT_EQ(p->m_crDefaultBubble, 0x123456);
        EXPECT_EQ(p->m_fSwfDelayScale, 2.5f);
    }
    // The timing data file lists the rounded durations.
    std::ifstream timing(TimingFileName(saved));
    ASSERT_TRUE(timing.good());
    std::stringstream text;
    text << timing.rdbuf();
    for (CFrameInfo* f = stored.FirstFrame(); f != nullptr; f = f->m_pNext) {
        f->m_nDuration = 1;
    }
    EXPECT_EQ(ApplyTimingData(stored, text.str()), static_cast<int>(stored.FrameCount()));
    for (uint32_t i = 0; i < stored.FrameCount(); ++i) {
        EXPECT_EQ(stored.FrameAt(i)->m_nDuration, window.Project().FrameAt(i)->m_nDuration);
    }
    window.close();
}

TEST(RecordingOptionsDialog, ChecksTheFolderAndKeepsEveryValue) {
    EnsureApplication();
    CTempDir dir;
    CScriptedPrompter prompter;
    CRecordingOptions options;
    options.m_bCustomRates = 1;
    options.m_nScreenFps = 7;
    options.m_nMouseFps = 33;
    options.m_bRecordMouse = 0;
    options.m_bFollowActiveWindow = 1;
    options.m_strTempVideoDir = dir.Path().string();
    bool bReminder = false;
    CRecordingOptionsDialog dialog(nullptr, options, prompter, bReminder);
    CRecordingOptions shown = dialog.Options();
    EXPECT_EQ(shown.m_bCustomRates, 1);
    EXPECT_EQ(shown.m_nScreenFps, 7u);
    EXPECT_EQ(shown.m_nMouseFps, 33u);
    EXPECT_EQ(shown.m_bRecordMouse, 0);
    EXPECT_EQ(shown.m_bFollowActiveWindow, 1);
    EXPECT_EQ(shown.m_strTempVideoDir, dir.Path().string());

    auto* pFolder = dialog.findChild<QLineEdit*>("tempVideoLocation");
    ASSERT_NE(pFolder, nullptr);
    emit pFolder->editingFinished();
    EXPECT_TRUE(prompter.Messages().empty());
    pFolder->setText(QString::fromStdString(dir.File("missing")));
    emit pFolder->editingFinished();
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(prompter.Messages()[0].text, kNotADirectoryText);
    EXPECT_EQ(prompter.Messages()[0].caption, kNotADirectoryCaption);
    EXPECT_EQ(prompter.Messages()[0].icon, EMsgIcon::Warning);

    for (QPushButton* pButton : dialog.findChildren<QPushButton*>()) {
        if (pButton->text() == "Defaults") {
            pButton->click();
        }
    }
    const CRecordingOptions defaults = dialog.Options();
    EXPECT_EQ(defaults.m_bCustomRates, 0);
    EXPECT_EQ(defaults.m_bRecordMouse, 1);
    EXPECT_EQ(defaults.m_bSmoothMovement, 1);
    EXPECT_EQ(defaults.m_bFollowActiveWindow, 0);
    EXPECT_EQ(defaults.ScreenRate(), 20u);
}

}  // namespace
