// Cost of the rate conversion per output frame, in device-sized buffers.
#include <benchmark/benchmark.h>

#include <atomic>
#include <vector>

#include "signal/loop_resampler.h"
#include "signal/wave_image.h"
#include "signal/wave_reader.h"

namespace {

void RenderFrames(benchmark::State& state) {
  const auto rpm = static_cast<int32_t>(state.range(0));
  const auto teeth = static_cast<int32_t>(state.range(1));
  const vm::WaveImage image = *vm::BuildWaveImage(teeth, teeth > 40 ? 2 : 1, vm::Crankshaft);
  const vm::LoopSound sound(*vm::ReadWaveImage(image));
  vm::LoopResampler resampler(48000);
  std::atomic<int32_t> rate{vm::PlaybackRate(rpm)};
  std::vector<int16_t> buffer(2 * 512);
  for (auto _ : state) {
    resampler.Render(sound, rate, buffer);
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  const auto frames = static_cast<double>(state.iterations()) * 512;
  state.counters["s_per_frame"] = benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(RenderFrames)->ArgNames({"rpm", "teeth"})->Args({1000, 58})->Args({6000, 58})->Args({15000, 58})->Args({15000, 35});

}  // namespace

BENCHMARK_MAIN();
