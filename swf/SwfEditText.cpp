#include "swf/SwfEditText.h"

#include <memory>

#include "swf/SwfBitWriter.h"
#include "swf/SwfFont.h"
#include "swf/SwfMovie.h"
#include "swf/SwfTagList.h"

namespace {
constexpr uint16_t kCodeDefineEditText = 37;
}  // namespace

void CSwfDefineEditText::Write(CSwfBitWriter& writer) {
    const SSwfEditTextFields& f = m_fields;
    CSwfBitWriter body;
    body.WriteU16(m_nCharacterId);
    f.m_rcBounds.Write(body);
    for (bool flag : {f.m_bHasText, f.m_bWordWrap, f.m_bMultiline, f.m_bPassword, f.m_bReadOnly,
                      f.m_bHasTextColor, f.m_bHasMaxLength, f.m_bHasFont}) {
        body.WriteBits(flag, 1);
    }
    // No font class, no auto-size, then HasLayout, NoSelect, Border, not static, not HTML.
    for (bool flag : {false, false, f.m_bHasLayout, f.m_bNoSelect, f.m_bBorder, false, false,
                      f.m_bUseOutlines}) {
        body.WriteBits(flag, 1);
    }
    if (f.m_bHasFont) {
        body.WriteU16(f.m_nFontId);
        body.WriteU16(f.m_nFontHeight);
    }
    if (f.m_bHasTextColor) {
        CSwfColor color = f.m_crText;
        color.m_bHasAlpha = true;
        color.Write(body);
    }
    if (f.m_bHasMaxLength) {
        body.WriteU16(f.m_nMaxLength);
    }
    if (f.m_bHasLayout) {
        body.WriteU8(f.m_nAlign);
        body.WriteU16(f.m_nLeftMargin);
        body.WriteU16(f.m_nRightMargin);
        body.WriteU16(f.m_nIndent);
        body.WriteU16(f.m_nLeading);
    }
    f.m_strVariable.Write(body, true);
    if (f.m_bHasText) {
        f.m_strText.Write(body, true);
    }
    WriteRecord(writer, kCodeDefineEditText, body);
}

CSwfEditText::CSwfEditText(int32_t x1, int32_t y1, int32_t x2, int32_t y2, std::u16string_view text)
    : m_rcBounds(x1, y1, x2, y2), m_strText(CSwfString::FromUtf16(text)) {}

void CSwfEditText::AddToFrame(CSwfTagList& frame, CSwfMovie& movie) {
    if (m_strVariable.empty()) {
        m_strVariable = movie.NewTextVariable();
    }
    SSwfEditTextFields fields;
    fields.m_rcBounds = m_rcBounds;
    fields.m_bWordWrap = m_bWordWrap;
    fields.m_bReadOnly = !m_bEditable;
    if (m_pFont != nullptr) {
        if (!m_pFont->IsDefined()) {
            m_pFont->AddToFrame(frame, movie);
        }
        fields.m_bHasFont = true;
        fields.m_nFontId = uint16_t(m_pFont->CharacterId());
        fields.m_bUseOutlines = m_pFont->HasGlyphs();
    }
    fields.m_nFontHeight = m_nFontHeight;
    fields.m_crText = m_crText;
    fields.m_nAlign = m_nAlign;
    fields.m_nLeading = uint16_t(m_nFontHeight / 2);
    fields.m_bNoSelect = m_bNoSelect;
    fields.m_strVariable = CSwfString(m_strVariable);
    fields.m_strText = m_strText;
    auto tag = std::make_unique<CSwfDefineEditText>(std::move(fields));
    TakeCharacterId(*tag, movie);
    frame.Add(std::move(tag));
    m_bDefined = true;
    if (!m_bDefineOnly) {
        Place(frame, movie);
    }
}
