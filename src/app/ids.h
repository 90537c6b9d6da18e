#pragma once
// The fixed numbers by which the program's windows, controls, menu items and own events are
// addressed. Events carry them as plain numbers (the runner's reports become events naming
// RpmSlider and CountdownField), so none of them may change. The toolkit's own numbers (event kinds it raises,
// sub-types, MainMenu) are in platform/toolkit.h.

#include <cstdint>

#include "platform/toolkit.h"

namespace vm {

// Windows
inline constexpr WindowId MainWindow{0};
inline constexpr WindowId NameDialog{1};
inline constexpr WindowId StepDialog{2};
inline constexpr WindowId CamDialog{3};
inline constexpr WindowId PatternDialog{6};
inline constexpr WindowId LiveViewWindow{8};

// Menus (the menu bar is the toolkit's MainMenu)
inline constexpr MenuId BatchPopupMenu{1};

// Menu items of MainMenu (StepEditItem to StepAddItem also in BatchPopupMenu)
inline constexpr ItemId ConfigLoadItem{0};
inline constexpr ItemId ConfigSaveItem{1};
inline constexpr ItemId BatchLoadItem{2};
inline constexpr ItemId BatchSaveItem{3};
inline constexpr ItemId ExitItem{4};
inline constexpr ItemId NameItem{5};
inline constexpr ItemId StepEditItem{6};
inline constexpr ItemId StepDeleteItem{7};
inline constexpr ItemId StepInsertItem{8};
inline constexpr ItemId StepAddItem{9};
inline constexpr ItemId AboutItem{10};
inline constexpr ItemId ExactSpeedItem{11};
inline constexpr ItemId CamSignalItem{12};
inline constexpr ItemId WheelPatternItem{16};
inline constexpr ItemId ShowSignalItem{20};

// Menu item of the step dialog's Return shortcut (in StepDialog)
inline constexpr ItemId StepReturnItem{1};

// Controls of MainWindow
inline constexpr ControlId TeethLabel{0};
inline constexpr ControlId TeethSpin{1};
inline constexpr ControlId MissingLabel{2};
inline constexpr ControlId MissingSpin{3};
inline constexpr ControlId CamshaftOption{4};
inline constexpr ControlId CrankshaftOption{5};
inline constexpr ControlId NoticeLabel{6};
inline constexpr ControlId StartStopButton{7};
inline constexpr ControlId RpmSlider{8};
inline constexpr ControlId RpmCombo{9};
inline constexpr ControlId SetButton{10};
inline constexpr ControlId BatchList{11};
inline constexpr ControlId BatchStartButton{12};
inline constexpr ControlId LoopCheckBox{13};
inline constexpr ControlId StepButton{14};
// The wheel's own controls: neither the tone nor a batch run lets them change while the sound
// plays, so a control added for the wheel is locked by both from this one list.
inline constexpr ControlId kWheelControls[] = {TeethSpin, MissingSpin, CamshaftOption, CrankshaftOption};
// The batch table's controls, which the tone locks as well.
inline constexpr ControlId kBatchControls[] = {BatchList, BatchStartButton, LoopCheckBox, StepButton};

// Controls of NameDialog
inline constexpr ControlId NameEdit{17};
inline constexpr ControlId NameOkButton{18};
inline constexpr ControlId NameCancelButton{19};

// Controls of StepDialog
inline constexpr ControlId TimeLabel{20};
inline constexpr ControlId Rpm1Label{21};
inline constexpr ControlId Rpm2Label{22};
inline constexpr ControlId TimeEdit{23};
inline constexpr ControlId Rpm1Edit{24};
inline constexpr ControlId Rpm2Edit{25};
inline constexpr ControlId StepOkButton{26};
inline constexpr ControlId StepCancelButton{27};

// Controls of CamDialog
inline constexpr ControlId CamCheckBox{28};
inline constexpr ControlId CamAngleLabel{29};
inline constexpr ControlId CamAngleEdit{30};
inline constexpr ControlId CamWidthLabel{31};
inline constexpr ControlId CamWidthEdit{32};
inline constexpr ControlId CamOkButton{33};
inline constexpr ControlId CamCancelButton{34};

// Controls of PatternDialog
inline constexpr ControlId PatternFindLabel{50};
inline constexpr ControlId PatternFindEdit{51};
inline constexpr ControlId PatternList{52};
inline constexpr ControlId PatternFolderLabel{53};
inline constexpr ControlId PatternPicture{54};
inline constexpr ControlId PatternOpenButton{55};
inline constexpr ControlId PatternOkButton{56};
inline constexpr ControlId PatternCancelButton{57};

// Controls of LiveViewWindow
inline constexpr ControlId LivePicture{60};
inline constexpr ControlId LiveRpmLabel{61};
inline constexpr ControlId LiveCamLabel{62};
inline constexpr ControlId LiveCamSlider{63};
inline constexpr ControlId LiveCamEdit{64};
inline constexpr ControlId LiveCamSetButton{65};

// Event kinds of the program's own
inline constexpr EventKind EventStepDone{65536};
// The batch runner's slider moves and countdowns travel through the event queue as these
// kinds, so that they keep their order with its other events and can be dropped with them.
inline constexpr EventKind RunnerSetSliderEvent{65537};
inline constexpr EventKind RunnerStatusTextEvent{65538};

// Status bar fields of MainWindow
inline constexpr FieldId NameField{0};
inline constexpr FieldId CountdownField{1};

}  // namespace vm
