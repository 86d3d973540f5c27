// `quillo recover` of what a recording left behind: a recording killed outright at a random
// moment, a recording whose disk filled up, and files that are no capture at all. What comes
// back plays at the pace it was recorded, rebuilds every frame as a picture the recorded scene
// showed, and steps backward as it steps forward.
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ScriptedPrompter.h"
#include "project/file/ProjectFile.h"
#include "project/model/DemoProject.h"
#include "project/stream/CaptureStream.h"
#include "project/stream/FrameCompositor.h"
#include "tests/project/stream/StreamTestRecorder.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScenePlayer.h"
#include "tests/support/TempDir.h"
#include "tests/support/XvfbServer.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string ReadText(const std::string& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<char> ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& file, const std::vector<char>& bytes) {
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Runs quillo with the arguments; its output goes to `log`. The exit code.
int RunQuillo(const std::vector<std::string>& args, const std::string& log) {
    std::vector<std::string> all = {QUILLO_BIN};
    all.insert(all.end(), args.begin(), args.end());
    return WaitForExit(SpawnProgramTo(all, {}, log), 300);
}

pid_t StartRecording(const std::string& out, const std::string& temp, const std::string& display,
                     const std::string& log) {
    return SpawnProgramTo({QUILLO_BIN, "record", out, "--temp", temp, "--display", display,
                           "--seconds", "300", "--zlib"},
                          {}, log);
}

