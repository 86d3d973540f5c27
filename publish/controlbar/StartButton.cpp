#include "publish/controlbar/StartButton.h"

#include <algorithm>

#include "publish/MovieLayers.h"
#include "publish/ScriptBuilder.h"
#include "publish/controlbar/BarFaces.h"
#include "publish/controlbar/BarLayout.h"
#include "swf/SwfButton.h"
#include "swf/SwfMovie.h"
#include "swf/SwfShapeObject.h"

int32_t StartButtonFamily(EBarStyle style) {
    switch (style) {
        case kBarGlassoSquare:
        case kBarVistaSquare:
            return 0;
        case kBarGlassoRound:
        case kBarVistaRound:
        case kBarVistaGlass:
            return 30;
        case kBarVistaBordered:
            return 60;
        default:
            return 90;
    }
}

SStartButtonSize SizeStartButton(int32_t width, int32_t height, EBarStyle style) {
    SStartButtonSize s;
    s.nSide = std::min(std::max(width / 5, height / 5), 256);
    s.nFamily = StartButtonFamily(style);
    if (s.nSide > 128) {
        s.nPicture = 256;
        s.nStep = 6;
    } else if (s.nSide > 64) {
        s.nPicture = 128;
        s.nStep = 3;
    } else {
        s.nPicture = 64;
    }
    if (s.nFamily == 30 || s.nFamily == 60) {
        s.nPicture += 8;
    }
    return s;
}

CStartButton::CStartButton() = default;

CStartButton::~CStartButton() = default;

void CStartButton::Add(CSwfMovie& timeline, int32_t width, int32_t height, int32_t twips,
                       EBarStyle style, const std::array<uint32_t, 6>& colors) {
    const SStartButtonSize size = SizeStartButton(width, height, style);
    const int32_t s = std::max(size.nSide, 8);
    const int32_t left = (width / 2 - s / 2) * twips;
    const int32_t top = (height / 2 - s / 2) * twips;
    const int32_t side = s * twips;
    // The larger pictures carry a margin (their shadow ring), so the face sits a little inside.
    const int32_t margin = size.nFamily == 30 || size.nFamily == 60 ? side * 4 / size.nPicture : 0;
    const int32_t border = std::max(twips, side / 32);

    auto face = [&](uint32_t fill) -> CSwfObject& {
        std::unique_ptr<CSwfShapeObject> shape;
        const int32_t x1 = left + margin;
        const int32_t y1 = top + margin;
        const int32_t x2 = left + side - margin;
        const int32_t y2 = top + side - margin;
        if (size.nFamily == 30 || size.nFamily == 60) {
            shape = std::make_unique<CSwfEllipse>(x1, y1, x2, y2);
        } else {
            shape = std::make_unique<CSwfRoundRect>(x1, y1, x2, y2, side / 6);
        }
        if (size.nFamily == 90) {
            shape->SetFillColor(SwfColorFromRef(fill, 220));
        } else {
            shape->SetRadialGradient(SwfColorFromRef(Lighter(fill, 50)), SwfColorFromRef(fill));
        }
        shape->SetLineColor(SwfColorFromRef(colors[1]));
        shape->SetLineWidth(size.nFamily == 60 ? 3 * border : border);
        CSwfShapeObject& kept = *shape;
        m_objects.push_back(std::move(shape));
        return kept;
    };
    CSwfObject& up = face(colors[2]);
    CSwfObject& over = face(Lighter(colors[2], 30));
    CSwfObject& down = face(colors[4]);
    auto button = std::make_unique<CSwfButton>(up, over, down, up);
    CScriptBuilder click;
    click.Set("/control:playing", "1").Play();
    for (auto& record : click.List().TakeAll()) {
        button->AddRecord(std::move(record), kCondOverDownToOverUp);
    }
    button->SetLayer(kLayerTransition);
    CSwfFrame& first = timeline.GetFrame(0);
    CSwfFrame& second = timeline.GetFrame(1);
    first.AddObject(*button);
    second.RemoveObject(*button);
    m_objects.push_back(std::move(button));

    for (const TUnitPolygon& polygon : StartButtonSymbol()) {
        std::vector<SSwfPoint> points;
        for (const SUnitPoint& p : polygon) {
            points.push_back({left + int32_t(p.x * float(side)), top + int32_t(p.y * float(side))});
        }
        auto symbol = std::make_unique<CSwfPath>(points);
        symbol->SetFillColor(SwfColorFromRef(colors[0]));
        symbol->SetLineWidth(0);
        symbol->SetLayer(kLayerTransition);
        first.AddObject(*symbol);
        second.RemoveObject(*symbol);
        m_objects.push_back(std::move(symbol));
    }
    CScriptBuilder wait;
    wait.Set("/control:playing", "0").Stop();
    wait.AddTo(first);
}
