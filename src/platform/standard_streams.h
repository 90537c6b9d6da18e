#pragma once
// Standard streams a caller left closed. Were one closed, the next descriptor the program
// opens (a pipe, a file being saved) would take its number, and a read of the input or a
// message meant for the terminal would go to it.

namespace vm {

// Opens each closed one of descriptors 0, 1 and 2 on /dev/null: the input and the output
// read-only, so that reading gives the end of input at once and writing fails (a closed
// output is gone, and a program that must answer there should say so); the error stream
// write-only, so that messages vanish. Call first in main, before any descriptor is opened.
void OpenClosedStandardStreams();

}  // namespace vm
