#include "publish/ColorTable.h"

#include <algorithm>
#include <numeric>

#include "project/model/DemoProject.h"
#include "project/stream/FrameCompositor.h"

namespace {

constexpr uint32_t kWhite = 0x7FFF;
constexpr uint32_t kExactColours = 9;
constexpr uint32_t kMaxWeight = 100000;
constexpr int kLevels = 5;

// How the census colours enter the table: as brightened pixels (every pixel is OR-ed with
// kBright before it is looked up) show them.
uint8_t Brightened(uint32_t c) {
    return uint8_t((c << 3) | 7);
}

// A palette channel as the movie shows it: the low bits repeat the high ones, so that white
// stays white and black black.
uint32_t Shown(uint32_t v) {
    return (v & 0xF8) | (v >> 5);
}

}  // namespace

uint32_t ShownPaletteColor(uint32_t color) {
    return Shown(color & 0xFF) | Shown((color >> 8) & 0xFF) << 8 |
           Shown((color >> 16) & 0xFF) << 16;
}

void CPublishColorTable::Sample(CFrameCompositor& compositor, uint32_t index) {
    compositor.GoToFrame(index);
    for (uint32_t p : compositor.ShownPicture().m_Pixels) {
        const uint32_t i = CDemoProject::HistogramIndex(p | kBright);
        if (i < kCensusSize && m_weights[i] == 0) {
            m_weights[i] = 100;
        }
    }
}

void CPublishColorTable::Build(CDemoProject& project, CFrameCompositor& compositor,
                               uint32_t paletteSize) {
    m_weights.assign(kCensusSize, 0);
    bool census = false;
    for (uint32_t i = 0; i < kCensusSize && i < project.m_ColorHistogram.size(); ++i) {
        if (i != kWhite && project.m_ColorHistogram[i] != 0) {
            m_weights[i] = project.m_ColorHistogram[i];
            census = true;
        }
    }
    auto weighted = [&] {
        return uint32_t(
            std::count_if(m_weights.begin(), m_weights.end(), [](uint32_t w) { return w != 0; }));
    };
    const uint32_t frames = project.FrameCount();
    if (weighted() < paletteSize && frames > 0) {
        if (!census) {
            Sample(compositor, 0);
        } else {
            const uint32_t step = std::max<uint32_t>(1, frames / 6);
            for (uint32_t n = 1; n <= frames; n += step) {
                Sample(compositor, n - 1);
            }
        }
    }
    if (const uint32_t have = weighted(); have < paletteSize) {
        const uint32_t step = std::clamp<uint32_t>(32768 / (paletteSize - have), 1, 8);
        for (uint32_t i = 0; i < kCensusSize; i += step) {
            if (m_weights[i] == 0) {
                m_weights[i] = 1;
            }
        }
    }
    std::vector<uint32_t> order;
    for (uint32_t i = 0; i < kCensusSize; ++i) {
        if (m_weights[i] != 0) {
            order.push_back(i);
        }
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return m_weights[a] > m_weights[b]; });

    m_exact.clear();
    m_exact.push_back({PackSwfColor(255, 255, 255), 0, 0});
    m_tree.Delete();
    for (size_t k = 0; k < order.size(); ++k) {
        const uint32_t i = order[k];
        const uint32_t colour = PackSwfColor(Brightened((i >> 10) & 0x1F),
                                             Brightened((i >> 5) & 0x1F), Brightened(i & 0x1F));
        if (k < kExactColours) {
            m_exact.push_back({colour, 0, 0});
            continue;
        }
        m_tree.AddColor(uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16), kLevels,
                        std::min(m_weights[order[k]], kMaxWeight), true);
        while (m_tree.LeafCount() > paletteSize - 10) {
            m_tree.Reduce(kLevels);
        }
    }
    if (m_tree.Empty()) {
        m_tree.AddColor(0, 0, 0, kLevels, 1, true);
    }
    m_tree.ComputeLeafColors();
}

void CPublishColorTable::Map(std::span<const uint32_t> pixels, const uint8_t* mask,
                             SSwfPalette& palette, std::vector<uint8_t>& indexes) {
    ++m_nStamp;
    palette.m_colors.clear();
    indexes.assign(pixels.size(), 0);
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (mask != nullptr && mask[i] == 0) {
            continue;
        }
        const uint32_t p = pixels[i] | kBright;
        indexes[i] = uint8_t(m_tree.MapColor(m_exact, uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p),
                                             palette, m_nStamp));
    }
    for (uint32_t& colour : palette.m_colors) {
        colour = ShownPaletteColor(colour);
    }
}
