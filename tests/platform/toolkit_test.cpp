// The toolkit on real widgets: which actions become events, in what order, and what the
// program's own settings do not raise.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

#include <fcntl.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "platform/requesters_qt.h"
#include "platform/toolkit.h"
#include "platform/toolkit_qt.h"

namespace vm {
namespace {

// The test's windows, controls, menus and items by number: 0_w, 1_c, 1_m, 6_i.
constexpr WindowId operator""_w(unsigned long long n) { return WindowId{static_cast<int32_t>(n)}; }
constexpr ControlId operator""_c(unsigned long long n) { return ControlId{static_cast<int32_t>(n)}; }
constexpr ItemId operator""_i(unsigned long long n) { return ItemId{static_cast<int32_t>(n)}; }
constexpr FieldId operator""_f(unsigned long long n) { return FieldId{static_cast<int32_t>(n)}; }

constexpr MenuId kPopupMenu{1};            // a popup menu, numbered by the program
constexpr EventKind kProgramEvent{65536};  // an event kind of the program's own

class ToolkitTest : public testing::Test {
 protected:
  void SetUp() override {
    tk.OpenWindow(0_w, "Test", 400, 300, WindowCloseBox | WindowSizable | WindowCentreScreen);
    tk.CreateMenuBar(0_w);
    tk.MenuTitle("Edit");
    tk.MenuItem(6_i, "Edit\tReturn");
    tk.MenuItem(7_i, "Del\tDel");
    tk.AddShortcut(0_w, Key::Return, 6_i);
    tk.AddShortcut(0_w, Key::Delete, 7_i);
    tk.AddShortcut(0_w, Key::AltA, 9_i);
  }

  std::vector<Event> Drain() {
    std::vector<Event> events;
    Event event;
    while (tk.PollEvent(event)) events.push_back(event);
    return events;
  }

  QWidget* W(int id) { return ToolkitAccess::Control(tk, ControlId{id}); }

