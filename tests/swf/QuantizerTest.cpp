#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "swf/SwfOctreeQuantizer.h"

namespace {

struct SRgb {
    uint8_t r, g, b;
};

uint32_t Pack(SRgb c) {
    return PackSwfColor(c.r, c.g, c.b);
}

// The publisher's way of building the tree: leaves at depth 5, kept below the palette size
// minus room for the exact colours.
void BuildTree(CSwfOctreeQuantizer& tree, const std::vector<SRgb>& colors, size_t maxColors) {
    for (const SRgb& c : colors) {
        tree.AddColor(c.r, c.g, c.b, 5, 1, true);
        while (tree.LeafCount() > maxColors - 10) {
            tree.Reduce(5);
        }
    }
    tree.ComputeLeafColors();
}

TEST(OctreeQuantizer, PicturesOfAtMost256ColoursMapExactly) {
    struct SCase {
        const char* name;
        size_t colors;
    };
    for (const SCase& c :
         {SCase{"one colour", 1}, SCase{"two colours", 2}, SCase{"full palette", 256}}) {
        SCOPED_TRACE(c.name);
        std::vector<SRgb> picture;
        for (size_t i = 0; i < c.colors * 3; ++i) {
            const size_t k = (i * 7) % c.colors;
            picture.push_back({uint8_t(k), uint8_t(255 - k), uint8_t(k * 3)});
        }
        SSwfPalette palette;
        for (const SRgb& px : picture) {
            const uint32_t index = CSwfOctreeQuantizer::ExactIndex(px.r, px.g, px.b, palette);
            ASSERT_LT(index, palette.m_colors.size());
            EXPECT_EQ(palette.m_colors[index], Pack(px));
        }
        EXPECT_EQ(palette.m_colors.size(), c.colors);

        // A tree deep enough to hold every colour in its own leaf maps exactly too.
        CSwfOctreeQuantizer tree;
        for (const SRgb& px : picture) {
            tree.AddColor(px.r, px.g, px.b, 8, 1, true);
        }
        tree.ComputeLeafColors();
        SSwfPalette mapped;
        for (const SRgb& px : picture) {
            const uint32_t index = tree.MapColor({}, px.r, px.g, px.b, mapped, 1);
            EXPECT_EQ(mapped.m_colors.at(index), Pack(px));
        }
    }
}

TEST(OctreeQuantizer, ExactIndexBeyondAFullPaletteGivesTheNearestEntry) {
    SSwfPalette palette;
    for (int i = 0; i < 256; ++i) {
        CSwfOctreeQuantizer::ExactIndex(uint8_t(i), 0, 0, palette);
    }
    EXPECT_EQ(CSwfOctreeQuantizer::ExactIndex(200, 3, 0, palette), 200u);
    EXPECT_EQ(palette.m_colors.size(), 256u);
}

TEST(OctreeQuantizer, LeafColourIsTheWeightedAverageAndSumsDoNotOverflow) {
    struct SCase {
        const char* name;
        uint32_t weightA;
        uint8_t a;
        uint32_t weightB;
        uint8_t b;
        uint8_t expected;
    };
    const SCase cases[] = {
        {"weighted, truncated", 3, 10, 1, 20, 12},
        // 2 x 0xFFFFFFFF pixels of 255 sum to more than 2^40.
        {"huge weights", 0xFFFFFFFFu, 255, 0xFFFFFFFFu, 255, 255},
        {"huge and small", 0xFFFFFFFFu, 200, 1, 0, 199},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CSwfOctreeQuantizer tree;
        // Reducing to the root merges colours of different leaves as well.
        tree.AddColor(c.a, c.a, c.a, 1, c.weightA, true);
        tree.AddColor(c.b, c.b, c.b, 1, c.weightB, true);
        while (tree.LeafCount() > 1) {
            tree.Reduce(1);
        }
        tree.ComputeLeafColors();
        SSwfPalette palette;
        const uint32_t index = tree.MapColor({}, 1, 2, 3, palette, 1);
        EXPECT_EQ(palette.m_colors.at(index), PackSwfColor(c.expected, c.expected, c.expected));
    }
}

TEST(OctreeQuantizer, ColoursThatMustStayExactSurviveMerging) {
    CSwfOctreeQuantizer tree;
    tree.AddColor(0, 0, 0, 2, 100, true);
    tree.AddColor(0x70, 0x70, 0x70, 2, 100, true);
    tree.AddColor(0x50, 0x00, 0x00, 2, 1, false);
    // A later colour reaching the fixed leaf is ignored.
    tree.AddColor(0x51, 0x01, 0x01, 2, 1000, true);
    EXPECT_EQ(tree.LeafCount(), 3u);
    while (tree.LeafCount() > 1) {
        tree.Reduce(2);
    }
    tree.ComputeLeafColors();
    SSwfPalette palette;
    const uint32_t index = tree.MapColor({}, 0x70, 0x70, 0x70, palette, 7);
    EXPECT_EQ(palette.m_colors.at(index), PackSwfColor(0x50, 0, 0));

    // The merged leaf keeps its fixed colour against later additions too.
    tree.AddColor(0x70, 0x70, 0x70, 2, 5, true);
    tree.ComputeLeafColors();
    SSwfPalette again;
    EXPECT_EQ(again.m_colors.at(tree.MapColor({}, 0, 0, 0, again, 8)), PackSwfColor(0x50, 0, 0));
}

TEST(OctreeQuantizer, EachPictureGetsItsOwnPaletteInFirstUseOrder) {
    CSwfOctreeQuantizer tree;
    BuildTree(tree, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, 256);
    std::vector<SSwfExactColor> exact = {{PackSwfColor(1, 2, 3)}};

    SSwfPalette first;
    EXPECT_EQ(tree.MapColor(exact, 0, 0, 255, first, 1), 0u);
    EXPECT_EQ(tree.MapColor(exact, 1, 2, 3, first, 1), 1u);
    EXPECT_EQ(tree.MapColor(exact, 0, 0, 255, first, 1), 0u);
    EXPECT_EQ(first.m_colors,
              (std::vector<uint32_t>{PackSwfColor(0, 0, 255), PackSwfColor(1, 2, 3)}));

    SSwfPalette second;
    EXPECT_EQ(tree.MapColor(exact, 255, 0, 0, second, 2), 0u);
    EXPECT_EQ(tree.MapColor(exact, 1, 2, 3, second, 2), 1u);
    EXPECT_EQ(second.m_colors[0], PackSwfColor(255, 0, 0));

    // A colour outside the tree's branches follows the first existing child.
    SSwfPalette third;
    EXPECT_EQ(tree.MapColor(exact, 128, 128, 128, third, 3), 0u);
    EXPECT_EQ(third.m_colors.size(), 1u);
}

TEST(OctreeQuantizer, AnEmptyTreeFallsBackToExactColours) {
    CSwfOctreeQuantizer tree;
    SSwfPalette palette;
    EXPECT_EQ(tree.MapColor({}, 9, 8, 7, palette, 1), 0u);
    EXPECT_EQ(tree.MapColor({}, 1, 1, 1, palette, 1), 1u);
    EXPECT_EQ(palette.m_colors[0], PackSwfColor(9, 8, 7));
}

TEST(OctreeQuantizer, PaletteNeverOutgrowsItsIndexesWithManyExactColours) {
    std::vector<SRgb> histogram;
    for (int r = 0; r < 256; r += 8) {
        for (int g = 0; g < 256; g += 8) {
            for (int b = 0; b < 256; b += 16) {
                histogram.push_back({uint8_t(r), uint8_t(g), uint8_t(b)});
            }
        }
    }
    CSwfOctreeQuantizer tree;
    std::vector<SSwfExactColor> exact;
    for (int i = 0; i < 12; ++i) {
        const SRgb c{uint8_t(3 + i * 20), uint8_t(250 - i * 20), 77};
        exact.push_back({Pack(c)});
        tree.AddColor(c.r, c.g, c.b, 5, 1, false);
    }
    BuildTree(tree, histogram, 256);
    EXPECT_LE(tree.LeafCount(), 246u);

    SSwfPalette palette;
    for (const SSwfExactColor& e : exact) {
        const uint32_t index = tree.MapColor(exact, uint8_t(e.m_nColor), uint8_t(e.m_nColor >> 8),
                                             uint8_t(e.m_nColor >> 16), palette, 1);
        EXPECT_EQ(palette.m_colors.at(index), e.m_nColor);
    }
    for (const SRgb& c : histogram) {
        const uint32_t index = tree.MapColor(exact, c.r, c.g, c.b, palette, 1);
        ASSERT_LT(index, palette.m_colors.size());
    }
    // Twelve exact entries plus up to 246 leaves would need 258 entries without the cap.
    EXPECT_EQ(palette.m_colors.size(), SSwfPalette::kMaxSize);
}

TEST(OctreeQuantizer, PaletteFromPictureHonoursTheColourLimit) {
    std::vector<uint32_t> picture;
    for (uint32_t i = 0; i < 4096; ++i) {
        picture.push_back((i * 2654435761u) & 0xFFFFFF);
    }
    for (size_t limit : {size_t{1}, size_t{16}, size_t{236}}) {
        const std::vector<uint32_t> colors =
            CSwfOctreeQuantizer::PaletteFromPicture(picture, limit, 6);
        EXPECT_GE(colors.size(), 1u);
        EXPECT_LE(colors.size(), limit);
    }
}

// A frame with smooth gradients, edges and fine noise, as a recorded desktop with a photo.
std::vector<SRgb> PhotoLikeFrame(int width, int height) {
    std::vector<SRgb> frame(size_t(width) * height);
    uint32_t seed = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = int((seed >> 16) % 9) - 4;
            const double fx = double(x) / width, fy = double(y) / height;
            int r = int(255 * fx) + noise;
            int g = int(128 + 127 * std::sin(fx * 9 + fy * 5)) + noise;
            int b = int(255 * fy * (1 - fx)) + noise;
            if ((x / 240 + y / 270) % 3 == 0) {
                r = 255 - r;
            }
            frame[size_t(y) * width + x] = {uint8_t(std::clamp(r, 0, 255)),
                                            uint8_t(std::clamp(g, 0, 255)),
                                            uint8_t(std::clamp(b, 0, 255))};
        }
    }
    return frame;
}

TEST(OctreeQuantizer, PhotoLikeFullHdFrameReducesTo256ColoursWithSmallError) {
    const std::vector<SRgb> frame = PhotoLikeFrame(1920, 1080);
    CSwfOctreeQuantizer tree;
    BuildTree(tree, frame, 256);
    SSwfPalette palette;
    double totalError = 0;
    for (const SRgb& px : frame) {
        const uint32_t c = palette.m_colors[tree.MapColor({}, px.r, px.g, px.b, palette, 1)];
        totalError += std::abs(int(c & 0xFF) - px.r) + std::abs(int((c >> 8) & 0xFF) - px.g) +
                      std::abs(int((c >> 16) & 0xFF) - px.b);
    }
    const double meanError = totalError / (frame.size() * 3.0);
    RecordProperty("mean_channel_error_x100", int(meanError * 100));
    std::printf("1920x1080 photo-like frame: %zu colours, mean error %.2f per channel\n",
                palette.m_colors.size(), meanError);
    EXPECT_LE(palette.m_colors.size(), 256u);
    EXPECT_LT(meanError, 8.0);
}

}  // namespace
