// Built when the Qt windows are not: explains how to run without them.
#include <cstdio>

#include "app/EntryPoints.h"

namespace linkmend {

int WindowMain(int, char**, const CommandLineOptions&) {
    std::fputs(
        "linkmend: the main window needs a display and this build has no windows.\n"
        "Run the job headless with: linkmend --batch [-i SETTINGS-FILE] [--production] [--list-changed]\n",
        stderr);
    return 2;
}

}  // namespace linkmend
