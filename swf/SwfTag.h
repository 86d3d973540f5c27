// The base of every SWF tag and the tag record header.
#pragma once

#include <cstdint>

class CSwfBitWriter;

// Writes the short header (code × 64 + length) for bodies of at most 62 bytes, else the long
// one (code × 64 + 63 and a u32 length); bitmap tags 20 and 36 always get the long form. Then
// appends `body` when given.
void WriteTagHeader(CSwfBitWriter& writer, uint16_t code, uint32_t length,
                    CSwfBitWriter* body = nullptr);

class CSwfTag {
public:
    virtual ~CSwfTag() = default;
    // Appends the complete record, header and body. A tag is written at most once.
    virtual void Write(CSwfBitWriter& writer) = 0;
    virtual bool IsShowFrame() const { return false; }

protected:
    // Header with the body's length, then the body.
    static void WriteRecord(CSwfBitWriter& writer, uint16_t code, CSwfBitWriter& body);
};

// A tag that defines a character. Its id comes from the movie it is defined in (see
// CSwfMovie::NextCharacterId) and is 0 until then.
class CSwfCharacterTag : public CSwfTag {
public:
    virtual uint16_t GetCharacterId() const { return m_nCharacterId; }
    void SetCharacterId(uint16_t id) { m_nCharacterId = id; }

protected:
    uint16_t m_nCharacterId = 0;
};
