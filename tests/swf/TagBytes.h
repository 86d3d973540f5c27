// Helpers that turn tags and action records into bytes for exact comparisons.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "swf/SwfBitWriter.h"
#include "swf/SwfTag.h"

using Bytes = std::vector<uint8_t>;

// The complete record of a tag, header included.
inline Bytes TagRecord(CSwfTag& tag) {
    CSwfBitWriter writer;
    tag.Write(writer);
    return writer.ToBytes();
}

// The body of a tag record, after its short or long header.
inline Bytes TagBody(CSwfTag& tag) {
    const Bytes record = TagRecord(tag);
    const size_t header = (record.at(0) & 0x3F) == 0x3F ? 6 : 2;
    return Bytes(record.begin() + header, record.end());
}

inline uint16_t TagCode(const Bytes& record) {
    return uint16_t((record.at(0) | record.at(1) << 8) >> 6);
}

// Bytes from numbers and the characters of strings, for readable expectations.
struct SByteItem {
    SByteItem(int b) : m_bytes{uint8_t(b)} {}
    SByteItem(const char* s) : m_bytes(s, s + std::char_traits<char>::length(s)) {}
    Bytes m_bytes;
};

inline Bytes B(std::initializer_list<SByteItem> items) {
    Bytes out;
    for (const SByteItem& item : items) {
        out.insert(out.end(), item.m_bytes.begin(), item.m_bytes.end());
    }
    return out;
}

inline Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
