// The File > Config commands with a scripted requester.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/config_commands.h"
#include "config/wheel_config_file.h"
#include "test_files.h"

namespace vm {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::ScratchDir;

// Answers every requester with the next scripted path and records what was asked.
class ScriptedRequesters : public Requesters {
 public:
  std::vector<std::string> answers;
  std::vector<FileRequest> asked;
  std::vector<std::string> kinds;

  void MessageBox(const std::string&, const std::string&, bool, int) override { kinds.push_back("message"); }
  std::string OpenFile(const FileRequest& request) override { return Answer("open", request); }
  std::string SaveFile(const FileRequest& request) override { return Answer("save", request); }

 private:
  std::string Answer(const char* kind, const FileRequest& request) {
    kinds.push_back(kind);
    asked.push_back(request);
    std::string answer = answers.empty() ? "" : answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return answer;
  }
};

void ExpectConfigRequest(const FileRequest& request, const std::string& title, const std::string& dir) {
  EXPECT_EQ(request.title, title);
  EXPECT_EQ(request.initialPath, dir);
  EXPECT_EQ(request.filter, "Config (*.cfg)|*.cfg");
  EXPECT_EQ(request.filterIndex, 0);
}

TEST(ConfigCommandsTest, ConfigExtensionIsAppendedUnlessPresentInAnyCase) {
  const struct { std::string chosen, written; } cases[] = {
      {"wheel", "wheel.cfg"},         {"wheel.cfg", "wheel.cfg"},     {"wheel.CFG", "wheel.CFG"},
      {"wheel.Cfg", "wheel.Cfg"},     {"wheel.txt", "wheel.txt.cfg"}, {"wheel.cfg.bak", "wheel.cfg.bak.cfg"},
      {"/d/cfg", "/d/cfg.cfg"},       {"ab", "ab.cfg"},               {".cfg", ".cfg"},
  };
  for (const auto& c : cases) EXPECT_EQ(WithConfigExtension(c.chosen), c.written) << c.chosen;
}

TEST(ConfigCommandsTest, LoadAsksInTheProgramFolderAndLoadsTheChosenFile) {
  ScratchDir dir;
  const std::string exeDir = dir.path() + "/";
  ScriptedRequesters requesters;
  WheelConfig config{"mine", 12, 3, Crankshaft, {5}};

  EXPECT_FALSE(ChooseAndLoadConfig(requesters, exeDir, config));  // cancelled
  EXPECT_EQ(config.Type, "mine");
  ASSERT_EQ(requesters.asked.size(), 1u);
  ExpectConfigRequest(requesters.asked[0], "Load config file", exeDir);

  requesters.answers = {dir.Path("typed-but-missing.cfg")};
  EXPECT_TRUE(ChooseAndLoadConfig(requesters, exeDir, config));
  EXPECT_EQ(config.Type, "no name");
  EXPECT_EQ(config.RpmPresets.size(), 10u);
  EXPECT_FALSE(Exists(dir.Path("typed-but-missing.cfg")));
  EXPECT_EQ(requesters.kinds, (std::vector<std::string>{"open", "open"}));
}

TEST(ConfigCommandsTest, SaveAppendsTheExtensionAndWritesThePresetItems) {
  ScratchDir dir;
  const std::string exeDir = dir.path() + "/";
  ScriptedRequesters requesters;
  const WheelConfig config = DefaultWheelConfig();

  ChooseAndSaveConfig(requesters, exeDir, config, {"100"});  // cancelled
  EXPECT_TRUE(dir.Names().empty());
  ExpectConfigRequest(requesters.asked[0], "Save config file", exeDir);

  requesters.answers = {dir.Path("wheel")};
  ChooseAndSaveConfig(requesters, exeDir, config, {"100"});
  EXPECT_EQ(dir.Names(), std::set<std::string>{"wheel.cfg"});
  const std::string bytes = ReadBytes(dir.Path("wheel.cfg"));
  EXPECT_EQ(bytes.substr(bytes.find("[RPM]")), "[RPM]\r\n1 = 100\r\n");
  EXPECT_EQ(requesters.kinds, (std::vector<std::string>{"save", "save"}));
}

}  // namespace
}  // namespace vm
