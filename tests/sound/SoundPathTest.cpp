// Finding a frame's sound on disk and the names beside it.
#include <gtest/gtest.h>

#include <filesystem>

#include "sound/SoundPath.h"
#include "tests/sound/SoundTestSupport.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

TEST(SoundPath, NamesBesideASound) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/home/a.b/take.wav", "/home/a.b/take_denoise.wav"},
        {"/home/a.b/take", "/home/a.b/take_denoise.wav"},
        {"C:\\demo.v1\\narration.final.mp3", "C:\\demo.v1\\narration.final_denoise.wav"},
        {"take", "take_denoise.wav"},
    };
    for (const auto& [sound, cleaned] : cases) {
        EXPECT_EQ(CleanedCopyName(sound), cleaned) << sound;
    }
    EXPECT_EQ(ProfileFileName("x/y.wav"), "x/y_denoise.dat");
    EXPECT_EQ(SoundFileName("C:\\sounds\\my tune.wav"), "my tune.wav");
    EXPECT_EQ(SoundFileName("a/b\\c/d.ogg"), "d.ogg");
}

TEST(SoundPath, FindsTheFirstPlaceThatOpens) {
    CTempDir dir;
    const fs::path project = dir.Path() / "project";
    const fs::path current = dir.Path() / "current";
    const fs::path own = dir.Path() / "own";
    for (const auto& p : {project / "sub", current / "sub", own}) {
        fs::create_directories(p);
    }
    const auto touch = [](const fs::path& p) {
        WriteFileBytes(p.string(), std::vector<uint8_t>{1});
    };
    const SSoundSearch where{project.string(), current.string(), own.string()};
    const std::string absolute = "D:\\old place\\sub\\a b#.wav";

    EXPECT_FALSE(FindSoundFile("sub\\a b#.wav", absolute, where));
    touch(own / "a b#.wav");
    EXPECT_EQ(FindSoundFile("sub\\a b#.wav", absolute, where), (own / "a b#.wav").string());
    touch(current / "a b#.wav");
    EXPECT_EQ(FindSoundFile("sub\\a b#.wav", absolute, where), (current / "a b#.wav").string());
    const fs::path real = dir.Path() / "elsewhere.wav";
    touch(real);
    EXPECT_EQ(FindSoundFile("sub\\a b#.wav", real.string(), where), real.string());
    touch(current / "sub" / "a b#.wav");
    EXPECT_EQ(FindSoundFile("sub\\a b#.wav", absolute, where), (current / "sub/a b#.wav").string());
    touch(project / "sub" / "a b#.wav");
    EXPECT_EQ(FindSoundFile("sub\\a b#.wav", absolute, where), (project / "sub/a b#.wav").string());
    // A folder of that name is not a sound.
    EXPECT_FALSE(FindSoundFile("sub", "", where));
}
