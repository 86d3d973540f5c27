#include "publish/PendingInteractions.h"

#include "project/model/FrameInfo.h"
#include "publish/InteractionCompletion.h"
#include "publish/ScriptBuilder.h"
#include "swf/SwfAction.h"
#include "swf/SwfMovie.h"

void CompleteFrameLink(const SPendingInteraction& entry, const std::vector<uint32_t>& frameStart) {
    const CFrameInfo& frame = *entry.pFrame;
    CSwfFrame& at = entry.pSegment->GetFrame(entry.nLocalFrame);
    if (frame.m_bFrameUrl != 0 && frame.m_pszFrameUrl && !frame.m_pszFrameUrl->empty()) {
        at.AddAction(CSwfAction::GetUrl(SwfUrlText(*frame.m_pszFrameUrl),
                                        SwfTargetText(frame.m_pszFrameTarget.value_or(""))));
    }
    CScriptBuilder script;
    if (frame.m_bFrameGoto != 0 && frame.m_bLinearPlay == 0) {
        const int32_t target = frame.m_nFrameGotoFrame;
        if (target > 0 && size_t(target) <= frameStart.size()) {
            script.Set("/control:position", FormatSwfInteger(int32_t(frameStart[target - 1]) + 1));
            script.Set("/control:seek_flag", "1").Set("/control:keep_playing", "1");
        } else {
            script.Set("/control:playing", "0");
        }
    }
    script.Stop();
    script.AddTo(at);
}
