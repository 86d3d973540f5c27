// The project commands of `quillo` run as a user runs them: outputs that would replace an input,
// and projects whose trailer, size or frame records are damaged.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "project/file/ProjectFile.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

struct SRun {
    int nExit = -1;
    std::string output;  // stdout and stderr
};

std::vector<uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

uint64_t Le64(const std::vector<uint8_t>& bytes, std::size_t at) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) {
        v = (v << 8) | bytes[at + static_cast<std::size_t>(i)];
    }
    return v;
}

// File positions in a project with a 64-bit table: the trailer offset and the stream header.
struct SLayout {
    std::size_t nSlot = 0;
    std::size_t nHeader = 0;
    uint64_t nTrailer = 0;
};

SLayout LayoutOf(const std::vector<uint8_t>& bytes) {
    SLayout layout;
    std::size_t at = 0;
    while (Le64(bytes, at) != 0) {
        at += 8;
    }
    layout.nSlot = at + 8;
    layout.nHeader = layout.nSlot + 8;
    layout.nTrailer = Le64(bytes, layout.nSlot);
    return layout;
}

class ProjectCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("QUILLO_SETTINGS_DIR", m_dir.File("settings").c_str(), 1);
        ASSERT_EQ(Run({"example", "ex"}).nExit, 0);
        fs::copy_file(m_dir.File("ex/example.lumo"), m_dir.File("a.lumo"));
        fs::copy_file(m_dir.File("ex/example.lumo"), m_dir.File("b.lumo"));
        ASSERT_EQ(Run({"combine", "e.lumo", "a.lumo", "b.lumo", "--editing-only"}).nExit, 0);
    }

    // Runs `quillo` with the test's folder as the working folder.
    SRun Run(const std::vector<std::string>& args) {
        std::string command = "cd '" + m_dir.Path().string() + "' && '" QUILLO_BIN "'";
        for (const std::string& arg : args) {
            command += " '" + arg + "'";
        }
        command += " 2>&1";
        SRun run;
        std::FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) {
            return run;
        }
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            run.output.append(buffer, n);
        }
        const int status = ::pclose(pipe);
        run.nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }

    CTempDir m_dir;
};

TEST_F(ProjectCommandTest, NoOutputReplacesAnInput) {
    fs::copy_file(m_dir.File("a.lumo"), m_dir.File("m.swf"));
    ASSERT_EQ(::link(m_dir.File("a.lumo").c_str(), m_dir.File("link.lumo").c_str()), 0);
    struct SCase {
        const char* name;
        std::vector<std::string> args;
        bool bInUse;  // refused with the save's "currently in use" message
    };
    const std::vector<SCase> cases = {
        {"recover onto itself", {"recover", "a.lumo", "a.lumo"}, true},
        {"recover onto its name without the extension", {"recover", "a.lumo", "a"}, true},
        {"recover onto a hard link", {"recover", "a.lumo", "link.lumo"}, true},
        {"remove-deleted onto itself spelled with ./",
         {"remove-deleted", "a.lumo", "./a.lumo"},
         true},
        {"remove-deleted onto a hard link", {"remove-deleted", "link.lumo", "a.lumo"}, true},
        {"remove-deleted onto a source", {"remove-deleted", "e.lumo", "b.lumo"}, true},
        {"combine onto an input", {"combine", "a.lumo", "a.lumo", "b.lumo"}, true},
        {"editing-only combine onto an input",
         {"combine", "b.lumo", "a.lumo", "b.lumo", "--editing-only"},
         true},
        {"editing-only combine onto a source of an input",
         {"combine", "a.lumo", "e.lumo", "b.lumo", "--editing-only"},
         true},
        {"frame picture onto the project", {"frame", "a.lumo", "1", "a.lumo"}, false},
        {"movie onto the project", {"publish", "m.swf", "-o", "m"}, false},
    };
    const std::vector<std::string> files = {"a.lumo", "b.lumo", "e.lumo", "m.swf"};
    std::vector<std::vector<uint8_t>> before;
    for (const std::string& f : files) {
        before.push_back(Bytes(m_dir.File(f)));
    }
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        const SRun run = Run(c.args);
        EXPECT_EQ(run.nExit, 1) << run.output;
        if (c.bInUse) {
            EXPECT_NE(run.output.find("Save Quillo... [error]: Selected file is currently in use."),
                      std::string::npos)
                << run.output;
        }
        for (std::size_t i = 0; i < files.size(); ++i) {
            EXPECT_EQ(Bytes(m_dir.File(files[i])), before[i]) << files[i] << " was changed";
        }
    }
    EXPECT_EQ(Run({"check", "e.lumo"}).nExit, 0) << "the combination still finds its sources";
}

TEST_F(ProjectCommandTest, DamagedProjectsAreReportedForWhatTheyAre) {
    const std::vector<uint8_t> intact = Bytes(m_dir.File("a.lumo"));
    const SLayout layout = LayoutOf(intact);

    // A header that claims a picture of 32767 x 32767: nothing can be rebuilt, and it says so.
    std::vector<uint8_t> huge = intact;
    for (std::size_t i : {18u, 19u, 20u, 21u}) {
        huge[layout.nHeader + i] = i % 2 == 0 ? 0xFF : 0x7F;
    }
    WriteBytes(m_dir.File("huge.lumo"), huge);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"check", "huge.lumo"}, {"frame", "huge.lumo", "1", "f.png"}}) {
        SCOPED_TRACE(args[0]);
        const SRun run = Run(args);
        EXPECT_EQ(run.nExit, 1);
        EXPECT_NE(run.output.find("32767 x 32767"), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find("cannot write"), std::string::npos) << run.output;
    }

    // Frame records of a size no version wrote: the size question is shown with the answer used.
    std::vector<uint8_t> odd = intact;
    odd[layout.nTrailer + 4 + 64 + 4 * 32768] = 0x58;  // a record size of 600
    odd[layout.nTrailer + 4 + 64 + 4 * 32768 + 1] = 0x02;
    WriteBytes(m_dir.File("odd.lumo"), odd);
    const SRun info = Run({"info", "odd.lumo"});
    EXPECT_EQ(info.nExit, 0) << info.output;
    EXPECT_NE(info.output.find(std::string(kSizeQuestionCaption) +
                               " [question]: " + kSizeQuestionText + " Using 320 x 200."),
              std::string::npos)
        << info.output;

    // A file that was never finished: its frames rebuild alike both ways (only the missing
    // trailer is a problem), and leaving it keeps its key frames beside it.
    std::vector<uint8_t> unfinished = intact;
    for (std::size_t i = 0; i < 8; ++i) {
        unfinished[layout.nSlot + i] = i < 4 ? 0xFF : 0;
    }
    WriteBytes(m_dir.File("u.lumo"), unfinished);
    const SRun check = Run({"check", "u.lumo"});
    EXPECT_NE(check.output.find("u.lumo: 14 frames, 1 problems"), std::string::npos)
        << check.output;
    const std::vector<uint8_t> keyFile = Bytes(m_dir.File("u.keyframes"));
    EXPECT_EQ(std::string(keyFile.begin(), keyFile.end()).substr(0, 8), "320\n200\n");
}

}  // namespace
