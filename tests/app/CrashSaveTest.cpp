// A crash inside an allocation, with the allocator's lock still held, in a child process that
// has unsaved work: the work prepared ahead is saved, or the report says what happened, and the
// process ends either way instead of waiting forever for the allocator.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <new>
#include <string>
#include <thread>

#include "app/CrashReport.h"
#include "app/CrashSave.h"
#include "platform/ScriptedPrompter.h"
#include "project/file/ProjectCopyPlan.h"
#include "project/file/ProjectFile.h"
#include "project/model/DemoProject.h"
#include "project/stream/FrameCompositor.h"
#include "tests/app/WindowTestProject.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// Every allocation of this program goes through one lock, as in an allocator. Armed, the next
// allocation crashes while it holds the lock: any allocation after that waits forever.
std::mutex g_allocatorLock;
std::atomic<bool> g_crashInNextAllocation{false};

void* Allocate(std::size_t size) {
    std::lock_guard<std::mutex> lock(g_allocatorLock);
    if (g_crashInNextAllocation.exchange(false)) {
        ::raise(SIGSEGV);
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

// Waits for a child at most `seconds`; -1 when it had to be killed.
int WaitStatus(pid_t pid, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            return status;
        }
        if (std::chrono::steady_clock::now() > end) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool HasFileStartingWith(const std::string& folder, std::string_view start) {
    for (const auto& e : fs::directory_iterator(folder)) {
        if (e.path().filename().string().starts_with(start)) {
            return true;
        }
    }
    return false;
}

TEST(CrashSave, ACrashInsideAnAllocationSavesThePreparedWorkOrReportsWithoutHanging) {
    struct SCase {
        const char* name;
        const char* target;  // relative to the test's folder
        bool bSaved;
    };
    const SCase cases[] = {
        {"the prepared copy is written", "demo_recovered.lumo", true},
        {"the copy has nowhere to go", "missing/demo_recovered.lumo", false},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CTempDir dir;
        const std::string project = dir.File("demo.lumo");
        ASSERT_TRUE(MakeTestProject(dir.Path().string() + "/", project, {40, 25, 25, 60}));
        const std::string target = dir.File(c.target);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            CDemoProject opened;
            CScriptedPrompter prompter;
            CProjectFile file(opened, prompter);
            SProjectCopyPlan plan;
            if (!file.Open(project)) {
                ::_exit(3);
            }
            // Unsaved work: a duration the file does not hold yet.
            opened.FirstFrame()->m_nDuration = 777;
            if (!PrepareProjectCopy(file, opened, plan) ||
                !KeepCrashSave(std::move(plan), target)) {
                ::_exit(4);
            }
            InstallCrashReporter(dir.Path().string(), [] { RunCrashSave(); });
            g_crashInNextAllocation = true;
            int* volatile p = new int(1);
            delete p;
            ::_exit(5);
        }
        const int status = WaitStatus(pid, 60);
        ASSERT_NE(status, -1) << "the crashed process hung";
        ASSERT_TRUE(WIFSIGNALED(status)) << "exit " << WEXITSTATUS(status);
        EXPECT_EQ(WTERMSIG(status), SIGSEGV);
        EXPECT_TRUE(HasFileStartingWith(dir.Path().string(), "crash-"));
        EXPECT_EQ(fs::exists(target), c.bSaved);
        EXPECT_FALSE(fs::exists(target + ".crash"));
        if (c.bSaved) {
            CDemoProject saved;
            CScriptedPrompter prompter;
            CProjectFile file(saved, prompter, {.bReadOnly = true});
            ASSERT_TRUE(file.Open(target)) << prompter.Transcript();
            ASSERT_EQ(saved.FrameCount(), 4u);
            EXPECT_EQ(saved.FirstFrame()->m_nDuration, 777);
            EXPECT_EQ(saved.LastFrame()->m_nDuration, 60);
            CFrameCompositor compositor(saved);
            compositor.SetSources(file.StreamSources());
            compositor.GoToFrame(3);
            EXPECT_FALSE(compositor.Damaged());
        }
    }
}

}  // namespace
