// Start and end: where the settings file lives, when it is read and written, and the
// audio failure that touches nothing.

#include <filesystem>

#include "app/settings_path.h"
#include "support/program_fixture.h"
#include "support/scoped_env.h"

namespace vm::test {
namespace {

const std::string kDefaultSettings =
    "[General]\r\nType = no name\r\nAvailableTeeth = 46\r\nMissingTeeth = 2\r\n"
    "WheelAt = camshaft\r\n\r\n[RPM]\r\n1 = 1000\r\n2 = 2000\r\n3 = 3000\r\n4 = 4000\r\n"
    "5 = 5000\r\n6 = 6000\r\n7 = 7000\r\n8 = 8000\r\n9 = 9000\r\n10 = 10000\r\n";

std::string ReplaceFirst(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

TEST(SettingsPathTest, ExeNamesTakeTheIniRuleOtherNamesGetIniAppendedBesideThemselves) {
  // clang-format off
  const struct { const char* exe; const char* settings; } cases[] = {
      {"C:\\Tools\\wheel.exe", "C:\\Tools\\wheel.ini"},
      {"D:\\a.exe.d\\wheel.exe", "D:\\a.ini.d\\wheel.ini"},
      {"/x/.exe.exe", "/x/.ini.ini"},
      {"/opt/velomira/velomira", "/opt/velomira/velomira.ini"},
      {"C:\\Tools\\WHEEL.EXE", "C:\\Tools\\WHEEL.EXE.ini"},
      {"D:\\a.exe.d\\WHEEL.EXE", "D:\\a.exe.d\\WHEEL.EXE.ini"},
      // A folder's ".exe" is never touched unless the program is named "*.exe".
      {"/opt/x.exe.d/velomira", "/opt/x.exe.d/velomira.ini"},
      {"/x/a.exexe", "/x/a.exexe.ini"},
      // Never the program itself.
      {"/opt/tool.ini", "/opt/tool.ini.ini"},
      {"/opt/a.exe.ini", "/opt/a.exe.ini.ini"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(SettingsPath(c.exe), c.settings) << c.exe;
  EXPECT_EQ(ExecutableFolder("/opt/velomira/velomira"), "/opt/velomira/");
  EXPECT_EQ(ExecutableFolder("C:\\Tools\\wheel.exe"), "C:\\Tools\\");
  EXPECT_EQ(ExecutableFolder("velomira"), "");
}

using LifecycleTest = ProgramFixture;

TEST_F(LifecycleTest, FirstStartShowsDefaultsAndTheEndCreatesTheSettingsFile) {
  StartApp();
  EXPECT_EQ(app->settingsPath(), exePath + ".ini");
  EXPECT_FALSE(FileExists(app->settingsPath())) << "nothing is written before the end";
  Choose(ExitItem);
  EXPECT_TRUE(app->QuitRequested());
  app->End();
  EXPECT_EQ(ReadFile(exePath + ".ini"), kDefaultSettings);
  EXPECT_FALSE(toolkit.IsWindowOpen(MainWindow));
}

// Where the executable's place takes no settings file (an installed program; here a folder
// that does not exist, or a folder in the file's place), the settings live in the user's
// configuration folder, made for that user at the first save, and the next start reads them.
// A place that can take the file keeps it, even through a link that names no file yet; under
// /usr no place does, even for root.
TEST_F(LifecycleTest, SettingsLeaveTheExecutablesPlaceOnlyWhenItTakesNoFile) {
  const std::string configHome = dir.Path("home-config");
  const ScopedEnv home("XDG_CONFIG_HOME", configHome);
  const std::string userFile = configHome + "/velomira/velomira.ini";
  const std::string folder = dir.path();
  namespace fs = std::filesystem;
  // clang-format off
  const struct { const char* name; std::string exe; bool user; } cases[] = {
      {"a missing folder", folder + "/missing/velomira", true},
      {"an installed program", "/usr/bin/velomira", true},
      {"a folder in the file's place", folder + "/dir-beside/velomira", true},
      {"a dangling link", folder + "/link-beside/velomira", false},
      {"a writable folder", folder + "/plain/velomira", false},
  };
  // clang-format on
  fs::create_directories(folder + "/dir-beside/velomira.ini");
  fs::create_directories(folder + "/link-beside");
  fs::create_symlink(folder + "/link-beside/elsewhere.ini", folder + "/link-beside/velomira.ini");
  fs::create_directories(folder + "/plain");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(configHome);
    exePath = c.exe;
    StartApp();
    // Stops here when wrong, so that a failure never writes beside an installed program.
    ASSERT_EQ(app->settingsPath(), c.user ? userFile : exePath + ".ini");
    if (!c.user) continue;
    EXPECT_FALSE(fs::exists(configHome)) << "nothing is made before the first save";
    Choose(NameItem);
    toolkit.SetText(NameEdit, "installed");
    Click(NameOkButton);
    Choose(ExitItem);
    app->End();
    EXPECT_EQ(ReadFile(userFile), ReplaceFirst(kDefaultSettings, "no name", "installed"));
    EXPECT_EQ(fs::status(configHome + "/velomira").permissions(), fs::perms::owner_all);
    app.reset();
    StartApp();
    EXPECT_EQ(toolkit.StatusText(NameField), "installed");
    app.reset();
  }
}

TEST_F(LifecycleTest, CloseBoxAndExitBothEndTheLoopAndRewriteTheSettings) {
  for (bool closeBox : {true, false}) {
    WriteSettings(kDefaultSettings);
    StartApp();
    Click(CrankshaftOption);
    Choose(NameItem);
    toolkit.SetText(NameEdit, closeBox ? "by close box" : "by exit");
    Click(NameOkButton);
    Type(RpmCombo, "2500");  // text in the field is not an item and is not saved
    if (closeBox) {
      ToolkitAccess::Window(toolkit, MainWindow)->close();
      Pump();
    } else {
      Choose(ExitItem);
    }
    ASSERT_TRUE(app->QuitRequested());
    EXPECT_TRUE(toolkit.IsWindowOpen(MainWindow)) << "the loop ends; the end sequence closes";
    app->End();
    const std::string saved = ReadFile(exePath + ".ini");
    EXPECT_NE(saved.find(closeBox ? "Type = by close box\r\n" : "Type = by exit\r\n"), std::string::npos);
    EXPECT_NE(saved.find("WheelAt = crankshaft\r\n"), std::string::npos);
    EXPECT_EQ(saved.substr(saved.find("[RPM]")), kDefaultSettings.substr(kDefaultSettings.find("[RPM]")));
    app.reset();
  }
}

TEST_F(LifecycleTest, ConfigMenuLoadsIntoTheWindowAndSavesTheListItems) {
  StartApp();
  const std::string config = Path("wheel.cfg");
  WriteFile(config,
            "[General]\r\nType = small\r\nAvailableTeeth = 35\r\nMissingTeeth = 1\r\n"
            "WheelAt = crankshaft\r\n[RPM]\r\na = 1500\r\nb = 2500\r\n");
  requesters.openAnswers.push_back(config);
  Choose(ConfigLoadItem);
  EXPECT_EQ(toolkit.StatusText(NameField), "small");
  EXPECT_EQ(toolkit.State(TeethSpin), 35);
  EXPECT_EQ(toolkit.ItemCount(RpmCombo), 2);
  EXPECT_EQ(toolkit.State(RpmSlider), 750);
  EXPECT_EQ(requesters.calls.back().request.title, "Load config file");

  requesters.saveAnswers.push_back(Path("copy"));
  Choose(ConfigSaveItem);
  const std::string saved = ReadFile(Path("copy.cfg"));
  EXPECT_NE(saved.find("[RPM]\r\n1 = 1500\r\n2 = 2500\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("AvailableTeeth = 35\r\n"), std::string::npos) << saved;
}

TEST(RunProgramTest, AudioFailureShowsOnlyTheErrorAndTouchesNoSettings) {
  ScratchDir dir;
  const std::string exePath = dir.Path("velomira");
  const std::string settings = exePath + ".ini";
  for (bool existing : {false, true}) {
    if (existing) WriteFile(settings, "[General]\r\nType = keep me\r\n");
    const std::string before = existing ? ReadFile(settings) : "";
    const ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    Toolkit toolkit;
    ScriptedRequesters requesters;
    SoundOutput sound;
    EXPECT_EQ(RunProgram(toolkit, sound, requesters, exePath), 0);
    ASSERT_EQ(requesters.calls.size(), 1u);
    EXPECT_EQ(requesters.calls[0].kind, ScriptedRequesters::Kind::MessageBox);
    EXPECT_EQ(requesters.calls[0].title, "Error");
    EXPECT_EQ(requesters.calls[0].text, "Was not able to initialize the sound system!");
    EXPECT_EQ(requesters.calls[0].ownerWindow, WindowId{-1});
    EXPECT_FALSE(toolkit.IsWindowOpen(MainWindow));
    EXPECT_EQ(FileExists(settings), existing);
    if (existing) { EXPECT_EQ(ReadFile(settings), before); }
  }
}

TEST(RunProgramTest, AWholeRunEndsWithExitAndWritesTheSettings) {
  ScratchDir dir;
  const std::string exePath = dir.Path("velomira");
  Toolkit toolkit;
  ScriptedRequesters requesters;
  SoundOutput sound;
  // Queued before the loop runs: the user's first action is File > Exit.
  toolkit.PostEvent(UserEvent(MenuEvent, MainWindow, ExitItem));
  EXPECT_EQ(RunProgram(toolkit, sound, requesters, exePath), 0);
  EXPECT_EQ(ReadFile(exePath + ".ini"), kDefaultSettings);
  EXPECT_FALSE(toolkit.IsWindowOpen(MainWindow));
  EXPECT_TRUE(requesters.calls.empty());
}

}  // namespace
}  // namespace vm::test
