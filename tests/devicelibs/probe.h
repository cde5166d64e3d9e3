// A child process for the device libraries' tests: loads the libraries by
// their file names from its own folder, runs the steps given on its command
// line and writes one result line per step to a file.
#pragma once

// argv: --probe OUTFILE STEP... Returns the process exit code.
int RunProbe(int argc, char** argv);
