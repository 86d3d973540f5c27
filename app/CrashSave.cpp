#include "app/CrashSave.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace {

constexpr std::size_t kNameSize = 4096;
// However small the project, the save may wait for a slow disk this long; a large one gets one
// more second for every 10 MB of stream.
constexpr long long kBaseWaitMs = 10000;
constexpr long long kBytesPerMs = 10000;
constexpr long kPollNs = 20'000'000;

struct SKept {
    SProjectCopyPlan plan;
    char fileName[kNameSize] = {};
    char tempName[kNameSize + 16] = {};
};

// Two places: a new plan is made in the one a crash does not read, then becomes the one read.
SKept g_kept[2];
std::atomic<int> g_active{-1};

void Release(SKept& kept) {
    if (kept.plan.nSourceFd >= 0) {
        ::close(kept.plan.nSourceFd);
    }
    kept.plan = SProjectCopyPlan();
}

}  // namespace

bool KeepCrashSave(SProjectCopyPlan plan, const std::string& fileName) {
    const int active = g_active.load();
    SKept& kept = g_kept[active == 0 ? 1 : 0];
    Release(kept);
    if (fileName.empty() || fileName.size() >= kNameSize) {
        if (plan.nSourceFd >= 0) {
            ::close(plan.nSourceFd);
        }
        DropCrashSave();
        return false;
    }
    kept.plan = std::move(plan);
    std::memcpy(kept.fileName, fileName.c_str(), fileName.size() + 1);
    std::memcpy(kept.tempName, fileName.c_str(), fileName.size());
    std::memcpy(kept.tempName + fileName.size(), ".crash", sizeof ".crash");
    g_active.store(&kept == &g_kept[0] ? 0 : 1);
    return true;
}

void DropCrashSave() {
    g_active.store(-1);
}

bool RunCrashSave() {
    const int active = g_active.load();
    if (active < 0) {
        return false;
    }
    const SKept& kept = g_kept[active];
    const pid_t child = ::_Fork();
    if (child < 0) {
        // Without a child the copy is written here; it still needs no allocation.
        return WriteProjectCopy(kept.plan, kept.tempName, kept.fileName);
    }
    if (child == 0) {
        ::_exit(WriteProjectCopy(kept.plan, kept.tempName, kept.fileName) ? 0 : 1);
    }
    const std::uint64_t bytes = kept.plan.nDataEnd - kept.plan.nDataStart;
    const long long waitMs = kBaseWaitMs + static_cast<long long>(bytes) / kBytesPerMs;
    for (long long waited = 0;; waited += kPollNs / 1'000'000) {
        int status = 0;
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child) {
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        if (done < 0 && errno != EINTR) {
            return false;
        }
        if (waited >= waitMs) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            ::unlink(kept.tempName);
            return false;
        }
        const timespec pause{0, kPollNs};
        ::nanosleep(&pause, nullptr);
    }
}
