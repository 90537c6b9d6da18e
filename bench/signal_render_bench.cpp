// Cost of the rate conversion per output frame, in device-sized buffers: the wheel alone,
// and the wheel beside a cam signal (the right channel then converted on its own), its cam
// phase at 0, held away from 0, or moving in a ramp.
#include <benchmark/benchmark.h>

#include <atomic>
#include <vector>

#include "common/wheel_position.h"
#include "signal/cam_signal.h"
#include "signal/loop_resampler.h"
#include "signal/wave_image.h"
#include "signal/wave_reader.h"
#include "signal/wheel_signal.h"

namespace {

void Render(benchmark::State& state, const vm::WaveImage& image, int32_t rpm, uint64_t camPhase = 0) {
  const vm::LoopSound sound(*vm::ReadWaveImage(image));
  vm::LoopResampler resampler(48000);
  std::atomic<int32_t> rate{vm::PlaybackRate(rpm)};
  const std::atomic<uint64_t> exactRate{0};
  const std::atomic<uint64_t> phase{camPhase};
  std::vector<int16_t> buffer(2 * 512);
  for (auto _ : state) {
    resampler.Render(sound, rate, exactRate, phase, buffer);
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  const auto frames = static_cast<double>(state.iterations()) * 512;
  state.counters["s_per_frame"] = benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

vm::WheelSignal Wheel(int32_t teeth, bool cam) {
  vm::WheelSignal wheel(teeth, teeth > 40 ? 2 : 1, vm::Crankshaft);
  wheel.Signal.cam = cam;
  return wheel;
}

void RenderFrames(benchmark::State& state) {
  const auto teeth = static_cast<int32_t>(state.range(1));
  Render(state, *vm::BuildSignalImage(Wheel(teeth, false)), static_cast<int32_t>(state.range(0)));
}

void RenderCamFrames(benchmark::State& state) {
  const auto teeth = static_cast<int32_t>(state.range(1));
  Render(state, *vm::BuildSignalImage(Wheel(teeth, true)), static_cast<int32_t>(state.range(0)));
}

// Phase 0, 20 degrees held, or a ramp to 20 degrees too long to end while measured.
void RenderCamPhaseFrames(benchmark::State& state) {
  const uint32_t rampMs = state.range(1) == 2 ? 86400000 : 0;
  const int32_t tenths = state.range(1) == 0 ? 0 : 200;
  Render(state, *vm::BuildSignalImage(Wheel(58, true)), static_cast<int32_t>(state.range(0)),
         vm::PackCamPhase(tenths, rampMs, 1));
}

BENCHMARK(RenderFrames)
    ->ArgNames({"rpm", "teeth"})
    ->Args({1000, 58})
    ->Args({6000, 58})
    ->Args({15000, 58})
    ->Args({15000, 35});
BENCHMARK(RenderCamFrames)->ArgNames({"rpm", "teeth"})->Args({1000, 58})->Args({15000, 58});
BENCHMARK(RenderCamPhaseFrames)->ArgNames({"rpm", "phase"})->ArgsProduct({{1000, 15000}, {0, 1, 2}});

}  // namespace

BENCHMARK_MAIN();
