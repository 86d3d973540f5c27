#include "project/model/BubbleStyle.h"

void ApplyFirstText(CFrameRecord& frame, const CDemoProject& project) {
    if (frame.m_nBubbleStyle == kNoStyle) {
        frame.m_nBubbleStyle = project.m_nDefaultBubbleStyle;
    }
    if (!frame.m_pFont) {
        frame.m_pFont = project.m_CurrentFont;
    }
    if (project.m_DefaultStyle) {
        const CBubbleStyle& style = *project.m_DefaultStyle;
        frame.m_pFont = style.m_Font;
        frame.m_crText = style.m_crText;
        frame.m_crBubble = style.m_crBubble;
        frame.m_crShadow = style.m_crShadow;
        frame.m_bUnderline = style.m_bUnderline;
        frame.m_bShadow = style.m_bShadow;
    } else if (frame.m_crText == kColorNotSet) {
        frame.m_crText = project.m_crDefaultText;
        frame.m_crBubble = project.m_crDefaultBubble;
        frame.m_crShadow = project.m_crDefaultShadow;
        frame.m_bUnderline = project.m_bDefaultUnderline;
        frame.m_bShadow = project.m_bDefaultShadow;
    }
}

void ApplyStyleToAll(CDemoProject& project, const CFrameInfo& source) {
    for (CFrameInfo* pFrame = project.FirstFrame(); pFrame != nullptr; pFrame = pFrame->m_pNext) {
        if (pFrame == &source || pFrame->m_bDeleted || !pFrame->HasTalkBubble() ||
            pFrame->m_nBubbleStyle != source.m_nBubbleStyle) {
            continue;
        }
        // A bubble without a font of its own already shows the project's current font, so it
        // only needs one when the source has its own.
        if (source.m_pFont) {
            pFrame->m_pFont = source.m_pFont;
        } else if (pFrame->m_pFont) {
            pFrame->m_pFont = project.m_CurrentFont;
        }
        pFrame->m_crText = source.m_crText;
        pFrame->m_crShadow = source.m_crShadow;
        pFrame->m_crBubble = source.m_crBubble;
        pFrame->m_bUnderline = source.m_bUnderline;
        pFrame->m_bShadow = source.m_bShadow;
    }
}

void SetDefaultStyle(CDemoProject& project, const CFrameRecord& frame, const CLogFont& font,
                     bool bMakeDefault) {
    if (!bMakeDefault) {
        project.m_DefaultStyle.reset();
        return;
    }
    project.m_DefaultStyle = CBubbleStyle{
        font,           frame.m_crText, frame.m_crBubble, frame.m_crShadow, frame.m_bUnderline,
        frame.m_bShadow};
}

void SetBubbleTextColor(CFrameRecord& frame, CDemoProject& project, int32_t crColor) {
    frame.m_crText = crColor;
    project.m_crDefaultText = crColor;
}

void SetBubbleColor(CFrameRecord& frame, CDemoProject& project, int32_t crColor) {
    frame.m_crBubble = crColor;
    project.m_crDefaultBubble = crColor;
}

void SetBubbleShadowColor(CFrameRecord& frame, CDemoProject& project, int32_t crColor) {
    frame.m_crShadow = crColor;
    project.m_crDefaultShadow = crColor;
}
