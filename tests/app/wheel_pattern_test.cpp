// Signal > "Wheel pattern..." on real widgets: a chosen pattern is what the sound card gets,
// edge by edge; the window's wheel chosen again is today's stream to the bit; the choice lives
// in the settings and config files only while it is on, and a pattern gone missing gives way
// to the wheel.

#include <QColor>
#include <QImage>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

#include "support/disk_driver.h"
#include "support/program_fixture.h"
#include "support/samples.h"
#include "support/scoped_env.h"

namespace vm::test {
namespace {

// Teeth at uneven places on a 720° cycle and a cam pulse, so that every edge is told apart.
constexpr const char* kBenchPattern =
    "name bench-test\ndescription uneven teeth for the window's tests\ncycle 720\nsource none\nfits none\n"
    "crank high 0 to 20\ncrank high 40 to 60\ncrank high 100 to 120\ncrank high 190 to 210\ncam high 300 to 390\n";

struct Edge {
  int channel;  // 0 crank (left), 1 cam (right)
  double degrees;
  bool rising;
};

// clang-format off
const Edge kBenchEdges[] = {
  {0, 0, true}, {0, 20, false}, {0, 40, true}, {0, 60, false}, {0, 100, true}, {0, 120, false},
  {0, 190, true}, {0, 210, false}, {1, 300, true}, {1, 390, false},
};
// clang-format on

constexpr double kFramesPerDegree = kDiskDeviceRate / (1000.0 / 60 * 360);  // at the first preset, 1000 RPM: 8
constexpr size_t kCycleFrames = 720 * 8;

class WheelPatternTest : public ProgramFixture {
 protected:
  void SetUp() override {
    disk_ = std::make_unique<DiskDriver>(Path("device.raw"));
    std::filesystem::create_directories(Path("patterns"));
    WriteFile(PatternPath(), kBenchPattern);  // the folder beside a portable program
    ProgramFixture::SetUp();
    StartApp();
  }
  void TearDown() override {
    ProgramFixture::TearDown();
    disk_.reset();
  }

  std::string PatternPath() const { return Path("patterns/bench-test.pattern"); }
  std::string Settings() { return ReadFile(exePath + ".ini"); }
  void Restart() {
    app->End();
    app.reset();
    StartApp();
  }

  // The dialog as the user works it: types into its field, clicks a row, presses "Ok".
  void ChoosePattern(const std::string& find, int row) {
    Choose(WheelPatternItem);
    ASSERT_TRUE(toolkit.IsWindowOpen(PatternDialog));
    Type(PatternFindEdit, find);
    SelectRow(row);
    Click(PatternOkButton);
    EXPECT_FALSE(toolkit.IsWindowOpen(PatternDialog));
  }
  void SelectRow(int row) {
    auto* list = static_cast<QTreeWidget*>(Widget(PatternList));
    ASSERT_LT(row, list->topLevelItemCount());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(row)).center());
    Pump();
  }
  std::vector<std::string> ListedNames() {
    std::vector<std::string> names;
    for (int i = 0; i < toolkit.ItemCount(PatternList); ++i) names.push_back(toolkit.ItemText(PatternList, i, 0));
    return names;
  }

  // `frames` of the device stream from the first sound after a press of "Start", then "Stop".
  std::string PlayedFromStart(size_t frames) {
    const auto size = [&] { return ReadFile(disk_->path()).size() / 4; };
    const auto waitFor = [&](size_t until) {
      for (int i = 0; i < 500 && size() < until; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    };
    // The device writes a buffer out after it rendered it: a few buffers of silence first, so
    // that what comes after `before` is all of this start.
    waitFor(size() + 4096);
    const size_t before = size();
    Click(StartStopButton);
    waitFor(before + frames + 8192);
    Click(StartStopButton);
    const std::string stream = ReadFile(disk_->path());
    size_t start = stream.size() / 4 >= before ? before : 0;  // a device reopened writes a new file
    while (start < stream.size() / 4 && SampleAt(stream, start, 0) == 0 && SampleAt(stream, start, 1) == 0) ++start;
    EXPECT_GE(stream.size() / 4, start + frames);

    return stream.substr(4 * start, 4 * frames);
  }

  // The bench pattern's edges in the second cycle of `played`, where every edge is a crossing
  // (frame f is the first at its new level, so the crossing lies half a frame before it),
  // the cam's moved by `camDegrees`.
  void ExpectBenchEdges(const std::string& played, double camDegrees) {
    for (int channel : {0, 1}) {
      std::vector<Crossing> crossings;
      for (const Crossing& c : ZeroCrossings(Channel(played, channel))) {
        if (c.at >= kCycleFrames - 1 && c.at < 2 * kCycleFrames - 1) crossings.push_back(c);
      }
      std::vector<Edge> expected;
      for (const Edge& e : kBenchEdges) {
        if (e.channel == channel)
          expected.push_back({e.channel, e.degrees + (channel == 1 ? camDegrees : 0), e.rising});
      }
      ASSERT_EQ(crossings.size(), expected.size()) << "channel " << channel;
      for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(crossings[i].rising, expected[i].rising) << channel << " " << expected[i].degrees;
        EXPECT_NEAR(crossings[i].at, kCycleFrames + expected[i].degrees * kFramesPerDegree - 0.5, 0.5)
            << channel << " " << expected[i].degrees;
      }
    }
  }

