// The talk-bubble font as the 60-byte font description that projects and settings files store:
// five 32-bit numbers, eight bytes and a 32-byte face name.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

inline constexpr std::size_t kLogFontSize = 60;

struct CLogFont {
    int32_t m_nHeight = 0;
    int32_t m_nWidth = 0;
    int32_t m_nEscapement = 0;
    int32_t m_nOrientation = 0;
    int32_t m_nWeight = 0;
    uint8_t m_bItalic = 0;
    uint8_t m_bUnderline = 0;
    uint8_t m_bStrikeOut = 0;
    uint8_t m_nCharSet = 0;
    uint8_t m_nOutPrecision = 0;
    uint8_t m_nClipPrecision = 0;
    uint8_t m_nQuality = 0;
    uint8_t m_nPitchAndFamily = 0;
    // Zero-terminated 8-bit face name; the bytes after the terminator are carried as they are.
    std::array<char, 32> m_szFaceName{};

    // The font a new project starts with.
    static CLogFont Default();

    std::string FaceName() const;
    // Stores the name cut to 31 bytes and zero-fills the rest of the field.
    void SetFaceName(const std::string& name);

    void Write(std::span<uint8_t, kLogFontSize> out) const;
    static CLogFont Read(std::span<const uint8_t, kLogFontSize> in);

    friend bool operator==(const CLogFont&, const CLogFont&) = default;
};
