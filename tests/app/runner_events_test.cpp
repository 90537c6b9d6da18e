// What the window receives from a batch runner's reports: each event stamped, a slider move
// as the set and the slider's own change event right after it, the countdown in its field,
// the end on the window.

#include "app/batch/runner_events.h"
#include "support/program_fixture.h"

namespace vm::test {
namespace {

TEST(RunnerEventsTest, EachReportBecomesTheWindowsStampedEventsInOrder) {
  using Kind = RunnerReport::Kind;
  const std::vector<Event> slider = RunnerEvents({Kind::SliderPosition, 750, {}, 7});
  ASSERT_EQ(slider.size(), 2u);
  EXPECT_EQ(slider[0].kind, RunnerSetSliderEvent);
  EXPECT_EQ(slider[0].control(), RpmSlider);
  EXPECT_EQ(slider[0].value, 750);
  EXPECT_EQ(slider[1].kind, ControlEvent);
  EXPECT_EQ(slider[1].control(), RpmSlider);
  const std::vector<Event> countdown = RunnerEvents({Kind::Countdown, 0, "0.3s", 7});
  ASSERT_EQ(countdown.size(), 1u);
  EXPECT_EQ(countdown[0].kind, RunnerStatusTextEvent);
  EXPECT_EQ(countdown[0].field(), CountdownField);
  EXPECT_EQ(countdown[0].text, "0.3s");
  const std::vector<Event> done = RunnerEvents({Kind::StepDone, 0, {}, 7});
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0].kind, EventStepDone);
  EXPECT_EQ(done[0].id, 0);
  for (const auto& events : {slider, countdown, done}) {
    for (const Event& e : events) {
      EXPECT_EQ(e.window, MainWindow);
      EXPECT_EQ(e.generation, 7u);
    }
  }
}

}  // namespace
}  // namespace vm::test
