#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/project/stream/StreamReaderFuzz.h"
#include "project/stream/FrameCompositor.h"
#include "tests/project/stream/StreamTestRecorder.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A recorded stream whose bytes the test may damage before reading them back from memory.
struct SDamageFixture {
    CTempDir dir;
    CDemoProject project;
    CStreamFile file;
    std::unique_ptr<CTestRecorder> rec;
    std::vector<uint8_t> data;
    std::vector<uint8_t> table;

    explicit SDamageFixture(bool bZlib) {
        std::mt19937 rng(11);
        rec = std::make_unique<CTestRecorder>(project, dir.Path().string(), 10, 8, bZlib);
        rec->Key(rng);
        rec->Change({{2, 2, 4, 4}, {6, 1, 8, 2}}, rng);
        rec->Cursor(1, 1, 2, 2, rng);
        rec->Still();
        rec->Cursor(2, 1, 2, 3, rng);
        rec->Change({{0, 0, 9, 0}}, rng);
        rec->Key(rng);
        CStreamFile unused;
        EXPECT_TRUE(rec->Stop(unused));
        data = ReadFile(rec->DataPath());
        table = ReadFile(rec->IndexPath());
    }

    // Byte position of picture `p`'s first record.
    size_t PictureStart(uint32_t p) const {
        size_t n = 0;
        for (int i = 0; i < 7; ++i) {
            n |= static_cast<size_t>(table[8 * p + i]) << (8 * i);
        }
        return n;
    }

    void Open() { ASSERT_TRUE(file.OpenMemory(data, table)); }
};

TEST(CompositorDamageTest, RectangleOutsideThePictureIsReadAndDiscarded) {
    for (bool bZlib : {false, true}) {
        SCOPED_TRACE(bZlib ? "zlib" : "run-length");
        SDamageFixture fx(bZlib);
        // Picture 1: two old-pixel records, then two new-pixel records. Move the first new-pixel
        // rectangle far outside; the second one must still land where it belongs.
        CByteReader reader(std::span<const uint8_t>(fx.data).subspan(fx.PictureStart(1)));
        CPixelDecoder decoder(bZlib ? EPixelCoding::Zlib32 : EPixelCoding::Rle24);
        SStreamRecordHead head;
        for (int i = 0; i < 2; ++i) {
            ASSERT_EQ(ReadRecordHead(reader, head), ERecordRead::Ok);
            decoder.SkipRect(reader, head.rect.PixelCount());
        }
        const size_t at = fx.PictureStart(1) + reader.Position();
        ASSERT_EQ(fx.data[at], kRecordNewPixels);
        PutU16(fx.data.data() + at + 1, static_cast<uint16_t>(3000));  // left
        PutU16(fx.data.data() + at + 3, static_cast<uint16_t>(3002));  // right
        fx.Open();

        CFrameCompositor compositor(fx.project);
        compositor.SetSources({&fx.file});
        compositor.GoToFrame(1);
        EXPECT_TRUE(compositor.Damaged());
        std::vector<uint32_t> expected = fx.rec->Screen(0);
        const std::vector<uint32_t>& after = fx.rec->Screen(1);
        for (int y = 1; y <= 2; ++y) {
            for (int x = 6; x <= 8; ++x) {
                expected[static_cast<size_t>(y) * 10 + x] = after[static_cast<size_t>(y) * 10 + x];
            }
        }
        EXPECT_EQ(compositor.Picture().m_Pixels, expected);
        compositor.GoToFrame(4);
        EXPECT_EQ(compositor.Picture().m_Pixels, fx.rec->Screen(4)) << "the key frame repairs it";
    }
}

