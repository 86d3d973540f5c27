#include "project/store/StoreWriter.h"

#include <charconv>
#include <cmath>

void CStoreWriter::Int(std::int64_t value) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    m_data.append(buf, res.ptr);
    m_data.push_back('\n');
}

void CStoreWriter::UInt(std::uint32_t value) {
    Int(static_cast<std::int64_t>(value));
}

std::string FormatFixed6(double value) {
    if (!std::isfinite(value)) {
        value = 0.0;
    }
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
    if (res.ec != std::errc()) {
        return "0.000000";
    }
    return std::string(buf, res.ptr);
}

void CStoreWriter::Float(double value) {
    m_data += FormatFixed6(value);
    m_data.push_back('\n');
}

void CStoreWriter::Text(std::string_view text) {
    std::size_t end = text.find_first_of(std::string_view("\0\n", 2));
    m_data.append(text.substr(0, end));
    m_data.push_back('\n');
}

void CStoreWriter::Bytes(std::span<const std::uint8_t> bytes) {
    m_data.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void CStoreWriter::Bytes(const void* data, std::size_t size) {
    m_data.append(static_cast<const char*>(data), size);
}

void CStoreWriter::I16(std::int16_t value) {
    auto v = static_cast<std::uint16_t>(value);
    m_data.push_back(static_cast<char>(v & 0xFF));
    m_data.push_back(static_cast<char>(v >> 8));
}

void CStoreWriter::U32(std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        m_data.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

void CStoreWriter::U64(std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        m_data.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}
