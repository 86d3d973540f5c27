#include "publish/controlbar/ControlBarBuilder.h"

#include <algorithm>
#include <string>

#include "publish/MovieLayers.h"
#include "publish/ScriptBuilder.h"
#include "publish/SeekControl.h"
#include "publish/controlbar/BarFaces.h"
#include "swf/SwfAction.h"
#include "swf/SwfButton.h"
#include "swf/SwfEditText.h"
#include "swf/SwfFont.h"
#include "swf/SwfMovie.h"
#include "swf/SwfShapeObject.h"
#include "swf/SwfSpriteObject.h"

namespace {

constexpr uint8_t kKeyLeft = 1;
constexpr uint8_t kKeyRight = 2;
constexpr uint8_t kKeyDelete = 6;
constexpr uint8_t kKeySpace = 32;
constexpr uint8_t kActionStringEquals = 0x13;

// Layers inside the control sprite; the chapter index lies above them all.
constexpr uint16_t kLayerPanel = 10;
constexpr uint16_t kLayerTrack = 20;
constexpr uint16_t kLayerLoading = 21;
constexpr uint16_t kLayerTime = 25;
constexpr uint16_t kLayerThumb = 40;
constexpr uint16_t kLayerButtons = 100;
constexpr uint16_t kLayerSymbols = 200;
constexpr uint16_t kLayerVolume = 300;
constexpr uint16_t kLayerPause = 60005;

enum : int { kPropCurrentFrame = 4, kPropTotalFrames = 5, kPropFramesLoaded = 12 };

CScriptBuilder& PushFloat(CScriptBuilder& s, float value) {
    s.List().Add(CSwfActionPush::Float(value));
    return s;
}

// "name" = value of the expression the caller pushed after the name.
CScriptBuilder SetAdd(const std::string& name, const std::string& from, int32_t delta) {
    CScriptBuilder s;
    s.Push(name).Get(from).PushInt(delta).Code(kActionAdd).Code(kActionSetVariable);
    return s;
}

// Seeks after the previous or next button: a talk bubble's target wins over the step, and the
// target is then used up.
CScriptBuilder StepScript(bool next, int32_t step, uint32_t total, bool continuePlaying) {
    const std::string pos = "/control:position";
    const std::string flag = next ? "/control:next_flag" : "/control:prev_flag";
    CScriptBuilder s;
    s.TargetOf("playing_movie");
    s.List().Append(std::move(SetAdd(pos, pos, next ? step : -step).List()));
    CScriptBuilder target;
    target.Push(pos).Get(next ? "/control:next_pos" : "/control:prev_pos");
    target.Code(kActionSetVariable);
    target.Set(flag, "0").Set("/control:keep_playing", "1");
    s.IfSet(flag, std::move(target));
    CScriptBuilder clamp;
    if (next) {
        s.Get(pos).PushInt(int32_t(total)).Code(kActionLess).Code(kActionNot);
        clamp.Set(pos, std::to_string(total));
    } else {
        s.PushInt(0).Get(pos).Code(kActionLess).Code(kActionNot);
        clamp.Set(pos, "1");
    }
    s.IfTrue(std::move(clamp));
    s.Set("/control:seek_flag", "1");
    if (continuePlaying) {
        s.Set("/control:keep_playing", "1");
    }
    s.Target("");
    return s;
}

CScriptBuilder PlayScript() {
    CScriptBuilder s;
    s.TargetOf("playing_movie").Set("/control:playing", "1").Play().Target("");
    return s;
}

CScriptBuilder StopScript(const std::string& targetPrefix) {
    CScriptBuilder s;
    if (targetPrefix.empty()) {
        s.TargetOf("playing_movie");
    } else {
        s.Push(targetPrefix).Get(targetPrefix + ":playing_movie").Code(kActionStringAdd);
        s.Code(kActionSetTarget2);
    }
    s.Set("/control:playing", "0").Stop().Target("");
    return s;
}

void AddScript(CSwfButton& button, CScriptBuilder&& script, uint8_t key) {
    for (auto& record : script.List().TakeAll()) {
        button.AddRecord(std::move(record), kCondOverDownToOverUp, key);
    }
}

// A drag ends on release over the thumb and on release outside it.
void AddRelease(CSwfButton& button, CScriptBuilder&& script) {
    bool first = true;
    for (auto& record : script.List().TakeAll()) {
        button.AddRecord(std::move(record), first ? kCondOutDownToIdle : kCondOverDownToOverUp);
        first = false;
    }
}

// StartDrag of the timeline the script runs in, its _x kept in 0..travel and _y at 0.
CScriptBuilder StartDrag(float travel) {
    CScriptBuilder s;
    s.PushInt(0).PushInt(0);
    PushFloat(s, travel);
    s.PushInt(0).PushInt(1).PushInt(0).Push("").Code(kActionStartDrag);
    return s;
}

}  // namespace

