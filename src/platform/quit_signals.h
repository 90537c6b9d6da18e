#pragma once
// Ctrl+C in a terminal, kill and logout: the signals that ask the program to end.

namespace vm {

// Installs SIGINT, SIGTERM and SIGHUP handlers that only write one byte to a pipe
// (async-signal-safe). Returns the pipe's non-blocking read end, or -1. Call once.
int InstallQuitSignalPipe();

}  // namespace vm
