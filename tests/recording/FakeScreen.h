// A screen held in memory for tests of the capture tick, with a count of its grabs.
#pragma once

#include <algorithm>
#include <vector>

#include "platform/ScreenSource.h"

class CFakeScreen : public IScreenSource {
public:
    CFakeScreen(int32_t width, int32_t height, uint32_t fill = 0x202020)
        : m_nWidth(width), m_nHeight(height), m_Pixels(static_cast<size_t>(width) * height, fill) {}

    SScreenRect VirtualScreen() override { return {0, 0, m_nWidth, m_nHeight}; }
    std::vector<SScreenRect> Monitors() override { return {VirtualScreen()}; }
    bool Grab(const SScreenRect& r, uint32_t* pixels) override {
        ++m_nGrabs;
        if (m_bBroken) {
            return false;
        }
        for (int32_t y = 0; y < r.height; ++y) {
            for (int32_t x = 0; x < r.width; ++x) {
                const int32_t sx = r.x + x;
                const int32_t sy = r.y + y;
                const bool on = sx >= 0 && sy >= 0 && sx < m_nWidth && sy < m_nHeight;
                pixels[static_cast<size_t>(y) * r.width + x] =
                    on ? m_Pixels[static_cast<size_t>(sy) * m_nWidth + sx] : 0;
            }
        }
        return true;
    }

    void Fill(int32_t x0, int32_t y0, int32_t w, int32_t h, uint32_t rgb) {
        for (int32_t y = std::max(y0, 0); y < std::min(y0 + h, m_nHeight); ++y) {
            for (int32_t x = std::max(x0, 0); x < std::min(x0 + w, m_nWidth); ++x) {
                m_Pixels[static_cast<size_t>(y) * m_nWidth + x] = rgb;
            }
        }
    }
    // What a capture of rectangle r shows now.
    std::vector<uint32_t> Snapshot(const SScreenRect& r) {
        std::vector<uint32_t> out(static_cast<size_t>(r.width) * r.height);
        const int grabs = m_nGrabs;
        const bool broken = m_bBroken;
        m_bBroken = false;
        Grab(r, out.data());
        m_bBroken = broken;
        m_nGrabs = grabs;
        return out;
    }

    int32_t m_nWidth;
    int32_t m_nHeight;
    std::vector<uint32_t> m_Pixels;
    int m_nGrabs = 0;
    bool m_bBroken = false;
};
