// Wheel configurations in config files: defaults, the load table, exact saved bytes and
// round trips.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/wheel_config_file.h"
#include "test_files.h"

namespace vm {
namespace {

using testing::ReadBytes;
using testing::ScratchDir;
using testing::WriteBytes;

const std::string kDefaultFile =
    "[General]\r\nType = no name\r\nAvailableTeeth = 46\r\nMissingTeeth = 2\r\nWheelAt = camshaft\r\n"
    "\r\n[RPM]\r\n1 = 1000\r\n2 = 2000\r\n3 = 3000\r\n4 = 4000\r\n5 = 5000\r\n6 = 6000\r\n7 = 7000\r\n"
    "8 = 8000\r\n9 = 9000\r\n10 = 10000\r\n";

const std::vector<int32_t> kDefaultPresets = {1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000};

WheelConfig Scrambled() {
  return WheelConfig{"junk", -1, -1, 7, {1, 2}};
}

void ExpectEqual(const WheelConfig& a, const WheelConfig& b) {
  EXPECT_EQ(a.Type, b.Type);
  EXPECT_EQ(a.AvailableTeeth, b.AvailableTeeth);
  EXPECT_EQ(a.MissingTeeth, b.MissingTeeth);
  EXPECT_EQ(a.WheelAt, b.WheelAt);
  EXPECT_EQ(a.RpmPresets, b.RpmPresets);
}

class WheelConfigFileTest : public ::testing::Test {
 protected:
  WheelConfig LoadText(const std::string& text) {
    WriteBytes(path_, text);
    WheelConfig config = Scrambled();
    LoadWheelConfig(path_, config);
    return config;
  }
  void Save(const WheelConfig& config) { SaveWheelConfig(path_, config, PresetTexts(config)); }

  ScratchDir dir_;
  std::string path_ = dir_.Path("wheel.cfg");
};

TEST_F(WheelConfigFileTest, DefaultRecordSavesAsTheSeventeenLines) {
  Save(DefaultWheelConfig());
  EXPECT_EQ(ReadBytes(path_), kDefaultFile);
}

TEST_F(WheelConfigFileTest, MissingOrEmptyFileGivesEveryDefault) {
  WheelConfig config = Scrambled();
  LoadWheelConfig(dir_.Path("none.cfg"), config);
  ExpectEqual(config, DefaultWheelConfig());
  EXPECT_EQ(dir_.Names(), std::set<std::string>{});  // loading creates nothing
  ExpectEqual(LoadText(""), DefaultWheelConfig());
}

TEST_F(WheelConfigFileTest, GeneralLinesLoadAsTheyRead) {
  const struct { std::string line; std::string type; int32_t teeth; int32_t at; } cases[] = {
      {"WheelAt = camshaft", "no name", 46, Camshaft},
      {"WheelAt = Camshaft", "no name", 46, Crankshaft},
      {"WheelAt = \t camshaft  ", "no name", 46, Camshaft},
      {"WheelAt = crankshaft", "no name", 46, Crankshaft},
      {"WheelAt =", "no name", 46, Crankshaft},
      {"Other = 1", "no name", 46, Camshaft},
      {"AvailableTeeth = 60 teeth", "no name", 60, Camshaft},
      {"AvailableTeeth = sixty", "no name", 0, Camshaft},
      {"availableteeth = 60", "no name", 60, Camshaft},
      {"AvailableTeeth = -5", "no name", -5, Camshaft},  // kept as read: no range check
      {"Type =", "", 46, Camshaft},
      {"Type = a = b ; [c]", "a = b ; [c]", 46, Camshaft},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const WheelConfig config = LoadText("[General]\n" + c.line + "\n");
    EXPECT_EQ(config.Type, c.type);
    EXPECT_EQ(config.AvailableTeeth, c.teeth);
    EXPECT_EQ(config.MissingTeeth, 2);
    EXPECT_EQ(config.WheelAt, c.at);
    EXPECT_EQ(config.RpmPresets, kDefaultPresets);
  }
}

TEST_F(WheelConfigFileTest, PresetsFollowTheKeysInFileOrder) {
  const struct { std::string rpmGroup; std::vector<int32_t> presets; } cases[] = {
      {"", kDefaultPresets},
      {"[RPM]\n", {}},
      {"[RPM]\nb = 2500\na = 1500\n", {2500, 1500}},
      {"[RPM]\n3000\n", {0}},
      {"[RPM]\n1 = 500\n1 = 700\n", {500, 500}},
      {"[rpm]\n; comment\nx = -20\n[Other]\ny = 5\n", {-20}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rpmGroup);
    EXPECT_EQ(LoadText("[General]\nType = t\n" + c.rpmGroup).RpmPresets, c.presets);
  }
}

TEST_F(WheelConfigFileTest, NoPresetsWriteNoRpmGroupAndLoadTheDefaults) {
  WheelConfig config = DefaultWheelConfig();
  config.RpmPresets.clear();
  Save(config);
  EXPECT_EQ(ReadBytes(path_),
            "[General]\r\nType = no name\r\nAvailableTeeth = 46\r\nMissingTeeth = 2\r\nWheelAt = camshaft\r\n");
  WheelConfig loaded;
  LoadWheelConfig(path_, loaded);
  EXPECT_EQ(loaded.RpmPresets, kDefaultPresets);
}

TEST_F(WheelConfigFileTest, OnlyThePresetTextsGivenAreSaved) {
  SaveWheelConfig(path_, DefaultWheelConfig(), {"1500", "abc"});
  EXPECT_EQ(ReadBytes(path_).substr(kDefaultFile.find("[RPM]")), "[RPM]\r\n1 = 1500\r\n2 = abc\r\n");
}

TEST_F(WheelConfigFileTest, AnyPositionOtherThanCamshaftSavesAsCrankshaft) {
  WheelConfig config = DefaultWheelConfig();
  config.WheelAt = 7;
  Save(config);
  EXPECT_NE(ReadBytes(path_).find("WheelAt = crankshaft\r\n"), std::string::npos);
}

TEST_F(WheelConfigFileTest, NamesSurviveARoundTrip) {
  const struct { std::string saved, loaded; } cases[] = {
      {"  padded\t", "padded"}, {"a=b;c[d]", "a=b;c[d]"}, {"\xE9t\xE9", "\xE9t\xE9"}, {"", ""},
  };
  for (const auto& c : cases) {
    WheelConfig config = DefaultWheelConfig();
    config.Type = c.saved;
    Save(config);
    WheelConfig loaded;
    LoadWheelConfig(path_, loaded);
    EXPECT_EQ(loaded.Type, c.loaded);
  }
}

TEST_F(WheelConfigFileTest, SaveLoadSaveGivesTheSameBytes) {
  const WheelConfig configs[] = {
      DefaultWheelConfig(),
      {"V8 test", 60, 2, Crankshaft, {15000, 100, -4}},
      {"odd", -7, 0, Camshaft, {INT32_MIN, INT32_MAX}},
  };
  for (const WheelConfig& config : configs) {
    SCOPED_TRACE(config.Type);
    WriteBytes(path_, std::string(4000, '#'));  // a longer old file leaves no tail behind
    Save(config);
    const std::string first = ReadBytes(path_);
    WheelConfig loaded;
    LoadWheelConfig(path_, loaded);
    Save(loaded);
    EXPECT_EQ(ReadBytes(path_), first);
    ExpectEqual(loaded, config);
  }
}

}  // namespace
}  // namespace vm
