// Recovery of capture files and project files: whole recordings come back with their pictures,
// damaged bytes lose only the records around them, and files that hold nothing usable are kept
// and reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/ScriptedPrompter.h"
#include "project/file/ProjectFile.h"
#include "project/file/Recovery.h"
#include "project/model/DemoProject.h"
#include "project/stream/CaptureStream.h"
#include "project/stream/FrameCompositor.h"
#include "tests/project/stream/StreamTestRecorder.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

class RecoveryTest : public ::testing::Test {
protected:
    // A 40 x 30 recording: a key frame, changes with cursor and tick records, a final key frame.
    void MakeRecording(int nChanges, bool bZlib = false) {
        std::mt19937 rng(11);
        m_recorded.ClearFrames();
        CTestRecorder rec(m_recorded, m_dir.Path().string(), 40, 30, bZlib);
        ASSERT_TRUE(rec.Begun());
        rec.Key(rng);
        rec.Tick(12);
        for (int i = 0; i < nChanges; ++i) {
            rec.Change({{2 + i, 3, 9 + i, 8}, {20, 10 + i, 30, 20}}, rng);
            rec.Cursor(1, 1, 4, 4, rng);
            rec.Tick(7);
        }
        rec.Key(rng);
        CStreamFile stream;
        ASSERT_TRUE(rec.Stop(stream));
        m_capture = rec.DataPath();
        m_screens.clear();
        m_durations.clear();
        for (uint32_t i = 0; i < rec.Pictures(); ++i) {
            m_screens.push_back(rec.Screen(i));
            m_durations.push_back(m_recorded.FrameAt(i)->m_nDuration);
        }
        m_firstScreen = m_screens.front();
        m_lastScreen = m_screens.back();
        fs::remove(rec.IndexPath());
    }

    SRecoveryReport Recover(const std::string& file, bool bRaw = true,
                            std::function<bool(SRecoveryOptions&)> ask = {}) {
        CRecovery recovery(m_prompter, m_temp);
        SRecoveryRequest request;
        request.fileName = file;
        request.bRawCapture = bRaw;
        request.askOptions = std::move(ask);
        request.presetName = m_out;
        return recovery.Recover(request);
    }

    // Opens the recovered project and returns the picture of a frame.
    std::vector<uint32_t> PictureOf(uint32_t nIndex) {
        CFrameCompositor compositor(m_opened);
        compositor.SetSources(m_file.StreamSources());
        compositor.GoToFrame(nIndex);
        return compositor.Picture().m_Pixels;
    }

    bool OpenRecovered() { return m_file.Open(m_out); }

    // Every frame's picture stepping forward from the first frame, then stepping backward one
    // frame at a time from the last: both walks agree and nothing is damaged.
    static void ExpectStepsBackAsForward(CDemoProject& project, const CProjectFile& file) {
        CFrameCompositor compositor(project);
        compositor.SetSources(file.StreamSources());
        std::vector<std::vector<uint32_t>> forward;
        for (uint32_t i = 0; i < project.FrameCount(); ++i) {
            compositor.GoToFrame(i);
            forward.push_back(compositor.Picture().m_Pixels);
        }
        for (uint32_t i = project.FrameCount(); i-- > 0;) {
            compositor.GoToFrame(i);
            ASSERT_EQ(compositor.Picture().m_Pixels, forward[i]) << "frame " << i;
        }
        EXPECT_FALSE(compositor.Damaged());
    }

    CTempDir m_dir;
    std::string m_temp = m_dir.Path().string() + "/";
    std::string m_out = m_dir.File("recovered.lumo");
    CScriptedPrompter m_prompter;
    CDemoProject m_recorded;
    CDemoProject m_opened;
    CProjectFile m_file{m_opened, m_prompter};
    std::string m_capture;
    std::vector<uint32_t> m_firstScreen;
    std::vector<uint32_t> m_lastScreen;
    std::vector<std::vector<uint32_t>> m_screens;  // the recorded pictures, in order
    std::vector<int32_t> m_durations;              // and their recorded durations
};