CControlBarBuilder::CControlBarBuilder() = default;

CControlBarBuilder::~CControlBarBuilder() = default;

void CControlBarBuilder::BuildBar(CSwfMovie& control, const SBarInputs& inputs) {
    m_in = inputs;
    m_in.nTotalFrames = std::max(1u, m_in.nTotalFrames);
    const STimeDisplay time =
        TimeDisplayFor(double(m_in.nTotalFrames) / std::max(1, m_in.nFrameRate));
    m_layout = LayoutBar(m_in.nWidth, m_in.size, m_in.switches, time.nWidth);
    control.GetFrame(1);
    AddPanel(control);
    AddTrack(control);
    uint16_t layer = kLayerButtons;
    for (const SBarLayout::SSlot& slot : m_layout.buttons) {
        if (slot.kind == kButtonPause) {
            AddPauseSprite(control, slot);
        } else {
            AddButton(control, slot, layer++);
        }
    }
    if (m_in.switches.bTime) {
        AddTime(control);
    }
    if (m_in.switches.bVolume) {
        AddVolume(control);
    }
    AddFrameScripts(control);
}

void CControlBarBuilder::AddPanel(CSwfMovie& control) {
    const SBarRect& p = m_layout.panel;
    auto& panel =
        Keep(std::make_unique<CSwfRectangle>(X(p.x), Y(p.y), X(p.x + p.w) - 1, Y(p.y + p.h) - 1));
    panel.SetFillColor(SwfColorFromRef(m_in.colors[5]));
    panel.SetLineColor(SwfColorFromRef(m_in.colors[1]));
    panel.SetLineWidth(m_in.nTwips);
    panel.SetLayer(kLayerPanel);
    control.GetFrame(0).AddObject(panel);
}

CSwfObject& CControlBarBuilder::Face(const SBarRect& rc, uint32_t fill) {
    SFaceLook look{m_in.size.style, m_in.colors, m_in.nTwips, m_in.size.nBevel};
    return Keep(MakeFace(look, X(rc.x), Y(rc.y), X(rc.x + rc.w), Y(rc.y + rc.h), fill));
}

void CControlBarBuilder::AddSymbol(CSwfMovie& timeline, uint32_t frame, EBarButton kind,
                                   const SBarRect& rc, uint16_t layer) {
    const int32_t side = std::max(3, std::min({rc.w, rc.h, m_in.size.nSymbol}) - 4);
    const int32_t left = X(rc.x) + (X(rc.w) - X(side)) / 2;
    const int32_t top = Y(rc.y) + (X(rc.h) - X(side)) / 2;
    for (const TUnitPolygon& polygon : ButtonSymbol(kind)) {
        std::vector<SSwfPoint> points;
        for (const SUnitPoint& p : polygon) {
            points.push_back(
                {left + int32_t(p.x * float(X(side))), top + int32_t(p.y * float(X(side)))});
        }
        auto& shape = Keep(std::make_unique<CSwfPath>(points));
        shape.SetFillColor(SwfColorFromRef(m_in.colors[0]));
        shape.SetLineWidth(0);
        shape.SetLayer(layer);
        timeline.GetFrame(frame).AddObject(shape);
    }
}

