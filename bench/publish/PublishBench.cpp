// Publishing a 60-second 1280 x 720 recording of a desktop session: typing, a scrolling list,
// a menu opened and closed again and a window opening every ten seconds, captured ten times a
// second. Counters: project frames published per second, how many times faster than the movie
// plays, and movie bytes per second of movie.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "platform/ScriptedPrompter.h"
#include "project/model/DemoProject.h"
#include "project/stream/CaptureStream.h"
#include "project/stream/FrameCompositor.h"
#include "project/stream/StreamFile.h"
#include "publish/MoviePublisher.h"

namespace {

constexpr int kW = 1280;
constexpr int kH = 720;
constexpr int kFrames = 600;  // 60 s at 10 captures per second

class CSessionRecording {
public:
    explicit CSessionRecording(const std::filesystem::path& dir)
        : m_Screen(size_t(kW) * kH, 0x3A6EA5), m_Before(m_Screen) {
        m_Stream.Begin(m_Project, dir.string(), kW, kH, true);
        Record();
        SCaptureFiles files;
        m_Stream.Stop(files);
        m_File.OpenCapture(files.dataPath, files.indexPath);
        m_Compositor = std::make_unique<CFrameCompositor>(m_Project);
        m_Compositor->SetSources({&m_File});
        m_Compositor->Options().bOutputRunning = true;
    }

    CDemoProject& Project() { return m_Project; }
    CFrameCompositor& Compositor() { return *m_Compositor; }

private:
    void Fill(int l, int t, int r, int b, uint32_t c) {
        for (int y = t; y <= b; ++y) {
            for (int x = l; x <= r; ++x) {
                m_Screen[size_t(y) * kW + x] = c;
            }
        }
    }
    void Glyph(int x, int y, unsigned seed) {
        for (int dy = 0; dy < 12; ++dy) {
            for (int dx = 0; dx < 7; ++dx) {
                if (((seed >> ((dx * 3 + dy) % 11)) & 1) != 0) {
                    m_Screen[size_t(y + dy) * kW + x + dx] = 0x202020;
                }
            }
        }
    }
    void Capture(int l, int t, int r, int b) {
        CFrameInfo& frame = m_Stream.AppendCapturedFrame();
        m_Stream.WriteRect(l, t, r, b, m_Before.data(), kW, kRecordOldPixels);
        m_Stream.WriteRect(l, t, r, b, m_Screen.data(), kW, kRecordNewPixels);
        frame.m_nDuration = 10;
        frame.m_nRecordedDuration = 10;
        for (int y = t; y <= b; ++y) {
            std::copy_n(&m_Screen[size_t(y) * kW + l], r - l + 1, &m_Before[size_t(y) * kW + l]);
        }
    }
    void Window(int n) {
        const int l = 80 + (n * 97) % 300;
        const int t = 60 + (n * 53) % 150;
        Fill(l, t, l + 760, t + 460, 0xF0F0F0);
        Fill(l, t, l + 760, t + 28, 0x2050A0);
        for (int i = 0; i < 40; ++i) {
            Glyph(l + 12 + (i % 20) * 9, t + 50 + (i / 20) * 16, 0x9E3779B9u * (n + i));
        }
    }

    void Record() {
        Window(0);
        Capture(0, 0, kW - 1, kH - 1);
        int caret = 0;
        for (int f = 1; f < kFrames; ++f) {
            const int n = f / 100;
            if (f % 100 == 0) {
                Window(n);
                Capture(0, 0, kW - 1, kH - 1);
            } else if (f % 100 == 40 || f % 100 == 45) {
                // A menu opens and closes again: the same pictures come back.
                const bool open = f % 100 == 40;
                if (open) {
                    m_Menu.assign(m_Screen.begin(), m_Screen.end());
                    Fill(900, 40, 1100, 400, 0xFAFAFA);
                    for (int i = 0; i < 12; ++i) {
                        Glyph(910, 50 + i * 28, 0x1234567u * (i + 1));
                    }
                } else {
                    m_Screen = m_Menu;
                }
                Capture(900, 40, 1100, 400);
            } else if (f % 100 >= 60 && f % 100 < 70) {
                // The list scrolls: a large area changes by a shift.
                for (int y = 420; y < 700; ++y) {
                    for (int x = 60; x < 600; ++x) {
                        m_Screen[size_t(y) * kW + x] =
                            ((x / 9 + (y + f * 16) / 16) % 5 == 0) ? 0x202020 : 0xFFFFFF;
                    }
                }
                Capture(60, 420, 599, 699);
            } else {
                const int x = 120 + (caret % 60) * 9;
                const int y = 300 + (caret / 60 % 10) * 16;
                Glyph(x, y, 0x5Bu * (caret + 7));
                ++caret;
                Capture(x, y, x + 6, y + 11);
            }
        }
    }

    CDemoProject m_Project;
    CCaptureStream m_Stream;
    CStreamFile m_File;
    std::unique_ptr<CFrameCompositor> m_Compositor;
    std::vector<uint32_t> m_Screen;
    std::vector<uint32_t> m_Before;
    std::vector<uint32_t> m_Menu;
};

void BM_PublishSixtySeconds(benchmark::State& state) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / "quillo-publish-bench";
    std::filesystem::create_directories(dir);
    CSessionRecording recording(dir);
    CScriptedPrompter prompter;
    CMoviePublisher publisher(recording.Project(), recording.Compositor(), prompter);
    publisher.Settings().m_bControlBar = false;
    publisher.Settings().m_bAdvancedCompression = state.range(0) != 0;
    const std::string out = (dir / "session").string();
    double movieSeconds = 0;
    double bytes = 0;
    for (auto _ : state) {
        publisher.CreateMovie(out);
        movieSeconds = double(publisher.Results().nFrameCount) / publisher.Settings().m_nFrameRate;
        bytes = double(std::filesystem::file_size(out + ".swf"));
    }
    state.counters["project_frames_per_s"] =
        benchmark::Counter(double(kFrames), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["times_faster_than_playing"] =
        benchmark::Counter(movieSeconds, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["movie_bytes_per_s"] = bytes / movieSeconds;
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_PublishSixtySeconds)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
