// The base of every SWF tag, the tag record header, and the movie-wide character id counter.
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

// A tag that defines a character; it takes the next character id when it is constructed.
class CSwfCharacterTag : public CSwfTag {
public:
    CSwfCharacterTag();
    virtual uint16_t GetCharacterId() const { return m_nCharacterId; }

protected:
    uint16_t m_nCharacterId;
};

// Character ids are 1, 2, 3, ... in order of construction of the defining tags, and start again
// at 1 after a tag stream has been saved. A movie holds at most 65535 characters: past that the
// counter answers 0 and stays exhausted, and the next save fails instead of writing a movie with
// repeated ids.
uint16_t NextCharacterId();
bool CharacterIdsExhausted();
void ResetCharacterIds();
