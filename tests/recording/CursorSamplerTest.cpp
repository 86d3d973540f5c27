#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/InputEvents.h"
#include "platform/RecordingClock.h"
#include "recording/CursorSampler.h"
#include "tests/recording/FakeCursorSource.h"

namespace {

class CursorSamplerTest : public ::testing::Test {
protected:
    void SetUp() override { m_sampler.Configure(20, false); }

    // One reading at clock time t; the test is the only thread, so the lock is free.
    void ReadAt(uint32_t t) {
        m_clock.Set(t);
        std::lock_guard lock(m_sampler.Lock());
        m_sampler.TakeCursorSample();
    }
    std::vector<SCursorSample> Take() {
        std::lock_guard lock(m_sampler.Lock());
        return m_sampler.Batch().Take();
    }

    CFakeCursorSource m_cursor;
    CInputEvents m_events;
    CManualClock m_clock{10000};
    SRecorderFlags m_flags;
    CCursorSampler m_sampler{m_cursor, m_events, m_clock, m_flags};
};

TEST_F(CursorSamplerTest, ACursorAtRestIsSampledOnlyWhenForced) {
    struct SCase {
        bool continuous;
        uint32_t fps;
        int readings;
        size_t samples;  // the first reading always counts as a move
    };
    for (const SCase& c : {SCase{false, 20, 1200, 2}, SCase{false, 20, 1199, 1},
                           SCase{true, 20, 40, 11}, SCase{false, 5, 300, 2}}) {
        CCursorSampler sampler(m_cursor, m_events, m_clock, m_flags);
        sampler.Configure(c.fps, c.continuous);
        std::lock_guard lock(sampler.Lock());
        size_t samples = 0;
        for (int i = 0; i < c.readings; ++i) {
            m_clock.Advance(1000 / c.fps);
            sampler.TakeCursorSample();
            samples += sampler.Batch().Take().size();
        }
        EXPECT_EQ(samples, c.samples) << c.readings << " readings at " << c.fps << " per second";
    }
}

TEST_F(CursorSamplerTest, MovesAndShapeChangesAreSampledWithTheirTime) {
    ReadAt(10000);
    m_cursor.MoveTo(120, 90);
    ReadAt(10050);
    ReadAt(10100);  // no change
    m_cursor.m_reading.shape = 9;
    ReadAt(10150);
    m_cursor.m_reading.showing = false;
    ReadAt(10200);  // visibility alone is not a change
    const std::vector<SCursorSample> s = Take();
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0], (SCursorSample{7, 100, 100, 10000, 0, 0, 0}));
    EXPECT_EQ(s[1], (SCursorSample{7, 120, 90, 10050, 0, 0, 0}));
    EXPECT_EQ(s[2], (SCursorSample{9, 120, 90, 10150, 0, 0, 0}));
}

TEST_F(CursorSamplerTest, AClickBetweenTwoReadingsGivesADownThenAnUpSampleInOnePlace) {
    ReadAt(10000);
    m_events.ClickDown().Set();
    m_events.ClickUp().Set();
    ReadAt(10050);
    const std::vector<SCursorSample> s = Take();
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[1], (SCursorSample{7, 100, 100, 10050, 1, 0, 0}));
    EXPECT_EQ(s[2], (SCursorSample{7, 100, 100, 10050, 0, 1, 0}));
}

TEST_F(CursorSamplerTest, ALateReadingIsInterpolatedUnlessTheGapIsTooLong) {
    struct SCase {
        uint32_t lateMs;
        size_t interpolated;
    };
    for (const SCase& c : {SCase{300, 5}, SCase{100, 1}, SCase{75, 0}, SCase{600, 0}}) {
        CCursorSampler sampler(m_cursor, m_events, m_clock, m_flags);
        sampler.Configure(20, false);
        std::lock_guard lock(sampler.Lock());
        m_cursor.MoveTo(0, 0);
        m_clock.Set(50000);
        sampler.TakeCursorSample();
        m_cursor.MoveTo(60, -30);
        m_clock.Advance(c.lateMs);
        sampler.TakeCursorSample();
        const std::vector<SCursorSample> s = sampler.Batch().Take();
        ASSERT_EQ(s.size(), c.interpolated + 2) << c.lateMs << " ms late";
        const int32_t n = static_cast<int32_t>(c.interpolated + 1);
        for (size_t i = 1; i <= c.interpolated; ++i) {
            const int32_t k = static_cast<int32_t>(i);
            EXPECT_EQ(s[i].time, 50000 + i * 50);
            EXPECT_EQ(s[i].x, k * (60 / n));
            EXPECT_EQ(s[i].y, k * (-30 / n));
            EXPECT_EQ(s[i].clickDown + s[i].clickUp, 0);
        }
        EXPECT_EQ(s.back(), (SCursorSample{7, 60, -30, 50000 + c.lateMs, 0, 0, 0}));
    }
}