TEST_F(RecoveryTest, WholeCaptureComesBackAtItsSizeWithItsPictures) {
    for (bool bZlib : {false, true}) {
        SCOPED_TRACE(bZlib ? "zlib" : "run-length");
        MakeRecording(3, bZlib);
        int nOfferedWidth = 0;
        const SRecoveryReport report = Recover(m_capture, true, [&](SRecoveryOptions& o) {
            nOfferedWidth = o.nMaxWidth;
            return true;
        });
        ASSERT_EQ(report.result, ERecoverResult::Saved) << m_prompter.Transcript();
        EXPECT_EQ(nOfferedWidth, 40);
        EXPECT_EQ(report.nSkippedBytes, 0u);
        ASSERT_TRUE(OpenRecovered()) << m_prompter.Transcript();
        EXPECT_EQ(m_opened.m_nWidth, 40);
        EXPECT_EQ(m_opened.m_nHeight, 30);
        // Every capture is one frame again, with its cursor area, its picture and the time it
        // was shown; a frame that no time reached shows for a moment.
        ASSERT_EQ(m_opened.FrameCount(), m_screens.size());
        for (uint32_t i = 0; i < m_opened.FrameCount(); ++i) {
            SCOPED_TRACE("frame " + std::to_string(i));
            EXPECT_EQ(PictureOf(i), m_screens[i]);
            EXPECT_EQ(m_opened.FrameAt(i)->m_nDuration,
                      m_durations[i] > 0 ? m_durations[i] : CRecovery::kUntimedFrameTime);
            EXPECT_EQ(m_opened.FrameAt(i)->m_bKeyFrame != 0,
                      i == 0 || i + 1 == m_opened.FrameCount());
        }
        EXPECT_EQ(m_opened.FrameAt(1)->m_nDuration, 3 + 7);
        ExpectStepsBackAsForward(m_opened, m_file);
        // The damaged file is left as it was.
        EXPECT_TRUE(fs::exists(m_capture));
        fs::remove(m_out);
        m_opened.ClearFrames();
    }
}

TEST_F(RecoveryTest, DamagedByteLosesOnlyTheRecordsAroundIt) {
    MakeRecording(8);
    std::vector<uint8_t> bytes = ReadAll(m_capture);
    // The head of a cursor record in the middle of the file gets a type that does not exist.
    const std::vector<uint8_t> cursorHead = {3, 3, 0, 1, 0, 4, 0, 1, 0, 4, 0};
    auto at = std::search(bytes.begin() + static_cast<long>(bytes.size() / 2), bytes.end(),
                          cursorHead.begin(), cursorHead.end());
    ASSERT_NE(at, bytes.end());
    *at = 0x09;
    WriteAll(m_capture, bytes);

    const SRecoveryReport report = Recover(m_capture);
    ASSERT_EQ(report.result, ERecoverResult::Saved) << m_prompter.Transcript();
    EXPECT_GE(report.nSkippedBytes, cursorHead.size());
    ASSERT_TRUE(OpenRecovered());
    // The cursor area went; its capture's frame and every other frame stayed.
    ASSERT_EQ(m_opened.FrameCount(), m_screens.size());
    for (uint32_t i = 0; i < m_opened.FrameCount(); ++i) {
        EXPECT_EQ(PictureOf(i), m_screens[i]) << "frame " << i;
    }
}

