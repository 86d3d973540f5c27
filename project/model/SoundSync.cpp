#include "project/model/SoundSync.h"

#include <algorithm>
#include <limits>

#include "project/model/FrameTiming.h"

namespace {

int16_t ClampToInt16(int32_t v) {
    return static_cast<int16_t>(std::clamp<int32_t>(v, std::numeric_limits<int16_t>::min(),
                                                    std::numeric_limits<int16_t>::max()));
}

}  // namespace

void SetBackgroundSound(CFrameRecord& frame, bool bOn) {
    frame.m_bBackgroundSound = bOn ? 1 : 0;
    if (bOn) {
        frame.m_bSingleFrameSound = 0;
        frame.m_nSoundDuration = 0;
        frame.m_bSyncSound = 0;
    } else {
        frame.m_bSyncSound = frame.m_bSyncCalculated;
    }
}

void SetSingleFrameSound(CFrameRecord& frame, bool bOn, std::optional<int64_t> nSoundLengthMs) {
    frame.m_bSingleFrameSound = bOn ? 1 : 0;
    if (bOn) {
        frame.m_bBackgroundSound = 0;
        frame.m_bSyncSound = 0;
    } else {
        frame.m_bSyncSound = frame.m_bSyncCalculated;
    }
    UpdateSingleFrameSoundLength(frame, nSoundLengthMs);
}

void SetSyncSound(CDemoProject& project, CFrameInfo& frame, bool bOn,
                  const SSoundSyncContext& context) {
    frame.m_bSyncSound = bOn ? 1 : 0;
    if (!bOn) {
        return;
    }
    frame.m_bSingleFrameSound = 0;
    frame.m_nSoundDuration = 0;
    frame.m_bBackgroundSound = 0;
    SynchroniseSound(project, frame, context);
}

bool SynchroniseSound(CDemoProject& project, CFrameInfo& frame, const SSoundSyncContext& context) {
    if (!context.bEnableSyncSound || !frame.HasSound()) {
        return false;
    }
    if (frame.m_bSyncCalculated && !(context.confirmResync && context.confirmResync())) {
        return false;
    }
    frame.m_bSyncCalculated = 1;
    for (CFrameInfo* p = project.FirstFrame(); p != nullptr; p = p->m_pNext) {
        if (p->m_pSyncOwner == &frame) {
            p->m_pSyncOwner = nullptr;
        }
    }

    frame.m_pSyncOwner = &frame;
    frame.m_nSyncOffset = 0;
    frame.m_nSyncIndex = 0;
    const int32_t nOwnDuration = project.EffectiveDuration(frame);
    frame.m_nNaturalDuration = ClampToInt16(nOwnDuration);

    int64_t c = nOwnDuration;
    const int64_t nLength = context.nSoundLengthMs.value_or(0) / 10;
    int32_t nIndex = 0;
    for (CFrameInfo* p = frame.m_pNext; p != nullptr && c < nLength; p = p->m_pNext) {
        if (p->m_bDeleted) {
            continue;
        }
        const int32_t nDuration = project.EffectiveDuration(*p);
        p->m_nSyncOffset =
            static_cast<int32_t>(std::min<int64_t>(c, std::numeric_limits<int32_t>::max()));
        p->m_pSyncOwner = &frame;
        p->m_nSyncIndex = ++nIndex;
        p->m_nNaturalDuration = ClampToInt16(nDuration);
        c += nDuration;
    }
    return true;
}
