#pragma once
// How the program's process writes: the console line by line, and a write
// that fails (a closed pipe, a file-size limit, a full disk) as an error the
// run can report instead of a signal that ends the process.

namespace kesp {

// Makes the standard output line-buffered, so a console redirected to a file
// holds every line written before the process was killed, and ignores
// SIGPIPE and SIGXFSZ. Called first thing in main, before any output.
void prepareProcessOutput();

// Flushes the console; false when any of it could not be written (a pipe
// closed by its reader, a full device).
bool consoleWritten();

}  // namespace kesp