void CControlBarBuilder::AddButton(CSwfMovie& control, const SBarLayout::SSlot& slot,
                                   uint16_t layer) {
    CSwfObject& up = Face(slot.rc, m_in.colors[2]);
    CSwfObject& over = Face(slot.rc, m_in.colors[3]);
    CSwfObject& down = Face(slot.rc, m_in.colors[4]);
    auto& button = Keep(std::make_unique<CSwfButton>(up, over, down, up));
    const int32_t step = int32_t(std::clamp(m_in.nTotalFrames / 20, 1u, 200u));
    const std::string total = std::to_string(m_in.nTotalFrames);
    switch (slot.kind) {
        case kButtonStart: {
            CScriptBuilder s;
            s.TargetOf("playing_movie").Set("/control:position", "1");
            s.Set("/control:seek_flag", "1").Target("");
            AddScript(button, std::move(s), 0);
            break;
        }
        case kButtonEnd: {
            CScriptBuilder s;
            s.TargetOf("playing_movie").Set("/control:position", total);
            s.Set("/control:seek_flag", "1").Target("");
            AddScript(button, std::move(s), 0);
            break;
        }
        case kButtonPrevious:
        case kButtonNext: {
            const bool next = slot.kind == kButtonNext;
            AddScript(button, StepScript(next, step, m_in.nTotalFrames, m_in.bContinuePlaying),
                      next ? kKeyRight : kKeyLeft);
            break;
        }
        case kButtonPlay: {
            // Space toggles: while the movie plays it pauses it, so that one key serves both.
            CScriptBuilder pause = StopScript("");
            CScriptBuilder play = PlayScript();
            if (!m_in.switches.bStopEnd) {
                play.Target("stopbutton").Goto(4).Play().Target("");
                pause.Target("stopbutton").Goto(0).Target("");
            }
            CScriptBuilder s;
            s.Get("/control:playing").IfElse(std::move(pause), std::move(play));
            AddScript(button, std::move(s), kKeySpace);
            break;
        }
        case kButtonStop:
            AddScript(button, StopScript(""), kKeyDelete);
            break;
        case kButtonInfo: {
            CScriptBuilder s;
            s.Target("/infobox").Play().Target("");
            AddScript(button, std::move(s), 0);
            break;
        }
        case kButtonVolume: {
            CScriptBuilder s;
            s.Target("volume_slide").Play().Target("");
            AddScript(button, std::move(s), 0);
            break;
        }
        case kButtonPause:
            break;
    }
    button.SetLayer(layer);
    control.GetFrame(0).AddObject(button);
    AddSymbol(control, 0, slot.kind, slot.rc, uint16_t(layer + (kLayerSymbols - kLayerButtons)));
}

void CControlBarBuilder::AddPauseSprite(CSwfMovie& control, const SBarLayout::SSlot& slot) {
    auto timeline = control.NewTimeline();
    timeline->SetFrameRate(control.FrameRate());
    CSwfMovie& t = *timeline;
    for (uint32_t frame : {2u, 6u}) {
        CScriptBuilder back;
        back.Goto(0);
        CScriptBuilder s;
        s.Get("../:playing").Code(kActionNot).IfTrue(std::move(back)).Play();
        s.AddTo(t.GetFrame(frame));
    }
    for (uint32_t frame : {3u, 7u}) {
        CScriptBuilder s;
        s.Goto(4).Play();
        s.AddTo(t.GetFrame(frame));
    }
    CSwfObject& up = Face(slot.rc, m_in.colors[2]);
    CSwfObject& over = Face(slot.rc, m_in.colors[3]);
    CSwfObject& down = Face(slot.rc, m_in.colors[4]);
    auto& button = Keep(std::make_unique<CSwfButton>(up, over, down, up));
    CScriptBuilder pause = StopScript("../");
    pause.Goto(0);
    AddScript(button, std::move(pause), 0);
    button.SetLayer(1);
    t.GetFrame(4).AddObject(button);
    AddSymbol(t, 4, kButtonPause, slot.rc, 2);
    auto& sprite =
        Keep(std::make_unique<CSwfSpriteObject>(std::move(timeline), CSwfString("stopbutton")));
    sprite.SetLayer(kLayerPause);
    control.GetFrame(0).AddObject(sprite);
}

