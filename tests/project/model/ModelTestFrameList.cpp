#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "project/model/Chapter.h"
#include "project/model/CursorImage.h"
#include "project/model/DemoProject.h"

namespace {

std::unique_ptr<CFrameInfo> Frame(int32_t nDuration) {
    auto pFrame = std::make_unique<CFrameInfo>();
    pFrame->m_nDuration = nDuration;
    return pFrame;
}

// The durations in list order, walking forward, checked against the walk backward and the
// count, so that every link is exercised.
std::vector<int32_t> Durations(const CDemoProject& project) {
    std::vector<int32_t> forward;
    for (const CFrameInfo* p = project.FirstFrame(); p != nullptr; p = p->m_pNext) {
        forward.push_back(p->m_nDuration);
    }
    std::vector<int32_t> backward;
    for (const CFrameInfo* p = project.LastFrame(); p != nullptr; p = p->m_pPrev) {
        backward.insert(backward.begin(), p->m_nDuration);
    }
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(forward.size(), project.FrameCount());
    return forward;
}

class FrameListTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int32_t d : {10, 20, 30, 40, 50}) {
            m_project.AppendFrame(Frame(d));
        }
    }
    CDemoProject m_project;
};

TEST_F(FrameListTest, InsertAndRemoveKeepOneChain) {
    m_project.InsertAt(0, Frame(1));
    m_project.InsertAt(3, Frame(2));
    m_project.InsertAt(99, Frame(3));
    m_project.InsertAfter(m_project.LastFrame(), Frame(4));
    EXPECT_EQ(Durations(m_project), (std::vector<int32_t>{1, 10, 20, 2, 30, 40, 50, 3, 4}));

    auto pRemoved = m_project.RemoveFrame(m_project.FirstFrame());
    ASSERT_TRUE(pRemoved);
    EXPECT_EQ(pRemoved->m_pPrev, nullptr);
    EXPECT_EQ(pRemoved->m_pNext, nullptr);
    m_project.RemoveFrame(m_project.LastFrame());
    m_project.RemoveFrame(m_project.FrameAt(2));
    EXPECT_EQ(Durations(m_project), (std::vector<int32_t>{10, 20, 30, 40, 50, 3}));

    CFrameInfo foreign;
    EXPECT_EQ(m_project.RemoveFrame(&foreign), nullptr);
    EXPECT_EQ(m_project.FrameCount(), 6u);
}

TEST_F(FrameListTest, IndexLookupFromBothEnds) {
    for (uint32_t i = 0; i < 5; ++i) {
        ASSERT_NE(m_project.FrameAt(i), nullptr);
        EXPECT_EQ(m_project.FrameAt(i)->m_nDuration, static_cast<int32_t>(10 * (i + 1)));
        EXPECT_EQ(m_project.IndexOf(m_project.FrameAt(i)), i);
    }
    EXPECT_EQ(m_project.FrameAt(5), nullptr);
    EXPECT_EQ(m_project.IndexOf(nullptr), -1);
}

TEST_F(FrameListTest, CurrentFrameFollowsInsertionsAndRemovals) {
    ASSERT_TRUE(m_project.SetCurrentFrame(2));
    CFrameInfo* pCurrent = m_project.CurrentFrame();
    EXPECT_FALSE(m_project.SetCurrentFrame(5));

    m_project.InsertAt(0, Frame(1));            // before: index moves
    m_project.InsertAfter(pCurrent, Frame(2));  // after: stays
    m_project.AppendFrame(Frame(3));
    EXPECT_EQ(m_project.CurrentFrame(), pCurrent);
    EXPECT_EQ(m_project.CurrentIndex(), 3u);

    m_project.RemoveFrame(m_project.FirstFrame());
    EXPECT_EQ(m_project.CurrentIndex(), 2u);
    // Removing the current frame makes the next one current; at the end, the one before.
    m_project.RemoveFrame(pCurrent);
    EXPECT_EQ(m_project.CurrentFrame()->m_nDuration, 2);
    EXPECT_EQ(m_project.CurrentIndex(), 2u);
    ASSERT_TRUE(m_project.SetCurrentFrame(m_project.FrameCount() - 1));
    m_project.RemoveFrame(m_project.CurrentFrame());
    EXPECT_EQ(m_project.CurrentFrame(), m_project.LastFrame());
    EXPECT_EQ(m_project.CurrentIndex(), m_project.FrameCount() - 1);

    while (m_project.FirstFrame() != nullptr) {
        m_project.RemoveFrame(m_project.FirstFrame());
    }
    EXPECT_EQ(m_project.CurrentFrame(), nullptr);
    EXPECT_EQ(m_project.LastFrame(), nullptr);
    m_project.AppendFrame(Frame(7));
    EXPECT_EQ(m_project.CurrentFrame(), m_project.FirstFrame());
}

TEST_F(FrameListTest, RemovingASoundOwnerLeavesNoDanglingOwner) {
    CFrameInfo* pOwner = m_project.FrameAt(1);
    pOwner->m_pSyncOwner = pOwner;
    m_project.FrameAt(2)->m_pSyncOwner = pOwner;
    m_project.FrameAt(3)->m_pSyncOwner = pOwner;
    auto pRemoved = m_project.RemoveFrame(pOwner);
    EXPECT_EQ(pRemoved->m_pSyncOwner, nullptr);
    for (const CFrameInfo* p = m_project.FirstFrame(); p != nullptr; p = p->m_pNext) {
        EXPECT_EQ(p->m_pSyncOwner, nullptr);
    }
}

