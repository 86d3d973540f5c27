#include "publish/SeekControl.h"

#include <cstdio>

#include "publish/ScriptBuilder.h"
#include "swf/SwfAction.h"
#include "swf/SwfMovie.h"

std::string SegmentName(const char* prefix, uint32_t k) {
    char name[48];
    std::snprintf(name, sizeof name, "%s%5.5u", prefix, k);
    return name;
}

namespace {

CScriptBuilder PlayOn(const std::string& target) {
    CScriptBuilder play;
    play.Target(target).Play().Target("");
    play.Set("/control:keep_playing", "0").Set("/control:playing", "1");
    return play;
}

}  // namespace

namespace {

// Stops the playing segment and goes to "/control:position" in the segment that holds it.
CScriptBuilder SeekBody(const std::vector<uint32_t>& starts, uint32_t firstSplit) {
    // The position lies in the main timeline's own frames.
    CScriptBuilder choice;
    choice.Set("playing_movie", "../").Set("start_frame", "0");
    choice.Target("../").Get("/control:position").GotoStack(false).Target("");
    choice.Set("/control:playing", "0");
    choice.IfSet("/control:keep_playing", PlayOn("../"));

    for (uint32_t k = 1; k <= starts.size(); ++k) {
        const uint32_t start = starts[k - 1];
        CScriptBuilder segment;
        segment.Set("playing_movie", "../" + SegmentName("movie", k));
        segment.Set("start_frame", FormatSwfInteger(int32_t(start)));
        segment.Target("../").Goto(uint16_t(firstSplit + k - 1)).Stop().Target("");
        segment.Push(SegmentName("line", k)).Get("/control:position");
        segment.PushInt(int32_t(start) + 1).Code(kActionSubtract).Code(kActionToInteger);
        segment.Code(kActionSetVariable);
        segment.Set(SegmentName("flag", k), "1");
        segment.Set("/control:playing", "0");

        CScriptBuilder test;
        test.Get("/control:position").PushInt(int32_t(start) + 1).Code(kActionLess);
        test.Code(kActionNot);
        test.IfElse(std::move(segment), std::move(choice));
        choice = std::move(test);
    }

    CScriptBuilder seek;
    seek.TargetOf("playing_movie").Stop().Target("");
    seek.Set("/control:playing", "0");
    seek.List().Append(std::move(choice.List()));
    return seek;
}

}  // namespace

void AddSeekScript(CSwfMovie& timeline, uint32_t frame, const std::vector<uint32_t>& starts,
                   uint32_t firstSplit, std::optional<SSeekThumb> thumb) {
    CScriptBuilder requested;
    requested.Set("seek_flag", "0");
    requested.List().Append(std::move(SeekBody(starts, firstSplit).List()));
    if (!thumb) {
        CScriptBuilder script;
        script.IfSet("seek_flag", std::move(requested));
        script.AddTo(timeline.GetFrame(frame));
        return;
    }
    // The frame under the dragged thumb, at least the first.
    CScriptBuilder dragged;
    dragged.Push("position").PushInt(int32_t(thumb->nTotalFrames));
    dragged.Push("thumb").PushInt(0).Code(kActionGetProperty).Code(kActionMultiply);
    dragged.List().Add(CSwfActionPush::Float(thumb->fTravel > 0 ? thumb->fTravel : 1));
    dragged.Code(kActionDivide).Code(kActionToInteger).Code(kActionSetVariable);
    CScriptBuilder first;
    first.Set("position", "1");
    dragged.Get("position").PushInt(1).Code(kActionLess).IfTrue(std::move(first));
    dragged.List().Append(std::move(SeekBody(starts, firstSplit).List()));

    CScriptBuilder idle;
    idle.IfSet("seek_flag", std::move(requested));
    CScriptBuilder script;
    script.Get("thumb:movethumb").IfElse(std::move(dragged), std::move(idle));
    script.AddTo(timeline.GetFrame(frame));
}

void BuildSegmentGoto(CSwfMovie& timeline, uint32_t k) {
    const std::string movie = "../" + SegmentName("movie", k);
    const std::string flag = "/control:" + SegmentName("flag", k);
    CScriptBuilder jump;
    jump.Set(flag, "0");
    jump.Target(movie).Get("/control:" + SegmentName("line", k)).PushInt(1).Code(kActionAdd);
    jump.GotoStack(false).Target("");
    jump.Set("/control:playing", "0");
    jump.IfSet("/control:keep_playing", PlayOn(movie));
    CScriptBuilder script;
    script.IfSet(flag, std::move(jump));
    timeline.GetFrame(0);
    script.AddTo(timeline.GetFrame(1));
}
