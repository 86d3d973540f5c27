// `quillo record` on a private X server: the recording ends as a project and its capture files
// go, or the save fails and the capture files stay for recovery.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ScriptedPrompter.h"
#include "project/file/ProjectFile.h"
#include "project/model/Chapter.h"
#include "project/model/DemoProject.h"
#include "project/stream/FrameCompositor.h"
#include "project/stream/StreamFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDrawer.h"
#include "tests/support/XTestInput.h"
#include "tests/support/XvfbServer.h"

namespace fs = std::filesystem;

namespace {

// Starts `quillo record` with its standard error going to a file.
pid_t StartRecord(const std::vector<std::string>& args, const std::string& errFile) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(QUILLO_BIN));
        argv.push_back(const_cast<char*>("record"));
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        if (!freopen("/dev/null", "w", stdout) || !freopen(errFile.c_str(), "w", stderr)) {
            _exit(126);
        }
        execv(QUILLO_BIN, argv.data());
        _exit(127);
    }
    return pid;
}

int ExitCode(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadText(const std::string& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class RecordCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.Running()) << m_server.Error();
        fs::create_directories(m_temp);
    }

    CXvfbServer m_server{{320, 240, true}};
    CTempDir m_dir;
    const std::string m_temp = m_dir.File("temp");
    const std::string m_err = m_dir.File("stderr.txt");
};

TEST_F(RecordCommand, SavesTheProjectAndDeletesTheCaptureFiles) {
    // The name gets its ".lumo" and its folder is made.
    const pid_t pid = StartRecord({m_dir.File("made/demo"), "--temp", m_temp, "--display",
                                   m_server.Display(), "--seconds", "2"},
                                  m_err);
    ASSERT_EQ(ExitCode(pid), 0) << ReadText(m_err);
    EXPECT_TRUE(Names(m_temp).empty());

    CDemoProject project;
    CScriptedPrompter prompter;
    CProjectFile file(project, prompter);
    ASSERT_TRUE(file.Open(m_dir.File("made/demo.lumo"))) << prompter.Transcript();
    EXPECT_EQ(project.m_nWidth, 320);
    EXPECT_EQ(project.m_nHeight, 240);
    EXPECT_GE(project.FrameCount(), 2u);
}

TEST_F(RecordCommand, AFailedSaveKeepsTheCaptureFilesAndNamesThem) {
    const std::string out = m_dir.File("demo.lumo");
    const pid_t pid = StartRecord(
        {out, "--temp", m_temp, "--display", m_server.Display(), "--seconds", "3"}, m_err);
    // A folder takes the project's name once the recording runs.
    for (int i = 0; i < 600 && Names(m_temp).size() < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    fs::create_directories(out);
    ASSERT_EQ(ExitCode(pid), 1) << ReadText(m_err);

    const std::vector<std::string> left = Names(m_temp);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_TRUE(left[0].starts_with("DIX") && left[0].ends_with(".tmp")) << left[0];
    EXPECT_TRUE(left[1].starts_with("DMO") && left[1].ends_with(".tmp")) << left[1];
    const std::string err = ReadText(m_err);
    EXPECT_NE(err.find(left[0]), std::string::npos) << err;
    EXPECT_NE(err.find(left[1]), std::string::npos) << err;
    CStreamFile stream;
    EXPECT_TRUE(stream.OpenCapture(m_temp + "/" + left[1], m_temp + "/" + left[0]));
    EXPECT_GE(stream.PictureCount(), 2u);
}

TEST_F(RecordCommand, StopCommandEndsTheRecordingAndItIsSaved) {
    setenv("XDG_RUNTIME_DIR", m_dir.Path().c_str(), 1);
    const std::string socket = m_dir.File("quillo-recorder");
    const pid_t pid = StartRecord({m_dir.File("stopped"), "--temp", m_temp, "--display",
                                   m_server.Display(), "--seconds", "120"},
                                  m_err);
    for (int i = 0; i < 600 && (Names(m_temp).size() < 2 || !fs::exists(socket)); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const pid_t stop = fork();
    if (stop == 0) {
        freopen("/dev/null", "w", stdout);
        execl(QUILLO_BIN, QUILLO_BIN, "stop", static_cast<char*>(nullptr));
        _exit(127);
    }
    EXPECT_EQ(ExitCode(stop), 0);
    ASSERT_EQ(ExitCode(pid), 0) << ReadText(m_err);
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_TRUE(Names(m_temp).empty());
    EXPECT_FALSE(fs::exists(socket));
    CDemoProject project;
    CScriptedPrompter prompter;
    CProjectFile file(project, prompter);
    ASSERT_TRUE(file.Open(m_dir.File("stopped.lumo"))) << prompter.Transcript();
    EXPECT_GE(project.FrameCount(), 2u);
}

// Runs `quillo stop ARGS` and returns its exit code; its standard error goes to `errFile`.
int RunStop(const std::vector<std::string>& args, const std::string& errFile) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv = {const_cast<char*>(QUILLO_BIN), const_cast<char*>("stop")};
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        if (!freopen("/dev/null", "w", stdout) || !freopen(errFile.c_str(), "w", stderr)) {
            _exit(126);
        }
        execv(QUILLO_BIN, argv.data());
        _exit(127);
    }
    return ExitCode(pid);
}

