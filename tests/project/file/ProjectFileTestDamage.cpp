#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fuzz/project/file/ProjectFileFuzz.h"
#include "project/stream/FrameCompositor.h"
#include "tests/project/file/ProjectFileTestSupport.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

class ProjectFileDamageTest : public ::testing::Test {
protected:
    void SetUp() override {
        STestRecording rec = Record(m_project, m_dir.Path().string());
        m_project.m_Settings.m_sources = {{"/nowhere/src.lumo", "src.lumo"}};
        CProjectFile file(m_project, m_prompter);
        ASSERT_TRUE(file.SaveNewRecording(rec.files, m_dir.File("good.lumo")));
        m_bytes = ReadBytes(m_dir.File("good.lumo"));
        uint64_t trailer = 0;
        for (int i = 7; i >= 0; --i) {
            trailer = (trailer << 8) | m_bytes[8 * (m_project.m_nStreamFrames + 2) + i];
        }
        m_firstRecord = trailer + 4 + 64 + 4 * 32768 + 4;
    }

    // Opens bytes as a project; on success every frame is rebuilt.
    bool OpenBytes(const std::vector<uint8_t>& bytes, CDemoProject& project,
                   EOpenFailure& failure) {
        const std::string path = m_dir.File("damaged.lumo");
        WriteBytes(path, bytes);
        CScriptedPrompter prompter;
        CProjectFile file(project, prompter);
        const bool ok = file.Open(path);
        failure = file.OpenFailure();
        if (ok) {
            CFrameCompositor compositor(project);
            compositor.SetSources(file.StreamSources());
            for (uint32_t i = 0; i < project.FrameCount(); ++i) {
                compositor.GoToFrame(i);
            }
        }
        return ok;
    }

    void Replace(std::vector<uint8_t>& bytes, const std::string& from, const std::string& to) {
        auto it = std::search(bytes.begin() + static_cast<std::ptrdiff_t>(m_firstRecord),
                              bytes.end(), from.begin(), from.end());
        ASSERT_NE(it, bytes.end()) << from;
        const auto at = it - bytes.begin();
        bytes.erase(it, it + static_cast<std::ptrdiff_t>(from.size()));
        bytes.insert(bytes.begin() + at, to.begin(), to.end());
    }

    CTempDir m_dir;
    CDemoProject m_project;
    CScriptedPrompter m_prompter;
    std::vector<uint8_t> m_bytes;
    uint64_t m_firstRecord = 0;
};

TEST_F(ProjectFileDamageTest, TruncationAtEvery97thByte) {
    int corrupted = 0;
    int refused = 0;
    for (std::size_t n = 0; n < m_bytes.size(); n += 97) {
        SCOPED_TRACE(n);
        CDemoProject p;
        EOpenFailure failure = EOpenFailure::None;
        std::vector<uint8_t> cut(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(n));
        if (OpenBytes(cut, p, failure)) {
            // Only a cut before the trailer leaves something that opens: as a corrupted project.
            EXPECT_TRUE(p.m_bCorrupted);
            EXPECT_LT(n, m_firstRecord);
            ++corrupted;
        } else {
            EXPECT_NE(failure, EOpenFailure::None);
            EXPECT_NE(failure, EOpenFailure::LaterVersion);
            ++refused;
        }
    }
    EXPECT_GT(corrupted, 0);
    EXPECT_GT(refused, 0);
}

TEST_F(ProjectFileDamageTest, DamagedCountsAndLengthsAreRefused) {
    struct SCase {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> damage;
    };
    auto at = [this](std::vector<uint8_t>& b, std::size_t offset, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            b[m_firstRecord + offset + static_cast<std::size_t>(i)] =
                static_cast<uint8_t>(value >> (8 * i));
        }
    };
    const SCase cases[] = {
        {"a frame chain that never ends",
         [&](std::vector<uint8_t>& b) {
             // Every record but the first claims a successor: keep the first one only and make
             // it point on.
             b.resize(m_firstRecord + 520);
             at(b, 76, 1);
         }},
        {"a text longer than the file",
         [&](std::vector<uint8_t>& b) { at(b, 520 + 36, 0x7FFFFFFF); }},
        {"a negative text length", [&](std::vector<uint8_t>& b) { at(b, 520 + 36, 0xFFFFFFF0); }},
        {"an unacceptable version",
         [&](std::vector<uint8_t>& b) {
             const std::size_t version = m_firstRecord - (4 + 64 + 4 * 32768 + 4);
             std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(version), 4, 0);
         }},
        {"a huge cursor table",
         [&](std::vector<uint8_t>& b) { Replace(b, "\n1\n2\n2\n2\n", "\n1\n2\n2\n2000000000\n"); }},
        {"a huge cursor picture",
         [&](std::vector<uint8_t>& b) { Replace(b, "\n1\n2\n2\n2\n", "\n1\n65536\n65536\n2\n"); }},
        {"a huge source list",
         [&](std::vector<uint8_t>& b) {
             Replace(b, "\n1\n/nowhere/src.lumo\n", "\n2000000000\n/nowhere/src.lumo\n");
         }},
        {"a trailer offset inside the table",
         [&](std::vector<uint8_t>& b) { b[8 * (m_project.m_nStreamFrames + 2)] = 3; }},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = m_bytes;
        c.damage(bytes);
        CDemoProject p;
        EOpenFailure failure = EOpenFailure::None;
        const bool ok = OpenBytes(bytes, p, failure);
        if (ok) {
            EXPECT_TRUE(p.m_bCorrupted);
        } else {
            EXPECT_EQ(failure, EOpenFailure::Damaged);
        }
    }
}

TEST_F(ProjectFileDamageTest, TheGoodFileOpensAndNonFilesDoNot) {
    CDemoProject p;
    EOpenFailure failure = EOpenFailure::None;
    EXPECT_TRUE(OpenBytes(m_bytes, p, failure));
    CProjectFile file(p, m_prompter);
    EXPECT_FALSE(file.Open(m_dir.Path().string()));
    EXPECT_EQ(file.OpenFailure(), EOpenFailure::CannotOpen);
    EXPECT_FALSE(file.Open(m_dir.File("missing.lumo")));
    EXPECT_EQ(file.OpenFailure(), EOpenFailure::CannotOpen);
    // The source named in the file is missing; without an answer it is marked missing.
    EXPECT_EQ(p.m_Sources.size(), 1u);
    EXPECT_FALSE(p.m_Sources[0].m_pFile);
}

TEST(ProjectFileFuzzCorpus, CommittedCorpusReplaysThroughTheFuzzEntry) {
    const fs::path corpus = fs::path(QUILLO_SOURCE_DIR) / "fuzz/project/corpus/project";
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        SCOPED_TRACE(entry.path().filename().string());
        const std::vector<uint8_t> bytes = ReadBytes(entry.path().string());
        EXPECT_EQ(FuzzProjectOpen(bytes.data(), bytes.size()), 0);
        ++files;
    }
    EXPECT_GT(files, 0u) << "the corpus is missing";
}

}  // namespace
