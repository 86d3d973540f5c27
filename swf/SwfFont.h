// A font for text fields (DefineFont2): a device font without glyphs, which the player draws with
// a system font of that name, or an embedded one that carries the outlines of the characters used.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "swf/SwfFontGlyphs.h"
#include "swf/SwfObject.h"
#include "swf/SwfString.h"
#include "swf/SwfTag.h"

class CSwfDefineFont2 : public CSwfCharacterTag {
public:
    CSwfDefineFont2(CSwfString name, bool italic, bool bold)
        : m_strName(std::move(name)), m_bItalic(italic), m_bBold(bold) {}
    // `glyphs` sorted by code; an empty list leaves a device font.
    void SetGlyphs(std::vector<SSwfGlyph> glyphs, const SSwfFontMetrics& metrics) {
        m_glyphs = std::move(glyphs);
        m_metrics = metrics;
    }
    void Write(CSwfBitWriter& writer) override;

private:
    CSwfString m_strName;
    bool m_bItalic;
    bool m_bBold;
    std::vector<SSwfGlyph> m_glyphs;
    SSwfFontMetrics m_metrics;
};

// Never placed: its addition to a frame only emits the definition, once.
class CSwfFont : public CSwfObject {
public:
    // Names longer than 255 bytes are cut to 255.
    CSwfFont(std::string name, bool italic, bool bold);
    ~CSwfFont() override;

    void AddToFrame(CSwfTagList& frame, CSwfMovie& movie) override;
    const std::string& FontName() const { return m_strName; }
    // Embeds the outlines: text fields that use the font then draw with them. Glyphs are sorted
    // by code here; a code given twice keeps its first glyph. Only before the font is defined.
    void SetGlyphs(std::vector<SSwfGlyph> glyphs, const SSwfFontMetrics& metrics);
    bool HasGlyphs() const { return m_bHasGlyphs; }

private:
    std::string m_strName;
    std::unique_ptr<CSwfDefineFont2> m_pTag;
    bool m_bHasGlyphs = false;
};