TEST_F(RecordCommand, OtherCommandsReachTheRecordingAndARefusalIsReported) {
    setenv("XDG_RUNTIME_DIR", m_dir.Path().c_str(), 1);
    const std::string socket = m_dir.File("quillo-recorder");
    const std::string stopErr = m_dir.File("stop-stderr.txt");
    CTestDrawer drawer(m_server.Display());
    ASSERT_TRUE(drawer.Ok());
    const pid_t pid = StartRecord({m_dir.File("commands"), "--temp", m_temp, "--display",
                                   m_server.Display(), "--seconds", "120"},
                                  m_err);
    for (int i = 0; i < 600 && (Names(m_temp).size() < 2 || !fs::exists(socket)); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // A chapter heads the frame shown; it needs the first frame, which the first tick takes.
    int chapter = -1;
    for (int i = 0; i < 50 && chapter != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        chapter = RunStop({"--code", "67"}, stopErr);
    }
    EXPECT_EQ(chapter, 0) << ReadText(stopErr);
    EXPECT_EQ(RunStop({"--code", "72"}, stopErr), 1);
    EXPECT_NE(ReadText(stopErr).find("refused command 72"), std::string::npos) << ReadText(stopErr);
    // While paused the screen changes unseen; after the resume the change is recorded.
    EXPECT_EQ(RunStop({"--code", "19"}, stopErr), 0) << ReadText(stopErr);
    drawer.Fill(0, 0, 160, 120, 0xE02020);
    drawer.Sync();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(RunStop({"--code", "19"}, stopErr), 0) << ReadText(stopErr);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_EQ(RunStop({}, stopErr), 0) << ReadText(stopErr);
    ASSERT_EQ(ExitCode(pid), 0) << ReadText(m_err);
    unsetenv("XDG_RUNTIME_DIR");

    CDemoProject project;
    CScriptedPrompter prompter;
    CProjectFile file(project, prompter, {.bReadOnly = true});
    ASSERT_TRUE(file.Open(m_dir.File("commands.lumo"))) << prompter.Transcript();
    ASSERT_GE(project.FrameCount(), 2u);
    // The frame shown at the pause lasted through it: the red box came only after the resume.
    // Durations of a fresh recording are rounded to multiples of 5 hundredths.
    std::vector<std::u16string> chapters;
    int32_t longest = 0;
    for (const CFrameInfo* f = project.FirstFrame(); f != nullptr; f = f->m_pNext) {
        if (f->HasChapter()) {
            chapters.emplace_back(CChapter(*f).Title());
        }
        EXPECT_EQ(f->m_nDuration % 5, 0) << f->m_nDuration;
        EXPECT_EQ(f->m_nRecordedDuration % 5, 0) << f->m_nRecordedDuration;
        longest = std::max(longest, f->m_nDuration);
    }
    EXPECT_GE(longest, 150);
    EXPECT_EQ(chapters, std::vector<std::u16string>{u"Chapter 1"});
}

TEST_F(RecordCommand, StopWithoutARecordingFails) {
    const pid_t stop = fork();
    if (stop == 0) {
        freopen("/dev/null", "w", stderr);
        execl(QUILLO_BIN, QUILLO_BIN, "stop", "--socket", m_dir.File("nobody").c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    EXPECT_EQ(ExitCode(stop), 1);
}

TEST_F(RecordCommand, AFolderIsNoProjectName) {
    for (const std::string& name : {m_temp, m_dir.File("box")}) {
        fs::create_directories(m_dir.File("box.lumo"));
        const pid_t pid =
            StartRecord({name, "--display", m_server.Display(), "--seconds", "1"}, m_err);
        EXPECT_EQ(ExitCode(pid), 2) << name;
        EXPECT_NE(ReadText(m_err).find("is a folder"), std::string::npos) << name;
    }
}

TEST_F(RecordCommand, CaptureChoicesThatDoNotGoTogetherAreRefused) {
    const std::vector<std::vector<std::string>> cases = {
        {"--pan"},
        {"--monitor", "0"},
        {"--monitor", "1", "--area", "0,0,100,100"},
        {"--rect", "0,0,100,100", "--follow-active"},
        {"--area", "0,0,0,100"},
    };
    for (const std::vector<std::string>& extra : cases) {
        std::vector<std::string> args = {m_dir.File("x.lumo"), "--display", m_server.Display(),
                                         "--seconds", "1"};
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_EQ(ExitCode(StartRecord(args, m_err)), 2) << extra[0];
        EXPECT_FALSE(fs::exists(m_dir.File("x.lumo")));
    }
}

uint32_t Tile(int x, int y) {
    return ((static_cast<uint32_t>(x / 80) * 0x2F1B) ^ (static_cast<uint32_t>(y / 80) * 0x8C3D5)) &
           0x00FEFEFEu;
}

TEST(RecordPan, TheSavedPanRecordingShowsTheScreenWhereTheAreaGlided) {
    CXvfbServer server({1920, 1080, true});
    ASSERT_TRUE(server.Running()) << server.Error();
    CTestDrawer drawer(server.Display());
    CXTestInput input(server.Display());
    ASSERT_TRUE(drawer.Ok() && input.Ok());
    for (int y = 0; y < 1080; y += 80) {
        for (int x = 0; x < 1920; x += 80) {
            drawer.Fill(x, y, 80, 80, Tile(x, y));
        }
    }
    input.MoveTo(1915, 60);
    CTempDir dir;
    const std::string out = dir.File("pan.lumo");
    const std::string err = dir.File("err.txt");
    const pid_t pid = StartRecord({out, "--display", server.Display(), "--seconds", "4", "--area",
                                   "640,300,640,480", "--pan"},
                                  err);
    ASSERT_EQ(ExitCode(pid), 0) << ReadText(err);

    CDemoProject project;
    CScriptedPrompter prompter;
    CProjectFile file(project, prompter, {.bReadOnly = true});
    ASSERT_TRUE(file.Open(out)) << prompter.Transcript();
    EXPECT_EQ(project.m_nWidth, 640);
    EXPECT_EQ(project.m_nHeight, 480);
    ASSERT_TRUE(project.FirstFrame()->m_pPanPicture.has_value());
    CFrameCompositor compositor(project);
    compositor.SetSources(file.StreamSources());
    compositor.GoToFrame(project.FrameCount() - 1);
    ASSERT_FALSE(compositor.Damaged());
    // The area went right and up after the pointer, and never beyond the screen.
    const int x0 = compositor.OriginX();
    const int y0 = compositor.OriginY();
    EXPECT_GE(x0, 1000);
    EXPECT_LE(x0, 1280);
    EXPECT_LE(y0, 150);
    const CPixelPicture& picture = compositor.Picture();
    ASSERT_EQ(picture.m_nWidth, 1920);
    ASSERT_EQ(picture.m_nHeight, 1080);
    int bad = 0;
    for (int y = y0; y < y0 + 480; y += 5) {
        for (int x = x0; x < x0 + 640; x += 5) {
            bad +=
                (picture.m_Pixels[static_cast<size_t>(y) * 1920 + x] & 0x00FEFEFEu) != Tile(x, y);
        }
    }
    EXPECT_EQ(bad, 0);
}

}  // namespace
