#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "project/file/FrameCheck.h"
#include "project/stream/FrameCompositor.h"
#include "tests/project/file/ProjectFileTestSupport.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 64;

// A recorded project of twelve frames whose stream spans many thousand bytes: key frames at
// the start, in the middle and at the end, changes of various sizes and cursor-only frames in
// between.
class UnfinishedProjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937 rng(5);
        CDemoProject project;
        m_rec =
            std::make_unique<CTestRecorder>(project, m_dir.Path().string(), kWidth, kHeight, false);
        ASSERT_TRUE(m_rec->Begun());
        m_rec->Key(rng);
        m_rec->Change({{3, 3, 20, 10}}, rng);
        m_rec->Tick(4);
        m_rec->Change({{40, 20, 60, 40}, {5, 50, 30, 60}}, rng);
        m_rec->Still();
        m_rec->Cursor(10, 10, 4, 4, rng);
        m_rec->Change({{0, 0, 95, 5}}, rng);
        m_rec->Key(rng);
        m_rec->Change({{70, 30, 90, 50}}, rng);
        m_rec->Change({{1, 1, 2, 2}}, rng);
        m_rec->Still();
        m_rec->Cursor(50, 20, 5, 5, rng);
        m_rec->Change({{10, 40, 50, 63}}, rng);
        m_rec->Change({{80, 0, 95, 63}}, rng);
        m_rec->Key(rng);
        SCaptureFiles files;
        ASSERT_TRUE(m_rec->Stream().Stop(files));
        CProjectFile file(project, m_prompter);
        ASSERT_TRUE(file.SaveNewRecording(files, m_dir.File("intact.lumo")));
        m_bytes = ReadBytes(m_dir.File("intact.lumo"));
        m_nPictures = project.m_nStreamFrames;
    }

    // The recorded bytes with the trailer offset saying that the file was never finished.
    std::vector<uint8_t> Unfinished() const {
        std::vector<uint8_t> bytes = m_bytes;
        const std::size_t slot = 8 * (m_nPictures + 2);
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(slot), 4, 0xFF);
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(slot) + 4, 4, 0);
        return bytes;
    }

    std::vector<uint8_t> KeyFlags(CDemoProject& project) const {
        std::vector<uint8_t> out;
        for (CFrameInfo* f = project.FirstFrame(); f != nullptr; f = f->m_pNext) {
            out.push_back(f->m_bKeyFrame);
        }
        return out;
    }

    const std::string m_path = "damaged.lumo";
    CTempDir m_dir;
    CScriptedPrompter m_prompter;
    std::unique_ptr<CTestRecorder> m_rec;
    std::vector<uint8_t> m_bytes;
    uint32_t m_nPictures = 0;
};

const std::vector<uint8_t> kRecordedKeyFrames = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1};

TEST_F(UnfinishedProjectTest, EveryFrameCheckedGoodIsTheRecordedPicture) {
    struct SVariant {
        std::string name;
        std::vector<uint8_t> bytes;
    };
    std::vector<SVariant> variants = {{"trailer offset 0xFFFFFFFF", Unfinished()}};
    for (std::size_t n = 1000; n < m_bytes.size(); n += 1000) {
        variants.push_back(
            {"cut at " + std::to_string(n),
             std::vector<uint8_t>(m_bytes.begin(),
                                  m_bytes.begin() + static_cast<std::ptrdiff_t>(n))});
    }
    uint32_t nGood = 0;
    for (const SVariant& v : variants) {
        SCOPED_TRACE(v.name);
        const std::string path = m_dir.File(m_path);
        WriteBytes(path, v.bytes);
        fs::remove(CProjectFile::KeyFrameFileName(path));
        CDemoProject p;
        CProjectFile file(p, m_prompter);
        if (!file.Open(path)) {
            continue;
        }
        EXPECT_EQ(p.m_nWidth, kWidth);
        EXPECT_EQ(p.m_nHeight, kHeight);
        CFrameCompositor compositor(p);
        compositor.SetSources(file.StreamSources());
        const SProjectCheck check = CheckFrames(p, compositor);
        ASSERT_FALSE(check.bSizeRefused);
        for (uint32_t i = 0; i < check.frames.size(); ++i) {
            if (check.frames[i] == EFrameCheck::Good) {
                ++nGood;
                compositor.GoToFrame(i);
                EXPECT_EQ(compositor.Picture().m_Pixels, m_rec->Screen(i)) << "frame " << i + 1;
            }
        }
        if (v.bytes.size() == m_bytes.size()) {
            // Nothing is missing: the key frames are the recorder's and every frame is good.
            EXPECT_EQ(KeyFlags(p), kRecordedKeyFrames);
            EXPECT_EQ(check.Problems(), 0u);
        }
    }
    EXPECT_GT(nGood, m_nPictures) << "cut projects keep good frames too";
}

