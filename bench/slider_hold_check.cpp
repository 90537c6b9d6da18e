// A measurement, not a test: holds the slider's arrow key for a while as keyboard
// auto-repeat does, with the tone playing into SDL's disk driver, and reports how quickly the
// main loop answered and whether the sound ran on without a gap or a restart.
//
//   slider_hold_check [seconds] [repeats-per-second]   (defaults 10 and 30)

#include <QApplication>
#include <QInputDevice>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "app/app.h"
#include "app/ids.h"
#include "platform/toolkit.h"
#include "platform/toolkit_qt.h"
#include "signal/sound_output.h"
#include "support/scripted_requesters.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr vm::EventKind kProbe{0x7000};  // an event kind the program does not know

int64_t NowMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

std::vector<int16_t> LeftChannel(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> left;
  for (size_t i = 0; i + 3 < bytes.size(); i += 4) {
    left.push_back(static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8));
  }
  return left;
}

// Counts revolutions that do not hold 45 whole teeth between two gaps (a restart or a gap in
// the sound shows as one) and zero samples after the tone began.
void ReportContinuity(const std::vector<int16_t>& left) {
  size_t first = 0;
  while (first < left.size() && left[first] == 0) ++first;
  // A single zero sample is an edge in the middle of a sample; two in a row are a gap.
  size_t silentRuns = 0;
  std::vector<double> edges;
  for (size_t i = first + 1; i < left.size(); ++i) {
    silentRuns += left[i] == 0 && left[i - 1] == 0 && (i < 2 || left[i - 2] != 0) ? 1 : 0;
    if (left[i - 1] < 0 && left[i] >= 0) edges.push_back(i - 1 + -double(left[i - 1]) / (left[i] - left[i - 1]));
  }
  int revolutions = 0, broken = 0, shorts = -1;
  for (size_t i = 2; i < edges.size(); ++i) {
    const double previous = edges[i - 1] - edges[i - 2], interval = edges[i] - edges[i - 1];
    if (interval > 2.0 * previous) {  // across the gap (3 teeth long, the ramp is slow)
      if (shorts >= 0) {
        ++revolutions;
        broken += shorts != 45 ? 1 : 0;
      }
      shorts = 0;
    } else if (shorts >= 0) {
      ++shorts;
    }
  }
  std::printf("sound: %.2f s played, %zu silent stretches after the start, %d revolutions, %d not of 46 teeth\n",
              double(left.size() - first) / 48000.0, silentRuns, revolutions, broken);
}

void ReportLatency(std::vector<int64_t> micros) {
  if (micros.empty()) return;
  std::sort(micros.begin(), micros.end());
  std::printf("main loop latency over %zu probes: median %.2f ms, p99 %.2f ms, max %.2f ms\n", micros.size(),
              micros[micros.size() / 2] / 1000.0, micros[micros.size() * 99 / 100] / 1000.0, micros.back() / 1000.0);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
  const double repeatsPerSecond = argc > 2 ? std::atof(argv[2]) : 30.0;
  QTemporaryDir dir;
  const std::string raw = dir.filePath("device.raw").toStdString();
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  QApplication application(argc, argv);
  vm::Toolkit tk;
  vm::test::ScriptedRequesters requesters;
  vm::SoundOutput sound;
  if (!sound.Open()) return 1;
  vm::App app(tk, sound, requesters, dir.filePath("velomira").toStdString());
  app.Start();
  QTest::mouseClick(vm::ToolkitAccess::Control(tk, vm::StartStopButton), Qt::LeftButton);
  QWidget* slider = vm::ToolkitAccess::Control(tk, vm::RpmSlider);
  QInputDevice::primaryKeyboard();  // made here, on the main thread, not by the first key event

  // The "keyboard": key presses and latency probes from another thread, as the window
  // system delivers them while the key is held.
  std::atomic<bool> done{false};
  std::thread keyboard([&] {
    const auto period = std::chrono::microseconds(static_cast<int64_t>(1e6 / repeatsPerSecond));
    auto next = Clock::now();
    const auto end = next + std::chrono::microseconds(static_cast<int64_t>(seconds * 1e6));
    for (int n = 0; Clock::now() < end; ++n) {
      // Up to the top and back, so that every press moves the slider.
      const Qt::Key key = (n / 3000) % 2 == 0 ? Qt::Key_Right : Qt::Key_Left;
      QCoreApplication::postEvent(slider, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, "", true));
      vm::Event probe;
      probe.kind = kProbe;
      probe.value = static_cast<int32_t>(NowMicros() & 0x7fffffff);
      tk.PostEvent(probe);
      next += period;
      std::this_thread::sleep_until(next);
    }
    done = true;
    tk.PostEvent(vm::Event{});
  });

  std::vector<int64_t> latencies;
  int sliderEvents = 0;
  while (!done) {
    const vm::Event event = tk.WaitEvent();
    if (event.kind == kProbe) {
      latencies.push_back((NowMicros() & 0x7fffffff) - event.value);
      continue;
    }
    sliderEvents += event.kind == vm::ControlEvent && event.control() == vm::RpmSlider ? 1 : 0;
    app.Dispatch(event);
  }
  keyboard.join();
  std::printf("held %.1f s at %.0f repeats/s: %d slider events handled, slider at %d, field %s\n", seconds,
              repeatsPerSecond, sliderEvents, tk.State(vm::RpmSlider), tk.Text(vm::RpmCombo).c_str());
  ReportLatency(latencies);
  app.End();
  sound.Close();
  ReportContinuity(LeftChannel(raw));
  return 0;
}
