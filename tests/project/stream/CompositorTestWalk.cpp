#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <random>

#include "project/stream/FrameCompositor.h"
#include "tests/project/stream/StreamTestRecorder.h"
#include "tests/support/TempDir.h"

namespace {

// A random recording: key frames, changes of overlapping rectangles, cursor-only frames, cursor
// records and ticks; afterwards duplicates are inserted after random frames, as the editor's
// "Insert Duplicate Frame" does. Each frame remembers which stream picture it shows.
struct SRandomProject {
    CTempDir dir;
    CDemoProject project;
    CStreamFile file;
    std::unique_ptr<CTestRecorder> recorder;
    std::vector<uint32_t> pictureOf;  // per frame index

    SRandomProject(uint32_t nSeed, bool bZlib, bool bLastIsKey) {
        std::mt19937 rng(nSeed);
        const int w = 12 + static_cast<int>(rng() % 20);
        const int h = 8 + static_cast<int>(rng() % 16);
        recorder = std::make_unique<CTestRecorder>(project, dir.Path().string(), w, h, bZlib, 512);
        const int nPictures = 25 + static_cast<int>(rng() % 20);
        for (int p = 0; p < nPictures; ++p) {
            const uint32_t roll = rng() % 10;
            if (p == 0 || roll == 0) {
                recorder->Key(rng);
            } else if (roll == 1) {
                recorder->Still();
            } else {
                std::vector<STestRect> rects;
                for (uint32_t i = 0, n = 1 + rng() % 3; i < n; ++i) {
                    const int l = static_cast<int>(rng() % w);
                    const int t = static_cast<int>(rng() % h);
                    const int r = l + static_cast<int>(rng() % (w - l));
                    const int b = t + static_cast<int>(rng() % (h - t));
                    rects.push_back({l, t, r, b});
                }
                recorder->Change(rects, rng);
            }
            if (rng() % 3 != 0) {
                const int cw = 1 + static_cast<int>(rng() % 4);
                const int ch = 1 + static_cast<int>(rng() % 4);
                recorder->Cursor(static_cast<int>(rng() % (w - cw + 1)),
                                 static_cast<int>(rng() % (h - ch + 1)), cw, ch, rng);
            }
            if (rng() % 4 == 0) {
                recorder->Tick(1 + rng() % 50);
            }
        }
        if (bLastIsKey) {
            recorder->Key(rng);
        } else {
            recorder->Change({{0, 0, 0, 0}}, rng);
        }
        EXPECT_TRUE(recorder->Stop(file));

        for (uint32_t p = 0; p < project.FrameCount(); ++p) {
            pictureOf.push_back(p);
        }
        for (int i = 0; i < 6; ++i) {
            const uint32_t at = static_cast<uint32_t>(rng() % project.FrameCount());
            CFrameInfo* pSource = project.FrameAt(at);
            auto pCopy = std::make_unique<CFrameInfo>(*pSource);
            pCopy->m_bDuplicate = 1;
            pCopy->m_nStreamFrame = pSource->m_bDuplicate ? pSource->m_nStreamFrame : pictureOf[at];
            project.InsertAfter(pSource, std::move(pCopy));
            pictureOf.insert(pictureOf.begin() + at + 1, pictureOf[at]);
        }
    }