TEST_F(CursorSamplerTest, InterpolationStopsWhenTheBatchIsNearlyFull) {
    ReadAt(10000);
    {
        std::lock_guard lock(m_sampler.Lock());
        while (m_sampler.Batch().Count() < 94) {
            m_sampler.Batch().Append({});
        }
    }
    m_cursor.MoveTo(400, 400);
    m_events.ClickDown().Set();
    m_events.ClickUp().Set();
    ReadAt(10450);  // 9 steps late: would interpolate 8
    std::lock_guard lock(m_sampler.Lock());
    // 94, two interpolated up to the limit of 96, the real sample and its repeated click-up.
    EXPECT_EQ(m_sampler.Batch().Count(), 98u);
    EXPECT_LT(m_sampler.Batch().Count(), CCursorBatch::kSlots);
}

TEST_F(CursorSamplerTest, NoSamplesWhilePausedRestartingOrUnreadableAndNoInterpolationAfter) {
    struct SCase {
        bool paused;
        bool restart;
        bool readable;
    };
    for (const SCase& c :
         {SCase{true, false, true}, SCase{false, true, true}, SCase{false, false, false}}) {
        CCursorSampler sampler(m_cursor, m_events, m_clock, m_flags);
        sampler.Configure(20, false);
        std::lock_guard lock(sampler.Lock());
        m_cursor.MoveTo(0, 0);
        m_clock.Set(1000);
        sampler.TakeCursorSample();
        m_flags.paused = c.paused;
        m_flags.restart = c.restart;
        m_cursor.m_bReadable = c.readable;
        m_cursor.MoveTo(50, 50);
        m_clock.Advance(50);
        sampler.TakeCursorSample();
        EXPECT_EQ(sampler.Batch().Count(), 1u);
        m_flags.paused = false;
        m_flags.restart = false;
        m_cursor.m_bReadable = true;
        m_cursor.MoveTo(100, 100);
        m_clock.Advance(250);
        sampler.TakeCursorSample();
        // The blocked reading forgot the last time, so the gap is not filled in.
        EXPECT_EQ(sampler.Batch().Count(), 2u);
    }
}

TEST_F(CursorSamplerTest, TheThreadSamplesUntilToldToStop) {
    m_sampler.Configure(50, false);
    ASSERT_TRUE(m_sampler.StartThread());
    EXPECT_TRUE(m_sampler.ThreadRunning());
    bool sampled = false;
    for (int i = 0; i < 200 && !sampled; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::lock_guard lock(m_sampler.Lock());
        sampled = !m_sampler.Batch().Empty();
    }
    EXPECT_TRUE(sampled);
    m_sampler.StopThread();
    EXPECT_FALSE(m_sampler.ThreadRunning());
    // A stopped thread reads no more once it has woken.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const int reads = m_cursor.m_nReads;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(m_cursor.m_nReads, reads);
}

TEST(SmoothBatch, InteriorSamplesMoveToEqualDistancesAlongThePath) {
    std::vector<SCursorSample> three = {
        {1, 0, 0, 10, 1, 0, 0}, {2, 10, 0, 20, 0, 0, 0}, {3, 10, 30, 30, 0, 1, 0}};
    const std::vector<SCursorSample> before = three;
    SmoothBatch(three.data(), three.size());
    EXPECT_EQ(three[0], before[0]);
    EXPECT_EQ(three[2], before[2]);
    EXPECT_EQ(three[1].x, 10);
    EXPECT_EQ(three[1].y, 10);
    EXPECT_EQ(three[1].time, 20u);
    EXPECT_EQ(three[1].hCursor, 2u);

    std::vector<SCursorSample> line;
    for (int32_t x : {0, 5, 10, 80, 85, 100}) {
        line.push_back({1, x, 0, 0, 0, 0, 0});
    }
    SmoothBatch(line.data(), line.size());
    const int32_t expected[] = {0, 20, 40, 60, 80, 100};
    for (size_t i = 0; i < line.size(); ++i) {
        EXPECT_EQ(line[i].x, expected[i]) << i;
    }
}

TEST(SmoothBatch, ShortOrMotionlessBatchesStayAsTheyAre) {
    std::vector<SCursorSample> two = {{1, 0, 0, 0, 0, 0, 0}, {1, 9, 9, 5, 0, 0, 0}};
    std::vector<SCursorSample> still(4, SCursorSample{1, 5, 5, 0, 0, 0, 0});
    const auto twoBefore = two;
    const auto stillBefore = still;
    SmoothBatch(two.data(), two.size());
    SmoothBatch(still.data(), still.size());
    EXPECT_EQ(two, twoBefore);
    EXPECT_EQ(still, stillBefore);
}

}  // namespace
