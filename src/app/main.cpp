// The entry point: the Qt application object, the window toolkit, the requesters and the
// sound output, then the whole run. No command line and no environment are read.

#include <QApplication>

#include "app/app.h"
#include "app/ids.h"
#include "platform/quit_signals.h"
#include "platform/requesters_qt.h"
#include "platform/standard_streams.h"
#include "platform/toolkit.h"
#include "signal/sound_output.h"

int main(int, char** argv) {
  // Before Qt opens anything: a descriptor of its own must never take a closed stream's number.
  vm::OpenClosedStandardStreams();
  // The command line is not for us: Qt is not given it either.
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QApplication application(qtArgc, qtArgv);
  vm::Toolkit toolkit;
  // Ctrl+C, kill and logout end the program as its close box does: the settings are saved.
  const int quitSignals = vm::InstallQuitSignalPipe();
  if (quitSignals >= 0) toolkit.PostWhenReadable(quitSignals, vm::MakeEvent(vm::CloseEvent, vm::MainWindow));
  vm::QtRequesters requesters(toolkit);
  vm::SoundOutput sound;
  return vm::RunProgram(toolkit, sound, requesters, vm::ExecutablePath(), quitSignals);
}
