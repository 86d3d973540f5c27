// The desktop program recording a private X server with a window manager: a recording of the
// command line is stopped by its key, by `quillo stop` and by signals, and is saved every time;
// the recording keys pause, mark chapters and take snapshots while another program runs.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb_keysyms.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/ScriptedPrompter.h"
#include "project/Chapter.h"
#include "project/DemoProject.h"
#include "project/ProjectFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowManager.h"
#include "tests/support/XTestInput.h"
#include "tests/support/XvfbServer.h"

namespace fs = std::filesystem;

namespace {

// X key symbols.
constexpr xcb_keysym_t kControl = 0xffe3;
constexpr xcb_keysym_t kAlt = 0xffe9;
constexpr xcb_keysym_t kDelete = 0xffff;
constexpr xcb_keysym_t kPause = 0xff13;
constexpr xcb_keysym_t kPrint = 0xff61;
constexpr xcb_keysym_t kLetterC = 0x0063;

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    const pid_t pid = fork();
    if (pid == 0) {
        for (const std::string& e : env) {
            putenv(const_cast<char*>(e.c_str()));
        }
        std::vector<char*> argv;
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        freopen("/dev/null", "w", stdout);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Waits for the child up to `seconds`; its exit status, or -1 when it did not end (it is then
// killed).
int WaitFor(pid_t pid, int seconds) {
    for (int i = 0; i < seconds * 20; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        Sleep(50);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

class CKeyboard {
public:
    explicit CKeyboard(const std::string& display) : m_input(display) {
        m_pConnection = xcb_connect(display.c_str(), nullptr);
        m_pSymbols = xcb_key_symbols_alloc(m_pConnection);
    }
    ~CKeyboard() {
        xcb_key_symbols_free(m_pSymbols);
        xcb_disconnect(m_pConnection);
    }
    bool Ok() const { return m_input.Ok() && m_pSymbols != nullptr; }

    // Presses the keys in order and releases them in reverse.
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

private:
    CXTestInput m_input;
    xcb_connection_t* m_pConnection = nullptr;
    xcb_key_symbols_t* m_pSymbols = nullptr;
};

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
        m_scene =
            Spawn({QUILLO_SCENE_BIN, "--display", m_server.Display(), "--seconds", "120"}, {});
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
        return Spawn(all, Env());
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
                Sleep(500);
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
    CKeyboard keyboard(m_server.Display());
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
                const pid_t stop = Spawn({QUILLO_BIN, "stop"}, env);
                EXPECT_EQ(WaitFor(stop, 10), 0);
                break;
            }
            case EStop::Terminate:
                kill(program, SIGTERM);
                break;
            case EStop::Interrupt:
                kill(program, SIGINT);
                break;
        }
        EXPECT_EQ(WaitFor(program, 60), 0);
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
    }
}

TEST_F(RecordingTestProgram, KeysPauseMarkChaptersAndTakeSnapshots) {
    CKeyboard keyboard(m_server.Display());
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
    ASSERT_EQ(WaitFor(program, 60), 0);

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