  std::unique_ptr<DiskDriver> disk_;
  ScopedEnv userData_{"XDG_DATA_HOME", Path("data")};  // no pattern of the user's own joins the list
};

TEST_F(WheelPatternTest, APatternPlaysItsEdgesAtTheirAnglesAndTheWheelComesBackToTheBit) {
  const std::string today = PlayedFromStart(9600);

  ChoosePattern("bench", 1);
  EXPECT_EQ(toolkit.StatusText(NameField), "bench-test");
  for (ControlId id : kWheelControls) EXPECT_FALSE(toolkit.IsEnabled(id)) << id;
  EXPECT_FALSE(toolkit.IsMenuItemEnabled(MainMenu, CamSignalItem));
  ExpectBenchEdges(PlayedFromStart(3 * kCycleFrames), 0);

  ChoosePattern("", 0);  // the window's wheel, always the first row
  EXPECT_EQ(toolkit.StatusText(NameField), app->config().Type);
  for (ControlId id : kWheelControls) EXPECT_TRUE(toolkit.IsEnabled(id)) << id;
  EXPECT_TRUE(toolkit.IsMenuItemEnabled(MainMenu, CamSignalItem));
  EXPECT_EQ(PlayedFromStart(9600), today);
}

// The live view's cam phase moves a chosen pattern's cam track, in degrees of the pattern's
// own cycle, and not a sample of its crank; a pattern without a cam track has none to move.
TEST_F(WheelPatternTest, TheLiveViewsCamPhaseMovesAPatternsCamTrackOnly) {
  ChoosePattern("bench", 1);
  Choose(ShowSignalItem);
  ASSERT_TRUE(toolkit.IsEnabled(LiveCamSlider));
  Type(LiveCamEdit, "+20");
  Click(LiveCamSetButton);
  ExpectBenchEdges(PlayedFromStart(3 * kCycleFrames), 20);

  WriteFile(Path("patterns/crank-only.pattern"), "name crank-only\ndescription d\ncycle 360\ncrank high 0 to 90\n");
  ChoosePattern("crank-only", 1);
  PumpUntil([&] { return !toolkit.IsEnabled(LiveCamSlider); }, 1.0);
  EXPECT_FALSE(toolkit.IsEnabled(LiveCamSlider));
}

// The high stretches seen on the live view's picture along the row `unitsY` (picture units) of
// a 720° pattern with a cam track, in degrees: the track's blue, read back from the screen.
std::vector<std::pair<double, double>> ShownHighs(QWidget* view, double unitsY) {
  const QImage image = view->grab().toImage();
  const double width = 12000, height = 2240;  // a 720° picture with both tracks
  const double scale = std::min(image.width() / width, image.height() / height);
  const double left = (image.width() - scale * width) / 2, top = (image.height() - scale * height) / 2;
  const auto degrees = [&](int x) { return ((x - left) / scale - 700) * 720 / 11100; };
  std::vector<std::pair<double, double>> highs;
  const int y = static_cast<int>(top + unitsY * scale);
  int last = -2;  // the last blue pixel
  for (int x = 0; x < image.width(); ++x) {
    const QColor c = image.pixelColor(x, y);
    if (c.blue() < 0x80 || c.red() > 0x80) continue;
    if (x == last + 1) highs.back().second = degrees(x);
    else highs.emplace_back(degrees(x), degrees(x));
    last = x;
  }
  return highs;
}