// Damage that loses pixel rectangles in the middle of a capture file: whatever was lost, stepping
// backward from the last frame shows the pictures that stepping forward shows.
TEST_F(RecoveryTest, DamageInTheMiddleStillStepsBackwardAsForward) {
    struct SCase {
        const char* name;
        // Where in the stream of a change's rectangles the damage falls: a byte into the head
        // of its first old-pixel record, or of its first new-pixel record, or a cut of bytes
        // from the old pixels into the new ones.
        int nRecord;  // 0 = first old pixels, 2 = first new pixels
        bool bCut;
    };
    const SCase cases[] = {
        {"old pixels lost", 0, false},
        {"new pixels lost", 2, false},
        {"old and new pixels cut out", 0, true},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        MakeRecording(8);
        std::vector<uint8_t> bytes = ReadAll(m_capture);
        // The old and new records of the fifth change start with these heads (type, left,
        // right, top, bottom).
        const int i = 4;
        const std::vector<std::vector<uint8_t>> heads = {
            {1, static_cast<uint8_t>(2 + i), 0, static_cast<uint8_t>(9 + i), 0, 3, 0, 8, 0},
            {1, 20, 0, 30, 0, static_cast<uint8_t>(10 + i), 0, 20, 0},
            {2, static_cast<uint8_t>(2 + i), 0, static_cast<uint8_t>(9 + i), 0, 3, 0, 8, 0},
            {2, 20, 0, 30, 0, static_cast<uint8_t>(10 + i), 0, 20, 0},
        };
        auto at = std::search(bytes.begin(), bytes.end(), heads[c.nRecord].begin(),
                              heads[c.nRecord].end());
        ASSERT_NE(at, bytes.end());
        if (c.bCut) {
            auto to = std::search(at, bytes.end(), heads[3].begin(), heads[3].end());
            ASSERT_NE(to, bytes.end());
            bytes.erase(at + 3, to + 3);
        } else {
            at[2] = 0x7F;  // the right edge far outside the area
        }
        WriteAll(m_capture, bytes);

        const SRecoveryReport report = Recover(m_capture);
        ASSERT_EQ(report.result, ERecoverResult::Saved) << m_prompter.Transcript();
        EXPECT_GT(report.nSkippedBytes, 0u);
        CDemoProject opened;
        CProjectFile file(opened, m_prompter);
        ASSERT_TRUE(file.Open(m_out));
        EXPECT_GE(opened.FrameCount(), m_screens.size() - 1);
        ExpectStepsBackAsForward(opened, file);
        CFrameCompositor compositor(opened);
        compositor.SetSources(file.StreamSources());
        compositor.GoToFrame(opened.FrameCount() - 1);
        EXPECT_EQ(compositor.Picture().m_Pixels, m_lastScreen);
        fs::remove(m_out);
    }
}

TEST_F(RecoveryTest, RandomDamageNeverGivesAnUnreadableProject) {
    MakeRecording(6);
    const std::vector<uint8_t> clean = ReadAll(m_capture);
    std::mt19937 rng(29);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<uint8_t> bytes = clean;
        for (int i = 0; i < 1 + round; ++i) {
            bytes[22 + rng() % (bytes.size() - 22)] = static_cast<uint8_t>(rng());
        }
        if (round % 5 == 4) {
            bytes.resize(22 + rng() % (bytes.size() - 22));
        }
        WriteAll(m_capture, bytes);
        const SRecoveryReport report = Recover(m_capture);
        ASSERT_TRUE(report.result == ERecoverResult::Saved ||
                    report.result == ERecoverResult::Nothing);
        if (report.result == ERecoverResult::Saved) {
            CDemoProject opened;
            CProjectFile file(opened, m_prompter);
            ASSERT_TRUE(file.Open(m_out));
            ExpectStepsBackAsForward(opened, file);
            fs::remove(m_out);
        }
    }
}

TEST_F(RecoveryTest, OnlyCursorAndTimeRecordsGiveNothingAndKeepTheFile) {
    std::mt19937 rng(3);
    CTestRecorder rec(m_recorded, m_temp, 40, 30, false);
    for (int i = 0; i < 5; ++i) {
        rec.Still();
        rec.Cursor(i, i, 4, 4, rng);
        rec.Tick(9);
    }
    CStreamFile stream;
    ASSERT_TRUE(rec.Stop(stream));
    const SRecoveryReport report = Recover(rec.DataPath(), true, [](SRecoveryOptions& o) {
        o.bRecoverMouse = false;
        return true;
    });
    EXPECT_EQ(report.result, ERecoverResult::Nothing);
    ASSERT_EQ(m_prompter.Messages().size(), 1u);
    EXPECT_EQ(m_prompter.Messages()[0].text, "No recoverable images found.    ");
    EXPECT_EQ(m_prompter.Messages()[0].caption, "Quillo Recovery");
    EXPECT_FALSE(fs::exists(m_out));
    EXPECT_TRUE(fs::exists(rec.DataPath()));
    // Only the recording's own two files remain in the temporary folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir.Path()), {}), 2);
}

TEST_F(RecoveryTest, FileWithoutTheSignatureIsNotRecoveredAndKept) {
    MakeRecording(2);
    std::vector<uint8_t> bytes = ReadAll(m_capture);
    bytes[0] = 'X';
    WriteAll(m_capture, bytes);
    bool bAsked = false;
    const SRecoveryReport report = Recover(m_capture, true, [&](SRecoveryOptions&) {
        bAsked = true;
        return true;
    });
    EXPECT_EQ(report.result, ERecoverResult::NotACapture);
    EXPECT_FALSE(bAsked);
    EXPECT_TRUE(m_prompter.Messages().empty());
    EXPECT_FALSE(fs::exists(m_out));
    EXPECT_TRUE(fs::exists(m_capture));
}

