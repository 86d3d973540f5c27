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

#include "platform/ConsolePrompter.h"
#include "project/file/ProjectFile.h"
#include "project/model/DemoProject.h"
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

// `quillo edit` puts overlays on a frame and saves in place; a refused edit changes nothing.
class EditCommandTest : public ProjectCommandTest {
protected:
    // The frame record of `path` at 1-based `number`, read back through the project file.
    CFrameInfo ReadFrame(const std::string& path, uint32_t number) {
        CConsolePrompter prompter;
        CDemoProject project;
        CProjectFile file(project, prompter);
        EXPECT_TRUE(file.Open(m_dir.File(path)));
        CFrameInfo* frame = project.FrameAt(number - 1);
        EXPECT_NE(frame, nullptr);
        CFrameInfo copy = frame ? *frame : CFrameInfo();
        file.LeaveProject();
        return copy;
    }
};

TEST_F(EditCommandTest, OverlaysAreSavedInPlace) {
    ASSERT_EQ(Run({"edit", "a.lumo", "--frame", "3", "--bubble", "Click \"Save\" #1", "--style",
                   "plaque", "--at", "40,30", "--hotspot", "10,20,60,30", "--hotspot-style",
                   "Zoom Oval", "--goto", "7", "--wait", "--chapter", "Saving"})
                  .nExit,
              0);
    const CFrameInfo f = ReadFrame("a.lumo", 3);
    ASSERT_TRUE(f.HasTalkBubble());
    EXPECT_EQ(*f.m_pText, u"Click \"Save\" #1");
    EXPECT_EQ(f.m_nBubbleStyle, kBubblePlaque);
    EXPECT_EQ(f.m_nBubbleX, 40);
    EXPECT_EQ(f.m_nBubbleY, 30);
    ASSERT_TRUE(f.HasHotspot());
    EXPECT_EQ(f.m_rcHotspot, (SRect{10, 20, 70, 50}));
    EXPECT_EQ(f.m_nHotspotStyle, kHotspotZoomOval);
    EXPECT_EQ(f.m_bHotspotGoto, 1);
    EXPECT_EQ(f.m_nHotspotGotoFrame, 7);
    EXPECT_EQ(f.m_nDuration, 0);
    EXPECT_TRUE(f.HotspotWaitsForClick());
    ASSERT_TRUE(f.HasChapter());
    EXPECT_EQ(*f.m_pChapter, u"Saving");

    // A second edit of the same frame changes the action and keeps the rest.
    ASSERT_EQ(Run({"edit", "a.lumo", "--frame", "3", "--hotspot", "10,20,60,30", "--url",
                   "https://example.org/a b#c", "--target", "_blank"})
                  .nExit,
              0);
    const CFrameInfo g = ReadFrame("a.lumo", 3);
    EXPECT_EQ(g.m_bHotspotGoto, 0);
    EXPECT_EQ(g.m_bHotspotUrl, 1);
    EXPECT_EQ(g.m_pszHotspotUrl.value_or(""), "https://example.org/a b#c");
    EXPECT_EQ(g.m_pszHotspotTarget.value_or(""), "_blank");
    EXPECT_EQ(g.m_nHotspotStyle, kHotspotZoomOval);
    EXPECT_EQ(*g.m_pText, u"Click \"Save\" #1");

    ASSERT_EQ(Run({"edit", "a.lumo", "--frame", "4", "--hotspot", "0,0,320,200", "--stop"}).nExit,
              0);
    const CFrameInfo h = ReadFrame("a.lumo", 4);
    EXPECT_EQ(h.m_bHotspotGoto, 1);
    EXPECT_EQ(h.m_nHotspotGotoFrame, 0);
    EXPECT_NE(h.m_nDuration, 0) << "without --wait the frame keeps its time";
}

TEST_F(EditCommandTest, RefusedEditsLeaveTheFileAlone) {
    const std::vector<uint8_t> before = Bytes(m_dir.File("a.lumo"));
    struct SCase {
        const char* name;
        std::vector<std::string> args;
        int nExit;
        const char* says;
    };
    const std::vector<SCase> cases = {
        {"frame past the end", {"--frame", "15", "--chapter", "x"}, 1, "has 14 frames"},
        {"frame zero", {"--frame", "0", "--chapter", "x"}, 2, "1 or more"},
        {"empty rectangle", {"--frame", "2", "--hotspot", "10,10,0,5"}, 1, "width and height"},
        {"rectangle past the picture",
         {"--frame", "2", "--hotspot", "300,10,40,5"},
         1,
         "320 x 200"},
        {"rectangle with three numbers", {"--frame", "2", "--hotspot", "1,2,3"}, 2, "X,Y,W,H"},
        {"unknown hotspot style",
         {"--frame", "2", "--hotspot", "1,2,3,4", "--hotspot-style", "Sparkle"},
         2,
         "\"Flash Movie\""},
        {"unknown bubble style",
         {"--frame", "2", "--bubble", "x", "--style", "7"},
         2,
         "\"Round Bubble\""},
        {"go to past the end",
         {"--frame", "2", "--hotspot", "1,2,3,4", "--goto", "99"},
         1,
         "beyond"},
        {"two actions",
         {"--frame", "2", "--hotspot", "1,2,3,4", "--goto", "3", "--stop"},
         2,
         "exclude"},
        {"bubble outside", {"--frame", "2", "--bubble", "x", "--at", "-1,5"}, 1, "outside"},
        {"nothing to do", {"--frame", "2"}, 2, "nothing to change"},
    };
    for (const SCase& c : cases) {
        std::vector<std::string> args = {"edit", "a.lumo"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const SRun run = Run(args);
        EXPECT_EQ(run.nExit, c.nExit) << c.name << ": " << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << c.name << ": " << run.output;
        EXPECT_EQ(Bytes(m_dir.File("a.lumo")), before) << c.name;
    }
}