    // What frame `i` shows: its picture's screen with its cursor drawn over it.
    std::vector<uint32_t> Shown(uint32_t i) const {
        std::vector<uint32_t> shown = recorder->Screen(pictureOf[i]);
        const STestCursor& c = recorder->CursorOf(pictureOf[i]);
        if (c.bPresent) {
            for (int y = 0; y < c.nHeight; ++y) {
                for (int x = 0; x < c.nWidth; ++x) {
                    shown[static_cast<size_t>(c.nY + y) * recorder->Width() + c.nX + x] =
                        c.pixels[static_cast<size_t>(y) * c.nWidth + x];
                }
            }
        }
        return shown;
    }
};

void ExpectFrame(CFrameCompositor& compositor, const SRandomProject& rp, uint32_t i) {
    ASSERT_EQ(compositor.CurrentIndex(), i);
    ASSERT_EQ(compositor.Picture().m_Pixels, rp.recorder->Screen(rp.pictureOf[i]))
        << "kept picture of frame " << i;
    ASSERT_EQ(compositor.ShownPicture().m_Pixels, rp.Shown(i)) << "shown picture of frame " << i;
}

class CompositorWalkTest : public ::testing::TestWithParam<std::tuple<bool, bool>> {};

TEST_P(CompositorWalkTest, EveryFrameFromEveryOtherFrameEqualsTheForwardPicture) {
    const auto [bZlib, bLastIsKey] = GetParam();
    for (uint32_t nSeed = 1; nSeed <= 6; ++nSeed) {
        SCOPED_TRACE(testing::Message() << "seed " << nSeed);
        SRandomProject rp(nSeed, bZlib, bLastIsKey);
        const uint32_t n = rp.project.FrameCount();
        // Applying every frame's records forward from the first frame, one after the other,
        // gives the picture that every walk must arrive at.
        {
            CFrameCompositor forward(rp.project);
            forward.SetSources({&rp.file});
            for (uint32_t i = 0; i < n; ++i) {
                ASSERT_TRUE(forward.BuildFrame(*rp.project.FrameAt(i), 1));
                ASSERT_EQ(forward.Picture().m_Pixels, rp.recorder->Screen(rp.pictureOf[i]))
                    << "forward application of frame " << i;
            }
        }
        CFrameCompositor compositor(rp.project);
        compositor.SetSources({&rp.file});
        for (uint32_t from = 0; from < n; ++from) {
            for (uint32_t to = 0; to < n; ++to) {
                compositor.GoToFrame(from);
                ExpectFrame(compositor, rp, from);
                compositor.GoToFrame(to);
                ExpectFrame(compositor, rp, to);
            }
        }
        // And a long random tour, without returning to a known frame in between.
        std::mt19937 rng(nSeed);
        std::vector<uint32_t> order(n * 3);
        for (uint32_t& k : order) {
            k = rng() % n;
        }
        for (uint32_t k : order) {
            compositor.GoToFrame(k);
            ExpectFrame(compositor, rp, k);
        }
        EXPECT_FALSE(compositor.Damaged());
        EXPECT_FALSE(compositor.PictureMissing());
    }
}

INSTANTIATE_TEST_SUITE_P(Codings, CompositorWalkTest,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()));

TEST(CompositorWalkRules, NeighbourStepsDecodeOnePictureAndKeyFramesCutWalks) {
    CTempDir dir;
    CDemoProject project;
    CStreamFile file;
    std::mt19937 rng(5);
    CTestRecorder rec(project, dir.Path().string(), 16, 10, false);
    for (int p = 0; p < 40; ++p) {
        if (p % 10 == 0) {
            rec.Key(rng);
        } else {
            rec.Change({{1, 1, 3, 3}}, rng);
        }
    }
    rec.Key(rng);
    ASSERT_TRUE(rec.Stop(file));
    CFrameCompositor compositor(project);
    compositor.SetSources({&file});

    compositor.GoToFrame(5);
    EXPECT_EQ(compositor.DecodedCount(), 1u + 5u) << "frame 0 is a key frame, then 1..5";
    compositor.GoToFrame(6);
    EXPECT_EQ(compositor.DecodedCount(), 1u);
    compositor.GoToFrame(5);
    EXPECT_EQ(compositor.DecodedCount(), 2u) << "6 backward, then 5 forward";
    compositor.GoToFrame(17);
    EXPECT_EQ(compositor.DecodedCount(), 8u) << "from the key frame 10 on";
    compositor.GoToFrame(10);
    EXPECT_EQ(compositor.DecodedCount(), 1u) << "a key frame alone gives its picture";
    compositor.GoToFrame(38);
    EXPECT_EQ(compositor.DecodedCount(), 3u)
        << "from the last frame back: 40 and 39 backward, 38 forward";
    EXPECT_EQ(compositor.Picture().m_Pixels, rec.Screen(38));
    compositor.GoToFrame(2);
    EXPECT_EQ(compositor.Picture().m_Pixels, rec.Screen(2));
}

TEST(CompositorWalkRules, StreamWithoutFinalKeyFrameStartsOverFromTheFirst) {
    CTempDir dir;
    CDemoProject project;
    CStreamFile file;
    std::mt19937 rng(9);
    CTestRecorder rec(project, dir.Path().string(), 16, 10, false);
    rec.Key(rng);
    for (int p = 1; p < 30; ++p) {
        rec.Change({{static_cast<int>(p % 12), 2, static_cast<int>(p % 12) + 3, 6}}, rng);
    }
    ASSERT_TRUE(rec.Stop(file));
    CFrameCompositor compositor(project);
    compositor.SetSources({&file});
    compositor.GoToFrame(2);
    // Near the end and far from frame 2: a walk from the last frame would restore only the
    // pixels that changed after 27.
    compositor.GoToFrame(27);
    EXPECT_EQ(compositor.Picture().m_Pixels, rec.Screen(27));
    compositor.GoToFrame(0);
    compositor.GoToFrame(28);
    EXPECT_EQ(compositor.Picture().m_Pixels, rec.Screen(28));
}

