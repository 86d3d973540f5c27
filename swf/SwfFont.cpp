#include "swf/SwfFont.h"

#include "swf/SwfBitWriter.h"
#include "swf/SwfTagList.h"

namespace {
constexpr uint16_t kCodeDefineFont2 = 48;
constexpr size_t kMaxNameLength = 255;
}  // namespace

void CSwfDefineFont2::Write(CSwfBitWriter& writer) {
    CSwfBitWriter body;
    body.WriteU16(m_nCharacterId);
    // hasLayout, ShiftJIS, SmallText, ANSI, WideOffsets, WideCodes, italic, bold.
    body.WriteU8(0x84u | (m_bItalic ? 0x02u : 0u) | (m_bBold ? 0x01u : 0u));
    body.WriteU8(0);  // language
    body.WriteU8(uint32_t(m_strName.Bytes().size()));
    m_strName.Write(body, false);
    body.WriteU16(0);  // glyphs
    // Layout: ascent, descent, leading, kerning count.
    for (int i = 0; i < 4; ++i) {
        body.WriteU16(0);
    }
    WriteRecord(writer, kCodeDefineFont2, body);
}

CSwfFont::CSwfFont(std::string name, bool italic, bool bold)
    : m_strName(name.substr(0, kMaxNameLength)),
      m_pTag(std::make_unique<CSwfDefineFont2>(CSwfString(m_strName), italic, bold)) {}

CSwfFont::~CSwfFont() = default;

void CSwfFont::AddToFrame(CSwfTagList& frame, CSwfMovie& movie) {
    if (m_pTag) {
        TakeCharacterId(*m_pTag, movie);
        frame.Add(std::move(m_pTag));
        m_bDefined = true;
    }
}
