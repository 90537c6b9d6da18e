#include "play_loop.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

#include "batch/ideal_run.h"
#include "batch/rpm_slider.h"
#include "batch/runner_thread.h"
#include "common/parse_integer.h"
#include "pattern/pattern_sound.h"
#include "play_control.h"
#include "play_mailbox.h"
#include "play_output.h"
#include "play_status.h"
#include "render_args.h"
#include "signal/cam_signal.h"
#include "signal/exact_rate.h"
#include "signal/loop_resampler.h"
#include "signal/sound_output.h"
#include "signal/wave_image.h"
#include "speed_limit.h"

namespace vm::play {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// The status line is redrawn this often. The loop sleeps in poll() at most kIdlePoll, and
// at most kEndPoll while it counts revolutions, so an end by revolutions is not overshot.
constexpr Ms kStatusEvery{250};
constexpr Ms kEndPoll{10};
constexpr Ms kIdlePoll{250};
// A stuck device is not waited for longer than this for its silent buffers.
constexpr Ms kDrainBound{150};
// A natural end also waits until a sound server has played what it holds (the delay the
// README gives under "The sound output", with a margin), so the last revolution is not cut.
constexpr Ms kServerLatency{150};
// At the end, answers still waiting get this long to reach a reader that is slow to take
// them; a quit signal cuts it short.
constexpr Ms kAnswerBound{1000};
constexpr size_t kMaxLine = 4096;

enum class Role { None, BatchStep, Ramp };
enum class End { None, Quick, Natural };

class Player {
 public:
  Player(const PlayArgs& args, const PlayInputs& inputs, SoundOutput& sound, int quitDescriptor)
      : args_(args),
        inputs_(inputs),
        sound_(sound),
        quit_(quitDescriptor),
        status_(!args.control && ::isatty(STDOUT_FILENO) == 1),
        pattern_(inputs.pattern) {}

  int Run();

 private:
  void SetSpeed(int64_t rpm);
  uint64_t RevolutionsPerImage() const {
    return static_cast<uint64_t>(pattern_ ? pattern_->revolutions : CrankRevolutionsPerImage(inputs_.wheel));
  }
  RateFraction Rate(int64_t rpm) const;
  void TakePattern(const std::string& text);
  bool StartPlaying();
  void SetCamPhase(int32_t tenths, int64_t ms);
  int32_t LoopCrankDegrees() const;
  bool Launch(int32_t durationMs, int32_t rpm1, int32_t rpm2, Role role);
  void RetireRunner();
  void LaunchBatchStep();
  void OnRunnerReport(const RunnerReport& report);
  void OnStepDone();
  void ReadControl();
  void TakeInput();
  void TakeByte(char byte);
  void Keep(char byte);
  void EndLine();
  void Execute(std::string_view line);
  std::optional<std::string> SpeedError(const char* command, int64_t rpm) const;
  std::optional<std::string> SpeedError(const char* command, int64_t rpm,
                                        const std::optional<PatternSound>& pattern) const;
  void Answer(const std::string& text);
  void Write(std::string_view text);
  void OnOutputGone();
  void Wait();
  void CheckEnds();
  void ShowStatus(bool last);
  void Finish();
  void FlushAnswers();

