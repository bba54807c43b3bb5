#pragma once
// What the window tests share: a profile folder with the settings file, an optional SQLite test
// database holding the reference catalogue, the program with its windows, message boxes caught
// through the windows' job host, and look-ups of controls by object name.
#include <QApplication>
#include <QObject>
#include <QRegularExpression>
#include <QString>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kit/Catalog.h"
#include "TestDatabase.h"
#include "job/Program.h"
#include "odbc/Connection.h"
#include "ui/QtJobHost.h"
#include "ui/frmArmatureMain.h"

namespace linkmend::uitest {

// A fresh folder under $TMPDIR, removed with its contents when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

std::string ReadWholeFile(const std::string& path);

// One window test: LINKMEND_PROFILE_DIR points at a fresh folder for as long as the object lives.
class UiFixture {
public:
    UiFixture();
    ~UiFixture();

    std::string Folder() const { return dir_.Path() + "/"; }
    std::string Reports() const { return dir_.Path() + "/reports/"; }
    std::string SettingsPath() const { return Folder() + "Linkmend.INI"; }
    void Set(const std::string& section, const std::string& key, const std::string& value);
    std::string Saved(const std::string& section, const std::string& key) const;

    // A SQLite database with the reference catalogue and a settings file that reaches it
    // (operator "cat", happening location 10, reports folder, run log on).
    void UseDatabase();
    testdb::TestDatabase& Db() { return *db_; }
    test::TestCatalog& Catalog() { return *catalog_; }

    // The program, its job host and main window, after start-up (not shown), reading `settingsFile`
    // (default: Linkmend.INI in the profile folder).
    ui::frmArmatureMain& StartMainWindow(const std::string& settingsFile = std::string());
    Program& TheProgram() { return *program_; }
    ui::QtJobHost& Host() { return *host_; }
    ui::frmArmatureMain& Main() { return *main_; }

    // Calls `observer` each time the run lets window messages run, after the windows' own pump.
    void Observe(std::function<void()> observer);

    // Message boxes shown so far; questions are answered from `answers`, else with their first button.
    std::vector<ui::MessageBoxRequest> messages;
    std::vector<MessageAnswer> answers;
    std::vector<std::string> MessageTexts() const;

    // The files of the last run in the reports folder ("" when missing) and the run log's entries.
    std::string RunFile(const std::string& suffix) const;
    std::vector<std::string> RunLog() const;

private:
    TempFolder dir_;
    std::string savedProfileDir_;
    bool hadProfileDir_ = false;
    std::unique_ptr<testdb::TestDatabase> db_;
    std::unique_ptr<odbc::Connection> writer_;
    std::unique_ptr<test::TestCatalog> catalog_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<ui::QtJobHost> host_;
    std::unique_ptr<ui::frmArmatureMain> main_;
};

// A caption as shown: the accelerator marks dropped.
QString Caption(const QString& text);

// The accelerators (Alt+letter) of a window: its menu commands, buttons and the labels of boxes.
// Two controls sharing a letter are listed in `clashes`.
struct Accelerators {
    int count = 0;
    QStringList clashes;
};
Accelerators AcceleratorsOf(QWidget* window);

}  // namespace linkmend::uitest

// Declares `var`, the control of that type and object name under `root`; the test fails when it
// is missing.
#define FIND(var, Type, root, name)                             \
    Type* var = (root)->findChild<Type*>(QStringLiteral(name)); \
    QVERIFY2(var != nullptr, "no control named " name)

// main() of a window test binary: the offscreen platform unless another is set.
#define LINKMEND_UI_TEST_MAIN(TestClass)                                                             \
    int main(int argc, char** argv) {                                                                \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen"); \
        QApplication app(argc, argv);                                                                \
        TestClass test;                                                                              \
        return QTest::qExec(&test, argc, argv);                                                      \
    }
