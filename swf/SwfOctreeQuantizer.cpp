#include "swf/SwfOctreeQuantizer.h"

#include <algorithm>
#include <limits>

struct CSwfOctreeQuantizer::SNode {
    uint32_t m_nColor = 0;
    uint32_t m_nPaletteIndex = 0;
    bool m_bAccumulate = false;
    uint32_t m_nStamp = 0;
    bool m_bLeaf = false;
    uint64_t m_nPixelCount = 0;
    // 64-bit sums: a 1920x1080 histogram of one colour already exceeds 32 bits (255 * 2 Mpx).
    uint64_t m_nSumR = 0;
    uint64_t m_nSumG = 0;
    uint64_t m_nSumB = 0;
    std::unique_ptr<SNode> m_pChild[8];
    SNode* m_pNextReducible = nullptr;
};

namespace {

int ChildIndex(uint8_t r, uint8_t g, uint8_t b, int level) {
    const int shift = 7 - level;
    return (((r >> shift) & 1) << 2) | (((g >> shift) & 1) << 1) | ((b >> shift) & 1);
}

uint32_t Distance(uint32_t a, uint32_t b) {
    uint32_t sum = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        sum += uint32_t(d * d);
    }
    return sum;
}

}  // namespace

uint32_t NearestPaletteIndex(const SSwfPalette& palette, uint32_t color) {
    uint32_t best = 0;
    uint32_t bestDistance = std::numeric_limits<uint32_t>::max();
    for (size_t i = 0; i < palette.m_colors.size(); ++i) {
        const uint32_t d = Distance(palette.m_colors[i], color);
        if (d < bestDistance) {
            bestDistance = d;
            best = uint32_t(i);
        }
    }
    return best;
}

CSwfOctreeQuantizer::CSwfOctreeQuantizer() = default;

CSwfOctreeQuantizer::~CSwfOctreeQuantizer() {
    Delete();
}

CSwfOctreeQuantizer::SNode* CSwfOctreeQuantizer::NewNode(int level, int levels) {
    auto* node = new SNode;
    if (level == levels) {
        node->m_bLeaf = true;
        ++m_nLeafCount;
    } else {
        node->m_pNextReducible = m_pReducible[level];
        m_pReducible[level] = node;
    }
    return node;
}

void CSwfOctreeQuantizer::AddColor(uint8_t r, uint8_t g, uint8_t b, int levels, uint32_t weight,
                                   bool accumulate) {
    levels = std::clamp(levels, 1, kMaxLevels);
    bool created = false;
    if (!m_pRoot) {
        m_pRoot.reset(NewNode(0, levels));
        created = m_pRoot->m_bLeaf;
    }
    SNode* node = m_pRoot.get();
    for (int level = 0; !node->m_bLeaf; ++level) {
        std::unique_ptr<SNode>& child = node->m_pChild[ChildIndex(r, g, b, level)];
        if (!child) {
            child.reset(NewNode(level + 1, levels));
            created = child->m_bLeaf;
        }
        node = child.get();
    }
    if (created) {
        node->m_bAccumulate = accumulate;
    } else if (!node->m_bAccumulate) {
        return;
    }
    node->m_nPixelCount += weight;
    node->m_nSumR += uint64_t{weight} * r;
    node->m_nSumG += uint64_t{weight} * g;
    node->m_nSumB += uint64_t{weight} * b;
}

void CSwfOctreeQuantizer::Reduce(int levels) {
    levels = std::clamp(levels, 1, kMaxLevels);
    int level = levels - 1;
    while (level > 0 && !m_pReducible[level]) {
        --level;
    }
    SNode* node = m_pReducible[level];
    if (!node) {
        return;
    }
    m_pReducible[level] = node->m_pNextReducible;
    node->m_pNextReducible = nullptr;

    bool accumulate = true;
    uint64_t count = 0, sumR = 0, sumG = 0, sumB = 0;
    size_t children = 0;
    for (std::unique_ptr<SNode>& child : node->m_pChild) {
        if (!child) {
            continue;
        }
        ++children;
        if (!child->m_bAccumulate) {
            // A colour that must stay exact wins over the averages of its siblings.
            accumulate = false;
            count = child->m_nPixelCount;
            sumR = child->m_nSumR;
            sumG = child->m_nSumG;
            sumB = child->m_nSumB;
        } else if (accumulate) {
            count += child->m_nPixelCount;
            sumR += child->m_nSumR;
            sumG += child->m_nSumG;
            sumB += child->m_nSumB;
        }
        child.reset();
    }
    node->m_bLeaf = true;
    node->m_bAccumulate = accumulate;
    node->m_nPixelCount = count;
    node->m_nSumR = sumR;
    node->m_nSumG = sumG;
    node->m_nSumB = sumB;
    m_nLeafCount = m_nLeafCount + 1 - children;
}

