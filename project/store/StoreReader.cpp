#include "project/store/StoreReader.h"

#include <charconv>
#include <cstring>

namespace {

std::size_t SkipBlanks(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' ||
                               text[i] == '\v' || text[i] == '\f')) {
        ++i;
    }
    return i;
}

}  // namespace

bool ParseLeadingInt(const std::string& text, std::int64_t& value) {
    std::size_t i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint64_t magnitude = 0;
    auto res = std::from_chars(text.data() + i, text.data() + text.size(), magnitude);
    if (res.ec != std::errc() || magnitude > (std::uint64_t{1} << 63)) {
        return false;
    }
    value =
        negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

bool ParseLeadingFloat(const std::string& text, double& value) {
    std::size_t i = SkipBlanks(text);
    if (i < text.size() && text[i] == '+') {
        ++i;
    }
    auto res = std::from_chars(text.data() + i, text.data() + text.size(), value);
    return res.ec == std::errc();
}

CStoreReader::CStoreReader(std::FILE* file, std::uint64_t start, std::uint64_t end)
    : m_file(file), m_pos(start), m_end(end) {
    if (file == nullptr || start > end ||
        std::fseek(file, static_cast<long>(start), SEEK_SET) != 0) {
        m_ok = false;
    }
}

bool CStoreReader::Seek(std::uint64_t pos) {
    if (!m_ok || pos > m_end || std::fseek(m_file, static_cast<long>(pos), SEEK_SET) != 0) {
        m_ok = false;
        return false;
    }
    m_pos = pos;
    return true;
}

bool CStoreReader::Line(std::string& out) {
    out.clear();
    if (!m_ok || m_pos >= m_end) {
        m_ok = false;
        return false;
    }
    while (true) {
        int c = m_pos < m_end ? std::getc(m_file) : EOF;
        if (c == EOF) {
            m_ok = false;
            return false;
        }
        ++m_pos;
        if (c == '\n') {
            break;
        }
        if (out.size() >= kMaxLine) {
            m_ok = false;
            return false;
        }
        out.push_back(static_cast<char>(c));
    }
    if (!out.empty() && out.back() == '\r') {
        out.pop_back();
    }
    return true;
}

bool CStoreReader::Long(std::int64_t& value) {
    std::string line;
    if (!Line(line)) {
        return false;
    }
    std::int64_t v = 0;
    if (!ParseLeadingInt(line, v)) {
        m_ok = false;
        return false;
    }
    value = v;
    return true;
}

bool CStoreReader::Int(std::int32_t& value) {
    std::int64_t v = 0;
    if (!Long(v)) {
        return false;
    }
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    return true;
}

bool CStoreReader::UInt(std::uint32_t& value) {
    std::int64_t v = 0;
    if (!Long(v)) {
        return false;
    }
    value = static_cast<std::uint32_t>(v);
    return true;
}

bool CStoreReader::Float(double& value) {
    std::string line;
    if (!Line(line)) {
        return false;
    }
    double v = 0;
    if (!ParseLeadingFloat(line, v)) {
        m_ok = false;
        return false;
    }
    value = v;
    return true;
}

bool CStoreReader::Bytes(void* out, std::size_t size) {
    if (!m_ok || size > Remaining()) {
        m_ok = false;
        return false;
    }
    if (size > 0 && std::fread(out, 1, size, m_file) != size) {
        m_ok = false;
        return false;
    }
    m_pos += size;
    return true;
}

bool CStoreReader::Bytes(std::vector<std::uint8_t>& out, std::size_t size) {
    if (!m_ok || size > Remaining()) {
        m_ok = false;
        return false;
    }
    out.resize(size);
    return Bytes(out.data(), size);
}

bool CStoreReader::Skip(std::uint64_t size) {
    if (!m_ok || size > Remaining()) {
        m_ok = false;
        return false;
    }
    return Seek(m_pos + size);
}

bool CStoreReader::U16(std::uint16_t& value) {
    std::uint8_t b[2];
    if (!Bytes(b, 2)) {
        return false;
    }
    value = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    return true;
}

bool CStoreReader::I16(std::int16_t& value) {
    std::uint16_t v = 0;
    if (!U16(v)) {
        return false;
    }
    value = static_cast<std::int16_t>(v);
    return true;
}

bool CStoreReader::U32(std::uint32_t& value) {
    std::uint8_t b[4];
    if (!Bytes(b, 4)) {
        return false;
    }
    value = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
            (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    return true;
}

bool CStoreReader::I32(std::int32_t& value) {
    std::uint32_t v = 0;
    if (!U32(v)) {
        return false;
    }
    value = static_cast<std::int32_t>(v);
    return true;
}

bool CStoreReader::U64(std::uint64_t& value) {
    std::uint32_t lo = 0;
    std::uint32_t hi = 0;
    if (!U32(lo) || !U32(hi)) {
        return false;
    }
    value = (static_cast<std::uint64_t>(hi) << 32) | lo;
    return true;
}
