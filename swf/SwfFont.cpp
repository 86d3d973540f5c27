#include "swf/SwfFont.h"

#include <algorithm>

#include "swf/SwfBitWriter.h"
#include "swf/SwfTagList.h"

namespace {
constexpr uint16_t kCodeDefineFont2 = 48;
constexpr size_t kMaxNameLength = 255;
}  // namespace

void CSwfDefineFont2::Write(CSwfBitWriter& writer) {
    CSwfBitWriter body;
    body.WriteU16(m_nCharacterId);
    const SSwfGlyphTable table = BuildGlyphTable(m_glyphs, m_metrics);
    // hasLayout, ShiftJIS, SmallText, ANSI, WideOffsets, WideCodes, italic, bold.
    body.WriteU8(0x84u | (table.bWideOffsets ? 0x08u : 0u) | (m_bItalic ? 0x02u : 0u) |
                 (m_bBold ? 0x01u : 0u));
    body.WriteU8(0);  // language
    body.WriteU8(uint32_t(m_strName.Bytes().size()));
    m_strName.Write(body, false);
    for (uint8_t byte : table.bytes) {
        body.WriteU8(byte);
    }
    WriteRecord(writer, kCodeDefineFont2, body);
}

CSwfFont::CSwfFont(std::string name, bool italic, bool bold)
    : m_strName(name.substr(0, kMaxNameLength)),
      m_pTag(std::make_unique<CSwfDefineFont2>(CSwfString(m_strName), italic, bold)) {}

CSwfFont::~CSwfFont() = default;

void CSwfFont::SetGlyphs(std::vector<SSwfGlyph> glyphs, const SSwfFontMetrics& metrics) {
    if (!m_pTag) {
        return;
    }
    std::stable_sort(glyphs.begin(), glyphs.end(),
                     [](const SSwfGlyph& a, const SSwfGlyph& b) { return a.code < b.code; });
    glyphs.erase(
        std::unique(glyphs.begin(), glyphs.end(),
                    [](const SSwfGlyph& a, const SSwfGlyph& b) { return a.code == b.code; }),
        glyphs.end());
    m_bHasGlyphs = !glyphs.empty();
    m_pTag->SetGlyphs(std::move(glyphs), metrics);
}

void CSwfFont::AddToFrame(CSwfTagList& frame, CSwfMovie& movie) {
    if (m_pTag) {
        TakeCharacterId(*m_pTag, movie);
        frame.Add(std::move(m_pTag));
        m_bDefined = true;
    }
}
