// Wheel configurations in config files: defaults, the load table, exact saved bytes, round
// trips, and saves that fail.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "config/wheel_config_file.h"
#include "platform/atomic_file.h"
#include "support/comma_locale.h"
#include "support/files.h"

namespace vm::test {
namespace {

const std::string kGeneral =
    "[General]\r\nType = no name\r\nAvailableTeeth = 46\r\nMissingTeeth = 2\r\nWheelAt = camshaft\r\n";
const std::string kDefaultFile =
    kGeneral +
    "\r\n[RPM]\r\n1 = 1000\r\n2 = 2000\r\n3 = 3000\r\n4 = 4000\r\n5 = 5000\r\n6 = 6000\r\n7 = 7000\r\n"
    "8 = 8000\r\n9 = 9000\r\n10 = 10000\r\n";
const std::vector<int32_t> kDefaultPresets = {1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000};

auto Fields(const WheelConfig& c) {
  return std::tie(c.Type, c.AvailableTeeth, c.MissingTeeth, c.WheelAt, c.RpmPresets);
}

class WheelConfigFileTest : public ::testing::Test {
 protected:
  WheelConfig LoadText(const std::string& text) {
    WriteFile(path_, text);
    return Load();
  }
  WheelConfig Load() {
    WheelConfig config{"junk", -1, -1, 7, {1, 2}};  // every field must be overwritten
    config.Signal = {true, true, 5, 5};
    LoadWheelConfig(path_, config);
    return config;
  }
  void Save(const WheelConfig& config) { EXPECT_TRUE(SaveWheelConfig(path_, config, PresetTexts(config))); }