TEST(CompositorDamageTest, CutAtEveryByteNeverReadsOutsideTheData) {
    for (bool bZlib : {false, true}) {
        SCOPED_TRACE(bZlib ? "zlib" : "run-length");
        SDamageFixture fx(bZlib);
        for (size_t nCut = 0; nCut <= fx.data.size(); ++nCut) {
            std::vector<uint8_t> cut(fx.data.begin(), fx.data.begin() + nCut);
            CStreamFile file;
            if (!file.OpenMemory(cut, fx.table)) {
                EXPECT_LT(nCut, kStreamHeaderSize);
                continue;
            }
            CFrameCompositor compositor(fx.project);
            compositor.SetSources({&file});
            bool bDamaged = false;
            for (uint32_t i : {0u, 1u, 2u, 3u, 4u, 3u, 2u, 1u, 0u}) {
                compositor.GoToFrame(i);
                compositor.ShownPicture();
                bDamaged = bDamaged || compositor.Damaged();
            }
            // A cut before the last picture leaves table entries beyond the data. (The last
            // picture of a recording's files runs to the end of the data, wherever that is.)
            if (nCut < fx.PictureStart(4)) {
                EXPECT_TRUE(bDamaged) << "cut at " << nCut;
            }
        }
    }
}

TEST(CompositorDamageTest, DamageStaysWithThePictureUntilAKeyFrameReplacesIt) {
    SDamageFixture fx(true);
    // Picture 1's first rectangle claims more bytes than there are: the rest of it is lost.
    PutU32(fx.data.data() + fx.PictureStart(1) + 1 + 8, kMaxZlibRectBytes + 1);
    fx.Open();
    CFrameCompositor compositor(fx.project);
    compositor.SetSources({&fx.file});
    std::vector<bool> damaged;
    for (uint32_t i = 0; i < 5; ++i) {
        compositor.GoToFrame(i);
        damaged.push_back(compositor.Damaged());
    }
    // Frames 3 and 4 are built on frame 2's picture; the key frame 5 replaces all of it.
    EXPECT_EQ(damaged, (std::vector<bool>{false, true, true, true, false}));
    EXPECT_EQ(compositor.Picture().m_Pixels, fx.rec->Screen(4));
    compositor.GoToFrame(0);
    EXPECT_FALSE(compositor.Damaged()) << "the first frame starts afresh";
    compositor.GoToFrame(1);
    EXPECT_TRUE(compositor.Damaged());
}

TEST(CompositorDamageTest, BadZlibLengthRaisesTheDamageFlagAndReadsBlack) {
    SDamageFixture fx(true);
    const size_t at = fx.PictureStart(0) + 1 + 8;  // type-1 whole area: its length
    PutU32(fx.data.data() + at, kMaxZlibRectBytes + 1);
    fx.Open();
    CFrameCompositor compositor(fx.project);
    compositor.SetSources({&fx.file});
    compositor.GoToFrame(0);
    EXPECT_TRUE(compositor.Damaged());
}

TEST(CompositorDamageTest, MissingSourceLeavesThePictureAndSaysSo) {
    SDamageFixture fx(false);
    fx.Open();
    // The last frame takes its picture from a combined project whose file is not open.
    fx.project.LastFrame()->m_nSource = 1;
    CFrameCompositor compositor(fx.project);
    compositor.SetSources({&fx.file, nullptr});
    compositor.GoToFrame(2);
    EXPECT_FALSE(compositor.PictureMissing());
    compositor.GoToFrame(4);
    EXPECT_TRUE(compositor.PictureMissing());
    EXPECT_EQ(compositor.CurrentIndex(), 4u);
    EXPECT_EQ(compositor.Picture().m_Pixels, fx.rec->Screen(3)) << "the walk up to it, no more";
    compositor.GoToFrame(0);
    compositor.GoToFrame(3);
    EXPECT_FALSE(compositor.PictureMissing());
    EXPECT_EQ(compositor.Picture().m_Pixels, fx.rec->Screen(3));
}

TEST(CompositorDamageTest, CommittedCorpusReplaysThroughTheFuzzEntry) {
    const std::filesystem::path corpus =
        std::filesystem::path(QUILLO_SOURCE_DIR) / "fuzz/project/corpus/stream";
    size_t nFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        SCOPED_TRACE(entry.path().filename().string());
        const std::vector<uint8_t> bytes = ReadFile(entry.path().string());
        EXPECT_EQ(FuzzStreamReader(bytes.data(), bytes.size()), 0);
        ++nFiles;
    }
    EXPECT_GT(nFiles, 0u) << "the corpus is missing";
}

}  // namespace
