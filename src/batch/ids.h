#pragma once
// The fixed numbers by which the program's windows, controls, menu items and own events are
// addressed. Events carry them, and the batch runner posts events naming controls by number,
// so none of them may change. The toolkit's own numbers (event kinds it raises, sub-types,
// MainMenu) are in platform/toolkit.h.

#include <cstdint>

#include "platform/toolkit.h"

namespace vm {

// Windows
inline constexpr int MainWindow = 0;
inline constexpr int NameDialog = 1;
inline constexpr int StepDialog = 2;
inline constexpr int CamDialog = 3;

// Menus (the menu bar is the toolkit's MainMenu)
inline constexpr int BatchPopupMenu = 1;

// Menu items of MainMenu (6..9 also in BatchPopupMenu)
inline constexpr int ConfigLoadItem = 0;
inline constexpr int ConfigSaveItem = 1;
inline constexpr int BatchLoadItem = 2;
inline constexpr int BatchSaveItem = 3;
inline constexpr int ExitItem = 4;
inline constexpr int NameItem = 5;
inline constexpr int StepEditItem = 6;
inline constexpr int StepDeleteItem = 7;
inline constexpr int StepInsertItem = 8;
inline constexpr int StepAddItem = 9;
inline constexpr int AboutItem = 10;
inline constexpr int ExactSpeedItem = 11;
inline constexpr int CamSignalItem = 12;

// Menu item of the step dialog's Return shortcut (window 2)
inline constexpr int StepReturnItem = 1;

// Controls of MainWindow
inline constexpr int TeethLabel = 0;
inline constexpr int TeethSpin = 1;
inline constexpr int MissingLabel = 2;
inline constexpr int MissingSpin = 3;
inline constexpr int CamshaftOption = 4;
inline constexpr int CrankshaftOption = 5;
inline constexpr int NoticeLabel = 6;
inline constexpr int StartStopButton = 7;
inline constexpr int RpmSlider = 8;
inline constexpr int RpmCombo = 9;
inline constexpr int SetButton = 10;
inline constexpr int BatchList = 11;
inline constexpr int BatchStartButton = 12;
inline constexpr int LoopCheckBox = 13;
inline constexpr int StepButton = 14;

// Controls of NameDialog
inline constexpr int NameEdit = 17;
inline constexpr int NameOkButton = 18;
inline constexpr int NameCancelButton = 19;

// Controls of StepDialog
inline constexpr int TimeLabel = 20;
inline constexpr int Rpm1Label = 21;
inline constexpr int Rpm2Label = 22;
inline constexpr int TimeEdit = 23;
inline constexpr int Rpm1Edit = 24;
inline constexpr int Rpm2Edit = 25;
inline constexpr int StepOkButton = 26;
inline constexpr int StepCancelButton = 27;

// Controls of CamDialog
inline constexpr int CamCheckBox = 28;
inline constexpr int CamAngleLabel = 29;
inline constexpr int CamAngleEdit = 30;
inline constexpr int CamWidthLabel = 31;
inline constexpr int CamWidthEdit = 32;
inline constexpr int CamOkButton = 33;
inline constexpr int CamCancelButton = 34;

// Event kinds of the program's own
inline constexpr int32_t EventStepDone = 65536;
// The batch runner's two window calls travel through the event queue as these kinds, so
// that they keep their order with its other events and can be dropped with them.
inline constexpr int32_t RunnerSetSliderEvent = 65537;
inline constexpr int32_t RunnerStatusTextEvent = 65538;

// Status bar fields of MainWindow
inline constexpr int NameField = 0;
inline constexpr int CountdownField = 1;

}  // namespace vm