// The live view draws the cam track where the phase puts it, through 0° too, and the crank
// track where it always is.
TEST_F(WheelPatternTest, TheLiveViewDrawsTheCamTrackMovedByThePhase) {
  WriteFile(Path("patterns/near-zero.pattern"),
            "name near-zero\ndescription d\ncycle 720\ncrank high 100 to 200\ncam high 10 to 60\n");
  ChoosePattern("near-zero", 1);
  Choose(ShowSignalItem);
  using Highs = std::vector<std::pair<double, double>>;
  // clang-format off
  const struct { const char* phase; Highs cam; } cases[] = {
    {"0", {{10, 60}}}, {"-20", {{0, 40}, {710, 720}}}, {"+20", {{30, 80}}}, {"-30.5", {{0, 29.5}, {699.5, 720}}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.phase);
    Type(LiveCamEdit, c.phase);
    Click(LiveCamSetButton);
    // Redrawn at the view's next frame.
    Highs cam;
    PumpUntil([&] {
      cam = ShownHighs(Widget(LivePicture), 1400);
      return cam.size() == c.cam.size() && std::abs(cam[0].first - c.cam[0].first) < 2;
    });
    const Highs crank = ShownHighs(Widget(LivePicture), 760);
    ASSERT_EQ(crank.size(), 1u);
    EXPECT_NEAR(crank[0].first, 100, 2);
    EXPECT_NEAR(crank[0].second, 200, 2);
    ASSERT_EQ(cam.size(), c.cam.size());
    for (size_t i = 0; i < cam.size(); ++i) {
      EXPECT_NEAR(cam[i].first, c.cam[i].first, 2) << i;
      EXPECT_NEAR(cam[i].second, c.cam[i].second, 2) << i;
    }
  }
}

// Edges 1° apart stay apart up to 7200 RPM on a 48000 Hz output (at most 0.45 × the output
// rate in edges a second); beyond, the pattern turns at that speed, and the window says so.
TEST_F(WheelPatternTest, APatternIsHeldToTheSpeedItsEdgesAllow) {
  WriteFile(Path("patterns/narrow.pattern"), "name narrow\ndescription d\ncycle 360\ncrank high 0 to 1\n");
  ChoosePattern("narrow", 1);
  Click(StartStopButton);
  EXPECT_EQ(toolkit.StatusText(NameField), "narrow (up to 7200 RPM)");
  Type(RpmCombo, "15000");
  Click(SetButton);
  const size_t from = ReadFile(disk_->path()).size() / 4 + 8192;
  ASSERT_TRUE(PumpUntil([&] { return ReadFile(disk_->path()).size() / 4 > from + 4000; }));
  const std::vector<double> rises = RisingEdges(Channel(ReadFile(disk_->path()), 0), from);
  ASSERT_GE(rises.size(), 5u);
  EXPECT_NEAR((rises.back() - rises.front()) / double(rises.size() - 1), kDiskDeviceRate * 60 / 7200, 0.01);
}

// "Open file..." takes any pattern file, which the settings then keep by its path; a file that
// is no pattern is refused with the reader's reason.
TEST_F(WheelPatternTest, OpenFileAddsAPatternFromAnywhereAndRefusesOneThatIsNone) {
  std::filesystem::create_directories(Path("elsewhere"));
  WriteFile(Path("elsewhere/mine.pattern"), "name mine\ndescription d\ncycle 360\ncrank high 10 to 20\n");
  WriteFile(Path("elsewhere/broken.pattern"), "name broken\n");
  requesters.openAnswers = {Path("elsewhere/broken.pattern"), Path("elsewhere/mine.pattern")};
  Choose(WheelPatternItem);
  Click(PatternOpenButton);
  ASSERT_EQ(requesters.Count(ScriptedRequesters::Kind::MessageBox), 1);
  EXPECT_NE(requesters.calls.back().text.find("broken.pattern: "), std::string::npos);
  Click(PatternOpenButton);
  EXPECT_EQ(toolkit.ItemText(PatternList, toolkit.State(PatternList), 0), "mine");  // added and selected
  Click(PatternOkButton);
  EXPECT_EQ(toolkit.StatusText(NameField), "mine");
  EXPECT_EQ(app->config().Signal.pattern, Path("elsewhere/mine.pattern"));
}

