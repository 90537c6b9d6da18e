#include "batch/ideal_run.h"

#include <algorithm>

#include "batch/run_step.h"
#include "common/parse_integer.h"

namespace vm {
namespace {

class IdealClock final : public RunnerClock {
 public:
  uint32_t NowMs() override { return static_cast<uint32_t>(ms); }
  void SleepOneMs() override { ++ms; }
  uint64_t ms = 0;
};

class MoveRecorder final : public RunnerSink {
 public:
  MoveRecorder(const IdealClock& clock, std::vector<SliderMove>& moves) : clock_(clock), moves_(moves) {}
  void Report(const RunnerReport& report) override {
    if (report.kind == RunnerReport::Kind::SliderPosition) moves_.push_back({clock_.ms, report.position});
  }

 private:
  const IdealClock& clock_;
  std::vector<SliderMove>& moves_;
};

}  // namespace

uint64_t IdealRunLength(const std::vector<BatchRow>& rows, uint64_t passes) {
  uint64_t pass = 0;
  for (const BatchRow& row : rows) pass += static_cast<uint64_t>(std::max<int32_t>(ParseInteger32(row[0]), 1));
  return pass * passes;
}

IdealRun RunIdeally(const std::vector<BatchRow>& rows, uint64_t passes) {
  IdealRun run;
  IdealClock clock;
  MoveRecorder recorder(clock, run.moves);
  for (uint64_t pass = 0; pass < passes; ++pass) {
    for (const BatchRow& row : rows) {
      RunnerJob job;
      job.durationMs = ParseInteger32(row[0]);
      job.rpm1 = ParseInteger32(row[1]);
      job.rpm2 = ParseInteger32(row[2]);
      RunStep(job, clock, recorder);
    }
  }
  run.lengthMs = clock.ms;
  return run;
}

}  // namespace vm
