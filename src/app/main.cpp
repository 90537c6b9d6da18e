// The entry point: the Qt application object, the window toolkit, the requesters and the
// sound output, then the whole run. No command line and no environment are read.

#include <QApplication>

#include "app/app.h"
#include "platform/requesters_qt.h"
#include "platform/toolkit.h"
#include "signal/sound_output.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  vm::Toolkit toolkit;
  vm::QtRequesters requesters(toolkit);
  vm::SoundOutput sound;
  return vm::RunProgram(toolkit, sound, requesters, vm::ExecutablePath());
}
