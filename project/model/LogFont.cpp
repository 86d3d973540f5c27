#include "project/model/LogFont.h"

#include <algorithm>
#include <cstring>

#include "project/store/ByteOrder.h"

CLogFont CLogFont::Default() {
    CLogFont font;
    font.m_nHeight = -17;
    font.m_nWeight = 400;
    font.m_nOutPrecision = 3;
    font.m_nClipPrecision = 2;
    font.m_nQuality = 1;
    font.m_nPitchAndFamily = 0x22;
    font.SetFaceName("Microsoft Sans Serif");
    return font;
}

std::string CLogFont::FaceName() const {
    const auto end = std::find(m_szFaceName.begin(), m_szFaceName.end(), '\0');
    return std::string(m_szFaceName.begin(), end);
}

void CLogFont::SetFaceName(const std::string& name) {
    m_szFaceName.fill('\0');
    const std::size_t n = std::min(name.size(), m_szFaceName.size() - 1);
    std::copy_n(name.begin(), n, m_szFaceName.begin());
}

void CLogFont::Write(std::span<uint8_t, kLogFontSize> out) const {
    uint8_t* p = out.data();
    PutI32(p + 0, m_nHeight);
    PutI32(p + 4, m_nWidth);
    PutI32(p + 8, m_nEscapement);
    PutI32(p + 12, m_nOrientation);
    PutI32(p + 16, m_nWeight);
    PutU8(p + 20, m_bItalic);
    PutU8(p + 21, m_bUnderline);
    PutU8(p + 22, m_bStrikeOut);
    PutU8(p + 23, m_nCharSet);
    PutU8(p + 24, m_nOutPrecision);
    PutU8(p + 25, m_nClipPrecision);
    PutU8(p + 26, m_nQuality);
    PutU8(p + 27, m_nPitchAndFamily);
    std::memcpy(p + 28, m_szFaceName.data(), m_szFaceName.size());
}

CLogFont CLogFont::Read(std::span<const uint8_t, kLogFontSize> in) {
    const uint8_t* p = in.data();
    CLogFont font;
    font.m_nHeight = GetI32(p + 0);
    font.m_nWidth = GetI32(p + 4);
    font.m_nEscapement = GetI32(p + 8);
    font.m_nOrientation = GetI32(p + 12);
    font.m_nWeight = GetI32(p + 16);
    font.m_bItalic = GetU8(p + 20);
    font.m_bUnderline = GetU8(p + 21);
    font.m_bStrikeOut = GetU8(p + 22);
    font.m_nCharSet = GetU8(p + 23);
    font.m_nOutPrecision = GetU8(p + 24);
    font.m_nClipPrecision = GetU8(p + 25);
    font.m_nQuality = GetU8(p + 26);
    font.m_nPitchAndFamily = GetU8(p + 27);
    std::memcpy(font.m_szFaceName.data(), p + 28, font.m_szFaceName.size());
    return font;
}
