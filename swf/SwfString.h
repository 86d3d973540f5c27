// An 8-bit SWF string (UTF-8 in SWF 6 movies).
#pragma once

#include <string>
#include <string_view>

class CSwfBitWriter;

class CSwfString {
public:
    CSwfString() = default;
    explicit CSwfString(std::string_view bytes) : m_strBytes(bytes) {}
    // Converts UTF-16 to UTF-8; a surrogate pair becomes one 4-byte sequence and a lone
    // surrogate the replacement character U+FFFD.
    static CSwfString FromUtf16(std::u16string_view text);

    // All bytes, then a 0 byte when `terminate` is set.
    void Write(CSwfBitWriter& writer, bool terminate) const;

    const std::string& Bytes() const { return m_strBytes; }
    bool Empty() const { return m_strBytes.empty(); }

private:
    std::string m_strBytes;
};