void CControlBarBuilder::AddTrack(CSwfMovie& control) {
    const SBarRect& tr = m_layout.track;
    const int32_t g = m_in.size.nButton;
    auto& track = Keep(std::make_unique<CSwfRoundRect>(X(tr.x), Y(tr.y), X(tr.x + tr.w),
                                                       Y(tr.y + tr.h), X(g / 2)));
    track.SetFillColor(SwfColorFromRef(m_in.colors[2]));
    track.SetLineColor(SwfColorFromRef(m_in.colors[1]));
    track.SetLineWidth(m_in.nTwips);
    track.SetLayer(kLayerTrack);
    control.GetFrame(0).AddObject(track);

    // The loading indicator grows from the track's left end as the movie loads.
    auto loadingTimeline = control.NewTimeline();
    const int32_t inset = std::max(1, tr.h / 4);
    auto& fill =
        Keep(std::make_unique<CSwfRectangle>(0, 0, X(tr.w - 2 * inset), X(tr.h - 2 * inset)));
    fill.SetFillColor(SwfColorFromRef(m_in.colors[3], 160));
    fill.SetLineWidth(0);
    loadingTimeline->GetFrame(0).AddObject(fill);
    auto& loading =
        Keep(std::make_unique<CSwfSpriteObject>(std::move(loadingTimeline), CSwfString("loading")));
    loading.SetTranslate(X(tr.x + inset), Y(tr.y + inset));
    loading.SetLayer(kLayerLoading);
    control.GetFrame(0).AddObject(loading);

    // The thumb sprite lies at the origin, so that its _x is the thumb's way along the track.
    auto thumbTimeline = control.NewTimeline();
    const SBarRect& th = m_layout.thumb;
    const uint32_t edge = m_in.colors[1] == m_in.colors[2] && m_in.colors[2] == m_in.colors[5]
                              ? m_in.colors[0]
                              : m_in.colors[1];
    const uint8_t edgeAlpha = edge == m_in.colors[1] ? 255 : 150;
    auto thumbFace = [&](uint32_t fill) -> CSwfObject& {
        auto& face = Keep(std::make_unique<CSwfRoundRect>(X(th.x), Y(th.y), X(th.x + th.w),
                                                          Y(th.y + th.h), X(m_in.size.nBevel)));
        face.SetFillColor(SwfColorFromRef(fill));
        face.SetLineColor(SwfColorFromRef(edge, edgeAlpha));
        face.SetLineWidth(m_in.nTwips);
        return face;
    };
    CSwfObject& up = thumbFace(m_in.colors[2]);
    auto& button = Keep(
        std::make_unique<CSwfButton>(up, thumbFace(m_in.colors[3]), thumbFace(m_in.colors[4]), up));
    CScriptBuilder press;
    press.Set("movethumb", "1");
    press.List().Append(
        std::move(StartDrag(float(m_layout.nTravel) / float(m_in.Divisor())).List()));
    for (auto& record : press.List().TakeAll()) {
        button.AddRecord(std::move(record), kCondOverUpToOverDown);
    }
    button.NextCondition();
    CScriptBuilder release;
    release.Code(kActionEndDrag).Set("movethumb", "0").Set("/control:seek_flag", "1");
    if (m_in.bContinuePlaying) {
        release.Set("/control:keep_playing", "1");
    }
    AddRelease(button, std::move(release));
    thumbTimeline->GetFrame(0).AddObject(button);
    CScriptBuilder first;
    first.Set("movethumb", "0");
    first.AddTo(thumbTimeline->GetFrame(0));
    CScriptBuilder second;
    second.Stop();
    second.AddTo(thumbTimeline->GetFrame(1));
    auto& thumb =
        Keep(std::make_unique<CSwfSpriteObject>(std::move(thumbTimeline), CSwfString("thumb")));
    thumb.SetLayer(kLayerThumb);
    control.GetFrame(0).AddObject(thumb);
}

void CControlBarBuilder::AddTime(CSwfMovie& control) {
    const SBarRect& rc = m_layout.time;
    const STimeDisplay time =
        TimeDisplayFor(double(m_in.nTotalFrames) / std::max(1, m_in.nFrameRate));
    auto& font = Keep(std::make_unique<CSwfFont>("arial", false, false));
    control.GetFrame(0).AddObject(font);
    const std::u16string text(time.strText.begin(), time.strText.end());
    auto& field = Keep(
        std::make_unique<CSwfEditText>(X(rc.x), Y(rc.y), X(rc.x + rc.w), Y(rc.y + rc.h), text));
    field.SetFont(font);
    field.SetVariableName("playtime");
    field.SetTextColor(SwfColorFromRef(m_in.colors[0]));
    field.SetFontHeight(uint16_t(13 * 20));
    field.SetEditable(false);
    field.SetAlignment(2);
    field.SetLayer(kLayerTime);
    control.GetFrame(0).AddObject(field);
}

