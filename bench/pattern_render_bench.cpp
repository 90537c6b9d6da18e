// Cost of the rate conversion per output frame for trigger patterns, in device-sized
// buffers, beside today's default wheel: a pattern with a cam track has its right channel
// converted on its own.
#include <benchmark/benchmark.h>

#include <atomic>
#include <string>
#include <vector>

#include "common/wheel_position.h"
#include "pattern/pattern_file.h"
#include "pattern/pattern_sound.h"
#include "signal/loop_resampler.h"
#include "signal/wave_image.h"
#include "signal/wave_reader.h"

namespace {

constexpr const char* kPatterns[] = {"60-2-quick-start", "miata-99-05",      "gm-24x-ls1",
                                     "36-2-2-2-cam",     "vtwin-45-oddfire", "harley-32-2"};

void Render(benchmark::State& state, const vm::WaveImage& image, vm::RateFraction rate) {
  const vm::LoopSound sound(*vm::ReadWaveImage(image));
  vm::LoopResampler resampler(48000);
  const std::atomic<int32_t> whole{1};
  const std::atomic<uint64_t> exact{
      vm::PackExactRate(static_cast<uint32_t>(rate.numerator), static_cast<uint32_t>(rate.denominator))};
  std::vector<int16_t> buffer(2 * 512);
  for (auto _ : state) {
    resampler.Render(sound, whole, exact, buffer);
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  const auto frames = static_cast<double>(state.iterations()) * 512;
  state.counters["s_per_frame"] = benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void RenderPattern(benchmark::State& state) {
  const std::string name = kPatterns[state.range(0)];
  const int64_t rpm = state.range(1);
  state.SetLabel(name);
  const auto reading = vm::LoadPatternFile(std::string(VELOMIRA_PATTERN_LIBRARY) + "/" + name + ".pattern");
  const auto sound = vm::BuildPatternSound(reading.pattern, rpm);
  Render(state, sound->image, vm::PatternPlaybackRate(*sound, rpm));
}

void RenderDefaultWheel(benchmark::State& state) {
  const auto rpm = static_cast<int32_t>(state.range(0));
  Render(state, *vm::BuildWaveImage(46, 2, vm::Camshaft), vm::RateFraction{vm::PlaybackRate(rpm)});
}

BENCHMARK(RenderDefaultWheel)->ArgName("rpm")->Arg(3000)->Arg(15000);
BENCHMARK(RenderPattern)->ArgNames({"pattern", "rpm"})->ArgsProduct({{0, 1, 2, 3, 4, 5}, {3000, 15000}});

}  // namespace

BENCHMARK_MAIN();