// The capture file a recording made in `folder`, and when it was first seen. Empty when none
// came within 60 seconds.
std::string WaitForCapture(const std::string& folder, Clock::time_point& seen) {
    for (int i = 0; i < 12000; ++i) {
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("DMO") && name.ends_with(".tmp")) {
                seen = Clock::now();
                return entry.path().string();
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {};
}

int64_t MsSince(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

struct SWalk {
    uint32_t nFrames = 0;
    unsigned long long nFirstHash = 0;
    int64_t nPlayMs = 0;
    uint32_t nDamaged = 0;
    uint32_t nUnknown = 0;  // pictures the scene never showed
    uint32_t nBackwardDiffers = 0;
};

// Opens a recovered project and walks it forward, then backward one frame at a time from its
// last frame.
SWalk Walk(const std::string& project, CScenePlayer& scene) {
    SWalk walk;
    CDemoProject opened;
    CScriptedPrompter prompter;
    CProjectFile file(opened, prompter, {.bReadOnly = true});
    if (!file.Open(project)) {
        ADD_FAILURE() << project << " does not open: " << prompter.Transcript();
        return walk;
    }
    walk.nFrames = opened.FrameCount();
    CFrameCompositor compositor(opened);
    compositor.SetSources(file.StreamSources());
    std::vector<unsigned long long> forward;
    for (uint32_t i = 0; i < opened.FrameCount(); ++i) {
        compositor.GoToFrame(i);
        walk.nDamaged += compositor.Damaged() ? 1 : 0;
        forward.push_back(SceneHash(compositor.Picture().m_Pixels));
        walk.nPlayMs += 10 * static_cast<int64_t>(opened.FrameAt(i)->m_nDuration);
    }
    if (!forward.empty()) {
        walk.nFirstHash = forward.front();
    }
    for (uint32_t i = opened.FrameCount(); i-- > 0;) {
        compositor.GoToFrame(i);
        walk.nBackwardDiffers += SceneHash(compositor.Picture().m_Pixels) != forward[i] ? 1 : 0;
    }
    // Taken last: on a loaded machine the scene may print a hash late.
    const std::set<unsigned long long> shown = scene.Hashes();
    for (unsigned long long hash : forward) {
        walk.nUnknown += shown.count(hash) == 0 ? 1 : 0;
    }
    return walk;
}

// The time from the recording's first picture to `end`. The recording's clock starts when it
// takes its first picture, which the scene had shown shortly before; the capture file appears
// only once that picture was taken, which can be a second later on a busy machine.
int64_t RecordedMs(CScenePlayer& scene, const SWalk& walk, Clock::time_point end) {
    const auto shown = scene.ShownAt(walk.nFirstHash);
    if (!shown) {
        ADD_FAILURE() << "the first picture is none the scene showed";
        return 0;
    }
    return MsSince(*shown, end);
}

// The recovered project plays for the time recorded, of which at most the last second may be
// lost, within 10 %. `nLateMs`: how long the recording may rightly go on after `nRecordedMs`.
void ExpectPlaysAsRecorded(const SWalk& walk, int64_t nRecordedMs, int64_t nLateMs = 0) {
    EXPECT_GT(walk.nFrames, 1u);
    EXPECT_EQ(walk.nDamaged, 0u);
    EXPECT_EQ(walk.nUnknown, 0u);
    EXPECT_EQ(walk.nBackwardDiffers, 0u);
    EXPECT_LE(static_cast<double>(walk.nPlayMs), 1.1 * static_cast<double>(nRecordedMs + nLateMs));
    EXPECT_GE(static_cast<double>(walk.nPlayMs), 0.9 * static_cast<double>(nRecordedMs - 1000));
}

TEST(RecoverCommand, CaptureFileWithoutItsSignatureIsNotRecovered) {
    CTempDir dir;
    std::mt19937 rng(5);
    CDemoProject recorded;
    CTestRecorder rec(recorded, dir.Path().string(), 48, 32, false);
    ASSERT_TRUE(rec.Begun());
    rec.Key(rng);
    rec.Tick(20);
    rec.Change({{3, 4, 20, 9}}, rng);
    rec.Tick(30);
    rec.Key(rng);
    CStreamFile stream;
    ASSERT_TRUE(rec.Stop(stream));
    const std::vector<char> capture = ReadBytes(rec.DataPath());
    // A project to damage: the capture recovered.
    const std::string project = dir.File("whole.lumo");
    ASSERT_EQ(RunQuillo({"recover", rec.DataPath(), project}, dir.File("log")), 0)
        << ReadText(dir.File("log"));
    const std::vector<char> saved = ReadBytes(project);

    std::vector<char> unsigned_ = capture;
    unsigned_[0] = 'X';
    std::vector<char> cut = saved;
    cut.resize(cut.size() - 600);
    std::vector<char> noMarker = cut;
    std::fill(noMarker.begin(), noMarker.begin() + 8, 0);
    struct SCase {
        const char* name;
        std::string file;
        std::vector<char> bytes;
        int nExit;
        const char* said;
    };
    const SCase cases[] = {
        {"capture file", "DMOgood01.tmp", capture, 0, "(capture file)"},
        {"capture file without its signature", "DMObad001.tmp", unsigned_, 1,
         "is not a capture file"},
        {"unsigned capture under another name", "leftover", unsigned_, 1, "is not a capture file"},
        {"project without its trailer under another name", "cut.bak", cut, 0, "(project file)"},
        {"project named .lumo whose table lost its marker", "cut.LUMO", noMarker, 0,
         "(project file)"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = dir.File(c.file);
        const std::string out = dir.File("out.lumo");
        WriteBytes(file, c.bytes);
        const std::string log = dir.File("recover.log");
        EXPECT_EQ(RunQuillo({"recover", file, out}, log), c.nExit);
        const std::string said = ReadText(log);
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_EQ(fs::exists(out), c.nExit == 0);
        // The damaged file stays as it was.
        EXPECT_EQ(ReadBytes(file), c.bytes);
        fs::remove(out);
    }
}

// QUILLO_KILL_RUNS sets how many recordings are killed (one by default; the benchmark script
// bench/recording/kill-and-recover.sh runs five and reports the worst).
TEST(RecoverCommand, RecordingKilledAtARandomMomentComesBackWhole) {
    const char* runsText = std::getenv("QUILLO_KILL_RUNS");
    const int nRuns = runsText != nullptr ? std::max(1, std::atoi(runsText)) : 1;
    CXvfbServer server({1024, 768, true});
    ASSERT_TRUE(server.Running()) << server.Error();
    CScenePlayer scene(QUILLO_SCENE_BIN, server.Display(), 60 + 40 * nRuns);
    ASSERT_TRUE(scene.WaitUntilShown());
    std::random_device seed;
    std::mt19937 rng(seed());
    std::uniform_int_distribution<int> killAfterMs(5000, 15000);
    for (int run = 1; run <= nRuns; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        CTempDir dir;
        const std::string temp = dir.File("captures");
        fs::create_directories(temp);
        const pid_t recorder =
            StartRecording(dir.File("killed.lumo"), temp, server.Display(), dir.File("record.log"));
        ASSERT_GT(recorder, 0);
        Clock::time_point started;
        const std::string capture = WaitForCapture(temp, started);
        ASSERT_FALSE(capture.empty()) << ReadText(dir.File("record.log"));
        std::this_thread::sleep_until(started + std::chrono::milliseconds(killAfterMs(rng)));
        kill(recorder, SIGKILL);
        const Clock::time_point killed = Clock::now();
        ASSERT_EQ(WaitForExit(recorder, 10), 128 + SIGKILL);

        const std::string recovered = dir.File("recovered.lumo");
        ASSERT_EQ(RunQuillo({"recover", capture, recovered}, dir.File("recover.log")), 0)
            << ReadText(dir.File("recover.log"));
        const SWalk walk = Walk(recovered, scene);
        const int64_t nRecordedMs = RecordedMs(scene, walk, killed);
        std::printf(
            "kill run %d: killed after %.2f s, the recovery plays %.2f s (%+.1f %%), "
            "%u frames, %u not shown by the scene, %u differ stepping backward\n",
            run, static_cast<double>(nRecordedMs) / 1000, static_cast<double>(walk.nPlayMs) / 1000,
            100.0 * static_cast<double>(walk.nPlayMs - nRecordedMs) /
                static_cast<double>(nRecordedMs),
            walk.nFrames, walk.nUnknown, walk.nBackwardDiffers);
        std::fflush(stdout);
        ExpectPlaysAsRecorded(walk, nRecordedMs);
    }
}

// A tmpfs of its own that the test mounts (it needs root) and takes away again.
class CSmallDisk {
public:
    CSmallDisk(const std::string& folder, const char* size) : m_folder(folder) {
        fs::create_directories(folder);
        const std::string options = std::string("size=") + size;
        if (mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0) {
            m_bMounted = true;
        } else {
            m_error = std::strerror(errno);
        }
    }
    ~CSmallDisk() {
        if (m_bMounted) {
            umount2(m_folder.c_str(), MNT_DETACH);
        }
    }
    CSmallDisk(const CSmallDisk&) = delete;
    CSmallDisk& operator=(const CSmallDisk&) = delete;

    bool Mounted() const { return m_bMounted; }
    const std::string& Error() const { return m_error; }

    // Takes every byte that is left with the file `name`.
    bool Fill(const std::string& name) {
        std::FILE* f = std::fopen((m_folder + "/" + name).c_str(), "wb");
        if (f == nullptr) {
            return false;
        }
        const std::vector<char> block(1 << 20, 'x');
        while (std::fwrite(block.data(), 1, block.size(), f) == block.size() &&
               std::fflush(f) == 0) {
        }
        std::fclose(f);
        return true;
    }

private:
    std::string m_folder;
    bool m_bMounted = false;
    std::string m_error;
};

TEST(RecoverCommand, RecordingIntoADiskThatFillsNamesItsFilesAndTheyRecover) {
    CTempDir dir;
    CSmallDisk disk(dir.File("small"), "48m");
    if (!disk.Mounted()) {
        GTEST_SKIP() << "no tmpfs could be mounted: " << disk.Error();
    }
    CXvfbServer server({1024, 768, true});
    ASSERT_TRUE(server.Running()) << server.Error();
    CScenePlayer scene(QUILLO_SCENE_BIN, server.Display(), 60);
    ASSERT_TRUE(scene.WaitUntilShown());

    const std::string small = dir.File("small");
    const std::string log = dir.File("record.log");
    const pid_t recorder = StartRecording(small + "/demo.lumo", small, server.Display(), log);
    ASSERT_GT(recorder, 0);
    Clock::time_point started;
    const std::string capture = WaitForCapture(small, started);
    ASSERT_FALSE(capture.empty()) << ReadText(log);
    std::this_thread::sleep_until(started + std::chrono::seconds(4));
    ASSERT_TRUE(disk.Fill("filler"));
    const Clock::time_point filled = Clock::now();
    EXPECT_EQ(WaitForExit(recorder, 60), 1);

    // The message names both kept files and the command that recovers them.
    const std::string said = ReadText(log);
    EXPECT_NE(said.find("disk is full"), std::string::npos) << said;
    EXPECT_NE(said.find("quillo recover " + capture), std::string::npos) << said;
    std::vector<std::string> kept;
    for (const auto& entry : fs::directory_iterator(small)) {
        kept.push_back(entry.path().string());
    }
    std::sort(kept.begin(), kept.end());
    ASSERT_EQ(kept.size(), 3u);  // the index file, the capture file and the filler
    EXPECT_NE(said.find(kept[0]), std::string::npos) << said;
    EXPECT_EQ(kept[1], capture);
    EXPECT_FALSE(fs::exists(small + "/demo.lumo"));

    const std::string recovered = dir.File("recovered.lumo");
    ASSERT_EQ(RunQuillo({"recover", capture, recovered}, dir.File("recover.log")), 0)
        << ReadText(dir.File("recover.log"));
    const SWalk walk = Walk(recovered, scene);
    const int64_t nFilledMs = RecordedMs(scene, walk, filled);
    std::printf("disk filled after %.2f s, the recovery plays %.2f s, %u frames\n",
                static_cast<double>(nFilledMs) / 1000, static_cast<double>(walk.nPlayMs) / 1000,
                walk.nFrames);
    // The recorder learns of the full disk at its next write of the ring, up to one flush
    // interval and a tick after the filler took the last space; that time is still recorded.
    ExpectPlaysAsRecorded(walk, nFilledMs, CCaptureStream::kFlushIntervalMs + 100);
}

}  // namespace
