// The movie-wide colour table of 8-bit pictures: weights of the project's colours (its colour
// census, or samples of its pictures), white and the nine heaviest colours kept exactly, the
// rest reduced by the octree quantizer to the palette size.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "swf/SwfOctreeQuantizer.h"

class CDemoProject;
class CFrameCompositor;

class CPublishColorTable {
public:
    static constexpr uint32_t kCensusSize = 32767;
    static constexpr uint32_t kBright = 0x070707;

    // `paletteSize` is K (more than 10).
    void Build(CDemoProject& project, CFrameCompositor& compositor, uint32_t paletteSize);

    // Palette indexes of the pixels (0x00RRGGBB) whose mask byte is set (all without a mask); the
    // palette holds the colours used, red in the low byte.
    void Map(std::span<const uint32_t> pixels, const uint8_t* mask, SSwfPalette& palette,
             std::vector<uint8_t>& indexes);

    const std::vector<uint32_t>& Weights() const { return m_weights; }

private:
    void Sample(CFrameCompositor& compositor, uint32_t index);

    std::vector<uint32_t> m_weights;
    std::vector<SSwfExactColor> m_exact;
    CSwfOctreeQuantizer m_tree;
    uint32_t m_nStamp = 0;
};

// A palette colour (red in the low byte) of brightened pixels as the movie shows it: each
// channel's low three bits repeat its high ones, so that white stays white and black black.
uint32_t ShownPaletteColor(uint32_t color);
