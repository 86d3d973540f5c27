// A device font (DefineFont2 without glyphs): the player draws the text with a system font of
// that name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "swf/SwfObject.h"
#include "swf/SwfString.h"
#include "swf/SwfTag.h"

class CSwfDefineFont2 : public CSwfCharacterTag {
public:
    CSwfDefineFont2(CSwfString name, bool italic, bool bold)
        : m_strName(std::move(name)), m_bItalic(italic), m_bBold(bold) {}
    void Write(CSwfBitWriter& writer) override;

private:
    CSwfString m_strName;
    bool m_bItalic;
    bool m_bBold;
};

// Never placed: its addition to a frame only emits the definition, once.
class CSwfFont : public CSwfObject {
public:
    // Names longer than 255 bytes are cut to 255.
    CSwfFont(std::string name, bool italic, bool bold);
    ~CSwfFont() override;

    void AddToFrame(CSwfTagList& frame, CSwfMovie& movie) override;
    const std::string& FontName() const { return m_strName; }

private:
    std::string m_strName;
    std::unique_ptr<CSwfDefineFont2> m_pTag;
};
