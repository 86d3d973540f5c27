// The desktop program recording a private X server with a window manager: a recording of the
// command line is stopped by its key, by `quillo stop` and by signals, and is saved every time;
// the recording keys pause, mark chapters and take snapshots while another program runs.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/ScriptedPrompter.h"
#include "project/file/ProjectFile.h"
#include "project/model/Chapter.h"
#include "project/model/DemoProject.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestKeyboard.h"
#include "tests/support/WindowManager.h"
#include "tests/support/XvfbServer.h"

namespace fs = std::filesystem;

namespace {

using namespace keysym;

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class RecordingTestProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.Running()) << m_server.Error();
        m_pManager = std::make_unique<CWindowManager>(m_server.Display());
        ASSERT_TRUE(m_pManager->Running());
        for (const char* sub : {"home", "runtime", "tmp"}) {
            fs::create_directories(m_dir.File(sub));
        }
        fs::permissions(m_dir.File("runtime"), fs::perms::owner_all);
        m_scene = SpawnProgram(
            {QUILLO_SCENE_BIN, "--display", m_server.Display(), "--seconds", "120"}, {});
        ASSERT_GT(m_scene, 0);
    }
    void TearDown() override {
        if (m_scene > 0) {
            kill(m_scene, SIGTERM);
            waitpid(m_scene, nullptr, 0);
        }
    }

    std::vector<std::string> Env() const {
        const std::string home = m_dir.File("home");
        return {"HOME=" + home,
                "XDG_CONFIG_HOME=" + home + "/.config",
                "XDG_DOCUMENTS_DIR=",
                "QUILLO_SETTINGS_DIR=",
                "TMPDIR=" + m_dir.File("tmp"),
                "XDG_RUNTIME_DIR=" + m_dir.File("runtime"),
                "QT_QPA_PLATFORM=xcb",
                "DISPLAY=" + m_server.Display(),
                "ASAN_OPTIONS=detect_leaks=0"};
    }

    pid_t StartProgram(const std::vector<std::string>& args) {
        std::vector<std::string> all = {QUILLOMATIC_BIN};
        all.insert(all.end(), args.begin(), args.end());
        return SpawnProgram(all, Env());
    }

    std::vector<std::string> CaptureFiles() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir.File("tmp"))) {
            const std::string name = e.path().filename().string();
            if (name.starts_with("DMO") || name.starts_with("DIX")) {
                names.push_back(name);
            }
        }
        return names;
    }

    // The recording has made its capture files and the program listens for commands.
    bool WaitUntilRecording() {
        for (int i = 0; i < 400; ++i) {
            if (CaptureFiles().size() == 2 && fs::exists(m_dir.File("runtime/quillo-recorder"))) {
                Sleep(1500);
                return true;
            }
            Sleep(50);
        }
        return false;
    }

    CXvfbServer m_server{{640, 480, true}};
    std::unique_ptr<CWindowManager> m_pManager;
    CTempDir m_dir;
    pid_t m_scene = -1;
};

TEST_F(RecordingTestProgram, CommandLineRecordingIsSavedHoweverItIsStopped) {
    enum class EStop { Key, Command, Terminate, Interrupt };
    struct SCase {
        const char* name;
        EStop stop;
    };
    const SCase cases[] = {
        {"Ctrl+Del", EStop::Key},
        {"quillo stop", EStop::Command},
        {"SIGTERM", EStop::Terminate},
        {"SIGINT", EStop::Interrupt},
    };
    CTestKeyboard keyboard(m_server.Display());
    ASSERT_TRUE(keyboard.Ok());
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = m_dir.File(std::string("out-") + std::to_string(int(c.stop)));
        // Top 20, left 10, bottom 260, right 330: the frame window's rectangle.
        const pid_t program = StartProgram({"/r:" + out, "/s:20,10,260,330"});
        ASSERT_GT(program, 0);
        ASSERT_TRUE(WaitUntilRecording());
        switch (c.stop) {
            case EStop::Key:
                keyboard.Press({kControl, kDelete});
                break;
            case EStop::Command: {
                std::vector<std::string> env = Env();
                const pid_t stop = SpawnProgram({QUILLO_BIN, "stop"}, env);
                EXPECT_EQ(WaitForExit(stop, 10), 0);
                break;
            }
            case EStop::Terminate:
                kill(program, SIGTERM);
                break;
            case EStop::Interrupt:
                kill(program, SIGINT);
                break;
        }
        EXPECT_EQ(WaitForExit(program, 60), 0);
        EXPECT_TRUE(CaptureFiles().empty());
        EXPECT_FALSE(fs::exists(m_dir.File("runtime/quillo-recorder")));
        CDemoProject project;
        CScriptedPrompter prompter;
        CProjectFile file(project, prompter, {.bReadOnly = true});
        ASSERT_TRUE(file.Open(out + ".lumo")) << prompter.Transcript();
        // Inside the frame window's 3-pixel border.
        EXPECT_EQ(project.m_nWidth, 314);
        EXPECT_EQ(project.m_nHeight, 234);
        EXPECT_GT(project.FrameCount(), 3u);
        for (const CFrameInfo* f = project.FirstFrame(); f != nullptr; f = f->m_pNext) {
            EXPECT_EQ(f->m_nDuration % 5, 0) << "durations are rounded after recording";
        }
    }
}

