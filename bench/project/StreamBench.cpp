// Speed of the frame image stream on a 1920 x 1080 screen: how fast WriteRect codes pixels
// (MB of 32-bit pixels per second) and how long GoToFrame takes to rebuild a frame.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "project/model/DemoProject.h"
#include "project/stream/CaptureStream.h"
#include "project/stream/FrameCompositor.h"
#include "project/stream/StreamFile.h"

namespace {

constexpr int kW = 1920;
constexpr int kH = 1080;

// A desktop: flat background, windows with title bars, lines of "text" (short runs of dark
// pixels on white) and a photo-like area of noise.
std::vector<uint32_t> ScreenLike(uint32_t nSeed) {
    std::mt19937 rng(nSeed);
    std::vector<uint32_t> px(static_cast<size_t>(kW) * kH, 0x3A6EA5);
    for (int w = 0; w < 6; ++w) {
        const int x0 = static_cast<int>(rng() % (kW - 600));
        const int y0 = static_cast<int>(rng() % (kH - 400));
        for (int y = y0; y < y0 + 400; ++y) {
            for (int x = x0; x < x0 + 600; ++x) {
                uint32_t cr = 0xFFFFFF;
                if (y < y0 + 24) {
                    cr = 0x2050A0 + static_cast<uint32_t>((x - x0) / 8);
                } else if ((y - y0) % 18 < 11 && (x - x0) % 7 < 4 && rng() % 3 == 0) {
                    cr = 0x202020;
                }
                px[static_cast<size_t>(y) * kW + x] = cr;
            }
        }
    }
    for (int y = 700; y < 900; ++y) {
        for (int x = 100; x < 400; ++x) {
            px[static_cast<size_t>(y) * kW + x] = rng() & 0xFFFFFF;
        }
    }
    return px;
}

std::string TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillo-bench-XXXXXX").string();
    return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

void BM_WriteRect(benchmark::State& state) {
    const bool bZlib = state.range(0) != 0;
    const std::vector<uint32_t> screen = ScreenLike(1);
    const std::string dir = TempFolder();
    CDemoProject project;
    CCaptureStream stream;
    int nWritten = 0;
    uint64_t nStored = 0;
    for (auto _ : state) {
        if (nWritten % 40 == 0) {
            state.PauseTiming();
            nStored += stream.BytesWritten();
            stream.Discard();
            stream.Begin(project, dir, kW, kH, bZlib);
            stream.AppendCapturedFrame();
            state.ResumeTiming();
        }
        stream.WriteRect(0, 0, kW - 1, kH - 1, screen.data(), kW, kRecordNewPixels);
        ++nWritten;
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kW) * kH * 4);
    nStored += stream.BytesWritten();
    state.counters["stored_bytes_per_rect"] = static_cast<double>(nStored) / std::max(1, nWritten);
    stream.Discard();
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_WriteRect)->Arg(0)->Arg(1)->ArgName("zlib")->Unit(benchmark::kMillisecond);

// 2,000 frames of 1920 x 1080 with a key frame every 100 frames; in between, a typing area,
// a moving window part and the cursor change.
struct SLongProject {
    std::string dir;
    CDemoProject project;
    CStreamFile file;
    std::unique_ptr<CFrameCompositor> compositor;

    SLongProject() : dir(TempFolder()) {
        CCaptureStream stream;
        stream.Begin(project, dir, kW, kH, false);
        std::vector<uint32_t> screen = ScreenLike(2);
        std::vector<uint32_t> before(screen.size(), 0);
        std::mt19937 rng(3);
        for (int f = 0; f < 2000; ++f) {
            if (f % 100 == 0) {
                std::vector<uint32_t> next = ScreenLike(static_cast<uint32_t>(f + 10));
                CFrameInfo& frame = stream.AppendCapturedFrame();
                frame.m_bKeyFrame = 1;
                stream.WriteRect(0, 0, kW - 1, kH - 1, screen.data(), kW, kRecordOldPixels);
                stream.WriteRect(0, 0, kW - 1, kH - 1, next.data(), kW, kRecordNewPixels);
                screen = std::move(next);
            } else {
                stream.AppendCapturedFrame();
                const int x = 200 + (f % 100) * 8;
                const int y = 300 + (f % 7) * 18;
                const int l = x;
                const int t = y;
                const int r = x + 7 + static_cast<int>(rng() % 200);
                const int b = y + 17 + static_cast<int>(rng() % 60);
                stream.WriteRect(l, t, r, b, screen.data(), kW, kRecordOldPixels);
                for (int yy = t; yy <= b; ++yy) {
                    for (int xx = l; xx <= r; ++xx) {
                        screen[static_cast<size_t>(yy) * kW + xx] =
                            rng() % 5 == 0 ? 0x101010 : 0xF0F0F0;
                    }
                }
                stream.WriteRect(l, t, r, b, screen.data(), kW, kRecordNewPixels);
            }
            const int cx = 100 + (f * 13) % (kW - 200);
            const int cy = 100 + (f * 7) % (kH - 200);
            stream.WriteRect(cx, cy, cx + 31, cy + 31, screen.data(), kW, kRecordCursor, 10, true);
        }
        SCaptureFiles files;
        stream.Stop(files);
        file.OpenCapture(files.dataPath, files.indexPath);
        compositor = std::make_unique<CFrameCompositor>(project);
        compositor->SetSources({&file});
        compositor->GoToFrame(0);
    }
    ~SLongProject() { std::filesystem::remove_all(dir); }
};

SLongProject& LongProject() {
    static SLongProject project;
    return project;
}

void BM_GoToFrameNext(benchmark::State& state) {
    SLongProject& lp = LongProject();
    uint32_t i = 0;
    lp.compositor->GoToFrame(0);
    for (auto _ : state) {
        i = (i + 1) % 2000;
        lp.compositor->GoToFrame(i);
    }
}
BENCHMARK(BM_GoToFrameNext)->Unit(benchmark::kMicrosecond);

void BM_GoToFramePrevious(benchmark::State& state) {
    SLongProject& lp = LongProject();
    uint32_t i = 1999;
    lp.compositor->GoToFrame(i);
    for (auto _ : state) {
        i = i == 0 ? 1999 : i - 1;
        lp.compositor->GoToFrame(i);
    }
}
BENCHMARK(BM_GoToFramePrevious)->Unit(benchmark::kMicrosecond);

void BM_GoToFrameRandom(benchmark::State& state) {
    SLongProject& lp = LongProject();
    std::mt19937 rng(17);
    uint64_t nDecoded = 0;
    for (auto _ : state) {
        lp.compositor->GoToFrame(rng() % 2000);
        nDecoded += lp.compositor->DecodedCount();
    }
    state.counters["pictures_decoded"] =
        static_cast<double>(nDecoded) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_GoToFrameRandom)->Unit(benchmark::kMillisecond);

void BM_ShownPicture(benchmark::State& state) {
    SLongProject& lp = LongProject();
    lp.compositor->GoToFrame(150);
    for (auto _ : state) {
        benchmark::DoNotOptimize(lp.compositor->ShownPicture().m_Pixels.data());
    }
}
BENCHMARK(BM_ShownPicture)->Unit(benchmark::kMicrosecond);

}  // namespace
