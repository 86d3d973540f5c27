// Little-endian reading from a block of bytes that never reads past its end: every read reports
// whether the bytes were there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "project/store/ByteOrder.h"

class CByteReader {
public:
    CByteReader() = default;
    explicit CByteReader(std::span<const uint8_t> data) : m_Data(data) {}

    size_t Position() const { return m_nPos; }
    size_t Remaining() const { return m_Data.size() - m_nPos; }
    bool AtEnd() const { return m_nPos >= m_Data.size(); }
    const uint8_t* Current() const { return m_Data.data() + m_nPos; }

    bool Skip(uint64_t n) {
        if (n > Remaining()) {
            m_nPos = m_Data.size();
            return false;
        }
        m_nPos += static_cast<size_t>(n);
        return true;
    }

    bool U8(uint8_t& v) {
        if (Remaining() < 1) {
            return false;
        }
        v = m_Data[m_nPos++];
        return true;
    }

    bool U16(uint16_t& v) {
        if (Remaining() < 2) {
            m_nPos = m_Data.size();
            return false;
        }
        v = static_cast<uint16_t>(m_Data[m_nPos] | (m_Data[m_nPos + 1] << 8));
        m_nPos += 2;
        return true;
    }

    bool S16(int16_t& v) {
        uint16_t u = 0;
        if (!U16(u)) {
            return false;
        }
        v = static_cast<int16_t>(u);
        return true;
    }

    bool U32(uint32_t& v) {
        if (Remaining() < 4) {
            m_nPos = m_Data.size();
            return false;
        }
        v = static_cast<uint32_t>(m_Data[m_nPos]) |
            (static_cast<uint32_t>(m_Data[m_nPos + 1]) << 8) |
            (static_cast<uint32_t>(m_Data[m_nPos + 2]) << 16) |
            (static_cast<uint32_t>(m_Data[m_nPos + 3]) << 24);
        m_nPos += 4;
        return true;
    }

private:
    std::span<const uint8_t> m_Data;
    size_t m_nPos = 0;
};