TEST_F(UnfinishedProjectTest, KeyFramesAreKeptBesideTheProjectWhenItIsLeft) {
    const std::string path = m_dir.File(m_path);
    const std::string keyFile = CProjectFile::KeyFrameFileName(path);
    WriteBytes(path, Unfinished());
    fs::remove(keyFile);
    {
        CDemoProject p;
        CProjectFile file(p, m_prompter);
        ASSERT_TRUE(file.Open(path));
        file.LeaveProject();
    }
    const std::vector<uint8_t> written = ReadBytes(keyFile);
    EXPECT_EQ(std::string(written.begin(), written.end()),
              "96\n64\n1\n0\n0\n0\n0\n1\n0\n0\n0\n0\n0\n");

    struct SCase {
        const char* name;
        std::string text;
        std::vector<uint8_t> flags;
    };
    std::vector<uint8_t> marked = kRecordedKeyFrames;
    marked[3] = 1;
    const std::vector<SCase> cases = {
        {"the file's flags are taken", "96\n64\n1\n0\n0\n1\n0\n1\n0\n0\n0\n0\n0\n", marked},
        {"a file for fewer frames is another project's", "96\n64\n1\n1\n1\n", kRecordedKeyFrames},
        {"an unreadable file", "x", kRecordedKeyFrames},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(keyFile, std::vector<uint8_t>(c.text.begin(), c.text.end()));
        CDemoProject p;
        CProjectFile file(p, m_prompter);
        ASSERT_TRUE(file.Open(path));
        EXPECT_EQ(KeyFlags(p), c.flags);
        EXPECT_EQ(p.m_nWidth, kWidth);
    }

    // A finished project leaves no such file.
    fs::remove(keyFile);
    CDemoProject p;
    CProjectFile file(p, m_prompter);
    ASSERT_TRUE(file.Open(m_dir.File("intact.lumo")));
    file.LeaveProject();
    EXPECT_FALSE(fs::exists(CProjectFile::KeyFrameFileName(m_dir.File("intact.lumo"))));
}

TEST_F(UnfinishedProjectTest, AStreamHeaderWithoutASizeGives1024x768) {
    const std::size_t header = 8 * (m_nPictures + 2) + 8;
    for (int16_t bad : {int16_t{0}, int16_t{-5}}) {
        SCOPED_TRACE(bad);
        std::vector<uint8_t> bytes = m_bytes;
        PutU16(bytes.data() + header + 20, static_cast<uint16_t>(bad));
        const std::string path = m_dir.File(m_path);
        WriteBytes(path, bytes);
        CDemoProject p;
        CProjectFile file(p, m_prompter);
        ASSERT_TRUE(file.Open(path));
        EXPECT_EQ(p.m_nWidth, 1024);
        EXPECT_EQ(p.m_nHeight, 768);
        EXPECT_EQ(p.FrameCount(), m_nPictures);
    }
}

}  // namespace
