#include "project/model/FrameTiming.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "project/model/DemoProject.h"
#include "project/model/TalkBubble.h"

namespace {

int32_t ClampToInt32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int32_t ScaleTruncated(int64_t v, float fScale) {
    const double scaled = std::trunc(static_cast<double>(v) * static_cast<double>(fScale));
    if (!(scaled == scaled)) {
        return 0;
    }
    return static_cast<int32_t>(std::clamp(scaled, double{std::numeric_limits<int32_t>::min()},
                                           double{std::numeric_limits<int32_t>::max()}));
}

bool ShowsTimedBubble(const CFrameRecord& frame) {
    return frame.HasTalkBubble() && CTalkBubble(frame).IsTimed();
}

}  // namespace

int32_t NaturalDuration(const CFrameRecord& frame) {
    if (frame.m_bSingleFrameSound && frame.m_nSoundDuration != 0) {
        return frame.m_nSoundDuration;
    }
    if (frame.m_nNaturalDuration != 0) {
        return frame.m_nNaturalDuration;
    }
    return frame.m_nRecordedDuration;
}

int32_t EffectiveDuration(const CFrameRecord& frame, float fSwfDelayScale) {
    int32_t nDuration = frame.m_nDuration != 0 ? frame.m_nDuration : NaturalDuration(frame);
    if (ShowsTimedBubble(frame)) {
        nDuration = ScaleTruncated(nDuration, fSwfDelayScale);
    }
    if (frame.m_nFrameEffect >= kEffectFadeIn && frame.m_nFrameEffect <= kEffectCrossFade) {
        nDuration = ClampToInt32(int64_t{nDuration} + frame.m_nFrameEffectDuration);
    }
    return nDuration;
}

void QuantiseRecordedDurations(CDemoProject& project, bool bNarration) {
    int64_t nCarry = 0;
    int64_t nOffset = 0;
    for (CFrameInfo* pFrame = project.FirstFrame(); pFrame != nullptr; pFrame = pFrame->m_pNext) {
        const int64_t e = nCarry + pFrame->m_nRecordedDuration;
        int64_t nNew;
        if (e > 4) {
            nNew = e - e % 5;
            nCarry = e % 5;
        } else {
            nNew = 5;
            nCarry = e - 5;
        }
        if (nCarry < -15) {
            pFrame->m_nRecordedDuration = 5;
            return;
        }
        pFrame->m_nRecordedDuration = ClampToInt32(nNew);
        pFrame->m_nDuration = pFrame->m_nRecordedDuration;
        if (bNarration) {
            pFrame->m_nSyncOffset = ClampToInt32(nOffset);
        }
        nOffset += pFrame->m_nRecordedDuration;
    }
}

void UpdateStartTimes(CDemoProject& project) {
    int64_t time = 0;
    for (CFrameInfo* f = project.FirstFrame(); f != nullptr; f = f->m_pNext) {
        f->m_nStartTime = ClampToInt32(time);
        if (f->m_bDeleted == 0) {
            time += EffectiveDuration(*f, project.m_fSwfDelayScale);
        }
    }
}

int32_t SingleFrameSoundLength(const CFrameRecord& frame, std::optional<int64_t> nSoundLengthMs) {
    if (!frame.m_bSingleFrameSound || !frame.m_bPlaySound || !frame.HasSound() || !nSoundLengthMs ||
        *nSoundLengthMs <= 0) {
        return 0;
    }
    return ClampToInt32((*nSoundLengthMs + 9) / 10);
}

void UpdateSingleFrameSoundLength(CFrameRecord& frame, std::optional<int64_t> nSoundLengthMs) {
    frame.m_nSoundDuration = SingleFrameSoundLength(frame, nSoundLengthMs);
}

int32_t TextReadingTime(int64_t nChars, const SReadingTimeSettings& settings) {
    if (nChars <= 0) {
        return 0;
    }
    const int64_t nBase = nChars / 80 < 7 ? nChars * (11 - nChars / 80) : nChars * 5;
    return std::max(ScaleTruncated(nBase, settings.fDelayScale), settings.nDelayMinimum);
}

int32_t ProposedDuration(const CFrameRecord& frame, const SReadingTimeSettings& settings) {
    if (frame.HotspotWaitsForClick()) {
        return 0;
    }
    int32_t nDuration = std::max<int32_t>(frame.m_nRecordedDuration, frame.m_nNaturalDuration);
    if (ShowsTimedBubble(frame)) {
        const auto nChars = static_cast<int64_t>(CTalkBubble(frame).TextLength());
        nDuration = std::max(nDuration, TextReadingTime(nChars, settings));
    }
    if (frame.m_bSingleFrameSound) {
        nDuration = std::max(nDuration, frame.m_nSoundDuration);
    }
    return nDuration;
}

void ApplyProposedDuration(CFrameRecord& frame, const SReadingTimeSettings& settings) {
    if (!frame.m_bCustomDuration) {
        frame.m_nDuration = ProposedDuration(frame, settings);
    }
}

int32_t ProposedBubbleUntilFrame(const CDemoProject& project, const CFrameInfo& frame,
                                 const SReadingTimeSettings& settings) {
    const int64_t nIndex = project.IndexOf(&frame);
    const auto nChars = static_cast<int64_t>(CTalkBubble(frame).TextLength());
    const int64_t nReading = TextReadingTime(nChars, settings);
    int64_t nElapsed = project.EffectiveDuration(frame);
    int64_t nNumber = nIndex + 1;
    for (const CFrameInfo* p = frame.m_pNext; p != nullptr; p = p->m_pNext) {
        ++nNumber;
        if (p->m_bDeleted) {
            continue;
        }
        if (nElapsed >= nReading) {
            return ClampToInt32(nNumber);
        }
        nElapsed += project.EffectiveDuration(*p);
    }
    return ClampToInt32(int64_t{project.FrameCount()} + 1);
}

int64_t BackgroundSoundStartOffset(const CDemoProject& project, const CFrameInfo& frame,
                                   int64_t nSoundLengthMs) {
    int64_t nPlaying = 0;
    for (const CFrameInfo* p = &frame; p != nullptr; p = p->m_pNext) {
        if (p->m_bDeleted) {
            continue;
        }
        if (p != &frame && p->m_bBackgroundSound && p->HasSound()) {
            break;
        }
        nPlaying += project.EffectiveDuration(*p);
    }
    return std::max<int64_t>(0, nSoundLengthMs - 10 * nPlaying);
}
