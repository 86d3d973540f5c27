#include <gtest/gtest.h>

#include <filesystem>

#include "project/ops/CombineList.h"
#include "project/ops/CombineProjects.h"
#include "tests/project/ops/ProjectOpsTestSupport.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kCursorShape = 0x77;

class CombineTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(m_dir.Path() / "tmp"); }

    // Records a project and gives it a cursor table whose one picture is filled with `crCursor`
    // and frames that show it.
    std::string Make(const std::string& name, int nWidth, int nHeight, int nFrames,
                     uint32_t crCursor, unsigned nSeed) {
        const std::string path = m_dir.File(name);
        RecordProjectFile(m_dir.Path().string(), path, nWidth, nHeight, nFrames, nSeed);
        auto ops = OpenOps(path);
        CCursorImageTable& table = ops->project.m_CursorImages;
        table.m_bPresent = true;
        table.m_nWidth = 2;
        table.m_nHeight = 2;
        table.Add({kCursorShape, std::vector<uint32_t>(4, crCursor), 0, 0, 0, 0});
        int n = 0;
        for (CFrameInfo* f = ops->project.FirstFrame(); f != nullptr; f = f->m_pNext, ++n) {
            f->m_hCursor = kCursorShape;
            f->m_bCursorFromTable = 1;
            f->m_nBubbleX = 10 + n;
            f->m_nBubbleY = 20;
            f->m_nPointerX = 30;
            f->m_nPointerY = 40;
            f->m_rcHotspot = {1, 2, 3, 4};
            f->m_rcZoom = {5, 6, 7, 8};
            f->m_nFrameGotoFrame = n + 2;
        }
        EXPECT_TRUE(ops->file->Save());
        return path;
    }

    SNewProjectOptions Options() {
        return {.tempDir = m_dir.File("tmp"), .outputName = m_dir.File("combined.lumo")};
    }

    std::vector<CPixelPicture> Pictures(const std::string& path) {
        auto ops = OpenOps(path);
        std::vector<CPixelPicture> out;
        for (uint32_t i = 0; i < ops->project.FrameCount(); ++i) {
            out.push_back(ops->PictureAt(i));
        }
        return out;
    }

    CTempDir m_dir;
    CScriptedPrompter m_prompter;
};

// The part of `big` at (nX, nY) the size of `small` equals it; everything else is black.
void ExpectCentred(const CPixelPicture& big, const CPixelPicture& small, int nX, int nY) {
    size_t nWrong = 0;
    for (int y = 0; y < big.m_nHeight; ++y) {
        for (int x = 0; x < big.m_nWidth; ++x) {
            const bool bInside =
                x >= nX && y >= nY && x < nX + small.m_nWidth && y < nY + small.m_nHeight;
            const uint32_t expected =
                bInside ? small.m_Pixels[static_cast<size_t>(y - nY) * small.m_nWidth + x - nX] : 0;
            nWrong += big.m_Pixels[static_cast<size_t>(y) * big.m_nWidth + x] != expected;
        }
    }
    EXPECT_EQ(nWrong, 0u);
}

