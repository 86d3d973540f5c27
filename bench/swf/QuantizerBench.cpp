#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "swf/SwfBitmapTags.h"
#include "swf/SwfOctreeQuantizer.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Smooth gradients with fine noise, as a recorded desktop showing a photo (0x00RRGGBB).
const std::vector<uint32_t>& PhotoLikeFrame() {
    static const std::vector<uint32_t> frame = [] {
        std::vector<uint32_t> pixels(size_t(kWidth) * kHeight);
        uint32_t seed = 12345;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                seed = seed * 1103515245u + 12345u;
                const int noise = int((seed >> 16) % 9) - 4;
                const double fx = double(x) / kWidth, fy = double(y) / kHeight;
                auto clamp = [](int v) { return uint32_t(v < 0 ? 0 : v > 255 ? 255 : v); };
                const uint32_t r = clamp(int(255 * fx) + noise);
                const uint32_t g = clamp(int(128 + 127 * std::sin(fx * 9 + fy * 5)) + noise);
                const uint32_t b = clamp(int(255 * fy * (1 - fx)) + noise);
                pixels[size_t(y) * kWidth + x] = r << 16 | g << 8 | b;
            }
        }
        return pixels;
    }();
    return frame;
}

void BuildTree(CSwfOctreeQuantizer& tree, const std::vector<uint32_t>& frame) {
    for (uint32_t p : frame) {
        tree.AddColor(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), 5, 1, true);
        while (tree.LeafCount() > 246) {
            tree.Reduce(5);
        }
    }
    tree.ComputeLeafColors();
}

void BM_BuildTreeFullHd(benchmark::State& state) {
    const auto& frame = PhotoLikeFrame();
    for (auto _ : state) {
        CSwfOctreeQuantizer tree;
        BuildTree(tree, frame);
        benchmark::DoNotOptimize(tree.LeafCount());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(frame.size()));
}
BENCHMARK(BM_BuildTreeFullHd)->Unit(benchmark::kMillisecond);

void BM_MapFrameFullHd(benchmark::State& state) {
    const auto& frame = PhotoLikeFrame();
    CSwfOctreeQuantizer tree;
    BuildTree(tree, frame);
    std::vector<uint8_t> indexes(frame.size());
    uint32_t stamp = 0;
    for (auto _ : state) {
        SSwfPalette palette;
        ++stamp;
        for (size_t i = 0; i < frame.size(); ++i) {
            const uint32_t p = frame[i];
            indexes[i] = uint8_t(
                tree.MapColor({}, uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), palette, stamp));
        }
        benchmark::DoNotOptimize(indexes.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(frame.size()));
}
BENCHMARK(BM_MapFrameFullHd)->Unit(benchmark::kMillisecond);

void BM_ColorMappedBitmapFullHd(benchmark::State& state) {
    const auto& frame = PhotoLikeFrame();
    CSwfOctreeQuantizer tree;
    BuildTree(tree, frame);
    SSwfPalette palette;
    std::vector<uint8_t> indexes(frame.size());
    for (size_t i = 0; i < frame.size(); ++i) {
        const uint32_t p = frame[i];
        indexes[i] =
            uint8_t(tree.MapColor({}, uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), palette, 1));
    }
    for (auto _ : state) {
        auto tag =
            CSwfDefineBitsLossless::ColorMapped(kWidth, kHeight, palette.m_colors, indexes, false);
        state.counters["compressed_bytes"] = double(tag->EncodedSize());
    }
}
BENCHMARK(BM_ColorMappedBitmapFullHd)->Unit(benchmark::kMillisecond);

}  // namespace
