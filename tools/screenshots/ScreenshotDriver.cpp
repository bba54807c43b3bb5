// Shows each window of the program on the demo database and photographs it from the X server:
//   linkmend_screenshots OUTPUT-FOLDER
// The settings file (Linkmend.INI in LINKMEND_PROFILE_DIR) and the ODBC configuration come from
// take-screenshots.sh. Every picture is taken of the real window as the X server holds it.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "base/MessagePump.h"
#include "job/Program.h"
#include "ui/QtJobHost.h"
#include "ui/frmArmatureMain.h"
#include "ui/frmArmatureOptions.h"
#include "ui/frmArmatureSplash.h"
#include "ui/frmDorEvirizuSchedule.h"

using namespace linkmend;

namespace {

QString g_out;
int g_failures = 0;

void Settle() {
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(30);
    }
}

void Shoot(QWidget* window, const QString& name) {
    if (!window || !window->isVisible()) {
        std::fprintf(stderr, "%s: the window is not on the screen\n", qPrintable(name));
        ++g_failures;
        return;
    }
    Settle();
    const QString file = g_out + "/" + name + ".png";
    const int rc = QProcess::execute("import", {"-window", QString::number(window->winId()), file});
    if (rc != 0) {
        std::fprintf(stderr, "import failed for %s\n", qPrintable(name));
        ++g_failures;
    } else {
        std::printf("%s\n", qPrintable(file));
    }
}

// One start of the program: its objects and main window, started up and shown.
struct Session {
    Program program;
    ui::QtJobHost host{program};
    ui::frmArmatureMain main{program, host};

    // Message boxes are shown on the screen only when asked for; any other one is a failure of the
    // scenario, reported instead of waiting for a click that never comes.
    explicit Session(bool showMessages = false) {
        program.settingsFile = "Linkmend.INI";
        host.SetMainWindow(&main);
        if (!showMessages) {
            host.InterceptMessages([](const ui::MessageBoxRequest& m) {
                std::fprintf(stderr, "unexpected message: %s: %s\n", m.title.c_str(), m.text.c_str());
                ++g_failures;
                return MessageAnswer::Cancel;
            });
        }
        main.StartUp();
        main.show();
        Settle();
    }
    template <typename T>
    T* Find(const char* name) {
        return main.findChild<T*>(name);
    }
    void Perform() { Find<QAction>("mnuPerform")->trigger(); }
};

void MainWindowAndOptions() {
    Session s(true);
    Shoot(&s.main, "1-main-window");
    s.Find<QAction>("mnuOptions")->trigger();
    Settle();
    Shoot(s.main.OptionsDialog(), "2-options-dialog");
    s.main.OptionsDialog()->close();
    Settle();

    // A settings message: replace $z asked for without a text.
    s.Find<QCheckBox>("chkThingToChange_4")->setChecked(true);
    s.Find<QRadioButton>("optSubfieldZ_1")->click();
    s.Find<QLineEdit>("txtSubfieldZ")->clear();
    QTimer::singleShot(800, [] {
        QWidget* box = QApplication::activeModalWidget();
        Shoot(box, "3-message-box");
        if (box) box->close();
    });
    s.Perform();
    Settle();
}

void ProgressWindow() {
    Session s;
    bool shot = false;
    SetMessagePump([&] {
        QCoreApplication::processEvents();
        ui::frmArmatureSplash* progress = s.host.ProgressWindow();
        if (shot || !progress || !progress->isVisible()) return;
        if (progress->findChild<QLabel*>("lblProcessingStepText")->text() != "Retrieving records") return;
        if (!progress->findChild<QLabel*>("lblRecordsRetrieved")->text().startsWith("Read:")) return;
        shot = true;
        Shoot(progress, "4-progress-window");
    });
    s.Perform();
    ui::InstallQtMessagePump();
    if (!shot) {
        std::fprintf(stderr, "the run never showed its progress window\n");
        ++g_failures;
    }
}

void CountdownWindow() {
    Session s;
    s.program.now = [] { return DateTime::Parse("2024-05-01 09:00:00"); };
    s.Find<QCheckBox>("chkProductionRun")->setChecked(true);
    QTimer::singleShot(800, [&s] {
        ui::frmDorEvirizuSchedule* countdown = s.host.CountdownWindow();
        Shoot(countdown, "5-countdown-window");
        if (countdown) countdown->findChild<QAbstractButton*>("Command1")->click();
    });
    s.Perform();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: linkmend_screenshots OUTPUT-FOLDER\n");
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    ui::InstallQtMessagePump();
    MainWindowAndOptions();
    ProgressWindow();
    CountdownWindow();
    return g_failures == 0 ? 0 : 1;
}