TEST_F(RecordingTestProgram, KeysPauseMarkChaptersAndTakeSnapshots) {
    CTestKeyboard keyboard(m_server.Display());
    ASSERT_TRUE(keyboard.Ok());
    const std::string out = m_dir.File("keys.lumo");
    const pid_t program = StartProgram({"/r:" + out, "/s:0,0,240,320"});
    ASSERT_GT(program, 0);
    ASSERT_TRUE(WaitUntilRecording());
    keyboard.Press({kAlt, kLetterC});
    Sleep(600);
    keyboard.Press({kAlt, kLetterC});
    Sleep(600);
    // Ten seconds paused lengthen the frame shown when the pause began.
    keyboard.Press({kPause});
    Sleep(10000);
    keyboard.Press({kPause});
    Sleep(600);
    // Paused again: the chapter marks the frame shown, then each snapshot adds one frame.
    keyboard.Press({kPause});
    Sleep(300);
    keyboard.Press({kAlt, kLetterC});
    for (int i = 0; i < 3; ++i) {
        Sleep(400);
        keyboard.Press({kPrint});
    }
    Sleep(400);
    keyboard.Press({kControl, kDelete});
    ASSERT_EQ(WaitForExit(program, 60), 0);

    CDemoProject project;
    CScriptedPrompter prompter;
    CProjectFile file(project, prompter, {.bReadOnly = true});
    ASSERT_TRUE(file.Open(out)) << prompter.Transcript();
    std::vector<std::pair<uint32_t, std::u16string>> chapters;
    std::vector<int32_t> durations;
    for (uint32_t i = 0; i < project.FrameCount(); ++i) {
        const CFrameInfo& f = *project.FrameAt(i);
        durations.push_back(f.m_nDuration);
        if (f.HasChapter()) {
            chapters.emplace_back(i, std::u16string(CChapter(f).Title()));
        }
    }
    std::string shown;
    for (uint32_t i = 0; i < project.FrameCount(); ++i) {
        shown += std::to_string(durations[i]) + (project.FrameAt(i)->HasChapter() ? "C " : " ");
    }
    SCOPED_TRACE(shown);
    ASSERT_EQ(chapters.size(), 3u);
    EXPECT_EQ(chapters[0].second, u"Chapter 1");
    EXPECT_EQ(chapters[1].second, u"Chapter 2");
    EXPECT_EQ(chapters[2].second, u"Chapter 3");
    EXPECT_LT(chapters[0].first, chapters[1].first);
    // After the frame shown at the second pause: three snapshots and the last frame of the stop.
    EXPECT_EQ(project.FrameCount() - chapters[2].first - 1, 4u);
    // The scene changes every 100 ms: only the paused frame is long. It holds the 10 s pause
    // plus at most 1 s of scene steps, key handling and the tick on a loaded machine.
    std::vector<int32_t> sorted = durations;
    std::sort(sorted.rbegin(), sorted.rend());
    EXPECT_GE(sorted[0], 1000);
    EXPECT_LE(sorted[0], 1100);
    EXPECT_LT(sorted[1], 500);
}

}  // namespace
