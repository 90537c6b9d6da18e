// velomira-play's command line, control lines and status line, without a sound card.

#include <gtest/gtest.h>

#include <regex>

#include "support/comma_locale.h"
#include "support/files.h"

#include "../../tools/play_args.h"
#include "../../tools/play_control.h"
#include "../../tools/play_status.h"

namespace vm::play {
namespace {

using Args = std::vector<std::string>;

struct ArgsCase {
  Args args;
  const char* error;  // a part of the message; null when the arguments are good
};

TEST(PlayArgs, BadArgumentsAreNamedOnOneLine) {
  // clang-format off
  const ArgsCase cases[] = {
      {{"--rpm", "1"}, nullptr},
      {{"--control"}, nullptr},
      {{"--rpm", "300000", "--control", "--seconds", "10000000"}, nullptr},
      {{"--batch", "b.rbt", "--loop", "1000000", "--revolutions", "1000000000000"}, nullptr},
      {{}, "--rpm, --batch or --control: one of them"},
      {{"--rpm", "0"}, "--rpm: expected a whole number from 1 to 300000"},
      {{"--rpm", "300001"}, "--rpm:"},
      {{"--rpm", "1e3"}, "--rpm:"},
      {{"--rpm"}, "--rpm: needs a value"},
      {{"--rpm", "1", "--rpm", "2"}, "--rpm: given twice"},
      {{"--control", "--control"}, "--control: given twice"},
      {{"--volume", "3"}, "\"--volume\": unknown option"},
      {{"--rpm", "1", "--batch", "b.rbt"}, "--rpm and --batch: give one of them"},
      {{"--control", "--batch", "b.rbt"}, "--control: not with --batch"},
      {{"--rpm", "1", "--loop", "2"}, "--loop: only with --batch"},
      {{"--batch", "b.rbt", "--loop", "0"}, "--loop:"},
      {{"--rpm", "1", "--revolutions", "1", "--seconds", "1"}, "--revolutions and --seconds"},
      {{"--rpm", "1", "--revolutions", "0"}, "--revolutions:"},
      {{"--rpm", "1", "--revolutions", "-1"}, "--revolutions:"},
      {{"--rpm", "1", "--seconds", "0"}, "--seconds:"},
      {{"--rpm", "1", "--seconds", "10000001"}, "--seconds: expected seconds above 0 and up to 10000000"},
      {{"--rpm", "1", "--teeth", "58"}, "--missing: missing"},
      {{"--rpm", "1", "--teeth", "58", "--missing", "2", "--position", "cam"}, "--position:"},
      {{"--rpm", "1", "--config", "w.cfg", "--teeth", "58"}, "--config: give either"},
      {{"--rpm", "1", "--pattern", "60-2"}, nullptr},
      {{"--rpm", "1", "--pattern", "60-2", "--position", "camshaft"}, "--position: not with --pattern"},
      {{"--control", "--cam", "90", "--pattern", "60-2"}, "--cam: not with --pattern"},
      {{"--rpm", "1", "--config", "w.cfg", "--pattern", "60-2"}, "--config: not with --pattern"},
      {{"--list-patterns"}, nullptr},
      {{"--list-patterns", "--rpm", "1"}, "--list-patterns: takes no other option"},
      {{"--rpm", "1", "--cam", "90", "--cam-phase", "-12.5"}, nullptr},
      {{"--rpm", "1", "--cam-phase", "-90.5"}, "--cam-phase: expected crankshaft degrees from -90 to 90"},
  };
  // clang-format on
  for (const ArgsCase& c : cases) {
    std::string error;
    const auto parsed = ParsePlayArgs(c.args, error);
    if (!c.error) {
      EXPECT_TRUE(parsed) << error;
      continue;
    }
    EXPECT_FALSE(parsed) << c.error;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
}

TEST(PlayArgs, ValuesReachThePlan) {
  std::string error;
  auto plan = ParsePlayArgs({"--rpm", "4567", "--seconds", "2.5"}, error);
  ASSERT_TRUE(plan) << error;
  EXPECT_EQ(plan->rpm, 4567);
  EXPECT_EQ(plan->seconds, 2.5);
  EXPECT_EQ(plan->revolutions, 0u);
  EXPECT_FALSE(plan->control);
  // Without a wheel, the program's default one.
  EXPECT_EQ(plan->wheel.AvailableTeeth, 46);
  EXPECT_EQ(plan->wheel.MissingTeeth, 2);
  EXPECT_EQ(plan->wheel.WheelAt, Camshaft);

  plan = ParsePlayArgs(
      {"--teeth", "35", "--missing", "1", "--position", "crankshaft", "--control", "--revolutions", "7"}, error);
  ASSERT_TRUE(plan) << error;
  EXPECT_TRUE(plan->control);
  EXPECT_EQ(plan->rpm, 0);
  EXPECT_EQ(plan->revolutions, 7u);
  EXPECT_EQ(plan->wheel.AvailableTeeth, 35);
  EXPECT_EQ(plan->wheel.MissingTeeth, 1);
  EXPECT_EQ(plan->wheel.WheelAt, Crankshaft);

  // A file may be called like a flag: only option places are option names.
  plan = ParsePlayArgs({"--config", "--control", "--batch", "drive.rbt", "--loop", "3"}, error);
  ASSERT_TRUE(plan) << error;
  EXPECT_FALSE(plan->control);
  EXPECT_EQ(plan->configPath, "--control");
  EXPECT_EQ(plan->batchPath, "drive.rbt");
  EXPECT_EQ(plan->passes, 3u);
}

struct LineCase {
  const char* line;
  const char* error;  // a part of the reason; null when the line is good
  Command command = Command::Stop;
  int64_t rpm = 0;
  int64_t ms = 0;
  int32_t camPhase = 0;
};

TEST(PlayControl, LinesAndTheirAnswers) {
  const LineCase cases[] = {
      {"rpm 3000", nullptr, Command::Rpm, 3000},
      {"rpm 1\r", nullptr, Command::Rpm, 1},
      {" \trpm   300000 ", nullptr, Command::Rpm, 300000},
      {"ramp 6000 500", nullptr, Command::Ramp, 6000, 500},
      {"ramp 100 0", nullptr, Command::Ramp, 100, 0},
      {"ramp 100 86400000", nullptr, Command::Ramp, 100, 86400000},
      {"stop", nullptr, Command::Stop},
      {"start", nullptr, Command::Start},
      {"revolutions", nullptr, Command::Revolutions},
      {"quit\r", nullptr, Command::Quit},
      {"", "empty line"},
      {" \t\r", "empty line"},
      {"RPM 3000", "unknown command \"RPM\""},
      {"rpm3000", "unknown command \"rpm3000\""},
      {"rpm", "rpm: takes an RPM"},
      {"rpm 3000 100", "rpm: takes an RPM"},
      {"ramp 3000", "ramp: takes an RPM and milliseconds"},
      {"stop now", "stop: takes nothing"},
      {"rpm 0", "rpm R: expected a whole number from 1 to 300000, got \"0\""},
      {"rpm 300001", "rpm R:"},
      {"rpm -5", "rpm R:"},
      {"rpm +5", "rpm R:"},
      {"rpm 3e3", "rpm R:"},
      {"rpm 3000x", "rpm R:"},
      {"rpm 99999999999999999999", "rpm R:"},
      {"ramp 3000 -1", "ramp MS: expected a whole number from 0 to 86400000"},
      {"ramp 3000 86400001", "ramp MS:"},
      {"ramp 0 100", "ramp R:"},
      {"pattern \t my engine.pattern \r", nullptr, Command::Pattern},
      {"pattern", "pattern: takes a pattern name or file"},
      {"pattern  \t", "pattern: takes a pattern name or file"},
      {"cam-phase 20", nullptr, Command::CamPhase, 0, 0, 200},
      {"cam-phase -40.5 2000", nullptr, Command::CamPhase, 0, 2000, -405},
      {"cam-phase +90.00 0\r", nullptr, Command::CamPhase, 0, 0, 900},
      {"cam-phase -0", nullptr, Command::CamPhase},
      {"cam-phase", "cam-phase: takes degrees and optionally milliseconds"},
      {"cam-phase 1 2 3", "cam-phase: takes"},
      {"cam-phase 90.1", "cam-phase DEG: expected crankshaft degrees from -90 to 90 in steps of 0.1, got \"90.1\""},
      {"cam-phase 1,5", "cam-phase DEG:"},
      {"cam-phase 12.25", "cam-phase DEG:"},
      {"cam-phase .5", "cam-phase DEG:"},
      {"cam-phase 5.", "cam-phase DEG:"},
      {"cam-phase --5", "cam-phase DEG:"},
      {"cam-phase 1e1", "cam-phase DEG:"},
      {"cam-phase 0090", "cam-phase DEG:"},
      {"cam-phase 10 -1", "cam-phase MS:"},
  };
  // The decimal point is a point under every locale.
  const test::ScopedCommaLocale comma;
  for (const LineCase& c : cases) {
    std::string error;
    const auto parsed = ParseControlLine(c.line, error);
    if (c.error) {
      EXPECT_FALSE(parsed) << c.line;
      EXPECT_NE(error.find(c.error), std::string::npos) << c.line << ": " << error;
      continue;
    }
    ASSERT_TRUE(parsed) << c.line << ": " << error;
    EXPECT_EQ(parsed->command, c.command) << c.line;
    EXPECT_EQ(parsed->rpm, c.rpm) << c.line;
    EXPECT_EQ(parsed->ms, c.ms) << c.line;
    if (c.command == Command::Pattern) { EXPECT_EQ(parsed->pattern, "my engine.pattern"); }
    EXPECT_EQ(parsed->camPhase, c.camPhase) << c.line;
  }
}

TEST(PlayStatus, FiguresAndTheBar) {
  // clang-format off
  const std::pair<StatusFigures, const char*> cases[] = {
      {{3000, 125, 2.54, -1}, "3000 rpm  125 rev  0:02.5"},
      {{0, 0, 0, -1}, "- rpm  0 rev  0:00.0"},
      {{100, 1, 3723.46, 0.25}, "100 rpm  1 rev  62:03.4  [#####...............]  25%"},
      {{100, 1, 1, 0}, "100 rpm  1 rev  0:01.0  [....................]   0%"},
      {{100, 1, 1, 7.5}, "100 rpm  1 rev  0:01.0  [####################] 100%"},
  };
  // clang-format on
  for (const auto& [figures, line] : cases) EXPECT_EQ(StatusLine(figures), line);
}

// The manual's synopsis is the usage --help prints, once its fonts are taken out.
TEST(PlayArgs, TheManualsSynopsisIsTheUsage) {
  const std::string page = test::ReadFile(VELOMIRA_SOURCE_DIR "/packaging/man/velomira-play.1");
  const size_t start = page.find(".SH SYNOPSIS\n") + 13;
  std::string synopsis = page.substr(start, page.find("\n.br", start) - start);
  synopsis = std::regex_replace(synopsis, std::regex(R"(\\f[BIPR])"), "");
  synopsis = std::regex_replace(synopsis, std::regex(R"(\\-)"), "-");
  synopsis = std::regex_replace(synopsis, std::regex("\n"), " ");
  EXPECT_EQ("usage: " + synopsis, kUsage);
}

}  // namespace
}  // namespace vm::play