TEST(CompositorWalkRules, SearchStopsAtTheFirstMatchAndHiddenDeletedFramesAreSkipped) {
    CTempDir dir;
    CDemoProject project;
    CStreamFile file;
    std::mt19937 rng(2);
    CTestRecorder rec(project, dir.Path().string(), 8, 8, true);
    for (int p = 0; p < 12; ++p) {
        p == 0 ? rec.Key(rng) : rec.Change({{p % 8, 0, p % 8, 7}}, rng);
    }
    ASSERT_TRUE(rec.Stop(file));
    project.FrameAt(7)->m_pChapter = u"Part two";
    project.FrameAt(4)->m_bClickDown = 1;
    project.FrameAt(9)->m_bDeleted = 1;
    CFrameCompositor compositor(project);
    compositor.SetSources({&file});
    compositor.GoToFrame(1);

    EXPECT_EQ(compositor.GoToFrame(11, kSearchChapter), 7u);
    EXPECT_EQ(compositor.Picture().m_Pixels, rec.Screen(7));
    EXPECT_EQ(compositor.GoToFrame(0, kSearchClick | kSearchChapter), 4u);
    EXPECT_EQ(compositor.GoToFrame(11, kSearchBubble), 11u) << "no match: the target";
    EXPECT_EQ(project.CurrentIndex(), 11u);

    compositor.GoToFrame(9);
    EXPECT_EQ(compositor.CurrentIndex(), 9u) << "deleted frames are shown while not hidden";
    compositor.Options().bHideDeleted = true;
    compositor.GoToFrame(5);
    EXPECT_EQ(compositor.GoToFrame(9), 10u) << "walking forward, the next kept frame";
    EXPECT_EQ(compositor.Picture().m_Pixels, rec.Screen(10));
    EXPECT_EQ(compositor.GoToFrame(9), 8u) << "walking backward from 10, the one before";
    EXPECT_EQ(compositor.Picture().m_Pixels, rec.Screen(8));
}

TEST(CompositorWalkRules, CombinedSourcesCountTheirOwnPictures) {
    CTempDir dir;
    std::mt19937 rng(8);
    CDemoProject a;
    CDemoProject b;
    CTestRecorder recA(a, dir.Path().string(), 8, 6, false);
    CTestRecorder recB(b, dir.Path().string(), 8, 6, true);
    recA.Key(rng);
    recA.Change({{1, 1, 2, 2}}, rng);
    recA.Change({{3, 0, 7, 1}}, rng);
    recB.Key(rng);
    recB.Change({{0, 4, 7, 5}}, rng);
    CStreamFile fileA;
    CStreamFile fileB;
    ASSERT_TRUE(recA.Stop(fileA));
    ASSERT_TRUE(recB.Stop(fileB));

    // The combined project: a's frames, then b's frames taking their pictures from source 1.
    CDemoProject combined;
    combined.m_nWidth = 8;
    combined.m_nHeight = 6;
    for (CFrameInfo* p = a.FirstFrame(); p != nullptr; p = p->m_pNext) {
        combined.AppendFrame(std::make_unique<CFrameInfo>(*p));
    }
    for (CFrameInfo* p = b.FirstFrame(); p != nullptr; p = p->m_pNext) {
        auto pCopy = std::make_unique<CFrameInfo>(*p);
        pCopy->m_nSource = 1;
        pCopy->m_bRedrawAll = p == b.FirstFrame() ? 1 : 0;
        combined.AppendFrame(std::move(pCopy));
    }
    CFrameCompositor compositor(combined);
    compositor.SetSources({&fileA, &fileB});
    const std::vector<uint32_t> expected[] = {recA.Screen(0), recA.Screen(1), recA.Screen(2),
                                              recB.Screen(0), recB.Screen(1)};
    for (uint32_t i : {4u, 1u, 3u, 2u, 0u, 4u, 3u, 2u}) {
        compositor.GoToFrame(i);
        EXPECT_EQ(compositor.Picture().m_Pixels, expected[i]) << "frame " << i;
    }
    EXPECT_FALSE(compositor.Damaged());
}

}  // namespace