TEST_F(CombineTest, SmallerRecordingIsCentredWithItsOverlaysAndCursorTable) {
    const std::string large = Make("large.lumo", 1024, 768, 4, 0x0000FF, 3);
    const std::string small = Make("small.lumo", 800, 600, 4, 0xFF0000, 4);
    const auto largePictures = Pictures(large);
    const auto smallPictures = Pictures(small);

    ASSERT_TRUE(CombineProjects({large, small}, false, m_prompter, Options()))
        << m_prompter.Transcript();
    EXPECT_EQ(m_prompter.ProgressCaptions().front(), "Combining Quillo movies");
    EXPECT_TRUE(fs::is_empty(m_dir.Path() / "tmp"));

    auto out = OpenOps(m_dir.File("combined.lumo"));
    ASSERT_NE(out, nullptr);
    CDemoProject& p = out->project;
    EXPECT_EQ(p.m_nWidth, 1024);
    EXPECT_EQ(p.m_nHeight, 768);
    ASSERT_EQ(p.FrameCount(), 8u);
    EXPECT_TRUE(p.m_Settings.m_sources.empty());
    for (uint32_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(out->PictureAt(i).m_Pixels, largePictures[i].m_Pixels);
        ExpectCentred(out->PictureAt(4 + i), smallPictures[i], 112, 84);
    }
    const CFrameInfo* a = p.FrameAt(1);
    const CFrameInfo* b = p.FrameAt(5);
    EXPECT_EQ(a->m_nBubbleX, 11);
    EXPECT_EQ(b->m_nBubbleX, 11 + 112);
    EXPECT_EQ(b->m_nBubbleY, 20 + 84);
    EXPECT_EQ(b->m_nPointerX, 30 + 112);
    EXPECT_EQ(b->m_rcHotspot, (SRect{113, 86, 115, 88}));
    EXPECT_EQ(b->m_rcZoom, (SRect{117, 90, 119, 92}));
    EXPECT_EQ(a->m_nFrameGotoFrame, 3);
    EXPECT_EQ(b->m_nFrameGotoFrame, 3 + 4);
    EXPECT_EQ(p.m_b24BitColor, true);

    // Both cursor pictures are kept; each frame finds its own project's.
    const CCursorImageTable& table = p.m_CursorImages;
    ASSERT_EQ(table.m_Images.size(), 2u);
    const CCursorImage* pA = table.Find(kCursorShape, a->m_nCursorSource);
    const CCursorImage* pB = table.Find(kCursorShape, b->m_nCursorSource);
    ASSERT_NE(pA, nullptr);
    ASSERT_NE(pB, nullptr);
    EXPECT_EQ(pA->m_pPixels[0], 0x0000FFu);
    EXPECT_EQ(pB->m_pPixels[0], 0xFF0000u);
}

TEST_F(CombineTest, EditingOnlyReadsPicturesFromItsSourcesAndMissesAMovedOne) {
    const std::string first = Make("first.lumo", 64, 48, 5, 1, 5);
    const std::string second = Make("second.lumo", 64, 48, 6, 2, 6);
    const auto firstPictures = Pictures(first);
    const auto secondPictures = Pictures(second);

    ASSERT_TRUE(CombineProjects({first, second}, true, m_prompter, Options()))
        << m_prompter.Transcript();
    // No pixels were written: the file is smaller than either source.
    EXPECT_LT(fs::file_size(m_dir.File("combined.lumo")), fs::file_size(first) / 2);

    {
        auto out = OpenOps(m_dir.File("combined.lumo"));
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(out->project.FrameCount(), 11u);
        ASSERT_EQ(out->project.m_Settings.m_sources.size(), 2u);
        EXPECT_EQ(out->project.m_Settings.m_sources[1].m_strRelative, "second.lumo");
        for (uint32_t i = 0; i < 11; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(out->PictureAt(i).m_Pixels,
                      i < 5 ? firstPictures[i].m_Pixels : secondPictures[i - 5].m_Pixels);
            EXPECT_FALSE(out->compositor->PictureMissing());
        }
    }

    fs::create_directory(m_dir.Path() / "away");
    fs::rename(second, m_dir.Path() / "away" / "second.lumo");
    auto out = OpenOps(m_dir.File("combined.lumo"));
    ASSERT_NE(out, nullptr);
    EXPECT_NE(out->prompter.Transcript().find("Unable to open source video file"),
              std::string::npos);
    out->compositor->GoToFrame(2);
    EXPECT_FALSE(out->compositor->PictureMissing());
    out->compositor->GoToFrame(7);
    EXPECT_TRUE(out->compositor->PictureMissing());
}

