#pragma once

namespace zel::app {

// Whether the arguments ask for the command line rather than the window.
bool wantsCommandLine(int argc, char* argv[]);

// Runs "--import", "--export", "--sync" or "--help" without a window; the exit status. The arguments are the
// program's own, undecoded, so that file names reach the system as the bytes the user gave.
int runCommandLine(int argc, char* argv[]);

} // namespace zel::app
