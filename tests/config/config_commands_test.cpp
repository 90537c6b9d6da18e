// The File > Config commands with a scripted requester.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/config_commands.h"
#include "config/wheel_config_file.h"
#include "support/files.h"

namespace vm::test {
namespace {

// Answers each requester with the next scripted path (none left: cancelled), records the asks.
struct ScriptedRequesters : Requesters {
  std::vector<std::string> answers;
  std::vector<std::pair<std::string, FileRequest>> asked;

  void MessageBox(const std::string&, const std::string&, bool, WindowId) override { asked.push_back({"message", {}}); }
  std::string OpenFile(const FileRequest& request) override { return Answer("open", request); }
  std::string SaveFile(const FileRequest& request) override { return Answer("save", request); }
  std::string Answer(const char* kind, const FileRequest& request) {
    asked.push_back({kind, request});
    if (answers.empty()) return "";
    std::string answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
};

void ExpectAsked(const ScriptedRequesters& r, const std::string& kind, const std::string& title,
                 const std::string& dir) {
  ASSERT_EQ(r.asked.size(), 2u);
  for (const auto& [k, request] : r.asked) {
    EXPECT_EQ(k, kind);
    EXPECT_EQ(request.title, title);
    EXPECT_EQ(request.initialPath, dir);
    EXPECT_EQ(request.filter, "Config (*.cfg)|*.cfg");
    EXPECT_EQ(request.filterIndex, 0);
  }
}

TEST(ConfigCommandsTest, ConfigExtensionIsAppendedUnlessPresentInAnyCase) {
  // clang-format off
  const struct { std::string chosen, written; } cases[] = {
      {"wheel", "wheel.cfg"}, {"wheel.cfg", "wheel.cfg"}, {"wheel.CFG", "wheel.CFG"}, {"wheel.Cfg", "wheel.Cfg"},
      {"wheel.txt", "wheel.txt.cfg"}, {"wheel.cfg.bak", "wheel.cfg.bak.cfg"}, {"/d/cfg", "/d/cfg.cfg"},
      {"ab", "ab.cfg"}, {".cfg", ".cfg"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(WithConfigExtension(c.chosen), c.written) << c.chosen;
}

TEST(ConfigCommandsTest, LoadAsksInTheProgramFolderAndLoadsTheChosenFile) {
  ScratchDir dir;
  ScriptedRequesters requesters;
  WheelConfig config{"mine", 12, 3, Crankshaft, {5}};
  EXPECT_FALSE(ChooseAndLoadConfig(requesters, dir.path() + "/", config));  // cancelled
  EXPECT_EQ(config.Type, "mine");
  requesters.answers = {dir.Path("typed-but-missing.cfg")};
  EXPECT_TRUE(ChooseAndLoadConfig(requesters, dir.path() + "/", config));
  EXPECT_EQ(config.Type, "no name");
  EXPECT_EQ(config.RpmPresets.size(), 10u);
  EXPECT_TRUE(dir.Names().empty());
  ExpectAsked(requesters, "open", "Load config file", dir.path() + "/");
}

TEST(ConfigCommandsTest, SaveAppendsTheExtensionAndWritesThePresetItems) {
  ScratchDir dir;
  ScriptedRequesters requesters;
  ChooseAndSaveConfig(requesters, dir.path() + "/", DefaultWheelConfig(), {"100"});  // cancelled
  EXPECT_TRUE(dir.Names().empty());
  requesters.answers = {dir.Path("wheel")};
  ChooseAndSaveConfig(requesters, dir.path() + "/", DefaultWheelConfig(), {"100"});
  EXPECT_EQ(dir.Names(), std::set<std::string>{"wheel.cfg"});
  const std::string bytes = ReadFile(dir.Path("wheel.cfg"));
  EXPECT_EQ(bytes.substr(bytes.find("[RPM]")), "[RPM]\r\n1 = 100\r\n");
  ExpectAsked(requesters, "save", "Save config file", dir.path() + "/");
}

}  // namespace
}  // namespace vm::test