// A smaller project combined by editing information only shows its pictures where the pixel
// combine puts them: centred, with an empty border, whichever way the editor walks.
TEST_F(CombineTest, EditingOnlyShowsThePicturesOfThePixelCombine) {
    const std::vector<std::string> files = {
        Make("small.lumo", 800, 600, 5, 0x00FF00, 11),
        Make("large.lumo", 1024, 768, 4, 0x0000FF, 12),
        Make("odd.lumo", 631, 477, 8, 0xFF0000, 13),
    };
    const fs::path pixelsFile = m_dir.File("pixels.lumo");
    ASSERT_TRUE(CombineProjects(files, false, m_prompter,
                                {.tempDir = m_dir.File("tmp"), .outputName = pixelsFile}))
        << m_prompter.Transcript();
    ASSERT_TRUE(CombineProjects(files, true, m_prompter, Options())) << m_prompter.Transcript();
    auto pixels = OpenOps(pixelsFile);
    auto editing = OpenOps(m_dir.File("combined.lumo"));
    ASSERT_NE(pixels, nullptr);
    ASSERT_NE(editing, nullptr);
    ASSERT_EQ(editing->project.FrameCount(), 17u);
    ASSERT_EQ(pixels->project.FrameCount(), 17u);

    std::vector<uint32_t> order;
    for (uint32_t i = 0; i < 17; ++i) {
        order.push_back(i);
    }
    for (uint32_t i = 17; i-- > 0;) {
        order.push_back(i);
    }
    for (uint32_t i : {16u, 2u, 7u, 5u, 12u, 9u, 0u, 14u, 4u}) {
        order.push_back(i);
    }
    for (size_t k = 0; k < order.size(); ++k) {
        const uint32_t i = order[k];
        SCOPED_TRACE("step " + std::to_string(k) + ", frame " + std::to_string(i + 1));
        const CPixelPicture expected = pixels->PictureAt(i);
        const CPixelPicture shown = editing->PictureAt(i);
        ASSERT_EQ(shown.m_nWidth, 1024);
        EXPECT_TRUE(shown.m_Pixels == expected.m_Pixels);
        EXPECT_TRUE(editing->compositor->ShownPicture().m_Pixels ==
                    pixels->compositor->ShownPicture().m_Pixels)
            << "with the cursor";
        EXPECT_FALSE(editing->compositor->Damaged());
    }
}

// Pixel combining with a pan recording: the combined recording is as small as the smallest, and
// every frame of the pan recording shows its recorded area from its own pan origin.
TEST_F(CombineTest, PanRecordingIsCombinedFromItsPanOrigins) {
    const std::string pan = m_dir.File("pan.lumo");
    RecordPanProjectFile(m_dir.Path().string(), pan, 30, 20, 70, 50, 9, 21);
    const std::string flat = Make("flat.lumo", 40, 24, 4, 0x00FF00, 22);
    std::vector<std::vector<uint32_t>> expected;
    {
        auto in = OpenOps(pan);
        ASSERT_NE(in, nullptr);
        for (uint32_t i = 0; i < in->project.FrameCount(); ++i) {
            expected.push_back(RecordedArea(*in, i));
        }
    }
    {
        // The flat recording keeps its top-left 30 x 20 pixels.
        auto in = OpenOps(flat);
        ASSERT_NE(in, nullptr);
        for (uint32_t i = 0; i < in->project.FrameCount(); ++i) {
            const CPixelPicture picture = in->PictureAt(i);
            std::vector<uint32_t> area;
            for (int y = 0; y < 20; ++y) {
                for (int x = 0; x < 30; ++x) {
                    area.push_back(picture.m_Pixels[static_cast<size_t>(y) * 40 + x]);
                }
            }
            expected.push_back(area);
        }
    }

    ASSERT_TRUE(CombineProjects({pan, flat}, false, m_prompter, Options()))
        << m_prompter.Transcript();
    auto out = OpenOps(m_dir.File("combined.lumo"));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->project.m_nWidth, 30);
    EXPECT_EQ(out->project.m_nHeight, 20);
    ASSERT_EQ(out->project.FrameCount(), expected.size());
    for (uint32_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(out->PictureAt(i).m_Pixels, expected[i]);
        EXPECT_FALSE(out->project.FrameAt(i)->m_pPanPicture.has_value());
    }
    for (uint32_t i = static_cast<uint32_t>(expected.size()); i-- > 0;) {
        EXPECT_EQ(out->PictureAt(i).m_Pixels, expected[i]) << "backward " << i;
    }
}

