#include "swf/SwfBitWriter.h"

#include <algorithm>
#include <bit>
#include <cassert>

int BitsNeeded(uint32_t v, int extra) {
    return std::min(32, extra + static_cast<int>(std::bit_width(v)));
}

CSwfBitWriter::CSwfBitWriter() {
    m_bytes.reserve(1024);
}

void CSwfBitWriter::WriteBits(int64_t value, int count) {
    const uint32_t bits = static_cast<uint32_t>(value);
    while (count > 0) {
        const int take = std::min(count, m_nFreeBits);
        const uint32_t chunk = (bits >> (count - take)) & ((1u << take) - 1u);
        m_nFreeBits -= take;
        m_nCurrent = static_cast<uint8_t>(m_nCurrent | (chunk << m_nFreeBits));
        count -= take;
        if (m_nFreeBits == 0) {
            m_bytes.push_back(m_nCurrent);
            m_nCurrent = 0;
            m_nFreeBits = 8;
        }
    }
}

void CSwfBitWriter::WriteU8(uint32_t v) {
    if (m_nFreeBits == 8) {
        m_bytes.push_back(static_cast<uint8_t>(v));
    } else {
        WriteBits(v & 0xFF, 8);
    }
}

void CSwfBitWriter::WriteU16(uint32_t v) {
    WriteU8(v);
    WriteU8(v >> 8);
}

void CSwfBitWriter::WriteU32(uint32_t v) {
    WriteU8(v);
    WriteU8(v >> 8);
    WriteU8(v >> 16);
    WriteU8(v >> 24);
}

void CSwfBitWriter::Align() {
    if (m_nFreeBits < 8) {
        m_bytes.push_back(m_nCurrent);
        m_nCurrent = 0;
        m_nFreeBits = 8;
    }
}

size_t CSwfBitWriter::AddBlock(const uint8_t* data, uint32_t length) {
    assert(IsAligned());
    m_blocks.push_back({static_cast<uint32_t>(m_bytes.size()), data, length});
    return m_blocks.size();
}

uint64_t CSwfBitWriter::TotalLength() const {
    uint64_t total = m_bytes.size();
    for (const SBlock& b : m_blocks) {
        total += b.m_nLength;
    }
    return total;
}

void CSwfBitWriter::Append(CSwfBitWriter& other) {
    size_t from = 0;
    auto copy = [&](size_t to) {
        if (IsAligned()) {
            m_bytes.insert(m_bytes.end(), other.m_bytes.begin() + static_cast<std::ptrdiff_t>(from),
                           other.m_bytes.begin() + static_cast<std::ptrdiff_t>(to));
        } else {
            for (size_t i = from; i < to; ++i) {
                WriteU8(other.m_bytes[i]);
            }
        }
        from = to;
    };
    for (const SBlock& b : other.m_blocks) {
        copy(b.m_nPosition);
        AddBlock(b.m_pData, b.m_nLength);
    }
    copy(other.m_bytes.size());
    other.m_blocks.clear();
}

bool CSwfBitWriter::WriteTo(std::FILE* file) {
    bool ok = true;
    size_t from = 0;
    auto put = [&](const uint8_t* data, size_t length) {
        if (ok && length > 0 && std::fwrite(data, 1, length, file) != length) {
            ok = false;
        }
    };
    for (const SBlock& b : m_blocks) {
        put(m_bytes.data() + from, b.m_nPosition - from);
        put(b.m_pData, b.m_nLength);
        from = b.m_nPosition;
    }
    put(m_bytes.data() + from, m_bytes.size() - from);
    m_blocks.clear();
    return ok;
}

std::vector<uint8_t> CSwfBitWriter::ToBytes() const {
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(TotalLength()));
    size_t from = 0;
    for (const SBlock& b : m_blocks) {
        out.insert(out.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(from),
                   m_bytes.begin() + b.m_nPosition);
        out.insert(out.end(), b.m_pData, b.m_pData + b.m_nLength);
        from = b.m_nPosition;
    }
    out.insert(out.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(from), m_bytes.end());
    return out;
}

void CSwfBitWriter::Patch(uint32_t position, const std::vector<uint8_t>& bytes) {
    assert(position + bytes.size() <= m_bytes.size());
    std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + position);
}
