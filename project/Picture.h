// A 32-bit picture: pixels 0x00RRGGBB (blue in the low byte), rows top to bottom.
#pragma once

#include <cstdint>
#include <vector>

class CPicture {
public:
    CPicture() = default;
    CPicture(int nWidth, int nHeight, uint32_t crFill = 0)
        : m_nWidth(nWidth),
          m_nHeight(nHeight),
          m_Pixels(static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight), crFill) {}

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    bool Empty() const { return m_Pixels.empty(); }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_nWidth && y < m_nHeight; }

    uint32_t& At(int x, int y) { return m_Pixels[Index(x, y)]; }
    uint32_t At(int x, int y) const { return m_Pixels[Index(x, y)]; }
    uint32_t* Row(int y) { return m_Pixels.data() + Index(0, y); }
    const uint32_t* Row(int y) const { return m_Pixels.data() + Index(0, y); }

    std::vector<uint32_t>& Pixels() { return m_Pixels; }
    const std::vector<uint32_t>& Pixels() const { return m_Pixels; }

    void Fill(uint32_t cr) { m_Pixels.assign(m_Pixels.size(), cr); }

    bool operator==(const CPicture&) const = default;

private:
    size_t Index(int x, int y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(m_nWidth) + static_cast<size_t>(x);
    }

    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<uint32_t> m_Pixels;
};
