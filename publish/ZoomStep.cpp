#include "publish/ZoomStep.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "project/model/FrameInfo.h"
#include "publish/MovieLayers.h"
#include "publish/PublishContext.h"
#include "publish/PublishSettings.h"
#include "swf/SwfAction.h"

CZoomStep::CZoomStep(SPublishContext& context) : m_context(context) {}

SZoomView CZoomStep::Whole() const {
    return WholePicture(m_context.geometry.nWidth, m_context.geometry.nHeight);
}

bool CZoomStep::Zoomed() const {
    return !(m_view == Whole());
}

void CZoomStep::Start() {
    m_view = Whole();
}

void CZoomStep::FollowPan(const CFrameInfo& frame) {
    SAreaPosition& area = m_context.area;
    area.nPrevX = area.nX;
    area.nPrevY = area.nY;
    if (m_context.bPanned) {
        const SMovieGeometry& g = m_context.geometry;
        area.nX = std::clamp<int32_t>(frame.m_nPanX, 0, m_context.nPictureWidth - g.nWidth);
        area.nY = std::clamp<int32_t>(frame.m_nPanY, 0, m_context.nPictureHeight - g.nHeight);
    }
}

bool CZoomStep::ShowsZoomed(const SZoomView& target) const {
    return Zoomed() || !(target == Whole());
}

void CZoomStep::StartSegment() {
    const SAreaPosition& area = m_context.area;
    if (Zoomed() || area.nX != 0 || area.nY != 0) {
        SetView(m_context.nNextFrame, m_view, area.nX, area.nY);
    }
}

SZoomView CZoomStep::TargetOf(const CFrameInfo& frame) {
    const int32_t W = m_context.geometry.nWidth;
    const int32_t H = m_context.geometry.nHeight;
    if (frame.m_nFrameEffect == kEffectZoomOut) {
        m_bZoomKept = false;
        return Whole();
    }
    SRect region = frame.m_rcZoom;
    if (frame.m_bZoomFollowMouse != 0 && frame.m_nCursorX != kCursorUnknown &&
        frame.m_nCursorY != kCursorUnknown) {
        region = FollowRegion(region, frame.m_nCursorX, frame.m_nCursorY, W, H);
    }
    if (frame.m_nFrameEffect == kEffectZoomToRegion) {
        m_kept = ZoomRegionView(region, W, H);
        m_bZoomKept = true;
        return m_kept;
    }
    if (frame.m_bZoom != 0) {
        return ZoomRegionView(region, W, H);
    }
    return m_bZoomKept ? m_kept : Whole();
}

void CZoomStep::AddSteps(const CFrameInfo& frame, const SZoomView& target, uint32_t first,
                         uint32_t end) {
    const CPublishSettings& settings = m_context.settings;
    const SAreaPosition& area = m_context.area;
    const double frameMs = m_context.fMovieFrameMs;
    // One zoom step every 1/10 s.
    const double framesPerStep = 100.0 / frameMs;
    auto offset = [&](uint32_t k) { return uint32_t(std::floor(k * framesPerStep)); };
    const uint32_t segmentStart = m_context.segments.CurrentStart();
    const bool before = settings.m_bZoomBeforeFrame && first > std::max(m_nPrevFirst, segmentStart);
    const uint32_t low = before ? std::max(m_nPrevFirst + 1, segmentStart) : first;
    const uint32_t room = before ? first - low : (end > first ? end - first - 1 : 0);
    const uint32_t maxSteps = uint32_t(room * frameMs / 100.0) + 1;
    const std::vector<SZoomView> steps =
        ZoomSteps(m_view, target, settings.m_nZoomPanRate, maxSteps, frame.m_bZoomCut != 0);
    const uint32_t n = uint32_t(steps.size());
    std::map<uint32_t, SZoomView> at;
    for (uint32_t k = 1; k <= n; ++k) {
        const uint32_t movieFrame = before
                                        ? first - std::min(first - low, offset(n) - offset(k))
                                        : std::min(first + offset(k - 1), std::max(first, end - 1));
        at[movieFrame] = steps[k - 1];
    }
    // A seek to the frame's start finds the view it shows; a pan moves at once.
    if (steps.empty() && (area.Moved() || !(target == Whole()))) {
        at[first] = target;
    }
    for (const auto& [movieFrame, view] : at) {
        // Before the frame starts the previous frame's area is shown.
        const bool earlier = movieFrame < first;
        SetView(movieFrame, view, earlier ? area.nPrevX : area.nX, earlier ? area.nPrevY : area.nY);
    }
    m_view = target;
    m_nPrevFirst = first;
}

void CZoomStep::SetView(uint32_t absolute, const SZoomView& view, int32_t panX, int32_t panY) {
    const SMovieGeometry& g = m_context.geometry;
    const SZoomView shown{view.left + panX, view.top + panY, view.width, view.height};
    const SViewTransform t = TransformFor(shown, g.nWidth);
    const double unit = g.nTwips / 20.0;
    const double panel = g.nPanelWidth * unit;
    CSwfFrame& at = m_context.Frame(absolute);
    at.AddAction(CSwfAction::SetProperty("", kPropX, FormatSwfFixed(panel + t.x * unit)));
    at.AddAction(CSwfAction::SetProperty("", kPropY, FormatSwfFixed(t.y * unit)));
    at.AddAction(CSwfAction::SetProperty("", kPropXScale, FormatSwfFixed(100.0 * t.scale)));
    at.AddAction(CSwfAction::SetProperty("", kPropYScale, FormatSwfFixed(100.0 * t.scale)));
    if (m_context.segments.Count() == 1) {
        // The main timeline carries the control sprite, which keeps its place and size.
        at.AddAction(
            CSwfAction::SetProperty("control", kPropX, FormatSwfFixed(-t.x * unit / t.scale)));
        at.AddAction(
            CSwfAction::SetProperty("control", kPropY, FormatSwfFixed(-t.y * unit / t.scale)));
        const std::string zoom = FormatSwfFixed(g.fZoom / t.scale);
        at.AddAction(CSwfAction::SetProperty("control", kPropXScale, zoom));
        at.AddAction(CSwfAction::SetProperty("control", kPropYScale, zoom));
    }
}
