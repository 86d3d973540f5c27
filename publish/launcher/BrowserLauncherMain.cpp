// The browser launcher of a published executable: unpacks the page, the movie, the web player
// and the hotspot movies that follow it in its own file into a private temporary folder, serves
// that folder on 127.0.0.1, opens the page in the default browser and removes the folder when
// it ends: on SIGINT, SIGTERM or SIGHUP, or once nothing has been asked of it for a while
// ($QUILLO_LAUNCHER_IDLE_SECONDS, 1800 by default).
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/BrowserOpener.h"
#include "platform/LocalHttpServer.h"
#include "publish/package/ExecutablePayload.h"
#include "publish/package/PackageText.h"

namespace fs = std::filesystem;

namespace {

constexpr int kDefaultIdleSeconds = 1800;

int Fail(const std::string& message) {
    std::fprintf(stderr, "quillo-browser-launcher: %s\n", message.c_str());
    return 1;
}

int IdleSeconds() {
    const char* text = std::getenv("QUILLO_LAUNCHER_IDLE_SECONDS");
    const int seconds = text != nullptr ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : kDefaultIdleSeconds;
}

// A folder only this user can enter, in $TMPDIR or /tmp.
fs::path MakePrivateFolder(std::string& why) {
    std::error_code ec;
    std::string pattern = (fs::temp_directory_path(ec) / "quillo-demo-XXXXXX").string();
    if (ec || ::mkdtemp(pattern.data()) == nullptr) {
        why = "cannot create a temporary folder";
        return {};
    }
    return pattern;
}

bool Unpack(const fs::path& self, const std::vector<SPayloadRecord>& records,
            const fs::path& folder, std::string& base, std::string& why) {
    for (const SPayloadRecord& record : records) {
        if (record.kind == EPayloadKind::Name) {
            base = record.name;
            continue;
        }
        if (record.kind != EPayloadKind::File) {
            continue;
        }
        if (!IsSafeRelativeName(record.name)) {
            why = "the payload names a file outside its folder: " + record.name;
            return false;
        }
        const fs::path target = folder / record.name;
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        if (ec || !ExtractPayloadRecord(self, record, target, why)) {
            why = why.empty() ? "cannot create " + target.parent_path().string() : why;
            return false;
        }
    }
    if (base.empty() || !IsSafeRelativeName(base + ".htm") ||
        !fs::is_regular_file(folder / (base + ".htm"))) {
        why = "the payload carries no page";
        return false;
    }
    return true;
}

// Waits for a signal, or until the server has been idle for `idle` seconds.
void WaitForEnd(const sigset_t& signals, const CLocalHttpServer& server, int idle) {
    for (;;) {
        const timespec tick{1, 0};
        if (::sigtimedwait(&signals, nullptr, &tick) > 0) {
            return;
        }
        if (std::chrono::steady_clock::now() - server.LastActivity() > std::chrono::seconds(idle)) {
            return;
        }
    }
}

}  // namespace

int main() {
    // Blocked here, so that every thread leaves them to the wait below.
    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&signals, s);
    }
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    std::vector<SPayloadRecord> records;
    std::string why;
    if (ec || !ReadPayload(self, records, why)) {
        return Fail(why.empty() ? "cannot read its own file" : why);
    }
    const fs::path folder = MakePrivateFolder(why);
    if (folder.empty()) {
        return Fail(why);
    }
    int status = 0;
    {
        std::string base;
        CLocalHttpServer server;
        if (!Unpack(self, records, folder, base, why) || !server.Start(folder, why)) {
            status = Fail(why);
        } else {
            const std::string address = server.Address(UrlEscape(base + ".htm"));
            std::printf("%s\n", address.c_str());
            std::fflush(stdout);
            if (!OpenInBrowser(address, why)) {
                status = Fail(why);
            } else {
                WaitForEnd(signals, server, IdleSeconds());
            }
        }
    }
    fs::remove_all(folder, ec);
    return status;
}
