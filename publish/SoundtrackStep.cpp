#include "publish/SoundtrackStep.h"

#include <cmath>

#include "project/model/FrameInfo.h"
#include "publish/PublishContext.h"

CSoundtrackStep::CSoundtrackStep(SPublishContext& context) : m_context(context) {}

uint32_t CSoundtrackStep::SoundFrames(const CFrameInfo& frame) const {
    if (!frame.HasSound() || frame.m_bPlaySound == 0 || frame.m_nSoundDuration <= 0) {
        return 0;
    }
    return uint32_t(std::ceil(frame.m_nSoundDuration * 10.0 / m_context.fMovieFrameMs));
}

void CSoundtrackStep::AddFrameSounds(const CFrameInfo&) {}

void CSoundtrackStep::InsertSoundtrack() {}
