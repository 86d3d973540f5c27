// Zoom and pan: the part of the picture each frame shows, the steps that move the view between
// regions, and the scripts that scale and move the timeline to show it.
#pragma once

#include <cstdint>

#include "publish/ZoomView.h"

class CFrameInfo;
struct SPublishContext;

class CZoomStep {
public:
    explicit CZoomStep(SPublishContext& context);

    // The movie starts showing the whole picture.
    void Start();
    // A panned recording's area moves to where the frame was recorded.
    void FollowPan(const CFrameInfo& frame);
    // The part of the picture the frame shows; a "Zoom to Region" frame keeps its region for
    // the frames after it until a "Zoom Out".
    SZoomView TargetOf(const CFrameInfo& frame);
    // The frame's pictures are shown zoomed, now or once the view has moved to `target`.
    bool ShowsZoomed(const SZoomView& target) const;
    // Moves the view to `target` before the frame (from the previous frame's start on) or at
    // its start, as "Zoom Before Frame" says.
    void AddSteps(const CFrameInfo& frame, const SZoomView& target, uint32_t first, uint32_t end);
    // A new segment shows the view the movie had at its start.
    void StartSegment();

private:
    bool Zoomed() const;
    SZoomView Whole() const;
    // `view` is a part of the recorded area, which a panned recording shows at (panX, panY) of
    // its larger picture.
    void SetView(uint32_t absolute, const SZoomView& view, int32_t panX, int32_t panY);

    SPublishContext& m_context;
    SZoomView m_view;  // shown from the last zoom step on
    SZoomView m_kept;  // the region of the last "Zoom to Region" frame
    bool m_bZoomKept = false;
    uint32_t m_nPrevFirst = 0;  // movie frame at which the previous frame starts
};
