#include "app/main_window.h"

#include "app/ids.h"
#include "batch/rpm_slider.h"
#include "common/parse_integer.h"
#include "platform/toolkit.h"

namespace vm {

namespace {

void BuildMenuBar(Toolkit& tk) {
  tk.CreateMenuBar(MainWindow);
  tk.MenuTitle("File");
  tk.OpenSubMenu("Config");
  tk.MenuItem(ConfigLoadItem, "Load ...");
  tk.MenuItem(ConfigSaveItem, "Save ...");
  tk.CloseSubMenu();
  tk.MenuSeparator();
  tk.OpenSubMenu("Batch");
  tk.MenuItem(BatchLoadItem, "Load...");
  tk.MenuItem(BatchSaveItem, "Save...");
  tk.CloseSubMenu();
  tk.MenuSeparator();
  tk.MenuItem(ExitItem, "Exit");
  tk.MenuTitle("Edit");
  tk.MenuItem(NameItem, "Name");
  tk.MenuSeparator();
  tk.OpenSubMenu("Batch");
  tk.MenuItem(StepEditItem, "Edit\tReturn");
  tk.MenuItem(StepDeleteItem, "Del\tDel");
  tk.MenuItem(StepInsertItem, "Ins\tIns");
  tk.MenuItem(StepAddItem, "Add\tAlt-A");
  tk.CloseSubMenu();
  tk.MenuTitle("Signal");
  tk.MenuItem(ExactSpeedItem, "Exact wheel speed");
  tk.MenuItem(CamSignalItem, "Cam signal...");
  tk.MenuItem(WheelPatternItem, "Wheel pattern...");
  tk.MenuItem(ShowSignalItem, "Show signal");
  tk.MenuTitle("Help");
  tk.MenuItem(AboutItem, "About");
  for (ItemId item : {StepEditItem, StepDeleteItem, StepInsertItem}) { tk.SetMenuItemEnabled(MainMenu, item, false); }
}

void BuildShortcutsAndPopup(Toolkit& tk) {
  tk.AddShortcut(MainWindow, Key::Return, StepEditItem);
  tk.AddShortcut(MainWindow, Key::Delete, StepDeleteItem);
  tk.AddShortcut(MainWindow, Key::Insert, StepInsertItem);
  tk.AddShortcut(MainWindow, Key::AltA, StepAddItem);
  tk.CreatePopupMenu(BatchPopupMenu);
  tk.MenuItem(StepEditItem, "Edit");
  tk.MenuItem(StepDeleteItem, "Del");
  tk.MenuItem(StepInsertItem, "Ins");
  tk.MenuItem(StepAddItem, "Add");
}

void BuildWheelControls(Toolkit& tk) {
  tk.AddControl(MainWindow, TeethLabel, ControlKind::Label, 10, 10, 100, 20, "really available teeth");
  tk.AddControl(MainWindow, TeethSpin, ControlKind::Spin, 110, 10, 40, 20, "", 10, 80);
  tk.AddControl(MainWindow, MissingLabel, ControlKind::Label, 10, 40, 80, 20, "missing teeth");
  tk.AddControl(MainWindow, MissingSpin, ControlKind::Spin, 110, 40, 40, 20, "", 1, 4);
  tk.AddControl(MainWindow, CamshaftOption, ControlKind::Option, 200, 10, 70, 20, "Camshaft");
  tk.AddControl(MainWindow, CrankshaftOption, ControlKind::Option, 200, 30, 70, 20, "Crankshaft");
  tk.AddControl(MainWindow, NoticeLabel, ControlKind::CentredLabel, 104, 90, 92, 20, "Not for sale!");
}

void BuildToneControls(Toolkit& tk) {
  tk.AddControl(MainWindow, StartStopButton, ControlKind::Button, 90, 160, 50, 20, "Start");
  tk.AddControl(MainWindow, RpmSlider, ControlKind::Slider, 10, 130, 200, 20, "", kRpmSliderMinimum, kRpmSliderMaximum);
  tk.SetState(RpmSlider, 250);
  tk.SetEnabled(RpmSlider, false);
  tk.AddControl(MainWindow, RpmCombo, ControlKind::Combo, 220, 130, 70, 20);
  tk.SetEnabled(RpmCombo, false);
  tk.AddControl(MainWindow, SetButton, ControlKind::Button, 220, 160, 50, 20, "Set");
  tk.SetEnabled(SetButton, false);
}

void BuildBatchControls(Toolkit& tk) {
  tk.AddControl(MainWindow, BatchList, ControlKind::List, 310, 10, 200, 140);
  tk.AddListColumn(BatchList, "Time (ms)", 60);
  tk.AddListColumn(BatchList, "RPM 1", 50);
  tk.AddListColumn(BatchList, "RPM 2", 50);
  tk.AddControl(MainWindow, BatchStartButton, ControlKind::Button, 320, 160, 50, 20, "Start");
  tk.AddControl(MainWindow, LoopCheckBox, ControlKind::CheckBox, 390, 160, 50, 20, "Loop");
  tk.AddControl(MainWindow, StepButton, ControlKind::Button, 450, 160, 50, 20, "Step");
  for (ControlId id : {BatchStartButton, LoopCheckBox, StepButton}) tk.SetEnabled(id, false);
}

}  // namespace

void BuildMainWindow(Toolkit& tk) {
  tk.OpenWindow(MainWindow, kMainTitle, kMainWidth, kMainHeight,
                WindowCloseBox | WindowSystemMenu | WindowSizable | WindowCentreScreen);
  tk.SetWindowSizeBounds(MainWindow, kMainMinWidth, kMainHeight, kMainWidth, -1);
  BuildMenuBar(tk);
  BuildShortcutsAndPopup(tk);
  BuildWheelControls(tk);
  BuildToneControls(tk);
  BuildBatchControls(tk);
  tk.CreateStatusBar(MainWindow, {150, 50});
}

int32_t SliderPositionForPresets(const std::vector<int32_t>& presets) {
  // With no presets the first one reads as -1, which gives position 0.
  const int32_t v = presets.empty() ? -1 : LowBits32(int64_t{presets.front()} * 112) / 10;
  return LowBits32(int64_t{v} * 5) / 112;
}

void ApplyWheelConfig(Toolkit& tk, const WheelConfig& config) {
  tk.SetStatusText(NameField, config.Type, true);
  tk.SetState(TeethSpin, config.AvailableTeeth);
  tk.SetState(MissingSpin, config.MissingTeeth);
  if (config.WheelAt == Camshaft) tk.SetState(CamshaftOption, 1);
  if (config.WheelAt == Crankshaft) tk.SetState(CrankshaftOption, 1);
  tk.ClearItems(RpmCombo);
  for (int32_t preset : config.RpmPresets) tk.AddItem(RpmCombo, -1, FormatDecimal(preset));
  tk.SetState(RpmCombo, 0);
  tk.SetState(RpmSlider, SliderPositionForPresets(config.RpmPresets));
  tk.SetMenuItemChecked(MainMenu, ExactSpeedItem, config.Signal.exactSpeed);
}

}  // namespace vm
