#pragma once
#include "app/CommandLine.h"

namespace linkmend {

// The run without a window; returns the exit status.
int BatchMain(const CommandLineOptions& options);

// The main window; returns the exit status. Needs a display.
int WindowMain(int argc, char** argv, const CommandLineOptions& options);

}  // namespace linkmend
