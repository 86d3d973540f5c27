#include "project/ops/FrameEdits.h"

#include <algorithm>
#include <memory>

#include "project/model/DemoProject.h"
#include "project/stream/FrameCompositor.h"

namespace {

void Notify(const SFrameEditHooks& hooks) {
    if (hooks.markModified) {
        hooks.markModified();
    }
}

void ShiftTarget(int32_t& nTarget, int32_t nInserted) {
    if (nTarget >= nInserted) {
        ++nTarget;
    }
}

bool HasFollowingLayer(const CFrameRecord& frame) {
    return frame.HasActivePicture() && frame.m_bPictureFollowing != 0;
}

}  // namespace

uint32_t StreamPictureOf(const CDemoProject& project, const CFrameInfo& frame) {
    if (frame.m_bDuplicate) {
        return frame.m_nStreamFrame;
    }
    uint32_t n = 0;
    for (const CFrameInfo* p = project.FirstFrame(); p != nullptr && p != &frame; p = p->m_pNext) {
        if (!p->m_bDuplicate && p->m_nSource == frame.m_nSource) {
            ++n;
        }
    }
    return n;
}

CFrameInfo* InsertDuplicate(CDemoProject& project, const SFrameEditHooks& hooks) {
    CFrameInfo* pSource = project.CurrentFrame();
    if (pSource == nullptr) {
        return nullptr;
    }
    const uint32_t nIndex = project.CurrentIndex();
    auto pCopy = std::make_unique<CFrameInfo>(*pSource);
    CFrameInfo& copy = *pCopy;
    copy.m_pCache.assign(kFrameCacheSize, 0);
    copy.m_bDuplicate = 1;
    copy.m_nStreamFrame = StreamPictureOf(project, *pSource);
    copy.m_nDataStart = 0;
    copy.m_nDataEnd = 0;
    // The sound stays with its frame: the copy is silent and continues no sound.
    copy.m_pszSound.reset();
    copy.m_pszSoundRel.reset();
    copy.m_nSoundLen = 0;
    copy.m_nSoundRelLen = 0;
    copy.m_bPlaySound = 0;
    copy.m_bSyncSound = 0;
    copy.m_pSyncOwner = nullptr;
    copy.m_nNaturalDuration = 0;
    copy.m_nSoundDuration = 0;
    copy.m_nSyncOffset = 0;
    copy.m_nSyncIndex = 0;
    copy.RecomputeLengths();
    project.InsertAfter(pSource, std::move(pCopy));

    // Targets are 1-based; the copy takes number nIndex + 2. The reach of an edited picture is
    // a 0-based index, so the copy's position is nIndex + 1 there.
    const int32_t nInserted = static_cast<int32_t>(nIndex) + 2;
    for (CFrameInfo* p = project.FirstFrame(); p != nullptr; p = p->m_pNext) {
        ShiftTarget(p->m_nFrameGotoFrame, nInserted);
        ShiftTarget(p->m_nHotspotGotoFrame, nInserted);
        ShiftTarget(p->m_nHotspotUntilFrame, nInserted);
        ShiftTarget(p->m_nBubbleUntilFrame, nInserted);
        if (HasFollowingLayer(*p)) {
            ShiftTarget(p->m_nPictureUntil, nInserted - 1);
        }
    }
    if (hooks.renumberHistory) {
        hooks.renumberHistory(nInserted);
    }
    project.SetCurrentFrame(nIndex + 1);
    if (hooks.pCompositor != nullptr) {
        // Layer owners after the insertion point moved one place on.
        hooks.pCompositor->ClearLayers();
        uint32_t n = 0;
        for (const CFrameInfo* p = project.FirstFrame(); p != nullptr; p = p->m_pNext, ++n) {
            if (HasFollowingLayer(*p) && p->m_bPictureLayer != 0) {
                hooks.pCompositor->RegisterLayer(p, n);
            }
        }
    }
    Notify(hooks);
    return &copy;
}

SApplyToFollowing ApplyToFollowingDefaults(const CDemoProject& project) {
    SApplyToFollowing out;
    const CFrameInfo* pFrame = project.CurrentFrame();
    if (pFrame == nullptr) {
        return out;
    }
    out.nLastFrame = pFrame->m_bPictureFollowing != 0 ? pFrame->m_nPictureUntil + 1
                                                      : static_cast<int32_t>(project.FrameCount());
    out.nTransparency = pFrame->m_nPictureTransparency;
    return out;
}

bool ApplyToFollowing(CDemoProject& project, const SApplyToFollowing& answer,
                      const SFrameEditHooks& hooks) {
    CFrameInfo* pFrame = project.CurrentFrame();
    if (pFrame == nullptr || !pFrame->m_pPicture) {
        return false;
    }
    const int32_t nCurrent = static_cast<int32_t>(project.CurrentIndex());
    const int32_t nLast = static_cast<int32_t>(project.FrameCount()) - 1;
    pFrame->m_bPictureFollowing = 1;
    pFrame->m_nPictureUntil = std::min(std::max(answer.nLastFrame - 1, nCurrent), nLast);
    pFrame->m_nPictureTransparency = answer.nTransparency;
    if (hooks.pCompositor != nullptr) {
        hooks.pCompositor->RegisterLayer(pFrame, project.CurrentIndex());
    }
    Notify(hooks);
    return true;
}

bool ApplyToThisFrameOnly(CDemoProject& project, const SFrameEditHooks& hooks) {
    CFrameInfo* pFrame = project.CurrentFrame();
    if (pFrame == nullptr) {
        return false;
    }
    pFrame->m_bPictureFollowing = 0;
    if (hooks.pCompositor != nullptr) {
        hooks.pCompositor->UnregisterLayer(pFrame);
    }
    Notify(hooks);
    return true;
}

bool RunApplyToFollowingDialog(
    CDemoProject& project,
    const std::function<std::optional<SApplyToFollowing>(const SApplyToFollowing&)>& ask,
    const SFrameEditHooks& hooks) {
    const CFrameInfo* pFrame = project.CurrentFrame();
    if (pFrame == nullptr || !pFrame->m_pPicture) {
        return false;
    }
    const std::optional<SApplyToFollowing> answer = ask(ApplyToFollowingDefaults(project));
    return answer && ApplyToFollowing(project, *answer, hooks);
}
