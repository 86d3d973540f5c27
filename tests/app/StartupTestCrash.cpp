// The crash report layer, the emergency save on failed allocation and the restart, each in a
// child process that really crashes, runs out or replaces itself.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <new>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "app/CrashReport.h"
#include "app/EmergencySave.h"
#include "app/Restart.h"
#include "tests/support/TempDir.h"

namespace {

std::string g_marker;

void WriteMarker() {
    std::ofstream(g_marker) << "saved";
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string OnlyReport(const CTempDir& dir) {
    std::string found;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        if (e.path().filename().string().starts_with("crash-")) {
            found = e.path().string();
        }
    }
    return found;
}

[[gnu::noinline]] void CrashDeep(int how) {
    if (how == 0) {
        raise(SIGSEGV);
    } else {
        // Off the test's own thread, where nothing catches it.
        std::thread([] { throw std::runtime_error("nobody catches this"); }).join();
    }
}

TEST(StartupTestCrash, FatalSignalSavesFirstThenWritesABacktrace) {
    for (int how : {0, 1}) {
        SCOPED_TRACE(how == 0 ? "SIGSEGV" : "uncaught exception");
        CTempDir dir;
        g_marker = dir.File("saved.marker");
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            InstallCrashReporter(dir.Path().string(), WriteMarker);
            CrashDeep(how);
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), how == 0 ? SIGSEGV : SIGABRT);
        EXPECT_EQ(ReadText(g_marker), "saved");
        const std::string report = OnlyReport(dir);
        ASSERT_FALSE(report.empty());
        const std::string text = ReadText(report);
        EXPECT_NE(text.find("Quillo Software Report"), std::string::npos);
        EXPECT_NE(text.find(how == 0 ? "SIGSEGV" : "SIGABRT"), std::string::npos);
        EXPECT_NE(text.find("#1 0x"), std::string::npos) << text;
    }
}

TEST(StartupTestCrash, FailedAllocationRunsTheEmergencySaveAndExitsMinusOne) {
    CTempDir dir;
    g_marker = dir.File("saved.marker");
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        InstallEmergencySave(WriteMarker);
        // What operator new calls when memory runs out.
        std::new_handler handler = std::get_new_handler();
        if (handler != nullptr) {
            handler();
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 255);
    EXPECT_EQ(ReadText(g_marker), "saved");
}

TEST(StartupTestCrash, RestartRunsTheProgramsOwnFileAgain) {
    CTempDir dir;
    const std::string out = dir.File("listing.txt");
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        freopen(out.c_str(), "w", stdout);
        RestartProgram({"--gtest_list_tests", "--gtest_filter=StartupTestCrash.Restart*"});
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(ReadText(out).find("RestartRunsTheProgramsOwnFileAgain"), std::string::npos);
}

}  // namespace