void CSwfOctreeQuantizer::ComputeLeafColors() {
    auto visit = [](auto& self, SNode* node) -> void {
        if (node->m_bLeaf) {
            const uint64_t n = node->m_nPixelCount;
            node->m_nColor =
                n == 0 ? 0
                       : PackSwfColor(uint8_t(node->m_nSumR / n), uint8_t(node->m_nSumG / n),
                                      uint8_t(node->m_nSumB / n));
            node->m_nStamp = 0;
            return;
        }
        for (std::unique_ptr<SNode>& child : node->m_pChild) {
            if (child) {
                self(self, child.get());
            }
        }
    };
    if (m_pRoot) {
        visit(visit, m_pRoot.get());
    }
}

uint32_t CSwfOctreeQuantizer::AssignIndex(uint32_t color, uint32_t& index, uint32_t& nodeStamp,
                                          uint32_t stamp, SSwfPalette& palette) {
    if (nodeStamp != stamp) {
        nodeStamp = stamp;
        if (palette.m_colors.size() < SSwfPalette::kMaxSize) {
            index = uint32_t(palette.m_colors.size());
            palette.m_colors.push_back(color);
        } else {
            index = NearestPaletteIndex(palette, color);
        }
    }
    return index;
}

uint32_t CSwfOctreeQuantizer::MapColor(std::span<SSwfExactColor> exactColors, uint8_t r, uint8_t g,
                                       uint8_t b, SSwfPalette& palette, uint32_t stamp) {
    const uint32_t color = PackSwfColor(r, g, b);
    for (SSwfExactColor& exact : exactColors) {
        if (exact.m_nColor == color) {
            return AssignIndex(color, exact.m_nPaletteIndex, exact.m_nStamp, stamp, palette);
        }
    }
    if (!m_pRoot) {
        return ExactIndex(r, g, b, palette);
    }
    SNode* node = m_pRoot.get();
    for (int level = 0; !node->m_bLeaf; ++level) {
        SNode* next = node->m_pChild[ChildIndex(r, g, b, level)].get();
        for (int i = 0; !next && i < 8; ++i) {
            next = node->m_pChild[i].get();
        }
        // Nodes are only ever created on the way to a leaf, so an inner node has a child.
        node = next;
    }
    return AssignIndex(node->m_nColor, node->m_nPaletteIndex, node->m_nStamp, stamp, palette);
}

uint32_t CSwfOctreeQuantizer::ExactIndex(uint8_t r, uint8_t g, uint8_t b, SSwfPalette& palette) {
    const uint32_t color = PackSwfColor(r, g, b);
    const auto found = std::find(palette.m_colors.begin(), palette.m_colors.end(), color);
    if (found != palette.m_colors.end()) {
        return uint32_t(found - palette.m_colors.begin());
    }
    if (palette.m_colors.size() < SSwfPalette::kMaxSize) {
        palette.m_colors.push_back(color);
        return uint32_t(palette.m_colors.size() - 1);
    }
    return NearestPaletteIndex(palette, color);
}

void CSwfOctreeQuantizer::Delete() {
    m_pRoot.reset();
    m_nLeafCount = 0;
    std::fill(std::begin(m_pReducible), std::end(m_pReducible), nullptr);
}

std::vector<uint32_t> CSwfOctreeQuantizer::PaletteFromPicture(std::span<const uint32_t> pixels,
                                                              size_t maxColors, int levels) {
    CSwfOctreeQuantizer tree;
    for (uint32_t pixel : pixels) {
        tree.AddColor(uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel), levels, 1, true);
        while (tree.LeafCount() > std::max<size_t>(maxColors, 1)) {
            tree.Reduce(levels);
        }
    }
    tree.ComputeLeafColors();
    std::vector<uint32_t> colors;
    auto collect = [&colors](auto& self, const SNode* node) -> void {
        if (node->m_bLeaf) {
            colors.push_back(node->m_nColor);
            return;
        }
        for (const std::unique_ptr<SNode>& child : node->m_pChild) {
            if (child) {
                self(self, child.get());
            }
        }
    };
    if (tree.m_pRoot) {
        collect(collect, tree.m_pRoot.get());
    }
    return colors;
}
