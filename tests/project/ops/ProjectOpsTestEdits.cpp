#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "project/model/TalkBubble.h"
#include "project/ops/FrameEdits.h"
#include "project/stream/FrameCompositor.h"
#include "tests/project/ops/ProjectOpsTestSupport.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<uint8_t> Block() {
    return {4, 0, 0, 0, 1, 2, 3, 4};
}

class FrameEditsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordProjectFile(m_dir.Path().string(), m_dir.File("demo.lumo"), 40, 30, 10);
        m_ops = OpenOps(m_dir.File("demo.lumo"));
        ASSERT_NE(m_ops, nullptr);
    }

    CDemoProject& Project() { return m_ops->project; }

    CTempDir m_dir;
    std::unique_ptr<SOpsProject> m_ops;
};

TEST_F(FrameEditsTest, DuplicateRenumbersTargetsAfterItsPosition) {
    CFrameInfo* f0 = Project().FrameAt(0);
    f0->m_nFrameGotoFrame = 6;
    f0->m_nHotspotGotoFrame = 5;
    f0->m_nHotspotUntilFrame = 9;
    f0->m_nBubbleUntilFrame = 1;
    CFrameInfo* f8 = Project().FrameAt(8);
    f8->m_nFrameGotoFrame = 6;
    // Edited pictures reaching up to frame 5 (index 4) or to the new position (index 5).
    CFrameInfo* f1 = Project().FrameAt(1);
    f1->m_pPicture = Block();
    f1->m_bPictureFollowing = 1;
    f1->m_nPictureUntil = 4;
    CFrameInfo* f2 = Project().FrameAt(2);
    f2->m_pPicture = Block();
    f2->m_bPictureFollowing = 1;
    f2->m_nPictureUntil = 5;
    CFrameInfo* f3 = Project().FrameAt(3);
    f3->m_nPictureUntil = 7;  // no edited picture: not a reach

    std::vector<int32_t> history;
    bool bModified = false;
    ASSERT_TRUE(Project().SetCurrentFrame(4));  // frame 5
    CFrameInfo* pCopy =
        InsertDuplicate(Project(), {.pCompositor = m_ops->compositor.get(),
                                    .renumberHistory = [&](int32_t n) { history.push_back(n); },
                                    .markModified = [&] { bModified = true; }});
    ASSERT_NE(pCopy, nullptr);
    EXPECT_EQ(Project().FrameCount(), 11u);
    EXPECT_EQ(Project().CurrentIndex(), 5u);
    EXPECT_EQ(Project().FrameAt(5), pCopy);
    EXPECT_EQ(history, std::vector<int32_t>{6});
    EXPECT_TRUE(bModified);

    EXPECT_EQ(f0->m_nFrameGotoFrame, 7);
    EXPECT_EQ(f0->m_nHotspotGotoFrame, 5);
    EXPECT_EQ(f0->m_nHotspotUntilFrame, 10);
    EXPECT_EQ(f0->m_nBubbleUntilFrame, 1);
    EXPECT_EQ(f8->m_nFrameGotoFrame, 7);
    EXPECT_EQ(f1->m_nPictureUntil, 4);
    EXPECT_EQ(f2->m_nPictureUntil, 6);
    EXPECT_EQ(f3->m_nPictureUntil, 7);
    EXPECT_TRUE(pCopy->m_bDuplicate);
    EXPECT_EQ(pCopy->m_nStreamFrame, 4u);
}

TEST_F(FrameEditsTest, DuplicateHasNoSoundAndKeepsItsItems) {
    CFrameInfo* f = Project().FrameAt(2);
    f->m_pszSound = "/tmp/voice.wav";
    f->m_nSoundLen = 14;
    f->m_bSyncSound = 1;
    f->m_pSyncOwner = f;
    f->m_nSoundDuration = 300;
    f->m_pText = u"Click here";
    f->m_pFormat = UnlaidBubbleLines();
    f->m_pszHotspotUrl = "http://example.com/";
    ASSERT_TRUE(Project().SetCurrentFrame(2));
    CFrameInfo* pCopy = InsertDuplicate(Project());
    ASSERT_NE(pCopy, nullptr);
    EXPECT_FALSE(pCopy->HasSound());
    EXPECT_EQ(pCopy->m_pSyncOwner, nullptr);
    EXPECT_EQ(pCopy->m_nSoundDuration, 0);
    EXPECT_EQ(pCopy->m_nSoundLen, 0);
    EXPECT_EQ(pCopy->m_pText, f->m_pText);
    EXPECT_EQ(pCopy->m_nTextLen, 10);
    EXPECT_EQ(pCopy->m_pszHotspotUrl, f->m_pszHotspotUrl);
    EXPECT_TRUE(f->HasSound());
    EXPECT_EQ(pCopy->m_pCache, std::vector<uint8_t>(kFrameCacheSize, 0));
}