TEST_F(RecoveryTest, CancelledDialogChangesNothing) {
    MakeRecording(1);
    EXPECT_EQ(Recover(m_capture, true, [](SRecoveryOptions&) { return false; }).result,
              ERecoverResult::Cancelled);
    EXPECT_FALSE(fs::exists(m_out));
}

TEST_F(RecoveryTest, ProjectFileWithoutTrailerIsRecoveredFromItsRecords) {
    MakeRecording(3);
    ASSERT_EQ(Recover(m_capture).result, ERecoverResult::Saved);
    const std::string damaged = m_dir.File("damaged.lumo");
    std::vector<uint8_t> bytes = ReadAll(m_out);
    bytes.resize(bytes.size() - 600);
    WriteAll(damaged, bytes);
    fs::remove(m_out);

    // The stream header inside the file gives the size the dialog offers.
    const SRecoveryReport report = Recover(damaged, false, [](SRecoveryOptions& o) {
        EXPECT_EQ(o.nMaxWidth, 40);
        EXPECT_EQ(o.nMaxHeight, 30);
        return true;
    });
    ASSERT_EQ(report.result, ERecoverResult::Saved) << m_prompter.Transcript();
    ASSERT_TRUE(OpenRecovered());
    EXPECT_EQ(m_opened.m_nWidth, 40);
    EXPECT_EQ(m_opened.m_nHeight, 30);
    // The scan stops where the offset table says the stream ends: no bogus frames from the
    // trailer's bytes.
    EXPECT_EQ(m_opened.FrameCount(), m_screens.size());
    EXPECT_TRUE(m_opened.LastFrame()->m_bKeyFrame);
    EXPECT_EQ(PictureOf(m_opened.FrameCount() - 1), m_lastScreen);
}

TEST_F(RecoveryTest, RectanglesOutsideTheChosenSizeAreRefused) {
    MakeRecording(2);
    // The changed rectangles fit into 36 x 25; the whole-area key frames do not.
    const SRecoveryReport report = Recover(m_capture, true, [](SRecoveryOptions& o) {
        o.nMaxWidth = 36;
        o.nMaxHeight = 25;
        return true;
    });
    ASSERT_EQ(report.result, ERecoverResult::Saved);
    EXPECT_EQ(report.nFrames, 2u);
    // At least 32 pixels, but no larger than the area asked for.
    EXPECT_EQ(report.nWidth, 32);
    EXPECT_EQ(report.nHeight, 25);
}

