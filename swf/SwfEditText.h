// Text fields (DefineEditText), typically bound to a script variable whose value they show.
#pragma once

#include <cstdint>
#include <string>

#include "swf/SwfColor.h"
#include "swf/SwfObject.h"
#include "swf/SwfRect.h"
#include "swf/SwfString.h"
#include "swf/SwfTag.h"

class CSwfFont;

struct SSwfEditTextFields {
    CSwfRect m_rcBounds;
    bool m_bHasText = true;
    bool m_bWordWrap = false;
    bool m_bMultiline = false;
    bool m_bPassword = false;
    bool m_bReadOnly = false;
    bool m_bHasTextColor = true;
    bool m_bHasMaxLength = false;
    bool m_bHasFont = false;
    bool m_bHasLayout = true;
    bool m_bNoSelect = true;
    bool m_bBorder = false;
    bool m_bUseOutlines = false;
    uint16_t m_nFontId = 0;
    uint16_t m_nFontHeight = 240;
    CSwfColor m_crText{0, 0, 0, 255};
    uint16_t m_nMaxLength = 0;
    uint8_t m_nAlign = 0;
    uint16_t m_nLeftMargin = 0;
    uint16_t m_nRightMargin = 0;
    uint16_t m_nIndent = 0;
    uint16_t m_nLeading = 0;
    CSwfString m_strVariable;
    CSwfString m_strText;
};

class CSwfDefineEditText : public CSwfCharacterTag {
public:
    explicit CSwfDefineEditText(SSwfEditTextFields fields) : m_fields(std::move(fields)) {}
    void Write(CSwfBitWriter& writer) override;

private:
    SSwfEditTextFields m_fields;
};

class CSwfEditText : public CSwfObject {
public:
    CSwfEditText(int32_t x1, int32_t y1, int32_t x2, int32_t y2, std::u16string_view text);

    // Builds a new DefineEditText on every addition and places it.
    void AddToFrame(CSwfTagList& frame, CSwfMovie& movie) override;

    void SetTextColor(const CSwfColor& color) { m_crText = color; }
    // The variable whose value the field shows and edits; without one the timeline of the first
    // addition gives it a name of its own ("T1", "T2", ...).
    void SetVariableName(std::string name) { m_strVariable = std::move(name); }
    void SetEditable(bool editable) { m_bEditable = editable; }
    void SetFontHeight(uint16_t height) { m_nFontHeight = height; }
    // 0 left, 1 right, 2 centre, 3 justify.
    void SetAlignment(uint8_t align) { m_nAlign = align; }
    void SetWordWrap(bool wrap) { m_bWordWrap = wrap; }
    void SetNoSelect(bool noSelect) { m_bNoSelect = noSelect; }
    // The font the field draws with; a font not yet defined is defined with the field. A font
    // with embedded outlines makes the field draw with them.
    void SetFont(CSwfFont& font) { m_pFont = &font; }
    const std::string& VariableName() const { return m_strVariable; }

private:
    CSwfRect m_rcBounds;
    CSwfColor m_crText{0, 0, 0, 255};
    CSwfString m_strText;
    bool m_bEditable = true;
    uint16_t m_nFontHeight = 240;
    bool m_bWordWrap = false;
    bool m_bNoSelect = true;
    CSwfFont* m_pFont = nullptr;
    uint8_t m_nAlign = 2;
    std::string m_strVariable;
};