  ScratchDir dir_;
  std::string path_ = dir_.Path("wheel.cfg");
};

TEST_F(WheelConfigFileTest, DefaultRecordSavesAsTheSeventeenLines) {
  Save(DefaultWheelConfig());
  EXPECT_EQ(ReadFile(path_), kDefaultFile);
}

TEST_F(WheelConfigFileTest, MissingOrEmptyFileGivesEveryDefault) {
  EXPECT_EQ(Fields(Load()), Fields(DefaultWheelConfig()));
  EXPECT_TRUE(dir_.Names().empty());  // loading creates nothing
  EXPECT_EQ(Fields(LoadText("")), Fields(DefaultWheelConfig()));
}

TEST_F(WheelConfigFileTest, GeneralLinesLoadAsTheyRead) {
  // clang-format off
  const struct { std::string line, type; int32_t teeth, at; } cases[] = {
      {"WheelAt = camshaft", "no name", 46, Camshaft},   {"WheelAt = Camshaft", "no name", 46, Crankshaft},
      {"WheelAt = \t camshaft  ", "no name", 46, Camshaft}, {"WheelAt = crankshaft", "no name", 46, Crankshaft},
      {"WheelAt =", "no name", 46, Crankshaft},          {"Other = 1", "no name", 46, Camshaft},
      {"AvailableTeeth = 60 teeth", "no name", 60, Camshaft}, {"AvailableTeeth = sixty", "no name", 0, Camshaft},
      {"availableteeth = 60", "no name", 60, Camshaft},  {"AvailableTeeth = -5", "no name", -5, Camshaft},
      {"Type =", "", 46, Camshaft},                      {"Type = a = b ; [c]", "a = b ; [c]", 46, Camshaft},
  };
  // clang-format on
  for (const auto& c : cases) {
    const WheelConfig loaded = LoadText("[General]\n" + c.line + "\n");
    EXPECT_EQ(Fields(loaded), std::make_tuple(c.type, c.teeth, 2, c.at, kDefaultPresets)) << c.line;
  }
}

TEST_F(WheelConfigFileTest, PresetsFollowTheKeysInFileOrder) {
  // clang-format off
  const struct { std::string rpmGroup; std::vector<int32_t> presets; } cases[] = {
      {"", kDefaultPresets}, {"[RPM]\n", {}}, {"[RPM]\nb = 2500\na = 1500\n", {2500, 1500}},
      {"[RPM]\n3000\n", {0}}, {"[RPM]\n1 = 500\n1 = 700\n", {500, 500}},
      {"[rpm]\n; comment\nx = -20\n[Other]\ny = 5\n", {-20}},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(LoadText("[General]\nType = t\n" + c.rpmGroup).RpmPresets, c.presets) << c.rpmGroup;
  }
}

TEST_F(WheelConfigFileTest, NoPresetsWriteNoRpmGroupAndLoadTheDefaults) {
  WheelConfig config = DefaultWheelConfig();
  config.RpmPresets.clear();
  Save(config);
  EXPECT_EQ(ReadFile(path_), kGeneral);
  EXPECT_EQ(Load().RpmPresets, kDefaultPresets);
}

TEST_F(WheelConfigFileTest, SavesThePresetTextsGivenAndCrankshaftForAnyOtherPosition) {
  WheelConfig config = DefaultWheelConfig();
  config.WheelAt = 7;
  EXPECT_TRUE(SaveWheelConfig(path_, config, {"1500", "abc"}));
  const std::string bytes = ReadFile(path_);
  EXPECT_EQ(bytes.substr(bytes.find("WheelAt")), "WheelAt = crankshaft\r\n\r\n[RPM]\r\n1 = 1500\r\n2 = abc\r\n");
}

TEST_F(WheelConfigFileTest, SaveLoadSaveGivesTheSameBytes) {
  const WheelConfig configs[] = {
      DefaultWheelConfig(),
      {"V8 test", 60, 2, Crankshaft, {15000, 100, -4}},
      {"a=b;c[d] \xE9", -7, 0, Camshaft, {INT32_MIN, INT32_MAX}},
  };
  for (const WheelConfig& config : configs) {
    WriteFile(path_, std::string(4000, '#'));  // a longer old file leaves no tail behind
    Save(config);
    const std::string first = ReadFile(path_);
    const WheelConfig loaded = Load();
    EXPECT_EQ(Fields(loaded), Fields(config));
    Save(loaded);
    EXPECT_EQ(ReadFile(path_), first);
  }
  WheelConfig padded = DefaultWheelConfig();
  padded.Type = " padded\t";
  Save(padded);
  EXPECT_NE(ReadFile(path_).find("Type =  padded\t\r\n"), std::string::npos);
  EXPECT_EQ(Load().Type, "padded");
}

// A save failing at any step, into a missing folder, or over a locked file or into a locked
// folder leaves the old file byte for byte and nothing beside it.
TEST_F(WheelConfigFileTest, FailedSavesLeaveTheOldFileAndNoTemporary) {
  const std::string old = "[General]\r\nType = precious\r\n";
  WriteFile(path_, old);
  const WheelConfig config = DefaultWheelConfig();
  auto saveTo = [&](const std::string& name) {
    EXPECT_FALSE(SaveWheelConfig(dir_.Path(name), config, PresetTexts(config))) << name;
  };
  auto expectUntouched = [&] {
    EXPECT_EQ(ReadFile(path_), old);
    EXPECT_EQ(dir_.Names(), std::set<std::string>{"wheel.cfg"});
  };
  for (SaveFault fault : {SaveFault::CreateTemporary, SaveFault::WritePartway, SaveFault::Flush, SaveFault::Rename}) {
    SCOPED_TRACE(static_cast<int>(fault));
    SetSaveFaultForTesting(fault);
    saveTo("wheel.cfg");
    saveTo("new.cfg");
    SetSaveFaultForTesting(SaveFault::None);
    expectUntouched();
  }
  saveTo("missing/wheel.cfg");
  expectUntouched();
  // A locked file stops its save; a locked folder stops a new file (an existing one is written
  // in place).
  for (const auto& [locked, name] : {std::pair(path_, "wheel.cfg"), std::pair(dir_.path(), "new.cfg")}) {
    Unwritable lock(locked);
    if (!lock.ok()) GTEST_SKIP() << "cannot make " << locked << " unwritable here";
    saveTo(name);
    expectUntouched();
  }
}

// The signal options live in a group of their own, written only for what differs from the
// defaults, so that a record without them saves as it always did.
TEST_F(WheelConfigFileTest, SignalGroupHoldsOnlyTheOptionsThatDifferAndRoundTrips) {
  // clang-format off
  const struct { SignalOptions signal; bool presets; std::string file; } cases[] = {
      {{}, true, kDefaultFile},
      {{.exactSpeed = true}, true, kDefaultFile + "\r\n[Signal]\r\nExactSpeed = 1\r\n"},
      {{.cam = true, .camAngle = 90}, true, kDefaultFile + "\r\n[Signal]\r\nCam = 1\r\nCamAngle = 90\r\n"},
      {{.camAngle = 719, .camWidth = 360}, true, kDefaultFile + "\r\n[Signal]\r\nCamAngle = 719\r\nCamWidth = 360\r\n"},
      {{true, true, 359, 6}, true,
       kDefaultFile + "\r\n[Signal]\r\nExactSpeed = 1\r\nCam = 1\r\nCamAngle = 359\r\nCamWidth = 6\r\n"},
      {{.exactSpeed = true}, false, kGeneral + "\r\n[Signal]\r\nExactSpeed = 1\r\n"},
      {{.cam = true, .camPhase = 200}, true, kDefaultFile + "\r\n[Signal]\r\nCam = 1\r\nCamPhase = +20.0\r\n"},
      {{.camPhase = -5}, true, kDefaultFile + "\r\n[Signal]\r\nCamPhase = -0.5\r\n"},
      {{.pattern = "60-2-cam"}, true, kDefaultFile + "\r\n[Signal]\r\nPattern = 60-2-cam\r\n"},
      {{.pattern = "/home/a b/my=wheel;1.pattern"}, true,
       kDefaultFile + "\r\n[Signal]\r\nPattern = /home/a b/my=wheel;1.pattern\r\n"},
      {{.camPhase = 900}, true, kDefaultFile + "\r\n[Signal]\r\nCamPhase = +90.0\r\n"},
      {{.camPhase = -900}, true, kDefaultFile + "\r\n[Signal]\r\nCamPhase = -90.0\r\n"},
      // A path's bytes as they are, whatever its encoding: the file is found again.
      {{.pattern = "/home/j\xC3\xBCrgen/\xD0\xB8 \xE9.pattern"}, true,
       kDefaultFile + "\r\n[Signal]\r\nPattern = /home/j\xC3\xBCrgen/\xD0\xB8 \xE9.pattern\r\n"},
      {{true, true, 1, 1, -1, "p"}, false,
       kGeneral + "\r\n[Signal]\r\nExactSpeed = 1\r\nCam = 1\r\nCamAngle = 1\r\nCamWidth = 1\r\nCamPhase = -0.1\r\n"
       "Pattern = p\r\n"},
  };
  // clang-format on
  // The same bytes where the locale's decimal point is a comma.
  ScopedCommaLocale comma;
  for (const auto& c : cases) {
    WheelConfig config = DefaultWheelConfig();
    config.Signal = c.signal;
    EXPECT_TRUE(SaveWheelConfig(path_, config, c.presets ? PresetTexts(config) : std::vector<std::string>{}));
    EXPECT_EQ(ReadFile(path_), c.file);
    const WheelConfig loaded = Load();
    EXPECT_EQ(loaded.Signal, c.signal) << c.file;
    EXPECT_TRUE(SaveWheelConfig(path_, loaded, c.presets ? PresetTexts(loaded) : std::vector<std::string>{}));
    EXPECT_EQ(ReadFile(path_), c.file);
  }
  // Without the group every option is off; values beyond their ranges are held to them.
  EXPECT_EQ(LoadText(kDefaultFile).Signal, SignalOptions{});
  EXPECT_EQ(LoadText(kGeneral + "[signal]\r\nCamAngle = 900\r\nCamWidth = -3\r\nCam = yes\r\n").Signal,
            (SignalOptions{.camAngle = 719}));
  // A cam phase is degrees as a user writes them; anything else is the cam as built.
  // clang-format off
  const struct { const char* text; int32_t tenths; } phases[] = {
      {"-90", -900}, {"12.5", 125}, {"+7.0", 70}, {"0.05", 0}, {"90.1", 0}, {"12,5", 0}, {"200", 0}, {"", 0},
      {"+90", 900}, {"-90.0", -900}, {"  -0.5\t", -5}, {"12.25", 0}, {"-90.5", 0}, {"0x10", 0},
  };
  // clang-format on
  for (const auto& c : phases) {
    EXPECT_EQ(LoadText(kGeneral + "[Signal]\r\nCamPhase = " + c.text + "\r\n").Signal.camPhase, c.tenths) << c.text;
  }
}

// Reading and writing are linear in the file's size: a pass takes a second here, while lookups
// that scan the group again took many minutes (the watchdog ends the run then).
TEST(WheelConfigLargeFile, ManyPresetKeysLoadAndSaveInOnePass) {
  static std::atomic<bool> finished{false};
  std::thread([] {
    std::this_thread::sleep_for(std::chrono::minutes(2));
    if (finished) return;
    std::fputs("still running after 2 minutes: not linear\n", stderr);
    std::abort();
  }).detach();
  constexpr int kKeys = 200000;
  std::string presets = "\r\n[RPM]\r\n";
  for (int i = 1; i <= kKeys; ++i) presets += std::to_string(i) + " = " + std::to_string(2 * i) + "\r\n";
  ScratchDir dir;
  WriteFile(dir.Path("big.cfg"), kGeneral + presets + "1 = 7\r\n");  // a repeated name
  WheelConfig config;
  LoadWheelConfig(dir.Path("big.cfg"), config);
  ASSERT_EQ(config.RpmPresets.size(), kKeys + 1u);
  EXPECT_EQ(config.RpmPresets[kKeys - 1], 2 * kKeys);
  EXPECT_EQ(config.RpmPresets.back(), 2);  // the repeated name reads the first one's value
  config.RpmPresets.pop_back();
  EXPECT_TRUE(SaveWheelConfig(dir.Path("saved.cfg"), config, PresetTexts(config)));
  EXPECT_TRUE(ReadFile(dir.Path("saved.cfg")) == kGeneral + presets);
  finished = true;
}

}  // namespace
}  // namespace vm::test