  Toolkit tk;
};

bool IsEvent(const Event& e, EventKind kind, int window, int id, int32_t subType = -1) {
  return e.kind == kind && Number(e.window) == window && e.id == id && (subType < 0 || e.subType == subType);
}

TEST_F(ToolkitTest, ProgramSettersRaiseNoEvents) {
  tk.AddControl(0_w, 1_c, ControlKind::Spin, 10, 10, 40, 20, "", 10, 80);
  tk.AddControl(0_w, 4_c, ControlKind::Option, 10, 40, 70, 20, "A");
  tk.AddControl(0_w, 5_c, ControlKind::Option, 10, 60, 70, 20, "B");
  tk.AddControl(0_w, 8_c, ControlKind::Slider, 10, 90, 200, 20, "", 50, 7500);
  tk.AddControl(0_w, 9_c, ControlKind::Combo, 10, 120, 70, 20);
  tk.AddControl(0_w, 11_c, ControlKind::List, 200, 10, 150, 100);
  tk.AddControl(0_w, 13_c, ControlKind::CheckBox, 10, 150, 70, 20, "Loop");
  tk.AddControl(0_w, 17_c, ControlKind::TextField, 10, 180, 70, 20);
  tk.AddListColumn(11_c, "A", 50);
  Drain();
  tk.SetState(1_c, 46);
  tk.SetState(4_c, 1);
  tk.SetState(5_c, 1);
  tk.SetState(8_c, 300);
  tk.AddItem(9_c, -1, "1000");
  EXPECT_EQ(tk.State(9_c), -1) << "adding an item selects nothing";
  tk.SetState(9_c, 0);
  tk.SetText(9_c, "55");
  tk.AddItem(11_c, -1, "1");
  tk.SetState(11_c, 0);
  tk.SetState(13_c, 1);
  tk.SetText(17_c, "x");
  EXPECT_TRUE(Drain().empty());
}

TEST_F(ToolkitTest, ShortcutsActBeforeTheFocusedControlAndNotWhileDisabled) {
  tk.AddControl(0_w, 9_c, ControlKind::Combo, 10, 10, 70, 20);
  tk.AddControl(0_w, 10_c, ControlKind::Button, 100, 10, 50, 20, "Set");
  auto* edit = static_cast<QComboBox*>(W(9))->lineEdit();
  tk.SetText(9_c, "123");
  tk.SetFocus(9_c);
  Drain();
  QTest::keyClick(edit, Qt::Key_Return);
  auto events = Drain();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_TRUE(IsEvent(events[0], MenuEvent, 0, 6));
  EXPECT_EQ(static_cast<QComboBox*>(W(9))->count(), 0) << "Return must not reach the combo";

  tk.SetMenuItemEnabled(MainMenu, 7_i, false);
  edit->setCursorPosition(0);
  QTest::keyClick(edit, Qt::Key_Delete);
  EXPECT_TRUE(Drain().empty());
  EXPECT_EQ(tk.Text(9_c), "123") << "a disabled shortcut's key does nothing at all";

  tk.SetMenuItemEnabled(MainMenu, 7_i, true);
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClick(W(10), Qt::Key_A, Qt::AltModifier);  // item 9 has no menu entry here
  events = Drain();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_TRUE(IsEvent(events[0], MenuEvent, 0, 7));
  EXPECT_TRUE(IsEvent(events[1], MenuEvent, 0, 9));
}

// Typing and picking from the list are the user's; Qt's own pick of the item equal to the
// typed text, when the field loses the focus, is not.
TEST_F(ToolkitTest, ComboReportsTypingAndPicksButNotLeavingItsField) {
  tk.AddControl(0_w, 9_c, ControlKind::Combo, 10, 10, 70, 20);
  tk.AddControl(0_w, 10_c, ControlKind::Button, 100, 10, 50, 20, "Set");
  for (const char* item : {"1000", "2000", "3000"}) tk.AddItem(9_c, -1, item);
  auto* combo = static_cast<QComboBox*>(W(9));
  tk.SetFocus(9_c);
  Drain();
  QTest::keyClicks(combo->lineEdit(), "2000");
  EXPECT_EQ(Drain().size(), 4u);
  W(10)->setFocus();
  EXPECT_TRUE(Drain().empty());
  EXPECT_EQ(tk.State(9_c), -1);
  EXPECT_EQ(tk.Text(9_c), "2000");
  QTest::keyClick(combo, Qt::Key_Down);
  const auto events = Drain();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_TRUE(IsEvent(events[0], ControlEvent, 0, 9, Change));
  EXPECT_NE(tk.State(9_c), -1);
}

TEST_F(ToolkitTest, SpinCannotBeTypedIntoButStepsWithArrowKeys) {
  tk.AddControl(0_w, 1_c, ControlKind::Spin, 10, 10, 40, 20, "", 10, 80);
  tk.SetState(1_c, 46);
  auto* spin = static_cast<QSpinBox*>(W(1));
  spin->setFocus();
  QTest::keyClicks(spin, "7");
  EXPECT_EQ(tk.State(1_c), 46);
  QTest::keyClick(spin, Qt::Key_Up);
  EXPECT_EQ(tk.State(1_c), 47);
  const auto events = Drain();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_TRUE(IsEvent(events[0], ControlEvent, 0, 1));
}

TEST_F(ToolkitTest, DigitsFieldTakesOnlyDigits) {
  tk.AddControl(0_w, 23_c, ControlKind::DigitsField, 10, 10, 80, 20);
  QTest::keyClicks(W(23), "1a2-3 ");
  EXPECT_EQ(tk.Text(23_c), "123");
  tk.SetText(23_c, "x9");  // the program may set anything
  EXPECT_EQ(tk.Text(23_c), "x9");
}

TEST_F(ToolkitTest, ListRowsColumnsAndSelection) {
  tk.AddControl(0_w, 11_c, ControlKind::List, 10, 10, 200, 140);
  tk.AddListColumn(11_c, "Time (ms)", 60);
  tk.AddListColumn(11_c, "RPM 1", 50);
  tk.AddListColumn(11_c, "RPM 2", 50);
  tk.AddItem(11_c, -1, "1000\n2000\n3000");
  tk.AddItem(11_c, -1, "5\n6");
  tk.AddItem(11_c, 0, "a\nb\nc\nextra");
  ASSERT_EQ(tk.ItemCount(11_c), 3);
  EXPECT_EQ(tk.ItemText(11_c, 0, 2), "c");
  EXPECT_EQ(tk.ItemText(11_c, 2, 2), "");
  EXPECT_EQ(tk.ItemText(11_c, 1, 1), "2000");
  EXPECT_EQ(tk.State(11_c), -1);
  tk.SetState(11_c, 1);
  EXPECT_EQ(tk.State(11_c), 1);
  tk.AddItem(11_c, 0, "x\ny\nz");
  EXPECT_EQ(tk.State(11_c), 2) << "the selection stays on its row";
  tk.RemoveItem(11_c, 2);
  EXPECT_EQ(tk.State(11_c), -1);
  tk.SetItemText(11_c, 0, 1, "q");
  EXPECT_EQ(tk.ItemText(11_c, 0, 1), "q");
  EXPECT_TRUE(Drain().empty());

  auto* list = static_cast<QTreeWidget*>(W(11));
  const QRect row = list->visualItemRect(list->topLevelItem(1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
  EXPECT_EQ(tk.State(11_c), 1);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
  const auto events = Drain();
  ASSERT_FALSE(events.empty());
  EXPECT_TRUE(IsEvent(events.front(), ControlEvent, 0, 11, Change));
  EXPECT_TRUE(IsEvent(events.back(), ControlEvent, 0, 11, DoubleClick));
}

TEST_F(ToolkitTest, MenuItemsAndPopupDeliverMenuEvents) {
  tk.CreatePopupMenu(kPopupMenu);
  tk.MenuItem(6_i, "Edit");
  tk.MenuItem(7_i, "Del");
  Drain();
  ToolkitAccess::MenuAction(tk, MainMenu, 7_i)->trigger();
  tk.ShowPopupMenu(kPopupMenu, 0_w);
  ToolkitAccess::MenuAction(tk, kPopupMenu, 6_i)->trigger();
  ToolkitAccess::PopupMenu(tk, kPopupMenu)->close();
  const auto events = Drain();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_TRUE(IsEvent(events[0], MenuEvent, 0, 7));
  EXPECT_TRUE(IsEvent(events[1], MenuEvent, 0, 6));
  tk.SetMenuItemEnabled(kPopupMenu, 6_i, false);
  EXPECT_FALSE(tk.IsMenuItemEnabled(kPopupMenu, 6_i));
  EXPECT_TRUE(tk.IsMenuItemEnabled(MainMenu, 6_i)) << "the popup's states are its own";
}

TEST_F(ToolkitTest, PostedEventsKeepOrderAcrossThreads) {
  constexpr int kPerThread = 2000;
  auto post = [this](int window) {
    for (int i = 0; i < kPerThread; ++i) {
      Event event;
      event.kind = ControlEvent;
      event.window = WindowId{window};
      event.id = i;
      tk.PostEvent(event);
    }
  };
  std::thread a(post, 1), b(post, 2);
  a.join();
  b.join();
  int next[3] = {0, 0, 0};
  for (const Event& event : Drain()) {
    const int window = Number(event.window);
    ASSERT_EQ(event.id, next[window]) << "window " << window;
    ++next[window];
  }
  EXPECT_EQ(next[1], kPerThread);
  EXPECT_EQ(next[2], kPerThread);
}

TEST_F(ToolkitTest, WaitEventBlocksUntilAnotherThreadPosts) {
  Drain();
  std::thread poster([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Event event;
    event.kind = kProgramEvent;
    event.generation = 7;
    tk.PostEvent(event);
  });
  const Event event = tk.WaitEvent();
  poster.join();
  EXPECT_EQ(event.kind, kProgramEvent);
  EXPECT_EQ(event.generation, 7u);
}

// A quit signal (a byte in a pipe) while the program waits in a modal box: the box goes as its
// Cancel would, and the event is the next one the program sees.
TEST_F(ToolkitTest, ReadableDescriptorEndsAModalRequester) {
  Drain();
  int quit[2];
  ASSERT_EQ(::pipe2(quit, O_NONBLOCK), 0);  // as the quit signals' pipe
  tk.PostWhenReadable(quit[0], MakeEvent(CloseEvent, 0_w));
  ASSERT_EQ(::write(quit[1], "q", 1), 1);
  QtRequesters requesters(tk);
  requesters.MessageBox("Error", "Was not able to initialize the sound system!", true, 0_w);  // returns
  const Event event = tk.WaitEvent();
  EXPECT_EQ(event.kind, CloseEvent);
  ::close(quit[1]);
}

TEST_F(ToolkitTest, StatusBarFieldsAndClosingWindows) {
  tk.CreateStatusBar(0_w, {150, 50});
  tk.SetStatusText(0_f, "<b>name</b>", true);
  EXPECT_EQ(tk.StatusText(0_f), "<b>name</b>");
  EXPECT_EQ(tk.StatusText(5_f), "");
  tk.OpenWindow(1_w, "Edit x", 170, 70, WindowCloseBox | WindowCentreOwner, 0_w);
  tk.AddControl(1_w, 17_c, ControlKind::TextField, 10, 10, 150, 20, "x");
  tk.CloseWindow(0_w);
  EXPECT_FALSE(tk.IsWindowOpen(1_w)) << "an owned window goes with its owner";
  EXPECT_EQ(tk.Text(17_c), "");
  tk.SetText(17_c, "ignored");  // a control that no longer exists is quietly ignored
}

TEST_F(ToolkitTest, PictureIsPaintedToFitWithItsInksAndAMovableMarker) {
  tk.AddControl(0_w, 3_c, ControlKind::Picture, 0, 0, 200, 100);
  Picture picture;
  picture.width = 2000;  // twice as wide as high, like the control: fills it at a tenth
  picture.height = 1000;
  picture.rects.push_back({0, 0, 1000, 1000, PictureInk::Track});  // the left half
  tk.SetPicture(3_c, picture);
  const auto pixel = [&](int x, int y) { return W(3)->grab().toImage().pixel(x, y) & 0xffffffu; };
  EXPECT_EQ(pixel(50, 50), PictureInkRgb(PictureInk::Track));
  EXPECT_EQ(pixel(150, 50), kPictureGroundRgb);

  EXPECT_EQ(tk.PictureMarker(3_c), -1);
  tk.SetPictureMarker(3_c, 1500);
  EXPECT_EQ(tk.PictureMarker(3_c), 1500);
  EXPECT_EQ(pixel(150, 50), kPictureMarkerRgb);
  tk.SetPictureMarker(3_c, -7);
  EXPECT_EQ(tk.PictureMarker(3_c), -1);
  EXPECT_EQ(pixel(150, 50), kPictureGroundRgb);
  EXPECT_TRUE(Drain().empty());
}

TEST(QtFilterListTest, LabelPatternPairsBecomeQtFilters) {
  // clang-format off
  const struct { const char* filter; int index; const char* list; const char* selected; } cases[] = {
      {"Config (*.cfg)|*.cfg", 0, "Config (*.cfg)", "Config (*.cfg)"},
      {"Batch|*.rbt|All files|*.*", 1, "Batch (*.rbt);;All files (*.*)", "All files (*.*)"},
      {"Text|*.txt;*.log", 0, "Text (*.txt *.log)", "Text (*.txt *.log)"},
      {"Odd|", 3, "Odd ()", ""},
      {"", 0, "", ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::string selected;
    EXPECT_EQ(QtFilterList(c.filter, c.index, &selected), c.list) << c.filter;
    EXPECT_EQ(selected, c.selected) << c.filter;
  }
}

}  // namespace
}  // namespace vm