TEST_F(CombineTest, TooFewOrUnreadableFilesAreRefused) {
    const std::string one = Make("one.lumo", 32, 24, 3, 1, 7);
    EXPECT_FALSE(CombineProjects({one}, false, m_prompter, Options()));
    EXPECT_FALSE(CombineProjects({one, m_dir.File("nothere.lumo")}, false, m_prompter, Options()));
    EXPECT_EQ(m_prompter.Transcript(),
              "Combine Quillo movies: You must select at least two movie files for combining.\n"
              "Combine Quillo Movies: Unable to open movie: nothere.     \nCombination aborted.\n");
    EXPECT_FALSE(fs::exists(m_dir.File("combined.lumo")));
    EXPECT_EQ(DroppedProjectFiles({"/a/x.lumo", "/a/y.txt", "/a/lumo", "/b/z.lumo"}),
              (std::vector<std::string>{"/a/x.lumo", "/b/z.lumo"}));
}

TEST_F(CombineTest, CancelWritesNothing) {
    const std::string one = Make("one.lumo", 32, 24, 3, 1, 8);
    const std::string two = Make("two.lumo", 32, 24, 3, 1, 9);
    m_prompter.CancelAfterSteps(1);
    EXPECT_FALSE(CombineProjects({one, two}, false, m_prompter, Options()));
    EXPECT_FALSE(fs::exists(m_dir.File("combined.lumo")));
    EXPECT_TRUE(fs::is_empty(m_dir.Path() / "tmp"));
}

}  // namespace

namespace {

TEST(CombineListTest, DialogButtonsEditTheListInOrder) {
    CScriptedPrompter prompter;
    CCombineList list;
    EXPECT_FALSE(list.Check(prompter));
    prompter.QueueFileName("/p/a.lumo");
    ASSERT_TRUE(list.Add(prompter));
    EXPECT_EQ(prompter.FileRequests()[0].caption, "Combine Quillo movie...");
    EXPECT_EQ(prompter.FileRequests()[0].filter, "Quillo File (*.lumo)");
    EXPECT_FALSE(list.Add(prompter));  // cancelled
    list.Drop({"/p/b.lumo", "/p/notes.txt", "/p/c.lumo"});
    EXPECT_TRUE(list.Up(2));
    EXPECT_FALSE(list.Up(0));
    EXPECT_FALSE(list.Down(2));
    EXPECT_EQ(list.Files(), (std::vector<std::string>{"/p/a.lumo", "/p/c.lumo", "/p/b.lumo"}));
    EXPECT_TRUE(list.Check(prompter));
    EXPECT_TRUE(list.Remove(0));
    EXPECT_FALSE(list.Remove(5));

    prompter.QueueAnswer(EMsgAnswer::No);
    EXPECT_FALSE(list.RemoveAll(prompter));
    EXPECT_EQ(list.Files().size(), 2u);
    prompter.QueueAnswer(EMsgAnswer::Yes);
    EXPECT_TRUE(list.RemoveAll(prompter));
    EXPECT_TRUE(list.Files().empty());
    EXPECT_EQ(prompter.Transcript(),
              "Combine Quillo movies: You must select at least two movie files for combining.\n"
              "Combine Quillo movies: Remove entire selection ?\n"
              "Combine Quillo movies: Remove entire selection ?\n");
}

}  // namespace
