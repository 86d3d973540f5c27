#include <gtest/gtest.h>

#include <vector>

#include "project/model/DemoProject.h"
#include "project/model/SoundSync.h"

namespace {

struct SSwitches {
    uint8_t bSingle;
    uint8_t bSync;
    uint8_t bBackground;
    int32_t nSoundDuration;

    friend bool operator==(const SSwitches&, const SSwitches&) = default;
};

SSwitches SwitchesOf(const CFrameRecord& f) {
    return {f.m_bSingleFrameSound, f.m_bSyncSound, f.m_bBackgroundSound, f.m_nSoundDuration};
}

TEST(SoundSwitches, ExcludeOneAnother) {
    struct SCase {
        const char* name;
        SSwitches before;
        uint8_t bSyncCalculated;
        void (*flip)(CFrameRecord&);
        SSwitches after;
    };
    const SCase cases[] = {
        {"background on",
         {1, 1, 0, 50},
         0,
         [](CFrameRecord& f) { SetBackgroundSound(f, true); },
         {0, 0, 1, 0}},
        {"background off restores calculated sync",
         {0, 0, 1, 0},
         1,
         [](CFrameRecord& f) { SetBackgroundSound(f, false); },
         {0, 1, 0, 0}},
        {"single frame on measures the sound",
         {0, 1, 1, 0},
         0,
         [](CFrameRecord& f) { SetSingleFrameSound(f, true, 2345); },
         {1, 0, 0, 235}},
        {"single frame off",
         {1, 0, 0, 235},
         0,
         [](CFrameRecord& f) { SetSingleFrameSound(f, false, 2345); },
         {0, 0, 0, 0}},
    };
    for (const SCase& c : cases) {
        CFrameRecord f;
        f.m_pszSound = "/s.wav";
        f.m_bPlaySound = 1;
        f.m_bSingleFrameSound = c.before.bSingle;
        f.m_bSyncSound = c.before.bSync;
        f.m_bBackgroundSound = c.before.bBackground;
        f.m_nSoundDuration = c.before.nSoundDuration;
        f.m_bSyncCalculated = c.bSyncCalculated;
        c.flip(f);
        EXPECT_EQ(SwitchesOf(f), c.after) << c.name;
    }
}

class SoundSyncTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int32_t d : {100, 50, 50, 50, 50, 50}) {
            m_frames.push_back(&m_project.AppendCapturedFrame());
            m_frames.back()->m_nDuration = d;
        }
        m_frames[0]->m_pszSound = "/narration.wav";
        m_frames[0]->m_bSingleFrameSound = 1;
        m_frames[0]->m_nSoundDuration = 400;
        m_frames[0]->m_bBackgroundSound = 1;
        m_context.bEnableSyncSound = true;
        m_context.nSoundLengthMs = 2509;  // 250 hundredths
    }
    std::vector<int32_t> Offsets() const {
        std::vector<int32_t> out;
        for (const CFrameInfo* p : m_frames) {
            out.push_back(p->m_pSyncOwner == m_frames[0] ? p->m_nSyncOffset : -1);
        }
        return out;
    }
    CDemoProject m_project;
    std::vector<CFrameInfo*> m_frames;
    SSoundSyncContext m_context;
};

TEST_F(SoundSyncTest, TheSoundRunsOnUntilItEnds) {
    m_frames[2]->m_bDeleted = 1;
    SetSyncSound(m_project, *m_frames[0], true, m_context);
    EXPECT_EQ(SwitchesOf(*m_frames[0]), (SSwitches{0, 1, 0, 0}));
    EXPECT_TRUE(m_frames[0]->m_bSyncCalculated);
    // 100, then 50 a frame with the deleted frame passed over: 150, 200 and 250 reached.
    EXPECT_EQ(Offsets(), (std::vector<int32_t>{0, 100, -1, 150, 200, -1}));
    EXPECT_EQ(m_frames[0]->m_nNaturalDuration, 100);
    EXPECT_EQ(m_frames[3]->m_nSyncIndex, 2);
    EXPECT_EQ(m_frames[4]->m_nSyncIndex, 3);
    EXPECT_EQ(m_frames[4]->m_nNaturalDuration, 50);
}

TEST_F(SoundSyncTest, RecalculatingAsksAndReleasesTheOldFollowers) {
    ASSERT_TRUE(SynchroniseSound(m_project, *m_frames[0], m_context));
    m_context.nSoundLengthMs = 1200;

    int nAsked = 0;
    m_context.confirmResync = [&] {
        ++nAsked;
        return false;
    };
    EXPECT_FALSE(SynchroniseSound(m_project, *m_frames[0], m_context));
    EXPECT_EQ(Offsets(), (std::vector<int32_t>{0, 100, 150, 200, -1, -1}));

    m_context.confirmResync = [&] {
        ++nAsked;
        return true;
    };
    EXPECT_TRUE(SynchroniseSound(m_project, *m_frames[0], m_context));
    EXPECT_EQ(nAsked, 2);
    EXPECT_EQ(Offsets(), (std::vector<int32_t>{0, 100, -1, -1, -1, -1}));
    EXPECT_EQ(m_frames[3]->m_pSyncOwner, nullptr);
}

TEST_F(SoundSyncTest, NothingHappensWhenDisabledOrWithoutASound) {
    m_context.bEnableSyncSound = false;
    SetSyncSound(m_project, *m_frames[0], true, m_context);
    EXPECT_TRUE(m_frames[0]->m_bSyncSound);
    EXPECT_FALSE(m_frames[0]->m_bSyncCalculated);
    EXPECT_EQ(m_frames[1]->m_pSyncOwner, nullptr);

    m_context.bEnableSyncSound = true;
    EXPECT_FALSE(SynchroniseSound(m_project, *m_frames[1], m_context));
}

TEST_F(SoundSyncTest, LongFramesKeepTheLargestNaturalDuration) {
    m_frames[1]->m_nDuration = 40000;
    m_context.nSoundLengthMs = 10'000'000;
    ASSERT_TRUE(SynchroniseSound(m_project, *m_frames[0], m_context));
    EXPECT_EQ(m_frames[1]->m_nNaturalDuration, 32767);
    EXPECT_EQ(m_frames[2]->m_nSyncOffset, 40100);
}

}  // namespace
