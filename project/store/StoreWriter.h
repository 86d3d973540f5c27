// Builds the bytes of a stored file: decimal lines ("%d\n" and friends, always in the C locale),
// text lines and little-endian binary values, in the order the caller appends them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class CStoreWriter {
public:
    void Int(std::int64_t value);    // "%d\n" / "%ld\n"
    void UInt(std::uint32_t value);  // "%u\n"
    void Float(double value);        // "%f\n": six decimals, a point whatever the locale
    // "%s\n": the text up to its first terminator. A line feed cannot be stored inside a line,
    // so the text is cut before one.
    void Text(std::string_view text);

    void Bytes(std::span<const std::uint8_t> bytes);
    void Bytes(const void* data, std::size_t size);
    void I16(std::int16_t value);
    void U32(std::uint32_t value);
    void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
    void U64(std::uint64_t value);

    const std::string& Data() const { return m_data; }
    std::string Take() { return std::move(m_data); }
    std::size_t Size() const { return m_data.size(); }

private:
    std::string m_data;
};

// "%f" of a number in the C locale, without the line feed.
std::string FormatFixed6(double value);
