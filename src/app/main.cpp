// The entry point: the Qt application object, the window toolkit, the requesters and the
// sound output, then the whole run. No command line and no environment are read.

#include <QApplication>

#include "app/app.h"
#include "platform/requesters_qt.h"
#include "platform/toolkit.h"
#include "signal/sound_output.h"

int main(int, char** argv) {
  // The command line is not for us: Qt is not given it either.
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QApplication application(qtArgc, qtArgv);
  vm::Toolkit toolkit;
  vm::QtRequesters requesters(toolkit);
  vm::SoundOutput sound;
  return vm::RunProgram(toolkit, sound, requesters, vm::ExecutablePath());
}