void CControlBarBuilder::AddVolume(CSwfMovie& control) {
    const SBarRect& tr = m_layout.volumeTrack;
    // "volume_slide" is the track; the volume button plays it to its second frame, which mutes
    // the sound, and back to its first, which gives it full volume again.
    auto slideTimeline = control.NewTimeline();
    auto& track = Keep(std::make_unique<CSwfRoundRect>(X(tr.x), Y(tr.y), X(tr.x + tr.w),
                                                       Y(tr.y + tr.h), X(tr.h / 2)));
    track.SetFillColor(SwfColorFromRef(m_in.colors[2]));
    track.SetLineColor(SwfColorFromRef(m_in.colors[1]));
    track.SetLineWidth(m_in.nTwips);
    slideTimeline->GetFrame(0).AddObject(track);
    for (int32_t frame : {0, 1}) {
        CScriptBuilder s;
        s.PushInt(frame == 0 ? 100 : 0).PushInt(1).Get("/:GlobalSound").Push("setVolume");
        s.Code(kActionCallMethod).Code(kActionPop).Stop();
        s.AddTo(slideTimeline->GetFrame(uint32_t(frame)));
    }
    auto& slide = Keep(
        std::make_unique<CSwfSpriteObject>(std::move(slideTimeline), CSwfString("volume_slide")));
    slide.SetLayer(kLayerVolume);
    control.GetFrame(0).AddObject(slide);

    const SBarRect& th = m_layout.volumeThumb;
    auto thumbTimeline = control.NewTimeline();
    auto face = [&](uint32_t fill) -> CSwfObject& {
        auto& shape = Keep(std::make_unique<CSwfRoundRect>(X(th.x), Y(th.y), X(th.x + th.w),
                                                           Y(th.y + th.h), X(1)));
        shape.SetFillColor(SwfColorFromRef(fill));
        shape.SetLineColor(SwfColorFromRef(m_in.colors[1]));
        shape.SetLineWidth(m_in.nTwips);
        return shape;
    };
    CSwfObject& up = face(m_in.colors[2]);
    auto& button =
        Keep(std::make_unique<CSwfButton>(up, face(m_in.colors[3]), face(m_in.colors[4]), up));
    CScriptBuilder press;
    press.Set("movevol", "1");
    press.List().Append(
        std::move(StartDrag(float(m_layout.nVolumeTravel) / float(m_in.Divisor())).List()));
    for (auto& record : press.List().TakeAll()) {
        button.AddRecord(std::move(record), kCondOverUpToOverDown);
    }
    button.NextCondition();
    CScriptBuilder release;
    release.Code(kActionEndDrag).Set("movevol", "0");
    AddRelease(button, std::move(release));
    thumbTimeline->GetFrame(0).AddObject(button);
    auto& thumb = Keep(
        std::make_unique<CSwfSpriteObject>(std::move(thumbTimeline), CSwfString("volume_thumb")));
    thumb.SetLayer(kLayerVolume + 1);
    control.GetFrame(0).AddObject(thumb);
}