TEST_F(FrameEditsTest, DuplicateOfDuplicateAndOfLastFrameShowTheirSourcePictureAfterReopen) {
    std::vector<CPixelPicture> before;
    for (uint32_t i = 0; i < Project().FrameCount(); ++i) {
        before.push_back(m_ops->PictureAt(i));
    }
    ASSERT_TRUE(Project().SetCurrentFrame(4));
    InsertDuplicate(Project());  // index 5 shows picture 4
    InsertDuplicate(Project());  // a duplicate of the duplicate: index 6 shows picture 4
    ASSERT_TRUE(Project().SetCurrentFrame(Project().FrameCount() - 1));
    CFrameInfo* pLast = InsertDuplicate(Project());
    EXPECT_EQ(Project().LastFrame(), pLast);
    ASSERT_TRUE(m_ops->file->Save());

    auto back = OpenOps(m_dir.File("demo.lumo"));
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->project.FrameCount(), 13u);
    const std::vector<uint32_t> shows = {0, 1, 2, 3, 4, 4, 4, 5, 6, 7, 8, 9, 9};
    for (uint32_t i = 0; i < shows.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i + 1));
        EXPECT_EQ(back->PictureAt(i).m_Pixels, before[shows[i]].m_Pixels);
    }
}

TEST_F(FrameEditsTest, ApplyToFollowingDialogStartsFromTheFrameAndKeepsTheReachInRange) {
    CFrameInfo* f = Project().FrameAt(3);
    f->m_pPicture = Block();
    f->m_nPictureTransparency = 40;
    ASSERT_TRUE(Project().SetCurrentFrame(3));

    struct SCase {
        int32_t nEntered;
        int32_t nUntil;
    };
    for (const SCase& c : {SCase{7, 6}, SCase{1, 3}, SCase{99, 9}, SCase{4, 3}}) {
        SCOPED_TRACE(c.nEntered);
        std::optional<SApplyToFollowing> shown;
        ASSERT_TRUE(RunApplyToFollowingDialog(Project(),
                                              [&](const SApplyToFollowing& initial) {
                                                  shown = initial;
                                                  return SApplyToFollowing{c.nEntered, 70};
                                              },
                                              {.pCompositor = m_ops->compositor.get()}));
        EXPECT_EQ(f->m_bPictureFollowing, 1);
        EXPECT_EQ(f->m_nPictureUntil, c.nUntil);
        EXPECT_EQ(f->m_nPictureTransparency, 70);
    }
    // Shown again: the last reach, one-based.
    SApplyToFollowing again = ApplyToFollowingDefaults(Project());
    EXPECT_EQ(again.nLastFrame, 4);
    EXPECT_EQ(again.nTransparency, 70);

    ASSERT_TRUE(ApplyToThisFrameOnly(Project(), {.pCompositor = m_ops->compositor.get()}));
    EXPECT_EQ(f->m_bPictureFollowing, 0);
    EXPECT_EQ(ApplyToFollowingDefaults(Project()).nLastFrame, 10);
}

TEST_F(FrameEditsTest, ApplyToFollowingNeedsAnEditedPictureAndCancelChangesNothing) {
    ASSERT_TRUE(Project().SetCurrentFrame(2));
    bool bAsked = false;
    auto ask = [&](const SApplyToFollowing&) -> std::optional<SApplyToFollowing> {
        bAsked = true;
        return std::nullopt;
    };
    EXPECT_FALSE(RunApplyToFollowingDialog(Project(), ask));
    EXPECT_FALSE(bAsked);
    Project().FrameAt(2)->m_pPicture = Block();
    EXPECT_FALSE(RunApplyToFollowingDialog(Project(), ask));
    EXPECT_TRUE(bAsked);
    EXPECT_EQ(Project().FrameAt(2)->m_bPictureFollowing, 0);
}

}  // namespace
