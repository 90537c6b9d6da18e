#include "app/batch/runner_events.h"

#include "app/ids.h"

namespace vm {
namespace {

Event Stamped(Event event, const RunnerReport& report) {
  event.generation = report.generation;
  return event;
}

}  // namespace

std::vector<Event> RunnerEvents(const RunnerReport& report) {
  switch (report.kind) {
    case RunnerReport::Kind::SliderPosition: {
      Event set = Stamped(MakeEvent(RunnerSetSliderEvent, MainWindow, RpmSlider), report);
      set.value = report.position;
      return {set, Stamped(MakeEvent(ControlEvent, MainWindow, RpmSlider), report)};
    }
    case RunnerReport::Kind::Countdown: {
      Event text = Stamped(MakeEvent(RunnerStatusTextEvent, MainWindow, CountdownField), report);
      text.text = report.countdown;
      return {text};
    }
    case RunnerReport::Kind::StepDone: return {Stamped(MakeEvent(EventStepDone, MainWindow), report)};
  }
  return {};
}

}  // namespace vm
