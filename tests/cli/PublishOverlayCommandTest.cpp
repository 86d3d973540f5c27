// `quillo publish` on a project whose frames carry talk bubbles and chapters, as a user runs it:
// the publish runs on a worker thread while the bubbles need the font engine of the main one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace {

class PublishOverlayCommandTest : public ::testing::Test {
protected:
    // Runs `quillo` in the test's folder; its exit code (128 + signal when it crashed).
    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), QUILLO_BIN);
        const std::string log = m_dir.File("run.log");
        const pid_t pid =
            SpawnProgramTo(args, {"QUILLO_SETTINGS_DIR=" + m_dir.File("settings")}, log);
        const int code = WaitForExit(pid, 300);
        std::ifstream in(log);
        m_output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return code;
    }

    CTempDir m_dir;
    std::string m_output;
};

TEST_F(PublishOverlayCommandTest, ProjectWithBubblesPublishesAndExitsCleanly) {
    const std::string dir = m_dir.Path().string();
    ASSERT_EQ(Run({"example", dir + "/ex"}), 0) << m_output;
    const std::string project = dir + "/with bubbles #1.lumo";
    std::filesystem::copy_file(dir + "/ex/example.lumo", project);
    ASSERT_EQ(Run({"edit", project, "--frame", "2", "--bubble", "Open the menu\nand save",
                   "--style", "Plaque", "--chapter", "Start"}),
              0)
        << m_output;
    ASSERT_EQ(Run({"edit", project, "--frame", "5", "--bubble", "Done", "--style", "0"}), 0)
        << m_output;
    std::filesystem::create_directories(dir + "/out");
    const std::string movie = dir + "/out/with bubbles #1";
    EXPECT_EQ(Run({"publish", project, "-o", movie}), 0) << m_output;
    EXPECT_EQ(m_output.find("not created in the main() thread"), std::string::npos) << m_output;
    ASSERT_TRUE(std::filesystem::exists(movie + ".swf"));
    EXPECT_GT(std::filesystem::file_size(movie + ".swf"), 1000u);
}

}  // namespace