// "Find" matches names and descriptions in any case and always keeps the window's wheel; a
// file that cannot be read is listed with the reason and cannot be chosen, also by an "Ok"
// pressed after the filter hid what was selected.
TEST_F(WheelPatternTest, FindFiltersTheListAndAnUnreadableOrHiddenRowCannotBeChosen) {
  WriteFile(Path("patterns/broken.pattern"), "name broken\n");
  WriteFile(Path("patterns/cafe.pattern"),
            "name cafe\ndescription Caf\xC3\xA9 \xE2\x82\xAC wheel\ncycle 360\n"
            "crank high 0 to 90\n");
  Choose(WheelPatternItem);
  using Names = std::vector<std::string>;
  const std::string wheel = "Window's wheel";
  EXPECT_EQ(ListedNames(), (Names{wheel, "bench-test", "broken", "cafe"}));
  // The toolkit's text is Latin-1: é stays, € cannot.
  EXPECT_EQ(toolkit.ItemText(PatternList, 3, 1), "Caf\xE9 ? wheel");
  EXPECT_EQ(toolkit.ItemText(PatternList, 2, 1), "(unreadable: line 2, column 1: expected a description line)");
  // clang-format off
  const struct { const char* find; Names names; } finds[] = {
    {"UNEVEN", {wheel, "bench-test"}}, {"Caf", {wheel, "cafe"}}, {"zzz", {wheel}}, {"wheel's", {wheel}},
    {"", {wheel, "bench-test", "broken", "cafe"}},
  };
  // clang-format on
  for (const auto& c : finds) {
    Type(PatternFindEdit, c.find);
    EXPECT_EQ(ListedNames(), c.names) << c.find;
  }
  SelectRow(2);
  EXPECT_FALSE(toolkit.IsEnabled(PatternOkButton));
  SelectRow(1);
  EXPECT_TRUE(toolkit.IsEnabled(PatternOkButton));
  // Typed letter by letter, the filter hides the selection: nothing is selected rather than
  // the window's wheel, and with the filter gone the selection is back.
  Type(PatternFindEdit, "cafe");
  EXPECT_EQ(toolkit.State(PatternList), -1);
  EXPECT_FALSE(toolkit.IsEnabled(PatternOkButton));
  Click(PatternOkButton);
  EXPECT_TRUE(toolkit.IsWindowOpen(PatternDialog));
  Type(PatternFindEdit, "");
  EXPECT_EQ(toolkit.State(PatternList), 1);
  Click(PatternCancelButton);
  EXPECT_FALSE(toolkit.IsWindowOpen(PatternDialog));
  EXPECT_EQ(app->config().Signal.pattern, "");
  EXPECT_EQ(toolkit.StatusText(NameField), app->config().Type);
}

TEST_F(WheelPatternTest, TheChoiceIsKeptOnlyWhileOnAndAMissingFileGivesWayToTheWheel) {
  Restart();
  const std::string off = Settings();
  ChoosePattern("bench", 1);
  Restart();
  EXPECT_EQ(Settings(), off + "\r\n[Signal]\r\nPattern = bench-test\r\n");
  EXPECT_EQ(toolkit.StatusText(NameField), "bench-test");  // read back at start
  EXPECT_FALSE(toolkit.IsEnabled(TeethSpin));

  // A config file holds it too, and only while on.
  requesters.saveAnswers = {Path("pattern.cfg"), Path("wheel.cfg")};
  Choose(ConfigSaveItem);
  ChoosePattern("", 0);
  Choose(ConfigSaveItem);
  EXPECT_NE(ReadFile(Path("pattern.cfg")).find("Pattern = bench-test\r\n"), std::string::npos);
  EXPECT_EQ(ReadFile(Path("wheel.cfg")).find("Pattern"), std::string::npos);
  requesters.openAnswers = {Path("pattern.cfg")};
  Choose(ConfigLoadItem);
  EXPECT_EQ(toolkit.StatusText(NameField), "bench-test");

  std::filesystem::remove(PatternPath());
  Restart();
  ASSERT_EQ(requesters.Count(ScriptedRequesters::Kind::MessageBox), 1);
  EXPECT_NE(requesters.calls.back().text.find("\"bench-test\" cannot be read"), std::string::npos);
  EXPECT_EQ(toolkit.StatusText(NameField), app->config().Type);
  EXPECT_TRUE(toolkit.IsEnabled(TeethSpin));
  Restart();
  EXPECT_EQ(Settings(), off);
}

}  // namespace
}  // namespace vm::test
