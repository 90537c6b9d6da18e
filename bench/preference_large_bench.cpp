// LoadWheelConfig and SaveWheelConfig of a file whose [RPM] group holds a million keys.
// Run: velomira_preference_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <fstream>
#include <string>

#include "config/wheel_config_file.h"

namespace {

constexpr int kKeys = 1000000;

std::string Scratch(const char* name) { return "/tmp/velomira-bench-" + std::to_string(getpid()) + "-" + name; }

std::string MillionKeyFile() {
  const std::string path = Scratch("load.cfg");
  std::string text = "[General]\r\nType = big\r\n\r\n[RPM]\r\n";
  for (int i = 1; i <= kKeys; ++i) text += std::to_string(i) + " = " + std::to_string(1000 + i % 9000) + "\r\n";
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

void LoadMillionKeys(benchmark::State& state) {
  const std::string path = MillionKeyFile();
  for (auto _ : state) {
    vm::WheelConfig config;
    vm::LoadWheelConfig(path, config);
    benchmark::DoNotOptimize(config.RpmPresets.data());
  }
  unlink(path.c_str());
}

void SaveMillionKeys(benchmark::State& state) {
  vm::WheelConfig config = vm::DefaultWheelConfig();
  config.RpmPresets.assign(kKeys, 3000);
  const auto texts = vm::PresetTexts(config);
  const std::string path = Scratch("save.cfg");
  for (auto _ : state) benchmark::DoNotOptimize(vm::SaveWheelConfig(path, config, texts));
  unlink(path.c_str());
}

BENCHMARK(LoadMillionKeys)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SaveMillionKeys)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
