#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "swf/SwfBitWriter.h"
#include "swf/SwfMovie.h"
#include "swf/SwfShapeObject.h"
#include "swf/SwfTag.h"
#include "swf/SwfTagStream.h"

namespace {

// Depth assignment over a whole timeline: n rectangles on scattered layers, each placed once and
// removed a frame later, then written as a sprite (no file).
void BM_TimelineDepths(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::unique_ptr<CSwfRectangle>> shapes;
        CSwfMovie movie;
        for (int i = 0; i < n; ++i) {
            shapes.push_back(std::make_unique<CSwfRectangle>(0, 0, 2000, 1000));
            shapes.back()->SetLayer(static_cast<uint16_t>((i * 7919) % 60000 + 1));
            movie.GetFrame(static_cast<uint32_t>(i / 16)).AddObject(*shapes.back());
            movie.GetFrame(static_cast<uint32_t>(i / 16 + 1)).RemoveObject(*shapes.back());
        }
        state.ResumeTiming();
        CSwfTagStream sprite;
        benchmark::DoNotOptimize(movie.WriteAsSprite(sprite));
        state.PauseTiming();
        CSwfBitWriter writer;
        sprite.WriteTags(writer);
        benchmark::DoNotOptimize(writer.TotalLength());
        state.ResumeTiming();
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_TimelineDepths)->RangeMultiplier(4)->Range(1024, 65536)->Complexity();

// Encoding tag bodies into the file buffer: shapes with outline records.
void BM_WriteRoundRects(benchmark::State& state) {
    for (auto _ : state) {
        CSwfMovie movie;
        std::vector<std::unique_ptr<CSwfRoundRect>> shapes;
        for (int i = 0; i < 1000; ++i) {
            shapes.push_back(std::make_unique<CSwfRoundRect>(i, i, i + 4000, i + 3000, 200));
            movie.GetFrame(0).AddObject(*shapes.back());
        }
        CSwfTagStream sprite;
        movie.WriteAsSprite(sprite);
        CSwfBitWriter writer;
        sprite.WriteTags(writer);
        benchmark::DoNotOptimize(writer.TotalLength());
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_WriteRoundRects);

// A large payload passes from a body into its parent by reference: the cost must not grow with
// the payload's size.
void BM_AppendDeferredBlock(benchmark::State& state) {
    const std::vector<uint8_t> payload(static_cast<size_t>(state.range(0)), 0x5A);
    for (auto _ : state) {
        CSwfBitWriter body;
        body.WriteU16(1);
        body.AddBlock(payload.data(), static_cast<uint32_t>(payload.size()));
        CSwfBitWriter parent;
        WriteTagHeader(parent, 36, static_cast<uint32_t>(body.TotalLength()), &body);
        benchmark::DoNotOptimize(parent.TotalLength());
    }
}
BENCHMARK(BM_AppendDeferredBlock)->Arg(1 << 10)->Arg(1 << 24);

}  // namespace
