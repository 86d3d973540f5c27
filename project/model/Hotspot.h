// The hotspot of a frame: a view on the frame's fields. A frame has a hotspot when `m_bHotspot`
// is set.
#pragma once

#include <optional>

#include "project/model/FrameInfo.h"

class CDemoProject;

class CHotspot {
public:
    explicit CHotspot(const CFrameRecord& frame) : m_frame(frame) {}
    static std::optional<CHotspot> Of(const CFrameRecord& frame);

    const CFrameRecord& Frame() const { return m_frame; }
    const SRect& Rect() const { return m_frame.m_rcHotspot; }
    bool IsImage() const { return m_frame.m_nHotspotStyle == kHotspotImage; }
    // The movie waits at this frame until the hotspot is clicked.
    bool WaitsForClick() const { return m_frame.HotspotWaitsForClick(); }
    bool GoesToFrame() const { return m_frame.m_bHotspotGoto != 0; }
    bool OpensUrl() const { return m_frame.m_bHotspotUrl != 0; }
    // The slider that sets this style's strength: the level for "Shade" and "Highlight", the
    // thickness for the others.
    bool UsesLevel() const {
        return m_frame.m_nHotspotStyle == kHotspotShade ||
               m_frame.m_nHotspotStyle == kHotspotHighlight;
    }

    // Switches a frame's hotspot on. A hotspot without a style takes the project's style, colour
    // and slider values. Unless it is an image hotspot that already has a picture it gets the
    // default rectangle, and a non-image rectangle is then kept within the recorded area.
    static void SwitchOn(CFrameRecord& frame, const CDemoProject& project);

    // The settings slider: sets the frame's level or thickness, as its style uses, and makes the
    // value the project's default for new hotspots. Values are kept within 1 to 100.
    static void SetSliderValue(CFrameRecord& frame, CDemoProject& project, int nValue);
    // "Show mouse", kept together with its negation `m_bMouseHidden`.
    static void SetShowMouse(CFrameRecord& frame, bool bShow);

private:
    const CFrameRecord& m_frame;
};
