#include "tools/render_args.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "signal/cam_signal.h"
#include "support/files.h"
#include "support/scoped_env.h"
#include "tools/pattern_args.h"

namespace vm::render {
namespace {

struct ArgsCase {
  std::vector<std::string> args;
  const char* named;  // the option the message must name; null when the arguments are good
};

// Reads what the --out mode reads, in its order.
bool ReadAll(const std::vector<std::string>& args, std::string& error) {
  const auto options = Options::Parse(
      args, {"--teeth", "--missing", "--position", "--rpm", "--seconds", "--device-rate"}, error);
  WheelConfig wheel;
  int64_t rpm = 0;
  double seconds = 0;
  int32_t rate = 0;
  return options && ReadWheel(*options, wheel, error) && RequireOptions(*options, {"--rpm", "--seconds"}, error) &&
         ReadInteger(*options, "--rpm", 1, 300000, rpm, error) && ReadSeconds(*options, "--seconds", seconds, error) &&
         ReadDeviceRate(*options, rate, error);
}

TEST(RenderArgs, BadArgumentsAreNamed) {
  const std::vector<std::string> good = {"--teeth",  "46",    "--missing", "2",         "--position",
                                         "camshaft", "--rpm", "1000",      "--seconds", "0.5"};
  auto with = [&](size_t at, const std::string& value) {
    auto args = good;
    args[at] = value;
    return args;
  };
  auto plus = [&](std::vector<std::string> extra) {
    auto args = good;
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  };
  const ArgsCase cases[] = {
      {good, nullptr},
      {plus({"--device-rate", "44100"}), nullptr},
      {with(1, "4x"), "--teeth"},
      {with(1, ""), "--teeth"},
      {with(1, "99999999999"), "--teeth"},
      {with(3, "+2"), "--missing"},
      {with(5, "Camshaft"), "--position"},
      {with(7, "0"), "--rpm"},
      {with(7, "300001"), "--rpm"},
      {with(9, "0"), "--seconds"},
      {with(9, "-1"), "--seconds"},
      {with(9, "1e3"), "--seconds"},
      {with(9, "nan"), "--seconds"},
      {plus({"--device-rate", "100"}), "--device-rate"},
      {plus({"--rpm", "5"}), "--rpm"},
      {plus({"--device-rate"}), "--device-rate"},
      {plus({"--volume", "3"}), "--volume"},
      {std::vector<std::string>(good.begin(), good.end() - 2), "--seconds"},
      {std::vector<std::string>(good.begin() + 2, good.end()), "--teeth"},
  };
  for (const ArgsCase& c : cases) {
    std::string error;
    const bool ok = ReadAll(c.args, error);
    if (!c.named) {
      EXPECT_TRUE(ok) << error;
      continue;
    }
    EXPECT_FALSE(ok) << c.named;
    EXPECT_NE(error.find(c.named), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
}

// --exact-speed stands alone, --cam takes ANGLE[:WIDTH]; what is wrong is named.
TEST(RenderArgs, SignalOptionsAndTheFlag) {
  // clang-format off
  const struct { std::vector<std::string> args; SignalOptions signal; const char* named; } cases[] = {
      {{}, {}, nullptr},
      {{"--exact-speed"}, {.exactSpeed = true}, nullptr},
      {{"--cam", "90", "--exact-speed"}, {true, true, 90, 0}, nullptr},
      {{"--exact-speed", "--cam", "719:360"}, {true, true, 719, 360}, nullptr},
      {{"--cam", "0:1"}, {.cam = true, .camWidth = 1}, nullptr},
      {{"--cam", "720"}, {}, "--cam"},
      {{"--cam", "90:0"}, {}, "--cam"},
      {{"--cam", "90:361"}, {}, "--cam"},
      {{"--cam", "90:"}, {}, "--cam"},
      {{"--cam", ":5"}, {}, "--cam"},
      {{"--cam", "-1"}, {}, "--cam"},
      {{"--cam", "9 0"}, {}, "--cam"},
      {{"--cam"}, {}, "--cam"},
      {{"--exact-speed", "--exact-speed"}, {}, "--exact-speed"},
      {{"--exact-speed", "1"}, {}, "\"1\""},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::string error;
    SignalOptions signal;
    const auto options = Options::Parse(c.args, {"--exact-speed", "--cam"}, error);
    const bool ok = options && ReadSignalOptions(*options, signal, error);
    if (!c.named) {
      EXPECT_TRUE(ok) << error;
      EXPECT_EQ(signal, c.signal) << c.args.size();
      continue;
    }
    EXPECT_FALSE(ok) << c.named;
    EXPECT_NE(error.find(c.named), std::string::npos) << error;
  }
  // A cam phase needs a cam to move: the cam signal's right channel, not a wheel's -left;
  // its degrees are of a loop of two crankshaft turns then.
  WheelConfig wheel;
  wheel.AvailableTeeth = 58;
  wheel.MissingTeeth = 2;
  wheel.WheelAt = Crankshaft;
  EXPECT_FALSE(HasCamChannel(*BuildSignalImage(wheel)));
  EXPECT_EQ(LoopCrankDegrees(wheel), 360);
  wheel.Signal.cam = true;
  EXPECT_TRUE(HasCamChannel(*BuildSignalImage(wheel)));
  EXPECT_EQ(LoopCrankDegrees(wheel), 720);
  wheel.WheelAt = Camshaft;
  EXPECT_EQ(LoopCrankDegrees(wheel), 720);
  // A flag takes no value, so the names after it keep their places.
  EXPECT_TRUE(MentionsOption({"--exact-speed", "--out", "x.wav"}, "--out"));
  EXPECT_FALSE(MentionsOption({"--image", "--out"}, "--out"));
}

// --pattern NAME|FILE: a name from the library, a file by its path, and for anything else one
// line that says which file and line or which folders, with nothing raw for a terminal.
TEST(RenderArgs, PatternArgumentNamesTheFileLineOrFolders) {
  test::ScratchDir dir;
  const test::ScopedEnv data("XDG_DATA_HOME", dir.path());
  const std::string user = dir.Path("velomira/patterns");
  std::filesystem::create_directories(user);
  const std::string head = "name mine\ndescription d\ncycle 360\n";
  test::WriteFile(user + "/mine.pattern", head + "crank teeth 2\n");
  test::WriteFile(dir.Path("bad.pattern"), head + "crank teeth 4 duty 100\n");
  test::WriteFile(dir.Path("a\x1b[2Jb.pattern"), head + "crank teeth 0\n");
  const std::string searched = " " + user + " ";
  // clang-format off
  const struct { std::string text; std::string error; } cases[] = {
    {"mine",                  ""},
    {user + "/mine.pattern",  ""},
    {"",                      "expected a pattern name or file"},
    {"no-such",               "no pattern named \"no-such\" in" + searched},
    {"mine two",              "no pattern named \"mine two\" in" + searched},
    {"mine.pattern",          "expected a readable pattern file at mine.pattern"},
    {dir.Path("bad.pattern"), "\"" + dir.Path("bad.pattern") +
                              "\": line 4, column 20: expected a duty in per cent above 0 and below 100"},
    {dir.Path("a\x1b[2Jb.pattern"), "\"" + dir.Path("a\\x1b[2Jb.pattern") + "\": line 4, column 13:"},
    {dir.Path("gone\n.pattern"), "expected a readable pattern file at " + dir.Path("gone\\n.pattern")},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Pattern pattern;
    std::string error;
    const bool ok = ReadPatternArgument(c.text, pattern, error);
    EXPECT_EQ(ok, c.error.empty()) << error;
    if (ok) {
      EXPECT_EQ(pattern.name, "mine");
      EXPECT_EQ(pattern.crank.highs.size(), 2u);
      continue;
    }
    EXPECT_TRUE(error.starts_with(c.error)) << error;
    EXPECT_TRUE(std::none_of(error.begin(), error.end(), [](char ch) { return ch >= 0 && ch < 0x20; })) << error;
  }
}

}  // namespace
}  // namespace vm::render
