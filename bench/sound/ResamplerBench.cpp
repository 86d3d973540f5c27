// Speed of the sample-rate converter in seconds of sound converted per second, beside `sox rate`
// converting the same sound (the outside yardstick; its time includes starting the program and
// reading and writing the files).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "sound/Resampler.h"
#include "sound/WavFile.h"

namespace {

constexpr int kSeconds = 10;

// Ten seconds of noise at the input rate, mono.
std::vector<int16_t> Noise(int nRate) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> dist(-12000, 12000);
    std::vector<int16_t> s(static_cast<size_t>(nRate) * kSeconds);
    for (int16_t& v : s) {
        v = static_cast<int16_t>(dist(rng));
    }
    return s;
}

int RateIndex(int nRate) {
    for (int i = 0; i < 4; ++i) {
        if (kMovieRates[i] == nRate) {
            return i;
        }
    }
    return -1;
}

void BM_Resampler(benchmark::State& state) {
    const int nFrom = static_cast<int>(state.range(0));
    const int nTo = static_cast<int>(state.range(1));
    const auto in = Noise(nFrom);
    std::string why;
    for (auto _ : state) {
        auto out = ConvertSoundRate(in, nFrom, RateIndex(nTo), false, why);
        benchmark::DoNotOptimize(out);
    }
    state.counters["sound_s_per_s"] = benchmark::Counter(
        static_cast<double>(kSeconds) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_SoxRate(benchmark::State& state) {
    const int nFrom = static_cast<int>(state.range(0));
    const int nTo = static_cast<int>(state.range(1));
    const auto dir = std::filesystem::temp_directory_path() / "quillo-bench-sound";
    std::filesystem::create_directories(dir);
    const std::string in = (dir / "in.wav").string();
    const std::string out = (dir / "out.wav").string();
    const auto s = Noise(nFrom);
    CWavWriter w;
    w.Open(in, SWavFormat::Pcm(static_cast<uint32_t>(nFrom), 1, 16));
    w.Write({reinterpret_cast<const uint8_t*>(s.data()), s.size() * 2});
    w.Finish();
    const std::string command =
        "sox -D '" + in + "' -r " + std::to_string(nTo) + " '" + out + "' rate 2>/dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("sox failed");
            break;
        }
    }
    state.counters["sound_s_per_s"] = benchmark::Counter(
        static_cast<double>(kSeconds) * state.iterations(), benchmark::Counter::kIsRate);
    std::filesystem::remove_all(dir);
}

}  // namespace

BENCHMARK(BM_Resampler)
    ->Args({48000, 44100})
    ->Args({22050, 11025})
    ->Args({11025, 44100})
    ->Args({8000, 11025})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SoxRate)
    ->Args({48000, 44100})
    ->Args({22050, 11025})
    ->Args({11025, 44100})
    ->Args({8000, 11025})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
