#pragma once
// kesp-scan from its command line to its exit status.

namespace kesp {

// Exit statuses of kesp-scan: 0 done; exitFailure (1) a run or the table
// failed; exitRefused (2) the command line, the scan file or the input of a
// configuration was refused before anything ran.
int runScanProgram(int argc, char** argv);

}  // namespace kesp
