#include <gtest/gtest.h>

#include <filesystem>

#include "project/ops/FrameEdits.h"
#include "project/ops/RemoveDeletedFrames.h"
#include "tests/project/ops/ProjectOpsTestSupport.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

class RemoveDeletedTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(m_dir.Path() / "tmp");
        RecordProjectFile(m_dir.Path().string(), m_dir.File("demo.lumo"), 48, 32, 14, 5);
        m_ops = OpenOps(m_dir.File("demo.lumo"));
        ASSERT_NE(m_ops, nullptr);
    }

    CDemoProject& Project() { return m_ops->project; }

    SNewProjectOptions Options(bool bZlib = false) {
        return {.tempDir = m_dir.File("tmp"),
                .bZlibPixels = bZlib,
                .outputName = m_dir.File("kept.lumo")};
    }

    bool Remove(bool bZlib = false) {
        return RemoveDeletedFrames(Project(), m_ops->file->StreamSources(), m_ops->prompter,
                                   Options(bZlib));
    }

    bool TempFolderEmpty() const { return fs::is_empty(m_dir.Path() / "tmp"); }

    CTempDir m_dir;
    std::unique_ptr<SOpsProject> m_ops;
};

class RemoveDeletedCodingTest : public RemoveDeletedTest,
                                public ::testing::WithParamInterface<bool> {};

