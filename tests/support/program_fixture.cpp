#include "support/program_fixture.h"

#include <chrono>
#include <thread>

namespace vm::test {

void ProgramFixture::SetUp() { ASSERT_TRUE(sound.Open()); }

void ProgramFixture::TearDown() {
  // A live runner must not outlive the program, as at the program's own end.
  if (app) app->End();
  app.reset();
  sound.Close();
}

void ProgramFixture::StartApp() {
  app = std::make_unique<App>(toolkit, sound, requesters, exePath);
  app->Start();
  Pump();
}

std::vector<Event> ProgramFixture::Pump() {
  std::vector<Event> handled;
  Event event;
  while (toolkit.PollEvent(event)) {
    const bool acted = !app->Drops(event);
    if (onEvent) onEvent(event, acted);
    app->Dispatch(event);
    if (acted) handled.push_back(event);
    log.push_back(event);
  }
  return handled;
}

bool ProgramFixture::PumpUntil(const std::function<bool()>& done, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Pump();
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

void ProgramFixture::Post(const Event& event) {
  toolkit.PostEvent(event);
  Pump();
}

void ProgramFixture::Click(ControlId id) {
  QTest::mouseClick(Widget(id), Qt::LeftButton);
  Pump();
}

void ProgramFixture::DoubleClick(ControlId id) {
  QTest::mouseClick(Widget(id), Qt::LeftButton);
  QTest::mouseClick(Widget(id), Qt::LeftButton);
  Pump();
}

void ProgramFixture::Key(ControlId id, Qt::Key key, Qt::KeyboardModifiers modifiers) {
  QTest::keyClick(Widget(id), key, modifiers);
  Pump();
}

void ProgramFixture::KeyInWindow(WindowId window, Qt::Key key) {
  QWidget* target = ToolkitAccess::Window(toolkit, window)->focusWidget();
  if (target == nullptr) target = ToolkitAccess::Window(toolkit, window);
  QTest::keyClick(target, key);
  Pump();
}

void ProgramFixture::Type(ControlId id, const std::string& text) {
  auto* combo = qobject_cast<QComboBox*>(Widget(id));
  auto* edit = combo != nullptr ? combo->lineEdit() : static_cast<QLineEdit*>(Widget(id));
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClicks(edit, QString::fromStdString(text));
  Pump();
}

void ProgramFixture::Choose(ItemId item) {
  QAction* action = ToolkitAccess::MenuAction(toolkit, MainMenu, item);
  if (action != nullptr && action->isEnabled()) action->trigger();
  Pump();
}

QRect ProgramFixture::RowRect(int row) {
  auto* list = static_cast<QTreeWidget*>(Widget(BatchList));
  return list->visualItemRect(list->topLevelItem(row));
}

void ProgramFixture::ClickRow(int row) {
  auto* list = static_cast<QTreeWidget*>(Widget(BatchList));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowRect(row).center());
  Pump();
}

void ProgramFixture::Step(ItemId item, const std::string& time, const std::string& rpm1, const std::string& rpm2) {
  Choose(item);
  Type(TimeEdit, time);
  Type(Rpm1Edit, rpm1);
  Type(Rpm2Edit, rpm2);
  Click(StepOkButton);
}

void ProgramFixture::AddRows(const std::vector<BatchRow>& rows) {
  for (const BatchRow& row : rows) Step(StepAddItem, row[0], row[1], row[2]);
}

std::vector<BatchRow> ProgramFixture::Rows() {
  std::vector<BatchRow> rows;
  for (int i = 0; i < toolkit.ItemCount(BatchList); ++i)
    rows.push_back(
        {toolkit.ItemText(BatchList, i, 0), toolkit.ItemText(BatchList, i, 1), toolkit.ItemText(BatchList, i, 2)});
  return rows;
}

void ProgramFixture::LoadFile(const std::string& name) {
  requesters.openAnswers.push_back(Path(name));
  Choose(BatchLoadItem);
}

}  // namespace vm::test
