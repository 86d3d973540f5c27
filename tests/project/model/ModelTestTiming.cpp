#include <gtest/gtest.h>

#include <vector>

#include "project/model/DemoProject.h"
#include "project/model/FrameTiming.h"

namespace {

struct SDurationCase {
    const char* name;
    int32_t nDuration;
    int32_t nRecorded;
    int16_t nNatural;
    bool bSingleFrameSound;
    int32_t nSoundDuration;
    bool bBubble;
    bool bUntil;
    bool bHover;
    uint8_t nEffect;
    int32_t nEffectDuration;
    int32_t nNaturalWanted;
    int32_t nEffectiveWanted;  // with "SWF Delay Scale:" 1.5
};

CFrameRecord Record(const SDurationCase& c) {
    CFrameRecord f;
    f.m_nDuration = c.nDuration;
    f.m_nRecordedDuration = c.nRecorded;
    f.m_nNaturalDuration = c.nNatural;
    f.m_bSingleFrameSound = c.bSingleFrameSound;
    f.m_nSoundDuration = c.nSoundDuration;
    if (c.bBubble) {
        f.m_pFormat = u"";
    }
    f.m_bBubbleShowUntil = c.bUntil;
    f.m_bBubbleOnHover = c.bHover;
    f.m_nFrameEffect = c.nEffect;
    f.m_nFrameEffectDuration = c.nEffectDuration;
    return f;
}

TEST(FrameDuration, NaturalAndEffective) {
    const SDurationCase cases[] = {
        {"recorded only", 0, 40, 0, false, 0, false, false, false, 0, 0, 40, 40},
        {"natural over recorded", 0, 40, 70, false, 0, false, false, false, 0, 0, 70, 70},
        {"single-frame sound wins", 0, 40, 70, true, 123, false, false, false, 0, 0, 123, 123},
        {"sound switch without length", 0, 40, 70, true, 0, false, false, false, 0, 0, 70, 70},
        {"sound length without switch", 0, 40, 0, false, 90, false, false, false, 0, 0, 40, 40},
        {"duration set", 55, 40, 70, true, 123, false, false, false, 0, 0, 123, 55},
        {"all zero", 0, 0, 0, false, 0, true, false, false, 0, 0, 0, 0},
        {"timed bubble scaled, truncated", 33, 0, 0, false, 0, true, false, false, 0, 0, 0, 49},
        {"until-frame bubble not scaled", 33, 0, 0, false, 0, true, true, false, 0, 0, 0, 33},
        {"hover bubble not scaled", 33, 0, 0, false, 0, true, false, true, 0, 0, 0, 33},
        {"fade-in adds", 100, 0, 0, false, 0, false, false, false, 1, 25, 0, 125},
        {"cross fade adds after scaling", 100, 0, 0, false, 0, true, false, false, 4, 25, 0, 175},
        {"transitional fades add nothing", 100, 0, 0, false, 0, false, false, false, 5, 25, 0, 100},
        {"zoom adds nothing", 100, 0, 0, false, 0, false, false, false, 7, 25, 0, 100},
    };
    for (const SDurationCase& c : cases) {
        const CFrameRecord f = Record(c);
        EXPECT_EQ(NaturalDuration(f), c.nNaturalWanted) << c.name;
        EXPECT_EQ(EffectiveDuration(f, 1.5f), c.nEffectiveWanted) << c.name;
    }
    CDemoProject project;
    project.m_fSwfDelayScale = 2.0f;
    EXPECT_EQ(project.EffectiveDuration(Record(cases[7])), 66);
}

void FillRecorded(CDemoProject& project, const std::vector<int32_t>& recorded) {
    for (int32_t d : recorded) {
        CFrameInfo& frame = project.AppendCapturedFrame({0, 0, true, 0});
        frame.m_nRecordedDuration = d;
        frame.m_nDuration = d;
        frame.m_nSyncOffset = -1;
    }
}

std::vector<int32_t> Field(const CDemoProject& project, int32_t CFrameRecord::*field) {
    std::vector<int32_t> out;
    for (const CFrameInfo* p = project.FirstFrame(); p != nullptr; p = p->m_pNext) {
        out.push_back(p->*field);
    }
    return out;
}

TEST(FrameDuration, QuantisationCarriesTheRoundingError) {
    struct SCase {
        const char* name;
        std::vector<int32_t> recorded;
        std::vector<int32_t> recordedAfter;
        std::vector<int32_t> durationAfter;
        std::vector<int32_t> offsetsAfter;
    };
    const SCase cases[] = {
        {"multiples stay", {5, 10, 100}, {5, 10, 100}, {5, 10, 100}, {0, 5, 15}},
        {"carry forward", {7, 7, 7}, {5, 5, 10}, {5, 5, 10}, {0, 5, 10}},
        {"short frames borrow", {2, 9, 3}, {5, 5, 5}, {5, 5, 5}, {0, 5, 10}},
        // Carries -5, -10, -15, then -20: that frame only gets 5 and the rounding stops.
        {"stops below -15",
         {0, 0, 0, 0, 3, 12},
         {5, 5, 5, 5, 3, 12},
         {5, 5, 5, 0, 3, 12},
         {0, 5, 10, -1, -1, -1}},
    };
    for (const SCase& c : cases) {
        CDemoProject project;
        FillRecorded(project, c.recorded);
        QuantiseRecordedDurations(project, true);
        EXPECT_EQ(Field(project, &CFrameRecord::m_nRecordedDuration), c.recordedAfter) << c.name;
        EXPECT_EQ(Field(project, &CFrameRecord::m_nDuration), c.durationAfter) << c.name;
        EXPECT_EQ(Field(project, &CFrameRecord::m_nSyncOffset), c.offsetsAfter) << c.name;
    }
    CDemoProject silent;
    FillRecorded(silent, {7, 7});
    QuantiseRecordedDurations(silent, false);
    EXPECT_EQ(Field(silent, &CFrameRecord::m_nSyncOffset), (std::vector<int32_t>{-1, -1}));
}

TEST(FrameDuration, SingleFrameSoundLengthIsRoundedUp) {
    struct SCase {
        bool bSingle;
        bool bPlay;
        bool bSound;
        std::optional<int64_t> nLengthMs;
        int32_t nWanted;
    };
    const SCase cases[] = {
        {true, true, true, 1000, 100},
        {true, true, true, 1001, 101},
        {true, true, true, 1, 1},
        {true, true, true, 0, 0},
        {true, true, true, std::nullopt, 0},
        {false, true, true, 1000, 0},
        {true, false, true, 1000, 0},
        {true, true, false, 1000, 0},
        {true, true, true, int64_t{1} << 40, 2147483647},
    };
    for (const SCase& c : cases) {
        CFrameRecord f;
        f.m_bSingleFrameSound = c.bSingle;
        f.m_bPlaySound = c.bPlay;
        if (c.bSound) {
            f.m_pszSound = "/s.wav";
        }
        f.m_nSoundDuration = 77;
        UpdateSingleFrameSoundLength(f, c.nLengthMs);
        EXPECT_EQ(f.m_nSoundDuration, c.nWanted) << c.nLengthMs.value_or(-1);
    }
}

TEST(ReadingTime, ProposedShowingTimeOfText) {
    struct SCase {
        int64_t nChars;
        float fScale;
        int32_t nMinimum;
        int32_t nWanted;
    };
    const SCase cases[] = {
        {0, 1.0f, 300, 0},                                               // no text: no minimum
        {1, 1.0f, 0, 11},       {79, 1.0f, 0, 869}, {80, 1.0f, 0, 800},  // 80 x 10
        {559, 1.0f, 0, 2795},                                            // 559 x (11 - 6)
        {560, 1.0f, 0, 2800},  // from 560 on: 5 a character
        {2000, 1.0f, 0, 10000}, {80, 0.5f, 0, 400}, {81, 0.25f, 0, 202},  // 810 x 0.25, truncated
        {10, 1.0f, 300, 300},                                             // raised to the minimum
        {10, 0.0f, 300, 300},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(TextReadingTime(c.nChars, {c.fScale, c.nMinimum}), c.nWanted) << c.nChars;
    }
}

TEST(ReadingTime, ProposedFrameDuration) {
    const SReadingTimeSettings settings{1.0f, 300};
    auto frame = [] {
        CFrameRecord f;
        f.m_nRecordedDuration = 50;
        f.m_pFormat = u"";
        f.m_pText = std::u16string(100, u'a');  // 100 x 10 = 1000
        return f;
    };
    CFrameRecord f = frame();
    EXPECT_EQ(ProposedDuration(f, settings), 1000);
    f.m_nNaturalDuration = 1200;
    EXPECT_EQ(ProposedDuration(f, settings), 1200);
    f = frame();
    f.m_bSingleFrameSound = 1;
    f.m_nSoundDuration = 1500;
    EXPECT_EQ(ProposedDuration(f, settings), 1500);
    f = frame();
    f.m_bBubbleOnHover = 1;
    EXPECT_EQ(ProposedDuration(f, settings), 50);

    // A hotspot that waits for a click holds the frame: duration 0.
    f = frame();
    f.m_bHotspot = 1;
    EXPECT_EQ(ProposedDuration(f, settings), 0);
    f.m_bIgnoreClick = 1;
    EXPECT_EQ(ProposedDuration(f, settings), 1000);
    f.m_bIgnoreClick = 0;
    f.m_bHotspotShowUntil = 1;
    EXPECT_EQ(ProposedDuration(f, settings), 1000);

    f = frame();
    f.m_nDuration = 35;
    f.m_bCustomDuration = 1;
    ApplyProposedDuration(f, settings);
    EXPECT_EQ(f.m_nDuration, 35);
    f.m_bCustomDuration = 0;
    ApplyProposedDuration(f, settings);
    EXPECT_EQ(f.m_nDuration, 1000);
}

TEST(ReadingTime, UntilFrameIsWhereTheTimeIsReached) {
    CDemoProject project;
    for (int32_t d : {100, 100, 100, 100, 100, 100}) {
        project.AppendCapturedFrame().m_nDuration = d;
    }
    CFrameInfo& first = *project.FirstFrame();
    first.m_pFormat = u"";
    first.m_bBubbleShowUntil = 1;
    const SReadingTimeSettings settings{1.0f, 0};

    first.m_pText = std::u16string(30, u'a');  // 330: frames 1 to 4 give 400
    EXPECT_EQ(ProposedBubbleUntilFrame(project, first, settings), 5);
    project.FrameAt(2)->m_bDeleted = 1;  // gives no time
    EXPECT_EQ(ProposedBubbleUntilFrame(project, first, settings), 6);
    first.m_pText = std::u16string(5, u'a');  // 55: reached by the frame itself
    EXPECT_EQ(ProposedBubbleUntilFrame(project, first, settings), 2);
    first.m_pText = std::u16string(200, u'a');  // longer than the movie
    EXPECT_EQ(ProposedBubbleUntilFrame(project, first, settings), 7);
}

TEST(BackgroundSound, StartsSoThatItEndsWithTheMovie) {
    CDemoProject project;
    for (int32_t d : {100, 200, 300, 400}) {
        project.AppendCapturedFrame().m_nDuration = d;
    }
    CFrameInfo& second = *project.FrameAt(1);
    second.m_pszSound = "/bg.wav";
    second.m_bBackgroundSound = 1;
    second.m_bBackgroundSyncEnd = 1;

    // 900 hundredths from the second frame to the end.
    EXPECT_EQ(BackgroundSoundStartOffset(project, second, 20000), 11000);
    project.FrameAt(2)->m_bDeleted = 1;
    EXPECT_EQ(BackgroundSoundStartOffset(project, second, 20000), 14000);
    project.FrameAt(2)->m_bDeleted = 0;
    CFrameInfo& last = *project.LastFrame();
    last.m_pszSound = "/next.wav";
    last.m_bBackgroundSound = 1;
    EXPECT_EQ(BackgroundSoundStartOffset(project, second, 20000), 15000);
    // A sound shorter than the time left starts at its beginning.
    EXPECT_EQ(BackgroundSoundStartOffset(project, second, 3000), 0);
}

}  // namespace
