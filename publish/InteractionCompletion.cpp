#include "publish/InteractionCompletion.h"

#include <algorithm>
#include <cctype>

#include "platform/Prompter.h"
#include "project/model/FrameInfo.h"
#include "publish/MovieLayers.h"
#include "publish/OverlayCarry.h"
#include "publish/PublishContext.h"
#include "publish/PublishSettings.h"
#include "publish/ScriptBuilder.h"
#include "swf/SwfAction.h"
#include "swf/SwfButton.h"
#include "swf/SwfMovie.h"
#include "swf/SwfSpriteObject.h"

namespace {

enum : int { kPropAlpha = 6 };
constexpr uint8_t kLoadIntoTarget = 64;

// The movie frame where the entry's segment shows its local frame.
uint32_t AbsoluteFrame(CMovieSegments& segments, const SPendingInteraction& entry) {
    for (uint32_t k = 0; k < segments.Count(); ++k) {
        if (&segments.Timeline(k) == entry.pSegment) {
            return segments.StartOf(k) + entry.nLocalFrame;
        }
    }
    return entry.nLocalFrame;
}

// The release script that sends the movie to `position` (1-based), or stops it at 0.
CScriptBuilder SeekScript(uint32_t position) {
    CScriptBuilder script;
    if (position > 0) {
        script.Set("/control:position", FormatSwfInteger(int32_t(position)));
        script.Set("/control:seek_flag", "1").Set("/control:keep_playing", "1");
    } else {
        script.Set("/control:playing", "0").Stop();
    }
    return script;
}

void AddScript(CSwfButton& button, CScriptBuilder& script, int condition) {
    for (auto& record : script.List().TakeAll()) {
        button.AddRecord(std::move(record), condition);
    }
}

// Roll-over plays the named sprite, roll-out sends it back to its first frame.
void AddHoverPair(CSwfButton& button, const std::string& sprite) {
    button.NextCondition();
    CScriptBuilder over;
    AddScript(button, over.Target(sprite).Play().Target(""), kCondIdleToOverUp);
    button.NextCondition();
    CScriptBuilder out;
    AddScript(button, out.Target(sprite).Goto(0).Target(""), kCondOverUpToIdle);
}

}  // namespace

uint32_t MovieFrameOf(const std::vector<uint32_t>& frameStarts, int32_t number, uint32_t end) {
    if (number < 1 || size_t(number) > frameStarts.size()) {
        return end;
    }
    return std::min(frameStarts[size_t(number) - 1], end);
}

std::string SwfUrlText(const std::string& url) {
    std::string text;
    for (char ch : url) {
        if (ch == '\0') {
            text += "%00";
        } else {
            text += ch;
        }
    }
    return text;
}

std::string SwfTargetText(const std::string& target) {
    std::string text = target;
    std::erase(text, '\0');
    return text;
}

bool IsBlockedScriptUrl(const std::string& url, const std::string& target) {
    size_t i = 0;
    while (i < url.size() && std::isspace(static_cast<unsigned char>(url[i]))) {
        ++i;
    }
    constexpr std::string_view kScheme = "javascript:";
    if (url.size() - i < kScheme.size()) {
        return false;
    }
    for (size_t k = 0; k < kScheme.size(); ++k) {
        if (std::tolower(static_cast<unsigned char>(url[i + k])) != kScheme[k]) {
            return false;
        }
    }
    return target.empty() || target == "_self";
}

void CompleteHotspot(SPublishContext& c, const SPendingInteraction& entry,
                     const std::vector<uint32_t>& frameStarts) {
    const CFrameInfo& frame = *entry.pFrame;
    CSwfButton& button = *entry.pButton;
    const bool ignore = frame.m_bIgnoreClick != 0;
    const uint32_t end = c.nNextFrame;
    bool acts = false;

    if (frame.m_bHotspotUrl != 0 && frame.m_pszHotspotUrl && !frame.m_pszHotspotUrl->empty() &&
        !ignore) {
        const std::string target = SwfTargetText(frame.m_pszHotspotTarget.value_or(""));
        const std::string url = SwfUrlText(*frame.m_pszHotspotUrl);
        if (IsBlockedScriptUrl(url, target)) {
            c.prompter.Message({"A hotspot opens the address " + url +
                                    " in the movie's own window, where players do not run "
                                    "scripts. Give it a target such as _blank.",
                                "Quillo Warning", EMsgIcon::Warning});
        }
        button.AddAction(CSwfAction::GetUrl(url, target), kCondOverDownToOverUp);
        acts = true;
    }
    if (!ignore && !c.settings.m_bVideoExport) {
        const uint32_t position =
            entry.nTargetFrame > 0 ? MovieFrameOf(frameStarts, entry.nTargetFrame, end) + 1 : 0;
        CScriptBuilder seek = SeekScript(position);
        AddScript(button, seek, kCondOverDownToOverUp);
        acts = true;
    }
    const std::string name = entry.pSprite->Name() ? entry.pSprite->Name()->Bytes() : "";
    if (frame.m_bHotspotAnimateOnHover != 0) {
        AddHoverPair(button, name);
        acts = true;
    }
    if (frame.m_bBubbleOnHover != 0 && frame.HasTalkBubble()) {
        AddHoverPair(button, "tb" + name.substr(3));
        acts = true;
    }

    const uint32_t from = AbsoluteFrame(c.segments, entry);
    const uint32_t until = std::max(MovieFrameOf(frameStarts, entry.nUntilFrame, end), from + 1);
    CarryObject(c.segments, *entry.pSprite, from, until);
    if (acts) {
        CarryObject(c.segments, button, from, until);
    }
    c.nLastEffectFrame = std::max(c.nLastEffectFrame, until);

    if (!entry.strLoadMovie.empty()) {
        const SMovieGeometry& g = c.geometry;
        CSwfFrame& at = entry.pSegment->GetFrame(entry.nLocalFrame);
        at.AddAction(CSwfAction::GetUrlViaStack(entry.strLoadMovie, name, kLoadIntoTarget));
        at.AddAction(CSwfAction::SetProperty(name, kPropXScale, int32_t(frame.m_nImageWidthPct)));
        at.AddAction(CSwfAction::SetProperty(name, kPropYScale, int32_t(frame.m_nImageHeightPct)));
        at.AddAction(
            CSwfAction::SetProperty(name, kPropAlpha, int32_t(100 - frame.m_nImageTransparency)));
        at.AddAction(CSwfAction::SetProperty(name, kPropX, frame.m_rcHotspot.left / g.Divisor()));
        at.AddAction(CSwfAction::SetProperty(name, kPropY, frame.m_rcHotspot.top / g.Divisor()));
    }
}