void CControlBarBuilder::AddFrameScripts(CSwfMovie& control) {
    const float travel = float(m_layout.nTravel) / float(m_in.Divisor());
    const uint32_t total = m_in.nTotalFrames;
    const STimeDisplay time = TimeDisplayFor(double(total) / std::max(1, m_in.nFrameRate));
    for (uint32_t frame : {0u, 1u}) {
        CScriptBuilder init;
        init.Set("playing_movie", "../").Set("start_frame", "0");
        CScriptBuilder s;
        s.Get("playing_movie").Push("").Code(kActionStringEquals).IfTrue(std::move(init));
        s.AddTo(control.GetFrame(frame));
        AddSeekScript(control, frame, m_in.segmentStarts, m_in.nFirstSplit,
                      SSeekThumb{total, travel});

        // The thumb, the time and the position follow the movie while no seek is under way.
        CScriptBuilder follow;
        follow.Push("cur").Get("playing_movie").PushInt(kPropCurrentFrame).Code(kActionGetProperty);
        follow.Get("start_frame").Code(kActionAdd).Code(kActionSetVariable);
        follow.Push("position").Get("cur").Code(kActionSetVariable);
        follow.Push("thumb").PushInt(0).Get("cur").PushInt(1).Code(kActionSubtract);
        PushFloat(follow, travel);
        follow.Code(kActionMultiply).PushInt(int32_t(std::max(1u, total - 1))).Code(kActionDivide);
        follow.Code(kActionSetProperty);
        if (m_in.switches.bTime) {
            follow.Push("seconds").Get("cur").PushInt(1).Code(kActionSubtract);
            follow.PushInt(std::max(1, m_in.nFrameRate)).Code(kActionDivide).Code(kActionToInteger);
            follow.Code(kActionSetVariable);
            follow.Push("hours").Get("seconds").PushInt(3600).Code(kActionDivide);
            follow.Code(kActionToInteger).Code(kActionSetVariable);
            follow.Push("minutes").Get("seconds").Get("hours").PushInt(3600).Code(kActionMultiply);
            follow.Code(kActionSubtract).PushInt(60).Code(kActionDivide).Code(kActionToInteger);
            follow.Code(kActionSetVariable);
            follow.Push("seconds").Get("seconds").Get("hours").PushInt(3600).Code(kActionMultiply);
            follow.Code(kActionSubtract).Get("minutes").PushInt(60).Code(kActionMultiply);
            follow.Code(kActionSubtract).Code(kActionSetVariable);
            auto pad = [&](const std::string& name) {
                CScriptBuilder zero;
                zero.Push(name).Push("0").Get(name).Code(kActionStringAdd).Code(kActionSetVariable);
                follow.Get(name).PushInt(10).Code(kActionLess).IfTrue(std::move(zero));
            };
            pad("seconds");
            if (time.bTwoDigitMinutes) {
                pad("minutes");
            }
            follow.Push("playtime");
            if (time.bHours) {
                follow.Get("hours").Push(":").Code(kActionStringAdd);
                follow.Get("minutes").Code(kActionStringAdd);
            } else {
                follow.Get("minutes");
            }
            follow.Push(":").Code(kActionStringAdd).Get("seconds").Code(kActionStringAdd);
            follow.Code(kActionSetVariable);
        }
        CScriptBuilder idle;
        idle.Get("seek_flag").Code(kActionNot).IfTrue(std::move(follow));
        CScriptBuilder script;
        script.Get("thumb:movethumb").Code(kActionNot).IfTrue(std::move(idle));

        script.Push("loading").PushInt(kPropXScale).Push("/").PushInt(kPropFramesLoaded);
        script.Code(kActionGetProperty).PushInt(100).Code(kActionMultiply);
        script.Push("/").PushInt(kPropTotalFrames).Code(kActionGetProperty);
        script.Code(kActionDivide).Code(kActionSetProperty);

        if (m_in.switches.bVolume) {
            const float volumeTravel = float(m_layout.nVolumeTravel) / float(m_in.Divisor());
            CScriptBuilder set;
            set.Push("volume_thumb").PushInt(kPropX).Code(kActionGetProperty).PushInt(100);
            set.Code(kActionMultiply);
            PushFloat(set, volumeTravel);
            set.Code(kActionDivide).Code(kActionToInteger).PushInt(1).Get("/:GlobalSound");
            set.Push("setVolume").Code(kActionCallMethod).Code(kActionPop);
            CScriptBuilder follow;
            follow.Push("volume_thumb").PushInt(kPropX).PushInt(0).Get("/:GlobalSound");
            follow.Push("getVolume").Code(kActionCallMethod);
            PushFloat(follow, volumeTravel);
            follow.Code(kActionMultiply).PushInt(100).Code(kActionDivide).Code(kActionSetProperty);
            script.Get("volume_thumb:movevol").IfElse(std::move(set), std::move(follow));
        }
        script.AddTo(control.GetFrame(frame));
    }
}
