// The windowed entry: the main window over the program's objects; a run ends the program.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/EntryPoints.h"
#include "job/Program.h"
#include "ui/QtJobHost.h"
#include "ui/frmArmatureMain.h"

namespace linkmend {
namespace {

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

}  // namespace

int WindowMain(int argc, char** argv, const CommandLineOptions& options) {
    if (!HasDisplay()) {
        std::fputs(
            "linkmend: the main window needs a display (DISPLAY or WAYLAND_DISPLAY is not set).\n"
            "Run the job headless with: linkmend --batch [-i SETTINGS-FILE] [--production] [--list-changed]\n",
            stderr);
        return 2;
    }
    QApplication app(argc, argv);
    // The program ends when the main window says so (a run, Exit), not when its last window
    // closes: the main window is hidden while the Options dialog is open and during a run.
    QApplication::setQuitOnLastWindowClosed(false);
    Program program;
    program.settingsFile = options.settingsFile;
    InjectClockFromEnvironment(program);
    ui::QtJobHost host(program);
    ui::InstallQtMessagePump();
    ui::frmArmatureMain window(program, host);
    host.SetMainWindow(&window);
    QObject::connect(&window, &ui::frmArmatureMain::ProgramEnded, &app, [](int status) { QApplication::exit(status); });
    host.ListenForStopSignals();
    window.StartUp();
    if (host.StoppedBeforeRun()) return 0;  // stopped while start-up read the database
    window.show();
    return QApplication::exec();
}

}  // namespace linkmend