TEST_F(FrameListTest, ACopyOwnsItsItemsAndIsLinkedNowhere) {
    CFrameInfo* pSource = m_project.FrameAt(2);
    pSource->m_pText = u"text";
    pSource->m_pFont = CLogFont::Default();
    auto pCopy = std::make_unique<CFrameInfo>(*pSource);
    EXPECT_EQ(pCopy->m_pPrev, nullptr);
    EXPECT_EQ(pCopy->m_pNext, nullptr);
    pSource->m_pText->append(u" changed");
    EXPECT_EQ(pCopy->m_pText, u"text");

    // Assigning content into a linked frame keeps it where it is.
    CFrameInfo* pTarget = m_project.FrameAt(0);
    *pTarget = *pCopy;
    EXPECT_EQ(Durations(m_project), (std::vector<int32_t>{30, 20, 30, 40, 50}));
}

TEST(CapturedFrame, CountsFramesAndPicturesAndNamesTheNextFrame) {
    CDemoProject project;
    for (uint32_t n = 1; n <= 3; ++n) {
        const CFrameInfo& frame = project.AppendCapturedFrame();
        EXPECT_EQ(project.FrameCount(), n);
        EXPECT_EQ(project.m_nStreamFrames, n);
        EXPECT_EQ(&frame, project.LastFrame());
        // The targets name the frame that follows, even for the last frame.
        for (int32_t target : {frame.m_nFrameGotoFrame, frame.m_nHotspotGotoFrame,
                               frame.m_nHotspotUntilFrame, frame.m_nBubbleUntilFrame}) {
            EXPECT_EQ(target, static_cast<int32_t>(n) + 1);
        }
        EXPECT_FALSE(frame.m_pSyncOwner);
    }
}

TEST(CapturedFrame, PanOriginAndNarrationComeFromTheRecorder) {
    CDemoProject project;
    std::vector<CFrameInfo*> frames;
    for (int32_t pos : {0, 35, 90}) {
        SCaptureContext context{static_cast<uint16_t>(pos + 1), 7, true, pos};
        frames.push_back(&project.AppendCapturedFrame(context));
    }
    EXPECT_EQ(frames[1]->m_nPanX, 36);
    EXPECT_EQ(frames[1]->m_nPanY, 7);
    EXPECT_TRUE(frames[0]->m_bSyncSound && frames[0]->m_bPlaySound);
    EXPECT_FALSE(frames[1]->m_bSyncSound || frames[1]->m_bPlaySound);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(frames[i]->m_pSyncOwner, frames[0]);
        EXPECT_EQ(frames[i]->m_nSyncIndex, i);
    }
    EXPECT_EQ(frames[2]->m_nSyncOffset, 90);
}

TEST(ColorCensus, CountsFifteenBitColoursAndSaturates) {
    struct SCase {
        uint32_t nPixel;
        uint32_t nIndex;
    };
    const SCase cases[] = {
        {0x00000000, 0},      {0x000000F8, 0x001F},  // blue's top five bits in bits 0-4
        {0x0000F800, 0x03E0},                        // green in 5-9
        {0x00F80000, 0x7C00},                        // red in 10-14
        {0xFF070707, 0},                             // low bits and the marker byte do not count
        {0x00FFFFFF, 0x7FFF},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(CDemoProject::HistogramIndex(c.nPixel), c.nIndex) << std::hex << c.nPixel;
    }
    CDemoProject project;
    ASSERT_EQ(project.m_ColorHistogram.size(), kColorHistogramSize);
    project.CountColor(0x00F80000);
    project.CountColor(0x00FF0707);
    EXPECT_EQ(project.m_ColorHistogram[0x7C00], 2u);
    project.m_ColorHistogram[0x7C00] = 0xFFFFFFFF;
    project.CountColor(0x00F80000);
    EXPECT_EQ(project.m_ColorHistogram[0x7C00], 0xFFFFFFFFu);
}

TEST(CursorImageTable, FindsByCursorAndSource) {
    CCursorImageTable table;
    EXPECT_FALSE(table.m_bPresent);
    for (uint32_t h = 0; h < 301; ++h) {
        table.Add({h, {}, 1, 2, 0, static_cast<int16_t>(h % 2)});
    }
    EXPECT_TRUE(table.m_bPresent);
    EXPECT_GE(table.m_Images.capacity(), 600u);
    ASSERT_NE(table.Find(7, 1), nullptr);
    EXPECT_EQ(table.Find(7, 1)->m_hCursor, 7u);
    EXPECT_EQ(table.Find(7, 0), nullptr);
    EXPECT_EQ(table.Find(400, 0), nullptr);
}

TEST(FrameRecord, TheFirstClickEditKeepsTheRecordedClicks) {
    CFrameRecord f;
    f.m_bClickDown = 1;
    f.SetClickEffect(false, true);
    f.SetClickEffect(true, true);
    EXPECT_TRUE(f.m_bClickEdited);
    EXPECT_TRUE(f.m_bClickDown && f.m_bClickUp);
    EXPECT_TRUE(f.m_bRecClickDown);
    EXPECT_FALSE(f.m_bRecClickUp);
}

TEST(Chapter, ExistsWhileATitleIsSet) {
    CFrameRecord frame;
    EXPECT_FALSE(CChapter::Of(frame));
    CChapter::Set(frame, u"Chapter 1");
    ASSERT_TRUE(CChapter::Of(frame));
    EXPECT_EQ(CChapter::Of(frame)->Title(), u"Chapter 1");
    EXPECT_EQ(frame.m_nChapterLen, 9);
    CChapter::Set(frame, std::nullopt);
    EXPECT_FALSE(frame.HasChapter());
    EXPECT_EQ(frame.m_nChapterLen, 0);
}

}  // namespace
