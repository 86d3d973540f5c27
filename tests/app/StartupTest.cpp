// Start-up without a window: first-start files, "vidcap.data", the plug-in binding, the recent
// files and their menu entries, and stored window places put back on the screen.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/RecentFiles.h"
#include "app/Startup.h"
#include "app/WindowPlacement.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

SStartupOptions Options(const CTempDir& dir, std::vector<std::string> args = {}) {
    SStartupOptions o;
    o.args = std::move(args);
    o.currentFolder = dir.Path().string();
    o.programFolder = dir.File("bin");
    o.settingsFolder = dir.File("home/Quillomatic");
    o.registryFiles = {{dir.File("user.ini"), dir.File("machine.ini")}};
    o.vidcapResource = std::string_view("vidcap");
    return o;
}

TEST(StartupTest, FirstStartCreatesTheSettingsFolderAndItsFiles) {
    CTempDir dir;
    CStartup startup(Options(dir, {"/p", "show.lumo"}));
    startup.Run();
    const fs::path folder = dir.File("home/Quillomatic");
    EXPECT_TRUE(fs::is_directory(folder / "Projects"));
    EXPECT_TRUE(fs::exists(folder / "config.txt"));
    EXPECT_TRUE(fs::exists(folder / "Quillomatic.ini"));
    std::ifstream vidcap(folder / "vidcap.data");
    std::string content;
    std::getline(vidcap, content);
    EXPECT_EQ(content, "vidcap");
    EXPECT_EQ(startup.Settings().m_state.m_strLastProjectFolder,
              (folder / "Projects").string() + "/");
    EXPECT_TRUE(startup.CommandLine().bPan);
    EXPECT_EQ(startup.CommandLine().projectFile, dir.File("show.lumo"));
    // No encoder plug-in beside the program: only MP3 is unavailable, and that is said.
    EXPECT_FALSE(startup.Mp3Available());
    ASSERT_FALSE(startup.Diagnostics().empty());
    EXPECT_NE(startup.Diagnostics()[0].find("MP3"), std::string::npos);
}

TEST(StartupTest, MissingVidcapResourceIsReportedAndStartUpGoesOn) {
    CTempDir dir;
    SStartupOptions o = Options(dir, {"/h"});
    o.vidcapResource.reset();
    CStartup startup(o);
    startup.Run();
    EXPECT_FALSE(fs::exists(dir.File("home/Quillomatic/vidcap.data")));
    EXPECT_TRUE(startup.CommandLine().bHidden);
    bool said = false;
    for (const std::string& d : startup.Diagnostics()) {
        said = said || d.find("vidcap.data") != std::string::npos;
    }
    EXPECT_TRUE(said);
}

TEST(StartupTest, ExistingVidcapFileIsKept) {
    CTempDir dir;
    fs::create_directories(dir.File("s"));
    std::ofstream(dir.File("s/vidcap.data")) << "user's";
    std::string reason;
    EXPECT_TRUE(EnsureVidcapData(dir.File("s/"), std::string_view("new"), reason));
    std::ifstream in(dir.File("s/vidcap.data"));
    std::string content;
    in >> content;
    EXPECT_EQ(content, "user's");
}

TEST(StartupTest, EncoderPluginNeedsAllSevenFunctions) {
    CTempDir dir;
    CPluginModule module;
    // libz is a real shared object without the encoder calls.
    const char* names[] = {"zlibVersion", "deflate"};
    EXPECT_TRUE(module.Load("", "libz.so.1", names, 2));
    EXPECT_TRUE(module.Loaded());
    EXPECT_NE(module.Symbol(1), nullptr);
    const char* missing[] = {"zlibVersion", "beInitStream"};
    EXPECT_FALSE(module.Load("", "libz.so.1", missing, 2));
    EXPECT_FALSE(module.Loaded());
    EXPECT_NE(module.Error().find("beInitStream"), std::string::npos);
    EXPECT_FALSE(BindMp3Encoder(module, dir.Path().string()));
}

TEST(RecentFilesTest, SeventhProjectDropsTheOldestAndReopenedMovesToTheEnd) {
    std::vector<std::string> list;
    CRecentFiles recent(list);
    for (int i = 1; i <= 7; ++i) {
        recent.Add("/p/demo" + std::to_string(i) + ".lumo");
    }
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list.front(), "/p/demo2.lumo");
    EXPECT_EQ(list.back(), "/p/demo7.lumo");
    recent.Add("/p/demo3.lumo");
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list.back(), "/p/demo3.lumo");
    EXPECT_EQ(list[1], "/p/demo4.lumo");
}

TEST(RecentFilesTest, MenuShowsNewestFirstWithoutTheOpenProject) {
    std::vector<std::string> list = {"/p/a.lumo", "/p/b.lumo", "/q/c.LUMO"};
    CRecentFiles recent(list);
    auto all = recent.MenuEntries("");
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].label, "&3 c.lumo");
    EXPECT_EQ(all[0].nCommand, 2u);
    EXPECT_EQ(all[2].label, "&1 a.lumo");
    EXPECT_EQ(all[2].nCommand, 0u);

    auto shown = recent.MenuEntries("/p/b.lumo");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].label, "&2 c.lumo");
    EXPECT_EQ(shown[0].nCommand, 2u);
    EXPECT_EQ(shown[1].label, "&1 a.lumo");
    EXPECT_EQ(shown[1].path, "/p/a.lumo");
}

TEST(WindowPlacementTest, StoredRectanglesComeBackOnTheScreen) {
    const TWindowRect screen = {0, 0, 1280, 1024};
    struct SCase {
        TWindowRect stored;
        TWindowRect placed;
    };
    const SCase cases[] = {
        {{100, 100, 900, 700}, {100, 100, 900, 700}},         // on the screen: kept
        {{1000, 900, 1600, 1300}, {1000, 900, 1280, 1024}},   // clipped at right and bottom
        {{3000, 2000, 3800, 2600}, {1160, 904, 1280, 1024}},  // off: 120 inside the edges
        {{1260, 100, 1900, 600}, {1160, 100, 1280, 600}},     // under 32 pixels visible
        {{-900, -700, -100, -100}, {0, 0, 800, 600}},         // left of and above the screen
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(PlaceOnScreen(c.stored, screen), c.placed)
            << c.stored[0] << "," << c.stored[1] << "," << c.stored[2] << "," << c.stored[3];
    }
}

}  // namespace
