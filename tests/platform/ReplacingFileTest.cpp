// Replacing a file through a temporary one beside it, and the room left on a disk.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/DiskSpace.h"
#include "platform/ReplacingFile.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ReplacingFile, TheTargetChangesOnlyWhenCommitted) {
    CTempDir dir;
    const std::string target = dir.File("my movie #1.swf");
    ASSERT_TRUE(WriteFileReplacing(target, "old"));

    {
        CReplacingFile file;
        ASSERT_TRUE(file.Open(target, "$wf"));
        EXPECT_EQ(fs::path(file.TempPath()).parent_path(), dir.Path());
        EXPECT_EQ(fs::path(file.TempPath()).filename().string().rfind("$wf", 0), 0u);
        std::fputs("half", file.File());
        EXPECT_EQ(Read(target), "old");
    }
    EXPECT_EQ(Read(target), "old") << "an abandoned file leaves the target alone";
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"my movie #1.swf"});

    CReplacingFile file;
    ASSERT_TRUE(file.Open(target));
    EXPECT_EQ(fs::path(file.TempPath()).filename().string().rfind("my movie #1.swf.", 0), 0u);
    std::fputs("new content", file.File());
    ASSERT_TRUE(file.Commit()) << file.Error();
    EXPECT_EQ(Read(target), "new content");
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"my movie #1.swf"});
}

TEST(ReplacingFile, AClosedFileIsWrittenByItsNameAndThenCommitted) {
    CTempDir dir;
    const std::string target = dir.File("movie.swf");
    CReplacingFile staged;
    ASSERT_TRUE(staged.Open(target));
    ASSERT_TRUE(staged.Close());
    ASSERT_TRUE(WriteFileReplacing(staged.TempPath(), "written elsewhere"));
    EXPECT_FALSE(fs::exists(target));
    ASSERT_TRUE(staged.Commit()) << staged.Error();
    EXPECT_EQ(Read(target), "written elsewhere");
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"movie.swf"});
}

TEST(ReplacingFile, FailuresSayWhyAndLeaveNothingBehind) {
    CTempDir dir;
    std::string error;
    EXPECT_FALSE(WriteFileReplacing(dir.File("missing/config.txt"), "x", &error));
    EXPECT_EQ(error.rfind("Cannot create a file in " + dir.File("missing"), 0), 0u) << error;

    // A folder in the target's place cannot be replaced by a file.
    fs::create_directory(dir.File("taken"));
    fs::create_directory(dir.File("taken/inside"));
    EXPECT_FALSE(WriteFileReplacing(dir.File("taken"), "x", &error));
    EXPECT_EQ(error.rfind("Cannot replace " + dir.File("taken"), 0), 0u) << error;
    EXPECT_TRUE(fs::is_directory(dir.File("taken/inside")));
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"taken"});

    CReplacingFile never;
    EXPECT_FALSE(never.Commit()) << "nothing was opened";
}

TEST(ReplacingFile, ANewFileGetsTheUsualPermissions) {
    CTempDir dir;
    const mode_t mask = ::umask(027);
    const bool written = WriteFileReplacing(dir.File("settings.txt"), "");
    ::umask(mask);
    ASSERT_TRUE(written);
    EXPECT_EQ(fs::file_size(dir.File("settings.txt")), 0u);
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("settings.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(DiskSpace, TheRoomOfTheFolderOrUnlimitedWhenUnknown) {
    CTempDir dir;
    // Other programs write meanwhile, so only the bounds are certain.
    const std::optional<uint64_t> free = FreeDiskSpace(dir.Path().string());
    ASSERT_TRUE(free.has_value());
    EXPECT_GT(*free, 0u);
    EXPECT_LE(*free, fs::space(dir.Path()).capacity);
    EXPECT_TRUE(FreeDiskSpace("").has_value()) << "the current folder";
    EXPECT_GT(FreeDiskBytes(dir.Path().string()), 0);
    EXPECT_LT(FreeDiskBytes(dir.Path().string()), INT64_MAX);

    EXPECT_FALSE(FreeDiskSpace(dir.File("missing")).has_value());
    EXPECT_EQ(FreeDiskBytes(dir.File("missing")), INT64_MAX);
}

}  // namespace