  const PlayArgs& args_;
  const PlayInputs& inputs_;
  SoundOutput& sound_;
  const int quit_;
  const bool status_;
  std::optional<PatternSound> pattern_;      // what plays in place of the wheel, if anything
  std::optional<PatternSound> nextPattern_;  // from the next start
  RunnerMailbox mailbox_;
  std::unique_ptr<RunnerThread> runner_;
  Role role_ = Role::None;
  uint32_t liveGeneration_ = 0;  // 0: no runner's events may act
  uint32_t lastGeneration_ = 0;
  size_t step_ = 0;
  uint64_t pass_ = 0;
  int64_t rampTarget_ = 0;
  int64_t rpm_ = 0;          // 0 before the first speed
  bool camChannel_ = false;  // the signal has a cam for a cam phase to move
  int32_t camPhase_ = 0;     // tenths of a crank degree, set last
  Clock::time_point start_;
  Clock::time_point nextStatus_;
  StandardOutput out_;
  std::string input_;  // read from standard input, not yet taken from input_[inputAt_] on
  size_t inputAt_ = 0;
  std::string line_;
  bool overlong_ = false;
  bool carriageReturn_ = false;  // the line's last byte was a CR, held until the next shows
  bool signalled_ = false;
  bool batchDone_ = false;
  End end_ = End::None;
  int exitCode_ = 0;
};

int Player::Run() {
  if (!mailbox_.Ready()) {
    std::fprintf(stderr, "velomira-play: cannot create a pipe\n");
    return 1;
  }
  if (!sound_.Load(inputs_.image)) {
    std::fprintf(stderr, "velomira-play: cannot load the wheel's sound\n");
    return 1;
  }
  camChannel_ = render::HasCamChannel(inputs_.image);
  if (args_.camPhaseGiven) SetCamPhase(args_.camPhase, 0);
  if (args_.revolutions != 0) sound_.EndAfterRevolutions(args_.revolutions / RevolutionsPerImage());
  start_ = Clock::now();
  nextStatus_ = start_;
  if (args_.rpm != 0) SetSpeed(args_.rpm);
  if (!inputs_.rows.empty()) LaunchBatchStep();
  while (end_ == End::None) {
    ShowStatus(false);
    Wait();
    CheckEnds();
  }
  Finish();
  return exitCode_;
}

void Player::SetCamPhase(int32_t tenths, int64_t ms) {
  camPhase_ = tenths;
  sound_.SetCamPhase(CamPhaseUnitsOf(tenths, LoopCrankDegrees()), static_cast<uint32_t>(ms));
}

// The phase is kept in parts of the loop, so the loop's length in crank degrees converts it.
int32_t Player::LoopCrankDegrees() const {
  return pattern_ ? pattern_->revolutions * 360 : render::LoopCrankDegrees(inputs_.wheel);
}

// As the window's slider: the rate at the next frame, and the sound plays if it does not.
void Player::SetSpeed(int64_t rpm) {
  rpm_ = rpm;
  sound_.SetRate(Rate(rpm));
  sound_.Resume();
}

// A pattern always turns at its exact speed.
RateFraction Player::Rate(int64_t rpm) const {
  if (pattern_) return PatternPlaybackRate(*pattern_, rpm);
  return SignalPlaybackRate(inputs_.wheel, static_cast<int32_t>(rpm));
}

bool Player::Launch(int32_t durationMs, int32_t rpm1, int32_t rpm2, Role role) {
  RetireRunner();
  if (++lastGeneration_ == 0) ++lastGeneration_;  // 0 marks events of no runner
  RunnerMailbox* mailbox = &mailbox_;
  runner_ = RunnerThread::Launch(durationMs, rpm1, rpm2, lastGeneration_,
                                 [mailbox](const RunnerReport& report) { mailbox->Post(report); });
  if (!runner_) return false;
  liveGeneration_ = lastGeneration_;
  role_ = role;
  return true;
}

// Bounded; a runner let go can post nothing more, and what it posted before is dropped.
void Player::RetireRunner() {
  if (runner_) runner_->Stop();
  runner_.reset();
  liveGeneration_ = 0;
  role_ = Role::None;
}

void Player::LaunchBatchStep() {
  const BatchRow& row = inputs_.rows[step_];
  if (Launch(ParseInteger32(row[0]), ParseInteger32(row[1]), ParseInteger32(row[2]), Role::BatchStep)) return;
  std::fprintf(stderr, "velomira-play: cannot start the batch runner\n");
  exitCode_ = 1;
  end_ = End::Quick;
}

void Player::OnRunnerReport(const RunnerReport& report) {
  if (report.generation != liveGeneration_) return;
  if (report.kind == RunnerReport::Kind::StepDone) {
    if (role_ == Role::BatchStep) return OnStepDone();
    RetireRunner();
    return SetSpeed(rampTarget_);  // a ramp ends on its target, whatever its ticks reached
  }
  if (report.kind != RunnerReport::Kind::SliderPosition) return;
  const int64_t rpm = role_ == Role::BatchStep
                          ? RpmOfSliderPosition(std::clamp(report.position, kRpmSliderMinimum, kRpmSliderMaximum))
                          : std::clamp<int64_t>(2 * int64_t{report.position}, 1, kMaxRpm);
  SetSpeed(rpm);
}

void Player::OnStepDone() {
  if (++step_ == inputs_.rows.size()) {
    step_ = 0;
    if (++pass_ == args_.passes) {
      batchDone_ = true;
      end_ = End::Natural;
      return;
    }
  }
  LaunchBatchStep();
}

void Player::ReadControl() {
  input_.resize(4096);
  const ssize_t count = ::read(STDIN_FILENO, input_.data(), input_.size());
  input_.resize(static_cast<size_t>(std::max<ssize_t>(count, 0)));
  inputAt_ = 0;
  if (count < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (count <= 0) {
    end_ = End::Quick;  // the controlling script has gone: the wheel must not spin on
    return;
  }
  TakeInput();
}

// While answers wait for a reader, no more commands are taken: the backlog stays bounded.
void Player::TakeInput() {
  while (inputAt_ < input_.size() && end_ == End::None && !out_.Full()) TakeByte(input_[inputAt_++]);
}

// A line's CR LF ending is its end: the CR counts toward neither the line's length nor,
// held back until the next byte, its words.
void Player::TakeByte(char byte) {
  if (byte == '\n') return EndLine();
  if (carriageReturn_) Keep('\r');
  carriageReturn_ = byte == '\r';
  if (!carriageReturn_) Keep(byte);
}

void Player::Keep(char byte) {
  if (line_.size() < kMaxLine) line_.push_back(byte);
  else overlong_ = true;
}

void Player::EndLine() {
  if (overlong_) Answer("error: line longer than 4096 bytes");
  else Execute(carriageReturn_ ? line_ + '\r' : line_);
  line_.clear();
  overlong_ = false;
  carriageReturn_ = false;
}

std::optional<std::string> Player::SpeedError(const char* command, int64_t rpm) const {
  return SpeedError(command, rpm, pattern_);
}

std::optional<std::string> Player::SpeedError(const char* command, int64_t rpm,
                                              const std::optional<PatternSound>& pattern) const {
  const auto error = pattern ? render::SpeedLimitError(*pattern, rpm, sound_.DeviceRate(), kMaxRpm)
                             : render::SpeedLimitError(inputs_.wheel, rpm, sound_.DeviceRate(), kMaxRpm);
  if (!error) return std::nullopt;
  return "error: " + std::string(command) + ": " + *error;
}

void Player::Execute(std::string_view text) {
  std::string error;
  const auto line = ParseControlLine(text, error);
  if (!line) return Answer("error: " + error);
  switch (line->command) {
    case Command::Rpm:
      if (const auto error = SpeedError("rpm R", line->rpm)) return Answer(*error);
      RetireRunner();
      SetSpeed(line->rpm);
      return Answer("ok");
    case Command::Ramp:
      if (rpm_ == 0) return Answer("error: ramp: no speed to start from; send rpm R first");
      if (const auto error = SpeedError("ramp R", line->rpm)) return Answer(*error);
      if (!Launch(static_cast<int32_t>(line->ms), static_cast<int32_t>(rpm_), static_cast<int32_t>(line->rpm),
                  Role::Ramp))
        return Answer("error: ramp: cannot start the runner");
      rampTarget_ = line->rpm;
      sound_.Resume();
      return Answer("ok");
    case Command::Stop:
      RetireRunner();  // a ramp ends where it got to
      sound_.Pause();
      return Answer("ok");
    case Command::Start:
      if (rpm_ == 0) return Answer("error: start: no speed yet; send rpm R first");
      if (nextPattern_) {
        if (const auto error = SpeedError("start", rpm_, nextPattern_)) return Answer(*error);
        return Answer(StartPlaying() ? "ok" : "error: start: cannot load the pattern's sound");
      }
      sound_.Resume();
      return Answer("ok");
    case Command::Pattern: return TakePattern(line->pattern);
    case Command::CamPhase:
      if (!camChannel_)
        return Answer(
            "error: cam-phase: the signal has no cam to move; start with --cam ANGLE or a pattern with a cam track");
      SetCamPhase(line->camPhase, line->ms);
      return Answer("ok");
    case Command::Revolutions: return Answer("ok " + std::to_string(sound_.Revolutions() * RevolutionsPerImage()));
    case Command::Quit:
      Answer("ok");
      end_ = End::Quick;
      return;
  }
}

void Player::TakePattern(const std::string& text) {
  PatternSound sound;
  std::string error;
  if (!LoadPlayPattern(text, kMaxRpm, sound, error)) return Answer("error: pattern: " + error);
  nextPattern_ = std::move(sound);
  Answer("ok");
}

// The waiting pattern from its first frame on, at the speed set last.
bool Player::StartPlaying() {
  RetireRunner();
  if (!sound_.Load(nextPattern_->image)) return false;
  pattern_ = std::move(nextPattern_);
  nextPattern_.reset();
  // The phase set last holds in degrees across a cycle of another length.
  camChannel_ = render::HasCamChannel(pattern_->image);
  SetCamPhase(camPhase_, 0);
  SetSpeed(rpm_);
  return true;
}

void Player::Answer(const std::string& text) { Write(text + "\n"); }

void Player::Write(std::string_view text) {
  if (out_.Failed()) return;
  out_.Put(text);
  if (out_.Failed()) OnOutputGone();
}

// A script that has closed its end of the answers has lost track of the wheel: the run
// ends, and says why, so that the failure is not taken for a quit.
void Player::OnOutputGone() {
  std::fprintf(stderr, "velomira-play: cannot write to standard output: %s\n", out_.reason().c_str());
  exitCode_ = 1;
  end_ = End::Quick;
}

void Player::Wait() {
  const auto now = Clock::now();
  Ms timeout = kIdlePoll;
  if (status_) timeout = std::min(timeout, std::chrono::ceil<Ms>(nextStatus_ - now));
  if (args_.revolutions != 0) timeout = std::min(timeout, kEndPoll);
  if (args_.seconds > 0) {
    const auto deadline = start_ + std::chrono::duration<double>(args_.seconds);
    timeout = std::min(timeout, std::chrono::ceil<Ms>(deadline - now));
  }
  const bool inputLeft = inputAt_ < input_.size();
  if (inputLeft && !out_.Full()) timeout = Ms(0);
  // A descriptor of -1 is skipped: the input while earlier commands wait to be taken, the
  // output while nothing waits to go out.
  const bool readInput = args_.control && !inputLeft && !out_.Full();
  pollfd fds[4] = {{mailbox_.WakeDescriptor(), POLLIN, 0},
                   {quit_, POLLIN, 0},
                   {readInput ? STDIN_FILENO : -1, POLLIN, 0},
                   {out_.Pending() ? STDOUT_FILENO : -1, POLLOUT, 0}};
  if (::poll(fds, 4, static_cast<int>(std::max<Ms::rep>(timeout.count(), 0))) < 0) return;
  if (fds[1].revents != 0) {
    signalled_ = true;
    end_ = End::Quick;
  }
  if (fds[3].revents != 0 && !out_.Flush()) OnOutputGone();
  if (fds[0].revents != 0)
    for (const RunnerReport& report : mailbox_.Take()) OnRunnerReport(report);
  if (end_ != End::None) return;
  if (fds[2].revents != 0) ReadControl();
  else TakeInput();
}

void Player::CheckEnds() {
  if (end_ != End::None) return;
  const bool timeUp = args_.seconds > 0 && Clock::now() - start_ >= std::chrono::duration<double>(args_.seconds);
  if (timeUp || (args_.revolutions != 0 && sound_.Ended())) end_ = End::Natural;
}

void Player::ShowStatus(bool last) {
  const auto now = Clock::now();
  if (!status_ || (!last && now < nextStatus_)) return;
  nextStatus_ = now + kStatusEvery;
  StatusFigures figures;
  figures.rpm = rpm_;
  figures.revolutions = sound_.Revolutions() * RevolutionsPerImage();
  figures.seconds = std::chrono::duration<double>(now - start_).count();
  if (!inputs_.rows.empty()) {
    const double runMs = static_cast<double>(IdealRunLength(inputs_.rows, args_.passes));
    figures.progress = batchDone_ ? 1.0 : figures.seconds * 1000.0 / runMs;
  }
  // A terminal that does not keep up gets the newest line, not a queue of old ones.
  if (!last && out_.Pending()) return;
  Write("\r" + StatusLine(figures) + "\x1b[K" + (last ? "\n" : ""));
}

void Player::Finish() {
  RetireRunner();
  ShowStatus(true);
  sound_.Pause();
  // Counted after the pause, every buffer is silent. A quick end waits for one of them, so
  // the device gets silence before it closes; a natural end lets it go on to the device,
  // then waits until a sound server has played what it holds.
  const uint64_t silent = sound_.RenderedBuffers() + (end_ == End::Natural ? 2 : 1);
  const auto bound = Clock::now() + kDrainBound;
  while (sound_.RenderedBuffers() < silent && Clock::now() < bound) std::this_thread::sleep_for(Ms(1));
  if (end_ == End::Natural) std::this_thread::sleep_for(kServerLatency);
  FlushAnswers();
}

// With the wheel silent: what is still owed a reader, for a bounded time, unless a quit
// signal asked for the end.
void Player::FlushAnswers() {
  const auto bound = Clock::now() + kAnswerBound;
  while (!signalled_ && out_.Pending() && !out_.Failed()) {
    const auto left = std::chrono::ceil<Ms>(bound - Clock::now());
    if (left.count() <= 0) return;
    pollfd fds[2] = {{STDOUT_FILENO, POLLOUT, 0}, {quit_, POLLIN, 0}};
    if (::poll(fds, 2, static_cast<int>(left.count())) < 0) continue;
    if (fds[1].revents != 0) return;
    if (fds[0].revents != 0 && !out_.Flush()) OnOutputGone();
  }
}

}  // namespace

int RunPlayer(const PlayArgs& args, const PlayInputs& inputs, SoundOutput& sound, int quitDescriptor) {
  Player player(args, inputs, sound, quitDescriptor);
  return player.Run();
}

}  // namespace vm::play
