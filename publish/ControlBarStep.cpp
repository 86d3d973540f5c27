#include "publish/ControlBarStep.h"

#include <string>
#include <vector>

#include "publish/MovieLayers.h"
#include "publish/PublishContext.h"
#include "publish/SeekControl.h"
#include "swf/SwfAction.h"
#include "swf/SwfSpriteObject.h"

CControlBarStep::CControlBarStep(SPublishContext& context) : m_context(context) {}

CControlBarStep::~CControlBarStep() = default;

void CControlBarStep::Prepare() {
    const SMovieGeometry& g = m_context.geometry;
    m_pControl = m_context.segments.Main().NewTimeline();
    m_pControl->SetStageSize(g.StageWidth(), g.StageHeight());
    m_pControl->SetFrameRate(m_context.segments.Main().FrameRate());
    const std::string zoom = FormatSwfFixed(g.fZoom);
    CSwfFrame& first = m_context.segments.Main().GetFrame(0);
    first.AddAction(CSwfAction::SetProperty("control", kPropXScale, zoom));
    first.AddAction(CSwfAction::SetProperty("control", kPropYScale, zoom));
}

void CControlBarStep::AddControl() {
    // Without a visible bar the control sprite only carries out seeks.
    const CMovieSegments& segments = m_context.segments;
    std::vector<uint32_t> starts;
    for (uint32_t k = 1; k < segments.Count(); ++k) {
        starts.push_back(segments.StartOf(k));
    }
    const uint32_t firstSplit = starts.empty() ? 0 : starts.front();
    m_pControl->GetFrame(0);
    AddSeekScript(*m_pControl, 1, starts, firstSplit);
    auto control = std::make_unique<CSwfSpriteObject>(std::move(m_pControl), CSwfString("control"));
    control->SetLayer(kLayerControl);
    m_context.segments.Main().GetFrame(0).AddObject(m_context.Keep(std::move(control)));
}

void CControlBarStep::AddInfoBox() {}
