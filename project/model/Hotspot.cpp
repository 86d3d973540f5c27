#include "project/model/Hotspot.h"

#include <algorithm>

#include "project/model/DemoProject.h"

std::optional<CHotspot> CHotspot::Of(const CFrameRecord& frame) {
    if (!frame.HasHotspot()) {
        return std::nullopt;
    }
    return CHotspot(frame);
}

void CHotspot::SwitchOn(CFrameRecord& frame, const CDemoProject& project) {
    frame.m_bHotspot = 1;
    if (frame.m_nHotspotStyle == kNoStyle) {
        frame.m_nHotspotStyle = project.m_nDefaultHotspotStyle;
        frame.m_crHotspot = project.m_crDefaultHotspot;
        frame.m_nHotspotThickness = project.m_nDefaultHotspotThickness;
        frame.m_nHotspotLevel = project.m_nDefaultHotspotLevel;
    }
    const bool bImage = frame.m_nHotspotStyle == kHotspotImage;
    if (bImage && frame.m_pszHotspotImage) {
        return;
    }
    frame.m_rcHotspot = project.m_rcDefaultHotspot;
    if (!bImage) {
        SRect& rc = frame.m_rcHotspot;
        rc.left = std::max(rc.left, 0);
        rc.top = std::max(rc.top, 0);
        rc.right = std::min(rc.right, project.m_nWidth);
        rc.bottom = std::min(rc.bottom, project.m_nHeight);
    }
}

void CHotspot::SetSliderValue(CFrameRecord& frame, CDemoProject& project, int nValue) {
    const auto nClamped = static_cast<uint8_t>(std::clamp(nValue, 1, 100));
    if (CHotspot(frame).UsesLevel()) {
        frame.m_nHotspotLevel = nClamped;
        project.m_nDefaultHotspotLevel = nClamped;
    } else {
        frame.m_nHotspotThickness = nClamped;
        project.m_nDefaultHotspotThickness = nClamped;
    }
}

void CHotspot::SetShowMouse(CFrameRecord& frame, bool bShow) {
    frame.m_bShowMouse = bShow ? 1 : 0;
    frame.m_bMouseHidden = bShow ? 0 : 1;
}
