#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>

#include "project/ops/VideoImport.h"
#include "tests/project/ops/ProjectOpsTestSupport.h"
#include "tests/support/TempDir.h"
#include "video/VideoGrabber.h"

namespace fs = std::filesystem;

namespace {

class VideoImportTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(m_dir.Path() / "tmp"); }

    SNewProjectOptions Options() {
        return {.tempDir = m_dir.File("tmp"), .outputName = m_dir.File("video.lumo")};
    }

    // Imports a scripted video through the fake grabber.
    EVideoImport ImportScript(const std::string& script) {
        std::ofstream(m_dir.File("script.txt")) << script;
        CVideoGrabber grabber;
        EXPECT_TRUE(grabber.Load(QUILLO_FAKE_VGRAB_PATH));
        return ImportVideo(m_dir.File("script.txt"), grabber, m_prompter, Options());
    }

    std::vector<int32_t> Durations() {
        auto ops = OpenOps(m_dir.File("video.lumo"));
        std::vector<int32_t> out;
        for (const CFrameInfo* f = ops->project.FirstFrame(); f != nullptr; f = f->m_pNext) {
            out.push_back(f->m_nDuration);
        }
        return out;
    }

    CTempDir m_dir;
    CScriptedPrompter m_prompter;
};

TEST_F(VideoImportTest, TestSourceVideoGivesFramesOfItsRateAndItsPictures) {
    if (std::system("ffmpeg -version > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    const std::string video = m_dir.File("testsrc.mp4");
    const std::string raw = m_dir.File("frames.raw");
    ASSERT_EQ(
        std::system(("ffmpeg -loglevel error -f lavfi -i testsrc=duration=2:size=96x64:rate=25 "
                     "-c:v mpeg4 -q:v 2 -pix_fmt yuv420p '" +
                     video + "' && ffmpeg -loglevel error -i '" + video +
                     "' -f rawvideo -pix_fmt bgr0 '" + raw + "'")
                        .c_str()),
        0);
    CVideoGrabber grabber;
    ASSERT_TRUE(grabber.Load(QUILLO_VGRAB_PATH));
    ASSERT_EQ(ImportVideo(video, grabber, m_prompter, Options()), EVideoImport::Saved)
        << m_prompter.Transcript();
    EXPECT_EQ(m_prompter.ProgressCaptions().front(), "Importing Video...");
    EXPECT_TRUE(fs::is_empty(m_dir.Path() / "tmp"));

    auto ops = OpenOps(m_dir.File("video.lumo"));
    ASSERT_NE(ops, nullptr);
    CDemoProject& p = ops->project;
    EXPECT_EQ(p.m_nWidth, 96);
    EXPECT_EQ(p.m_nHeight, 64);
    ASSERT_EQ(p.FrameCount(), 50u);
    std::ifstream in(raw, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    const size_t nPixels = 96 * 64;
    ASSERT_EQ(bytes.size(), nPixels * 4 * 50);
    for (uint32_t i = 0; i < 50; ++i) {
        SCOPED_TRACE("frame " + std::to_string(i + 1));
        EXPECT_EQ(p.FrameAt(i)->m_nDuration, 4);
        const CPixelPicture picture = ops->PictureAt(i);
        uint64_t nDiff = 0;
        for (size_t k = 0; k < nPixels; ++k) {
            for (int c = 0; c < 3; ++c) {
                const int expected = static_cast<unsigned char>(bytes[(i * nPixels + k) * 4 + c]);
                const int actual = static_cast<int>((picture.m_Pixels[k] >> (8 * c)) & 0xFF);
                nDiff += static_cast<uint64_t>(std::abs(expected - actual));
            }
        }
        // Both sides convert the video's colours; they may round differently.
        EXPECT_LT(static_cast<double>(nDiff) / (nPixels * 3), 3.0);
    }
    EXPECT_EQ(p.FirstFrame()->m_bKeyFrame, 1);
}

TEST_F(VideoImportTest, DurationsCarryTheFractionsAndStillFramesLengthenTheLastOne) {
    // 30 frames a second: 3.33 hundredths each; the fake's dot makes every frame differ.
    std::string script;
    for (int i = 0; i < 6; ++i) {
        script += "30 40 30 204060\n";
    }
    ASSERT_EQ(ImportScript(script), EVideoImport::Saved) << m_prompter.Transcript();
    const std::vector<int32_t> durations = Durations();
    ASSERT_EQ(durations.size(), 6u);
    EXPECT_EQ(std::accumulate(durations.begin(), durations.end(), 0), 20);
    for (int32_t d : durations) {
        EXPECT_TRUE(d == 3 || d == 4) << d;
    }
}

TEST_F(VideoImportTest, FailuresAreToldAndWhatWasImportedIsKept) {
    struct SCase {
        const char* script;
        EVideoImport result;
        const char* transcript;
        size_t nFrames;
    };
    const SCase cases[] = {
        {"", EVideoImport::Failed, "Video Import: Unable to read file.\n", 0},
        {"25 40 30 102030\n25 40 30 102030\n25 64 48 102030\n", EVideoImport::Saved,
         "Video Import: The video's pictures change size from 40 x 30 to 64 x 48.\n"
         "The frames before the change were imported.\n",
         2},
        {"25 100000 100000 0\n", EVideoImport::Failed,
         "Video Import: The video's pictures are 100000 x 100000 pixels, too large to import.\n",
         0},
        {"25 0 30 0\n", EVideoImport::Failed,
         "Video Import: The video's pictures are 0 x 30 pixels, too large to import.\n", 0},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.script);
        fs::remove(m_dir.File("video.lumo"));
        m_prompter = CScriptedPrompter{};
        EXPECT_EQ(ImportScript(c.script), c.result);
        EXPECT_EQ(m_prompter.Transcript(), c.transcript);
        EXPECT_EQ(fs::exists(m_dir.File("video.lumo")), c.nFrames > 0);
        if (c.nFrames > 0) {
            EXPECT_EQ(Durations().size(), c.nFrames);
        }
        EXPECT_TRUE(fs::is_empty(m_dir.Path() / "tmp"));
    }
}

// Cancels the import after a number of its progress steps; the save that follows runs on.
class CImportCanceller : public CScriptedPrompter {
public:
    void BeginProgress(std::string_view caption) override {
        m_bImporting = caption == kImportCaption;
        CScriptedPrompter::BeginProgress(caption);
    }
    void SetProgress(int percent) override {
        m_nSteps += m_bImporting ? 1 : 0;
        CScriptedPrompter::SetProgress(percent);
    }
    bool IsCancelled() override { return m_bImporting && m_nSteps >= 3; }

private:
    bool m_bImporting = false;
    int m_nSteps = 0;
};

TEST_F(VideoImportTest, CancelKeepsTheFramesSoFarAndNoTemporaryFolderIsTold) {
    std::ofstream(m_dir.File("script.txt")) << "25 40 30 1\n25 40 30 1\n25 40 30 1\n25 40 30 1\n";
    CVideoGrabber grabber;
    ASSERT_TRUE(grabber.Load(QUILLO_FAKE_VGRAB_PATH));
    CImportCanceller canceller;
    ASSERT_EQ(ImportVideo(m_dir.File("script.txt"), grabber, canceller, Options()),
              EVideoImport::Saved);
    EXPECT_EQ(Durations().size(), 2u);
    EXPECT_EQ(canceller.Transcript(), "");

    SNewProjectOptions options = Options();
    options.tempDir = m_dir.File("missing");
    EXPECT_EQ(ImportVideo(m_dir.File("script.txt"), grabber, m_prompter, options),
              EVideoImport::Failed);
    EXPECT_EQ(m_prompter.Transcript(), "Quillo Error: Unable to open temporary files\n");
}

TEST_F(VideoImportTest, WithoutThePlugInTheFileIsAProject) {
    CVideoGrabber grabber;
    EXPECT_FALSE(grabber.Load(m_dir.File("no-such-plugin.so")));
    EXPECT_EQ(ImportVideo("clip.mp4", grabber, m_prompter, Options()), EVideoImport::NoGrabber);
    EXPECT_EQ(m_prompter.Transcript(), "");
    EXPECT_TRUE(IsVideoFileName("clip.mp4"));
    EXPECT_FALSE(IsVideoFileName("demo.lumo"));
    EXPECT_FALSE(IsVideoFileName("DMO1234.tmp"));
}

}  // namespace
