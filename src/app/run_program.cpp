#include <poll.h>

#include "app/app.h"
#include "platform/requesters.h"
#include "signal/sound_output.h"

namespace vm {

int RunProgram(Toolkit& toolkit, SoundOutput& sound, Requesters& requesters, const std::string& exePath,
               int quitDescriptor) {
  if (!sound.Open({.quitDescriptor = quitDescriptor})) {
    // A quit signal while the output opens ends the program as it would later: at once.
    pollfd quitting{quitDescriptor, POLLIN, 0};
    if (quitDescriptor >= 0 && ::poll(&quitting, 1, 0) > 0) return 0;
    // Nothing else happens: no window, and the settings file is neither read nor written.
    requesters.MessageBox("Error", "Was not able to initialize the sound system!", true, WindowId{-1});
    return 0;
  }
  {
    App app(toolkit, sound, requesters, exePath);
    app.Start();
    app.RunMainLoop();
    app.End();
  }
  sound.Close();
  return 0;
}

}  // namespace vm
