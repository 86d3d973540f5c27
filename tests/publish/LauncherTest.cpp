// The browser launcher of a published executable, run as a viewer would run it, with a fake
// xdg-open on PATH that records the address it is given and fetches it: the launcher serves
// byte-identical copies of the published files and removes its temporary folder when it ends.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "publish/package/ExecutablePayload.h"
#include "publish/package/PackageText.h"
#include "tests/publish/PublishFixture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/HttpGet.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<fs::path> Entries(const fs::path& folder) {
    std::vector<fs::path> entries;
    for (const auto& entry : fs::directory_iterator(folder)) {
        entries.push_back(entry.path());
    }
    return entries;
}

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("curl --version >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "curl is not installed";
        }
        CMemoryRecording rec(m_dir.Path().string(), 64, 48);
        rec.Fill(0, 0, 63, 47, 0x40A040);
        rec.Capture(0, 0, 63, 47, 100);
        ASSERT_TRUE(rec.Finish());
        const SPublished pub =
            Publish(rec, m_prompter, Out("My demo #1").string(), [](CPublishSettings& s) {
                s.m_bCreateWebPage = true;
                s.m_bCreateExe = true;
            });
        ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
        ASSERT_TRUE(m_prompter.Messages().empty()) << m_prompter.Messages()[0].text;

        fs::create_directories(Out("bin"));
        fs::create_directories(Out("tmp"));
        const fs::path fake = Out("bin/xdg-open");
        std::ofstream(fake) << "#!/bin/sh\n"
                               "curl -sf \"$1\" -o '"
                            << Out("fetched.htm").string()
                            << "'\n"
                               "echo \"$1\" > '"
                            << Out("address.part").string()
                            << "'\n"
                               "mv '"
                            << Out("address.part").string() << "' '" << Out("address").string()
                            << "'\n";
        fs::permissions(fake, fs::perms(0755));
    }

    pid_t Launch(int idleSeconds) {
        const char* path = std::getenv("PATH");
        return SpawnProgram({Out("My demo #1").string()},
                            {"PATH=" + Out("bin").string() + ":" + (path ? path : "/usr/bin:/bin"),
                             "TMPDIR=" + Out("tmp").string(),
                             "QUILLO_LAUNCHER_IDLE_SECONDS=" + std::to_string(idleSeconds)});
    }

    // The address xdg-open was given, once it has fetched it.
    std::string WaitForAddress() {
        for (int i = 0; i < 400 && !fs::exists(Out("address")); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        std::string address = ReadAll(Out("address"));
        while (!address.empty() && address.back() == '\n') {
            address.pop_back();
        }
        return address;
    }

    fs::path Out(const std::string& name) const { return m_dir.Path() / name; }

    CTempDir m_dir;
    CScriptedPrompter m_prompter;
};

TEST_F(LauncherTest, ServesThePublishedFilesUntilToldToStop) {
    const pid_t pid = Launch(600);
    ASSERT_GT(pid, 0);
    const std::string address = WaitForAddress();
    const std::string prefix = "http://127.0.0.1:";
    ASSERT_EQ(address.rfind(prefix, 0), 0u) << address;
    EXPECT_TRUE(address.ends_with("/My%20demo%20%231.htm")) << address;
    EXPECT_EQ(ReadAll(Out("fetched.htm")), ReadAll(Out("My demo #1.htm")));

    // Every file of the published folder, fetched by its escaped name, is the same file.
    const std::string root = address.substr(0, address.rfind('/') + 1);
    std::vector<std::string> names = {"My demo #1.htm", "My demo #1.swf"};
    for (const fs::path& file : Entries(Out("ruffle"))) {
        names.push_back("ruffle/" + file.filename().string());
    }
    for (const std::string& name : names) {
        const SHttpReply reply = HttpGetUrl(root + UrlEscape(name));
        EXPECT_EQ(reply.status, 200) << name;
        EXPECT_TRUE(reply.body == ReadAll(Out(name))) << name << " differs";
    }
    EXPECT_EQ(HttpGetUrl(root + "../My%20demo%20%231").status, 400);

    const std::vector<fs::path> unpacked = Entries(Out("tmp"));
    ASSERT_EQ(unpacked.size(), 1u);
    EXPECT_EQ(fs::status(unpacked[0]).permissions() & fs::perms::all, fs::perms(0700));
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    EXPECT_EQ(WaitForExit(pid, 20), 0);
    EXPECT_TRUE(Entries(Out("tmp")).empty());
}

TEST_F(LauncherTest, EndsByItselfWhenNothingIsAskedAndCleansUp) {
    const pid_t pid = Launch(1);
    ASSERT_GT(pid, 0);
    EXPECT_FALSE(WaitForAddress().empty());
    EXPECT_EQ(WaitForExit(pid, 30), 0);
    EXPECT_TRUE(Entries(Out("tmp")).empty());
}

TEST_F(LauncherTest, AFailingBrowserOrADamagedFileEndsWithAnErrorAndCleansUp) {
    std::ofstream(Out("bin/xdg-open"), std::ios::trunc) << "#!/bin/sh\nexit 3\n";
    pid_t pid = Launch(600);
    EXPECT_EQ(WaitForExit(pid, 30), 1);
    EXPECT_TRUE(Entries(Out("tmp")).empty());

    // The same launcher with its payload cut short.
    const std::string whole = ReadAll(Out("My demo #1"));
    std::ofstream(Out("My demo #1"), std::ios::binary | std::ios::trunc)
        << whole.substr(0, whole.size() - 1000);
    pid = Launch(600);
    EXPECT_EQ(WaitForExit(pid, 30), 1);
    EXPECT_TRUE(Entries(Out("tmp")).empty());
}

}  // namespace
