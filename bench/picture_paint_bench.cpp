// A measurement, not a test: what the picture control costs the main thread, drawing a
// pattern's picture anew against moving only its position marker (as a live view does at
// every frame). Offscreen Qt, the control at the pattern dialog's size; medians of many runs.
//
//   QT_QPA_PLATFORM=offscreen picture_paint_bench [repeats]   (default 2000)

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "pattern/pattern_picture.h"
#include "pattern/wheel_pattern.h"
#include "platform/toolkit.h"

namespace {

using Clock = std::chrono::steady_clock;

template <class Step>
double MedianMicros(int repeats, Step step) {
  std::vector<double> micros;
  for (int i = 0; i < repeats; ++i) {
    const auto start = Clock::now();
    step(i);
    QCoreApplication::processEvents();  // the paint the step asked for
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  std::nth_element(micros.begin(), micros.begin() + repeats / 2, micros.end());
  return micros[repeats / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  vm::Toolkit tk;
  const vm::WindowId window{0};
  const vm::ControlId picture{1};
  tk.OpenWindow(window, "bench", 860, 220, vm::WindowCloseBox);
  tk.AddControl(window, picture, vm::ControlKind::Picture, 10, 10, 840, 200);
  // 58 + 2 teeth on the crankshaft with the cam signal: 116 teeth and a cam over 720°.
  vm::WheelConfig wheel{"58-2", 58, 2, vm::Crankshaft, {}, {}};
  wheel.Signal.cam = true;
  const vm::Picture drawn = vm::DrawPattern(*vm::WheelPattern(wheel));
  QCoreApplication::processEvents();

  const double full = MedianMicros(repeats / 10 + 1, [&](int) { tk.SetPicture(picture, drawn); });
  const double marker = MedianMicros(repeats, [&](int i) {
    tk.SetPictureMarker(picture, vm::PatternPictureX(vm::kEngineCycleCentidegrees, (i * 997LL) % 72000));
  });
  std::printf("picture anew: median %.1f us; marker moved: median %.1f us; ratio %.1f\n", full, marker, full / marker);
  std::printf("marker at 25 frames a second: %.3f %% of one core\n", marker * 25 / 1e4);
  return 0;
}
