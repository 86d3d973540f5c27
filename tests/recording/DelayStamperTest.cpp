#include <gtest/gtest.h>

#include <cstdint>

#include "recording/DelayStamper.h"

namespace {

TEST(DelayStamper, TenThousandUnevenTicksAddUpToTheElapsedTime) {
    CDelayStamper stamper;
    const uint32_t start = 123457;
    stamper.Restart(start);
    uint32_t t = start;
    int64_t sum = 0;
    for (int i = 0; i < 10000; ++i) {
        t += 47 + static_cast<uint32_t>(i % 7);  // 47..53 ms, never a whole number of 1/100 s
        sum += stamper.Take(t);
    }
    EXPECT_EQ(sum, (t - start) / 10);
    EXPECT_EQ(stamper.SegmentSum(), sum);
}

TEST(DelayStamper, StampsAreAtLeastOneEvenWithoutTimePassing) {
    CDelayStamper stamper;
    stamper.Restart(1000);
    EXPECT_EQ(stamper.Take(1000), 1u);
    EXPECT_EQ(stamper.Take(1005), 1u);
    // The stamps ran ahead of the clock; the next real delay makes up for it.
    EXPECT_EQ(stamper.Take(1100), 8u);
}

TEST(DelayStamper, RestartBeginsANewSegmentAndKeepsTheEarlierSum) {
    CDelayStamper stamper;
    stamper.Restart(0);
    EXPECT_EQ(stamper.Take(1234), 123u);
    stamper.Restart(50000);  // a resume after 48.8 s of pause
    EXPECT_EQ(stamper.Take(50100), 10u);
    EXPECT_EQ(stamper.EarlierSum(), 123);
    EXPECT_EQ(stamper.SegmentSum(), 10);
    EXPECT_EQ(stamper.TotalSum(), 133);
}

TEST(DelayStamper, AClockThatWrapsAroundKeepsCounting) {
    CDelayStamper stamper;
    stamper.Restart(0xFFFFFF00u);
    EXPECT_EQ(stamper.Take(0x00000100u), 51u);  // 512 ms across the wrap
}

}  // namespace
