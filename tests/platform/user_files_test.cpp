// Where the user's own configuration folder is, by the environment.

#include <gtest/gtest.h>

#include "platform/user_files.h"
#include "support/scoped_env.h"

namespace vm {
namespace {

// A relative XDG_CONFIG_HOME is ignored: the folder must not depend on where the program starts.
TEST(UserFilesTest, ConfigFolderFollowsAnAbsoluteXdgConfigHomeOnly) {
  const test::ScopedEnv home("HOME", "/home/bench");
  // clang-format off
  const struct { const char* xdg; const char* folder; } cases[] = {
      {"/srv/conf", "/srv/conf/velomira"},
      {"", "/home/bench/.config/velomira"},
      {"conf", "/home/bench/.config/velomira"},
      {"./conf/", "/home/bench/.config/velomira"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const test::ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
    EXPECT_EQ(UserConfigFolder("velomira"), c.folder) << '"' << c.xdg << '"';
  }
}

}  // namespace
}  // namespace vm
