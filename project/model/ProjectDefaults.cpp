#include "project/model/ProjectDefaults.h"

#include "project/model/DemoProject.h"

void StoreProjectDefaults(CDemoProject& p) {
    CSettingsBlock& b = p.m_Settings.m_block;
    b.m_crText = p.m_crDefaultText;
    b.m_crBubble = p.m_crDefaultBubble;
    b.m_crHotspot = p.m_crDefaultHotspot;
    b.m_crShadow = p.m_crDefaultShadow;
    p.m_CurrentFont.Write(b.m_font);
    b.m_bUnderline = p.m_bDefaultUnderline;
    b.m_bShadow = p.m_bDefaultShadow;
    b.m_nHotspotThickness = p.m_nDefaultHotspotThickness;
    b.m_rcHotspot = {p.m_rcDefaultHotspot.left, p.m_rcDefaultHotspot.top,
                     p.m_rcDefaultHotspot.right, p.m_rcDefaultHotspot.bottom};
    b.m_crFrameEffect = p.m_crDefaultFrameEffect;
    b.m_b24BitColor = p.m_b24BitColor ? 1 : 0;
    b.m_nHotspotLevel = p.m_nDefaultHotspotLevel;
    CProjectSettings& s = p.m_Settings;
    s.m_rcDefaultZoom = {p.m_rcDefaultZoom.left, p.m_rcDefaultZoom.top, p.m_rcDefaultZoom.right,
                         p.m_rcDefaultZoom.bottom};
    s.m_bSingleFrameSound = p.m_bDefaultSingleFrameSound;
    s.m_fSwfDelayScale = p.m_fSwfDelayScale;
}

void LoadProjectDefaults(CDemoProject& p) {
    const CSettingsBlock& b = p.m_Settings.m_block;
    p.m_crDefaultText = b.m_crText;
    p.m_crDefaultBubble = b.m_crBubble;
    p.m_crDefaultHotspot = b.m_crHotspot;
    p.m_crDefaultShadow = b.m_crShadow;
    p.m_CurrentFont = CLogFont::Read(b.m_font);
    p.m_bDefaultUnderline = static_cast<uint8_t>(b.m_bUnderline);
    p.m_bDefaultShadow = static_cast<uint8_t>(b.m_bShadow);
    p.m_nDefaultHotspotThickness = static_cast<uint8_t>(b.m_nHotspotThickness);
    p.m_rcDefaultHotspot = {b.m_rcHotspot[0], b.m_rcHotspot[1], b.m_rcHotspot[2], b.m_rcHotspot[3]};
    p.m_crDefaultFrameEffect = b.m_crFrameEffect;
    p.m_b24BitColor = b.m_b24BitColor != 0;
    p.m_nDefaultHotspotLevel = static_cast<uint8_t>(b.m_nHotspotLevel);
    const CProjectSettings& s = p.m_Settings;
    p.m_rcDefaultZoom = {s.m_rcDefaultZoom[0], s.m_rcDefaultZoom[1], s.m_rcDefaultZoom[2],
                         s.m_rcDefaultZoom[3]};
    p.m_bDefaultSingleFrameSound = static_cast<uint8_t>(s.m_bSingleFrameSound);
    p.m_fSwfDelayScale = static_cast<float>(s.m_fSwfDelayScale);
}
