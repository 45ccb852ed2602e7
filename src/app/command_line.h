#pragma once

#include <QStringList>

namespace zel::app {

// Whether the arguments ask for the command line rather than the window.
bool wantsCommandLine(int argc, char* argv[]);

// Runs "--import", "--export" or "--help" without a window; the exit status.
int runCommandLine(const QStringList& arguments);

} // namespace zel::app