// Which records make one frame, and the time each frame gets. Records: 'o' old pixels, 'n' new
// pixels of a small rectangle, 'N' new pixels of the whole area, 'c' a cursor area and 't' a time
// record, the last two with an increment. A frame is written as its duration, with 'k' for a key
// frame.
TEST_F(RecoveryTest, CapturesBecomeFramesWithTheTimeThatFollowedThem) {
    struct SRecord {
        char kind;
        uint32_t nIncrement = 0;
    };
    struct SCase {
        const char* name;
        std::vector<SRecord> records;
        std::vector<std::string> frames;
    };
    const SCase cases[] = {
        {"new pixels of one capture", {{'n'}, {'n'}}, {"5"}},
        {"old then new pixels", {{'o'}, {'o'}, {'n'}, {'n'}}, {"5"}},
        {"rectangle by rectangle", {{'o'}, {'n'}, {'o'}, {'n'}}, {"5"}},
        {"new pixels first", {{'n'}, {'o'}, {'n'}}, {"5"}},
        {"never across a time record", {{'o'}, {'n'}, {'t', 6}, {'N'}}, {"6", "5k"}},
        {"never across a cursor area", {{'o'}, {'n'}, {'c', 2}, {'c', 3}, {'n'}}, {"2", "3", "5"}},
        {"old pixels alone make no frame", {{'o'}, {'c', 3}, {'n'}}, {"3", "5"}},
        {"time lengthens the frame it follows",
         {{'t', 4}, {'o'}, {'n'}, {'c', 2}, {'t', 6}, {'c', 3}, {'t', 1}, {'o'}, {'n'}, {'t', 9}},
         {"12", "4", "9"}},
        {"a cursor area after time is a frame of its own",
         {{'o'}, {'N'}, {'t', 8}, {'c', 2}, {'o'}, {'n'}, {'c', 1}},
         {"8k", "2", "1"}},
    };
    std::vector<uint32_t> pixels(40 * 30);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<uint32_t>(i * 0x10203) & 0xFEFFFF;
    }
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CDemoProject project;
        CCaptureStream stream;
        ASSERT_TRUE(stream.Begin(project, m_temp, 40, 30, false));
        stream.AppendCapturedFrame();
        for (const SRecord& r : c.records) {
            switch (r.kind) {
                case 'o':
                    stream.WriteRect(2, 3, 11, 9, pixels.data(), 40, kRecordOldPixels);
                    break;
                case 'n':
                    stream.WriteRect(4, 5, 13, 12, pixels.data(), 40, kRecordNewPixels);
                    break;
                case 'N':
                    stream.WriteRect(0, 0, 39, 29, pixels.data(), 40, kRecordNewPixels);
                    break;
                case 'c':
                    stream.WriteRect(7, 7, 9, 9, pixels.data(), 40, kRecordCursor, r.nIncrement);
                    break;
                default:
                    stream.WriteTick(r.nIncrement);
            }
        }
        SCaptureFiles files;
        ASSERT_TRUE(stream.Stop(files));
        const SRecoveryReport report = Recover(files.dataPath);
        ASSERT_EQ(report.result, ERecoverResult::Saved);
        CDemoProject opened;
        CProjectFile file(opened, m_prompter);
        ASSERT_TRUE(file.Open(m_out));
        std::vector<std::string> frames;
        for (const CFrameInfo* f = opened.FirstFrame(); f != nullptr; f = f->m_pNext) {
            frames.push_back(std::to_string(f->m_nDuration) + (f->m_bKeyFrame ? "k" : ""));
            EXPECT_EQ(f->m_nRecordedDuration, f->m_nDuration);
        }
        EXPECT_EQ(frames, c.frames);
        ExpectStepsBackAsForward(opened, file);
        fs::remove(m_out);
        fs::remove(files.dataPath);
        fs::remove(files.indexPath);
    }
}

TEST(LeftoverRecoveryTest, LiveRecordingsAreNotOfferedAndChoicesAreKept) {
    CTempDir dir;
    const std::string temp = dir.Path().string() + "/";
    auto make = [&](const std::string& name) {
        WriteAll(dir.File(name), {1, 2, 3});
        return dir.File(name);
    };
    const std::string a = make("DMOaaaaaa.tmp");
    const std::string b = make("DMObbbbbb.tmp");
    const std::string c = make("DMOcccccc.tmp");
    make("DIXdddddd.tmp");
    make("other.tmp");
    CDemoProject project;
    CCaptureStream live;
    ASSERT_TRUE(live.Begin(project, temp, 16, 16, false));

    const auto found = FindLeftoverCaptures(temp);
    EXPECT_EQ(found.size(), 3u);
    EXPECT_EQ(std::count(found.begin(), found.end(), live.DataPath()), 0);

    // Delete the first, a failed recovery keeps the second, Ignore stops before the third.
    std::vector<std::string> asked;
    std::vector<ELeftoverChoice> answers = {ELeftoverChoice::Delete, ELeftoverChoice::Recover,
                                            ELeftoverChoice::Ignore};
    const int n = OfferLeftoverRecovery(
        temp,
        [&](const std::string& name) {
            asked.push_back(name);
            return answers[asked.size() - 1];
        },
        [](const std::string&) { return false; });
    EXPECT_EQ(n, 0);
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].find('/'), std::string::npos);
    int nLeft = fs::exists(a) + fs::exists(b) + fs::exists(c);
    EXPECT_EQ(nLeft, 2);
    EXPECT_FALSE(fs::exists(dir.File(asked[0])));

    // A saved recovery deletes its leftover.
    const int nSaved = OfferLeftoverRecovery(
        temp, [](const std::string&) { return ELeftoverChoice::Recover; },
        [](const std::string&) { return true; });
    EXPECT_EQ(nSaved, 2);
    EXPECT_TRUE(FindLeftoverCaptures(temp).empty());
    EXPECT_TRUE(fs::exists(live.DataPath()));
}

}  // namespace
