#include "tests/swf/SwfTestSupport.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "swf/SwfTag.h"

std::vector<uint8_t> Bits(std::string_view bits) {
    std::vector<uint8_t> out;
    int used = 8;
    for (char c : bits) {
        if (c != '0' && c != '1') {
            continue;
        }
        if (used == 8) {
            out.push_back(0);
            used = 0;
        }
        if (c == '1') {
            out.back() = static_cast<uint8_t>(out.back() | (0x80 >> used));
        }
        ++used;
    }
    return out;
}

std::vector<uint8_t> Hex(std::string_view hex) {
    std::vector<uint8_t> out;
    std::string digits;
    for (char c : hex) {
        if (c != ' ') {
            digits.push_back(c);
        }
    }
    for (size_t i = 0; i + 1 < digits.size(); i += 2) {
        out.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return out;
}

std::string ToHex(const std::vector<uint8_t>& bytes) {
    std::string out;
    char buf[4];
    for (uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02x ", b);
        out += buf;
    }
    return out;
}

std::vector<uint8_t> TagBytes(CSwfTag& tag) {
    CSwfBitWriter writer;
    tag.Write(writer);
    return writer.ToBytes();
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t CBitReader::U(int count) {
    uint32_t v = 0;
    for (int i = 0; i < count; ++i) {
        const size_t byte = m_nBit / 8;
        if (byte >= m_bytes.size()) {
            m_bOverrun = true;
            return 0;
        }
        v = (v << 1) | ((m_bytes[byte] >> (7 - m_nBit % 8)) & 1u);
        ++m_nBit;
    }
    return v;
}

int32_t CBitReader::S(int count) {
    if (count == 0) {
        return 0;
    }
    const uint32_t v = U(count);
    if (count < 32 && (v & (1u << (count - 1))) != 0) {
        return static_cast<int32_t>(v | ~((1u << count) - 1u));
    }
    return static_cast<int32_t>(v);
}

uint32_t CBitReader::Aligned(int bytes) {
    Align();
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) {
        v |= U(8) << (8 * i);
    }
    return v;
}

std::ostream& operator<<(std::ostream& os, const SDecodedEdge& e) {
    os << e.kind << "(" << e.dx << "," << e.dy;
    if (e.kind == 'C') {
        os << "," << e.ax << "," << e.ay;
    }
    return os << ")";
}

namespace {

SDecodedMatrix ReadMatrix(CBitReader& r) {
    SDecodedMatrix m;
    m.hasScale = r.U(1) != 0;
    if (m.hasScale) {
        const int n = static_cast<int>(r.U(5));
        m.scaleX = r.S(n);
        m.scaleY = r.S(n);
    }
    m.hasRotate = r.U(1) != 0;
    if (m.hasRotate) {
        const int n = static_cast<int>(r.U(5));
        m.rotate0 = r.S(n);
        m.rotate1 = r.S(n);
    }
    const int n = static_cast<int>(r.U(5));
    m.translateX = r.S(n);
    m.translateY = r.S(n);
    r.Align();
    return m;
}

uint32_t ReadRgba(CBitReader& r) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        v = (v << 8) | r.U8();
    }
    return v;
}

uint32_t ReadCount(CBitReader& r) {
    const uint32_t n = r.U8();
    return n == 0xFF ? r.U16() : n;
}

}  // namespace

SDecodedShape DecodeShape(const std::vector<uint8_t>& record) {
    SDecodedShape s;
    CBitReader r(record);
    const uint32_t head = r.U16();
    s.code = static_cast<uint16_t>(head >> 6);
    uint32_t length = head & 63;
    if (length == 63) {
        length = r.U32();
    }
    const size_t bodyStart = r.BytePos();
    s.id = static_cast<uint16_t>(r.U16());
    const int n = static_cast<int>(r.U(5));
    s.xMin = r.S(n);
    s.xMax = r.S(n);
    s.yMin = r.S(n);
    s.yMax = r.S(n);
    r.Align();
    const uint32_t fillCount = ReadCount(r);
    for (uint32_t i = 0; i < fillCount && !r.Overrun(); ++i) {
        SDecodedFill f;
        f.type = static_cast<uint8_t>(r.U8());
        if (f.type == 0x00) {
            f.rgba = ReadRgba(r);
        } else if (f.type == 0x10 || f.type == 0x12) {
            f.matrix = ReadMatrix(r);
            const uint32_t stops = r.U8();
            for (uint32_t k = 0; k < stops; ++k) {
                const auto ratio = static_cast<uint8_t>(r.U8());
                f.gradient.emplace_back(ratio, ReadRgba(r));
            }
        } else if (f.type == 0x40 || f.type == 0x41) {
            f.bitmapId = static_cast<uint16_t>(r.U16());
            f.matrix = ReadMatrix(r);
        } else {
            return s;
        }
        s.fills.push_back(f);
    }
    const uint32_t lineCount = ReadCount(r);
    for (uint32_t i = 0; i < lineCount && !r.Overrun(); ++i) {
        const auto width = static_cast<uint16_t>(r.U16());
        s.lines.emplace_back(width, ReadRgba(r));
    }
    s.fillBits = static_cast<int>(r.U(4));
    s.lineBits = static_cast<int>(r.U(4));
    while (!r.Overrun()) {
        if (r.U(1) == 0) {
            const uint32_t flags = r.U(5);
            if (flags == 0) {
                r.Align();
                s.ok = r.BytePos() == bodyStart + length && !r.Overrun();
                return s;
            }
            ++s.styleChanges;
            if (flags & 1) {
                const int bits = static_cast<int>(r.U(5));
                s.moveX = r.S(bits);
                s.moveY = r.S(bits);
            }
            if (flags & 2) {
                s.fill0 = r.U(s.fillBits);
            }
            if (flags & 4) {
                s.fill1 = r.U(s.fillBits);
            }
            if (flags & 8) {
                s.line = r.U(s.lineBits);
            }
            if (flags & 16) {
                return s;
            }
        } else if (r.U(1) == 1) {
            const int bits = static_cast<int>(r.U(4)) + 2;
            if (r.U(1) == 1) {
                const int32_t dx = r.S(bits);
                s.edges.push_back({'L', dx, r.S(bits)});
            } else if (r.U(1) == 1) {
                s.edges.push_back({'V', 0, r.S(bits)});
            } else {
                s.edges.push_back({'H', r.S(bits), 0});
            }
        } else {
            const int bits = static_cast<int>(r.U(4)) + 2;
            SDecodedEdge e{'C', 0, 0};
            e.dx = r.S(bits);
            e.dy = r.S(bits);
            e.ax = r.S(bits);
            e.ay = r.S(bits);
            s.edges.push_back(e);
        }
    }
    return s;
}

SFileHeader ReadFileHeader(const std::vector<uint8_t>& file) {
    SFileHeader h;
    if (file.size() < 8) {
        return h;
    }
    h.signature.assign(file.begin(), file.begin() + 3);
    h.version = file[3];
    CBitReader r(file, 4);
    h.length = r.U32();
    const int n = static_cast<int>(r.U(5));
    r.S(n);
    h.width = r.S(n);
    r.S(n);
    h.height = r.S(n);
    r.Align();
    r.U8();
    h.rate = static_cast<int>(r.U8());
    h.frames = static_cast<uint16_t>(r.U16());
    h.headerSize = r.BytePos();
    return h;
}
