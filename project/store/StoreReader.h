// Reads the items of a stored file between two positions of an open file: decimal lines, text
// lines, raw blocks and little-endian binary values. Every read is checked against the bytes
// that remain before the end; the first failure is sticky, so a caller can read a group of items
// and test Ok() once.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class CStoreReader {
public:
    // Longest line accepted; a longer one is damage, not a name.
    static constexpr std::size_t kMaxLine = 1 << 16;

    // Reads `file` from `start` up to (not including) `end`.
    CStoreReader(std::FILE* file, std::uint64_t start, std::uint64_t end);

    bool Ok() const { return m_ok; }
    void Fail() { m_ok = false; }
    std::uint64_t Pos() const { return m_pos; }
    std::uint64_t End() const { return m_end; }
    std::uint64_t Remaining() const { return m_end - m_pos; }
    bool AtEnd() const { return m_pos >= m_end; }

    // One line up to and including its line feed (the feed is not returned). A line without its
    // feed before the end is a cut-off item and fails. A trailing carriage return is dropped.
    bool Line(std::string& out);
    // A decimal line: leading blanks are skipped and text after the number is ignored, as a
    // scanf conversion would; the value is kept modulo 2^32 for the 32-bit forms, so "%u" lines
    // holding 4294967295 read back as -1.
    bool Int(std::int32_t& value);
    bool UInt(std::uint32_t& value);
    bool Long(std::int64_t& value);
    bool Float(double& value);
    // Reads a decimal line into any integral or enum-free field.
    template <class T>
    bool IntAs(T& value) {
        std::int64_t v = 0;
        if (!Long(v)) {
            return false;
        }
        value = static_cast<T>(v);
        return true;
    }

    bool Bytes(void* out, std::size_t size);
    bool Bytes(std::vector<std::uint8_t>& out, std::size_t size);
    bool Skip(std::uint64_t size);
    bool I16(std::int16_t& value);
    bool U16(std::uint16_t& value);
    bool U32(std::uint32_t& value);
    bool I32(std::int32_t& value);
    bool U64(std::uint64_t& value);

    // Moves to an absolute position inside [start, end].
    bool Seek(std::uint64_t pos);

private:
    std::FILE* m_file;
    std::uint64_t m_pos;
    std::uint64_t m_end;
    bool m_ok = true;
};

// Parses the leading decimal number of a text (after blanks, with an optional sign). Returns
// false when no digit follows.
bool ParseLeadingInt(const std::string& text, std::int64_t& value);
bool ParseLeadingFloat(const std::string& text, double& value);
