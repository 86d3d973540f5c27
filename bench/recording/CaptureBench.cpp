// Costs of the capture tick on a 1920 × 1080 Xvfb screen: the whole tick and its parts (screen
// copy, comparison, change finder, stream writing) when nothing changes, when a 200 × 30 text
// area changes and when the whole screen changes to new busy content.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "imaging/ChangeFinder.h"
#include "platform/InputEvents.h"
#include "platform/RecordingClock.h"
#include "platform/ScriptedPrompter.h"
#include "platform/X11CursorSource.h"
#include "platform/X11Display.h"
#include "platform/X11ScreenSource.h"
#include "project/model/DemoProject.h"
#include "project/stream/CaptureStream.h"
#include "recording/ScreenGrabber.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDrawer.h"
#include "tests/support/XvfbServer.h"

namespace {

constexpr int kW = 1920;
constexpr int kH = 1080;

enum ECase { kIdle = 0, kText = 1, kFull = 2 };

// One server for all benchmarks, with a screen of varied content.
struct SServer {
    SServer() : server({kW, kH, true}), drawer(server.Display()), display(server.Display()) {
        Mosaic(0);
    }
    // Tiles of 40 × 20 pixels in many colours, as busy as a desktop full of windows.
    void Mosaic(int seed) {
        for (int y = 0; y < kH; y += 20) {
            for (int x = 0; x < kW; x += 40) {
                drawer.FillAtOnce(
                    {{x, y, 40, 20,
                      static_cast<uint32_t>((x * 7 + y * 13 + seed) * 2654435761u) & 0x00FFFFFFu}});
            }
        }
    }
    // Changes the screen for the next grab as the case asks.
    void Change(ECase c, int i) {
        if (c == kText) {
            drawer.Fill(600, 500, 200, 30, (i & 1) != 0 ? 0xFFFFFF : 0x102030);
        } else if (c == kFull) {
            Mosaic(i);
        }
    }
    CXvfbServer server;
    CTestDrawer drawer;
    CX11Display display;
};

SServer& Server() {
    static SServer s;
    return s;
}

class CBenchHost : public IGrabberHost {
public:
    bool ArmTimer(uint32_t) override { return true; }
    void KillTimer() override {}
    void PostStop(EStopReason) override {}
    void PostPauseCommand() override {}
    void ShowPaused(bool) override {}
    void PlaySnapshotSound() override {}
    void CloseMainWindow() override {}
};

void Tick(benchmark::State& state) {
    const ECase c = static_cast<ECase>(state.range(0));
    SServer& s = Server();
    CX11ScreenSource screen(s.display);
    CX11CursorSource cursor(s.display);
    CInputEvents events;
    CManualClock clock(1000);
    CScriptedPrompter prompter;
    CBenchHost host;
    CDemoProject project;
    SRecorderFlags flags;
    CTempDir dir;
    CScreenGrabber grabber({project, screen, cursor, events, clock, prompter, host}, flags);
    grabber.SetOptions(CRecordingOptions{});
    grabber.SetTempDir(dir.Path().string());
    grabber.StartCapture();
    clock.Advance(200);
    grabber.OnCaptureTick(false);
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        s.Change(c, ++i);
        clock.Advance(50);
        state.ResumeTiming();
        grabber.OnCaptureTick(false);
    }
    state.counters["frames"] = project.FrameCount();
    grabber.Stream().Discard();
}
BENCHMARK(Tick)->Arg(kIdle)->Arg(kText)->Arg(kFull)->Unit(benchmark::kMillisecond);

void Grab(benchmark::State& state) {
    CX11ScreenSource screen(Server().display, state.range(0) != 0);
    std::vector<uint32_t> pixels(static_cast<size_t>(kW) * kH);
    for (auto _ : state) {
        screen.Grab({0, 0, kW, kH}, pixels.data());
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetLabel(screen.UsesSharedMemory() ? "shared memory" : "GetImage");
}
BENCHMARK(Grab)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The previous and current pictures of a case.
struct SPair {
    explicit SPair(ECase c) : before(static_cast<size_t>(kW) * kH), after(before.size()) {
        for (size_t i = 0; i < before.size(); ++i) {
            before[i] = static_cast<uint32_t>(i * 2654435761u) & 0x00FFFFFFu;
        }
        after = before;
        if (c == kText) {
            for (int y = 500; y < 530; ++y) {
                for (int x = 600; x < 800; x += 3) {  // glyph-like: not every pixel
                    after[static_cast<size_t>(y) * kW + x] ^= 0xFFFFFF;
                }
            }
        } else if (c == kFull) {
            for (auto& p : after) {
                p ^= 0x808080;
            }
        }
    }
    std::vector<uint32_t> before;
    std::vector<uint32_t> after;
};

void Compare(benchmark::State& state) {
    const SPair pair(static_cast<ECase>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            std::memcmp(pair.before.data(), pair.after.data(), pair.before.size() * 4));
    }
}
BENCHMARK(Compare)->Arg(kIdle)->Arg(kText)->Arg(kFull)->Unit(benchmark::kMillisecond);

void ChangeFinder(benchmark::State& state) {
    const SPair pair(static_cast<ECase>(state.range(0)));
    size_t rects = 0;
    for (auto _ : state) {
        CChangeFinder finder(pair.before.data(), pair.after.data(), kW, kH);
        rects = finder.FindChanges().size();
        benchmark::DoNotOptimize(rects);
    }
    state.counters["rects"] = static_cast<double>(rects);
}
BENCHMARK(ChangeFinder)->Arg(kIdle)->Arg(kText)->Arg(kFull)->Unit(benchmark::kMillisecond);

// Old and new pixels of the changed boxes into the stream's ring, coding A or B (zlib), with
// the tick's flush: 64 KB only (range 2 = 0), or the 64 KB and the whole ring every 500 ms of
// 20 ticks a second (1), so that a killed recording loses at most half a second.
void StreamWrite(benchmark::State& state) {
    const ECase c = static_cast<ECase>(state.range(0));
    const bool zlib = state.range(1) != 0;
    const bool emptied = state.range(2) != 0;
    const SPair pair(c);
    CChangeFinder finder(pair.before.data(), pair.after.data(), kW, kH);
    std::vector<SRect> rects = finder.FindChanges();
    if (c == kFull) {
        rects.assign(1, SRect{0, 0, kW - 1, kH - 1});
    }
    CTempDir dir;
    CDemoProject project;
    CCaptureStream stream;
    stream.Begin(project, dir.Path().string(), kW, kH, zlib);
    uint32_t clockMs = 0;
    for (auto _ : state) {
        stream.AppendCapturedFrame();
        for (const SRect& r : rects) {
            stream.WriteRect(r.left, r.top, r.right, r.bottom, pair.before.data(), kW,
                             kRecordOldPixels);
            stream.WriteRect(r.left, r.top, r.right, r.bottom, pair.after.data(), kW,
                             kRecordNewPixels);
        }
        if (emptied) {
            stream.FlushForTick(clockMs);
            clockMs += 50;
        } else {
            stream.Flush(CCaptureStream::kFlushPerTick);
        }
    }
    state.SetLabel(std::string(zlib ? "zlib" : "run-length") +
                   (emptied ? ", emptied every 500 ms" : ", 64 KB a tick"));
    // What a kill at the end would have lost.
    state.counters["in_memory_MB"] = static_cast<double>(stream.Unflushed()) / 1e6;
    stream.Discard();
}
BENCHMARK(StreamWrite)
    ->ArgsProduct({{kText, kFull}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