TEST_P(RemoveDeletedCodingTest, KeptFramesShowTheSamePicturesAndTheLastIsAKeyFrame) {
    // A duplicate whose source frame is left out still shows its picture.
    ASSERT_TRUE(Project().SetCurrentFrame(4));
    ASSERT_NE(InsertDuplicate(Project()), nullptr);
    const std::vector<uint32_t> deleted = {2, 4, 6, 9, 14};  // 14 is the last frame
    for (uint32_t n : deleted) {
        Project().FrameAt(n)->m_bDeleted = 1;
    }

    std::vector<CPixelPicture> before;
    std::vector<SCursorLayer> cursors;
    std::vector<int32_t> durations;
    for (uint32_t i = 0; i < Project().FrameCount(); ++i) {
        const CFrameInfo* f = Project().FrameAt(i);
        if (f->m_bDeleted == 0) {
            before.push_back(m_ops->PictureAt(i));
            // A picture without cursor records shows the cursor the walk met last, which may
            // be one of a left-out frame; only a frame's own cursor is compared.
            cursors.push_back(f->m_nRecCursorX != kCursorUnknown ? m_ops->compositor->CursorLayer()
                                                                 : SCursorLayer{});
            durations.push_back(Project().FrameAt(i)->m_nDuration);
        }
    }
    ASSERT_TRUE(Remove(GetParam())) << m_ops->prompter.Transcript();
    EXPECT_EQ(Project().FrameCount(), 15u);
    EXPECT_TRUE(TempFolderEmpty());

    auto kept = OpenOps(m_dir.File("kept.lumo"));
    ASSERT_NE(kept, nullptr);
    ASSERT_EQ(kept->project.FrameCount(), before.size());
    EXPECT_EQ(kept->project.m_bZlibPixels, GetParam());
    for (uint32_t i = 0; i < before.size(); ++i) {
        SCOPED_TRACE("kept frame " + std::to_string(i + 1));
        const CFrameInfo* f = kept->project.FrameAt(i);
        EXPECT_EQ(kept->PictureAt(i).m_Pixels, before[i].m_Pixels);
        if (cursors[i].bPresent) {
            const SCursorLayer& cursor = kept->compositor->CursorLayer();
            EXPECT_EQ(cursor.nX, cursors[i].nX);
            EXPECT_EQ(cursor.nY, cursors[i].nY);
            EXPECT_EQ(cursor.pixels, cursors[i].pixels);
        }
        EXPECT_EQ(f->m_nDuration, durations[i]);
        EXPECT_EQ(f->m_bDuplicate, 0);
        EXPECT_EQ(f->m_bDeleted, 0);
    }
    EXPECT_EQ(kept->project.LastFrame()->m_bKeyFrame, 1);
    EXPECT_EQ(kept->project.FirstFrame()->m_bKeyFrame, 1);
    // Walking backwards from the end gives the same pictures.
    for (uint32_t i = static_cast<uint32_t>(before.size()); i-- > 0;) {
        EXPECT_EQ(kept->PictureAt(i).m_Pixels, before[i].m_Pixels) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Codings, RemoveDeletedCodingTest, ::testing::Values(false, true));

TEST_F(RemoveDeletedTest, TargetsAndSoundsFollowTheKeptFrames) {
    for (uint32_t n : {0u, 3u, 4u}) {
        Project().FrameAt(n)->m_bDeleted = 1;
    }
    CFrameInfo* f1 = Project().FrameAt(1);
    f1->m_nFrameGotoFrame = 5;      // names deleted frame 5: nearest kept before is 3 -> 2
    f1->m_nHotspotGotoFrame = 1;    // deleted, nothing kept before it -> 1
    f1->m_nHotspotUntilFrame = 40;  // beyond the frames -> the new last frame
    f1->m_nBubbleUntilFrame = 7;    // frame 7 becomes 4
    f1->m_pPicture = std::vector<uint8_t>{4, 0, 0, 0, 1, 2, 3, 4};
    f1->m_bPictureFollowing = 1;
    f1->m_nPictureUntil = 5;  // index 5 -> index 2
    // Frame 4 (deleted) owns a sound that frames 5 and 6 continue.
    CFrameInfo* owner = Project().FrameAt(3);
    owner->m_pszSound = "/sounds/voice.wav";
    owner->m_nSoundLen = 17;
    owner->m_bPlaySound = 1;
    owner->m_nSoundParamB = 42;
    owner->m_pSyncOwner = owner;
    for (uint32_t n : {4u, 5u, 6u}) {
        Project().FrameAt(n)->m_pSyncOwner = owner;
    }
    ASSERT_TRUE(Remove());
    // The open project is unchanged.
    EXPECT_EQ(Project().FrameAt(5)->m_pSyncOwner, owner);
    EXPECT_EQ(f1->m_nFrameGotoFrame, 5);

    auto kept = OpenOps(m_dir.File("kept.lumo"));
    ASSERT_NE(kept, nullptr);
    CDemoProject& p = kept->project;
    ASSERT_EQ(p.FrameCount(), 11u);
    const CFrameInfo* k0 = p.FrameAt(0);
    EXPECT_EQ(k0->m_nFrameGotoFrame, 2);
    EXPECT_EQ(k0->m_nHotspotGotoFrame, 1);
    EXPECT_EQ(k0->m_nHotspotUntilFrame, 11);
    EXPECT_EQ(k0->m_nBubbleUntilFrame, 4);
    EXPECT_EQ(k0->m_nPictureUntil, 2);
    const CFrameInfo* heir = p.FrameAt(2);  // old frame 6
    EXPECT_EQ(heir->m_pszSound, std::optional<std::string>("/sounds/voice.wav"));
    EXPECT_EQ(heir->m_nSoundParamB, 42);
    EXPECT_EQ(heir->m_bPlaySound, 1);
    EXPECT_EQ(heir->m_pSyncOwner, heir);
    EXPECT_EQ(p.FrameAt(3)->m_pSyncOwner, heir);
    EXPECT_EQ(p.FrameAt(4)->m_pSyncOwner, nullptr);
}

TEST_F(RemoveDeletedTest, CancelAndEveryFrameDeletedWriteNothing) {
    Project().FrameAt(3)->m_bDeleted = 1;
    m_ops->prompter.CancelAfterSteps(1);
    EXPECT_FALSE(Remove());
    EXPECT_FALSE(fs::exists(m_dir.File("kept.lumo")));
    EXPECT_TRUE(TempFolderEmpty());
    EXPECT_EQ(m_ops->prompter.ProgressCaptions(),
              std::vector<std::string>{"Removing Deleted Frames"});
    EXPECT_FALSE(m_ops->prompter.ProgressOpen());

    for (CFrameInfo* f = Project().FirstFrame(); f != nullptr; f = f->m_pNext) {
        f->m_bDeleted = 1;
    }
    CScriptedPrompter prompter;
    EXPECT_FALSE(RemoveDeletedFrames(Project(), m_ops->file->StreamSources(), prompter, Options()));
    EXPECT_EQ(prompter.Transcript(),
              std::string("Remove Deleted Frames: ") + kNothingToKeep + "\n");
    EXPECT_FALSE(fs::exists(m_dir.File("kept.lumo")));
}

// Left-out frames of a pan recording change parts of the desktop that the kept frames show
// later; each kept frame still shows its recorded area at its own pan origin, walking either
// way.
TEST_F(RemoveDeletedTest, PanRecordingKeepsEveryAreaAtItsPanOrigin) {
    struct SCase {
        const char* name;
        std::vector<uint32_t> deleted;
    };
    const SCase cases[] = {
        {"middle and last", {2, 3, 6, 11}},
        {"first frames", {0, 1, 5}},
    };
    RecordPanProjectFile(m_dir.Path().string(), m_dir.File("pan.lumo"), 24, 16, 60, 40, 12, 7);
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto pan = OpenOps(m_dir.File("pan.lumo"));
        ASSERT_NE(pan, nullptr);
        for (uint32_t n : c.deleted) {
            pan->project.FrameAt(n)->m_bDeleted = 1;
        }
        std::vector<std::vector<uint32_t>> before;
        std::vector<std::pair<int, int>> origins;
        for (uint32_t i = 0; i < pan->project.FrameCount(); ++i) {
            const CFrameInfo& f = *pan->project.FrameAt(i);
            if (f.m_bDeleted == 0) {
                before.push_back(RecordedArea(*pan, i));
                origins.emplace_back(f.m_nPanX, f.m_nPanY);
            }
        }
        fs::remove(m_dir.File("kept.lumo"));
        ASSERT_TRUE(
            RemoveDeletedFrames(pan->project, pan->file->StreamSources(), pan->prompter, Options()))
            << pan->prompter.Transcript();

        auto kept = OpenOps(m_dir.File("kept.lumo"));
        ASSERT_NE(kept, nullptr);
        ASSERT_EQ(kept->project.FrameCount(), before.size());
        EXPECT_EQ(kept->project.FirstFrame()->m_pPanPicture,
                  pan->project.FirstFrame()->m_pPanPicture);
        EXPECT_EQ(kept->PictureAt(0).m_nWidth, 60) << "the picture is the desktop";
        for (uint32_t i = 0; i < before.size(); ++i) {
            SCOPED_TRACE("kept frame " + std::to_string(i + 1));
            const CFrameInfo& f = *kept->project.FrameAt(i);
            EXPECT_EQ(f.m_nPanX, origins[i].first);
            EXPECT_EQ(f.m_nPanY, origins[i].second);
            EXPECT_EQ(RecordedArea(*kept, i), before[i]);
        }
        for (uint32_t i = static_cast<uint32_t>(before.size()); i-- > 0;) {
            EXPECT_EQ(RecordedArea(*kept, i), before[i]) << "backward " << i;
        }
        EXPECT_FALSE(kept->compositor->Damaged());
    }
}

TEST_F(RemoveDeletedTest, MissingTemporaryFolderIsTold) {
    Project().FrameAt(3)->m_bDeleted = 1;
    SNewProjectOptions options = Options();
    options.tempDir = m_dir.File("no/such/folder");
    EXPECT_FALSE(
        RemoveDeletedFrames(Project(), m_ops->file->StreamSources(), m_ops->prompter, options));
    EXPECT_EQ(m_ops->prompter.Transcript(), "Quillo Error: Unable to open temporary file\n");
}

}  // namespace
