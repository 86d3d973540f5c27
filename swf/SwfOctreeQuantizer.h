// Octree colour reduction of true-colour pictures to 8-bit palettes. The tree is built once
// from the colour histogram of a whole movie; every picture then gets its own compact palette
// holding only the colours it uses, in first-use order.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// A colour the tree must reproduce exactly (cursor, caption and control bar colours). Each
// picture assigns the entry its own palette index on first use.
struct SSwfExactColor {
    uint32_t m_nColor = 0;  // red in the low byte
    uint32_t m_nPaletteIndex = 0;
    uint32_t m_nStamp = 0;
};

// One picture's palette: packed colours, red in the low byte, at most kMaxSize entries.
struct SSwfPalette {
    static constexpr size_t kMaxSize = 256;
    std::vector<uint32_t> m_colors;
};

class CSwfOctreeQuantizer {
public:
    static constexpr int kMaxLevels = 8;

    CSwfOctreeQuantizer();
    ~CSwfOctreeQuantizer();
    CSwfOctreeQuantizer(const CSwfOctreeQuantizer&) = delete;
    CSwfOctreeQuantizer& operator=(const CSwfOctreeQuantizer&) = delete;

    // Adds `weight` pixels of a colour to the tree whose leaves lie at depth `levels` (1..8).
    // A leaf created without `accumulate` keeps the first colour it was given.
    void AddColor(uint8_t r, uint8_t g, uint8_t b, int levels, uint32_t weight, bool accumulate);
    // Merges the children of the deepest reducible node into it.
    void Reduce(int levels);
    void ComputeLeafColors();

    // The palette index of a colour for the picture identified by `stamp` (non-zero, new for
    // each picture), adding the colour to the picture's palette on first use. A full palette
    // yields its nearest entry instead of growing.
    uint32_t MapColor(std::span<SSwfExactColor> exactColors, uint8_t r, uint8_t g, uint8_t b,
                      SSwfPalette& palette, uint32_t stamp);
    // For pictures of at most 256 colours: the colour's index in the palette, appended when new.
    // A colour beyond a full palette yields the nearest entry.
    static uint32_t ExactIndex(uint8_t r, uint8_t g, uint8_t b, SSwfPalette& palette);

    void Delete();

    // Reduces a picture (0x00RRGGBB pixels) to at most `maxColors` representative colours.
    static std::vector<uint32_t> PaletteFromPicture(std::span<const uint32_t> pixels,
                                                    size_t maxColors, int levels);

    size_t LeafCount() const { return m_nLeafCount; }
    bool Empty() const { return !m_pRoot; }

private:
    struct SNode;

    SNode* NewNode(int level, int levels);
    static uint32_t AssignIndex(uint32_t color, uint32_t& index, uint32_t& nodeStamp,
                                uint32_t stamp, SSwfPalette& palette);

    std::unique_ptr<SNode> m_pRoot;
    size_t m_nLeafCount = 0;
    SNode* m_pReducible[kMaxLevels] = {};
};

// Packs a colour with red in the low byte, the quantizer's and the colour-mapped palette's order.
constexpr uint32_t PackSwfColor(uint8_t r, uint8_t g, uint8_t b) {
    return (uint32_t{b} << 16) | (uint32_t{g} << 8) | r;
}

// The palette entry closest to a colour by squared distance; the palette must not be empty.
uint32_t NearestPaletteIndex(const SSwfPalette& palette, uint32_t color);
