#pragma once
// SIGINT, SIGTERM and SIGHUP as a byte on a pipe, so a program that waits in poll() sees a
// request to end beside its other input and ends the normal way, from its own loop.

namespace vm {

// Installs handlers for SIGINT, SIGTERM and SIGHUP that only write one byte to a pipe, and
// gives the pipe's read end (non-blocking, close-on-exec); -1 when the pipe or a handler
// cannot be set up. Later calls give the same descriptor.
int InstallQuitSignalPipe();

}  // namespace vm
