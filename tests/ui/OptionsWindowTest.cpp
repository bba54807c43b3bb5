// The Options dialog opened from the main window and driven by object name on a SQLite catalogue.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

#include "UiTestSupport.h"
#include "profile/Password.h"
#include "ui/frmArmatureOptions.h"

using namespace linkmend;
using namespace linkmend::uitest;

namespace {

const char* kListsChanged =
    "Everything you've supplied is fine, and the changes you've made up to this point have been saved.  You've "
    "changed some important parts of this definition, and some parts of the Options display have been changed to "
    "correspond.\n\nPlease consider all of the options once final time.  Pay special attention to the lists of "
    "owning libraries and happening locations.";

QStringList Items(QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

QStringList Items(QListWidget* list, bool selectedOnly = false) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) {
        if (!selectedOnly || list->item(i)->isSelected()) items << list->item(i)->text();
    }
    return items;
}

void Retype(QLineEdit* box, const QString& text) {
    box->selectAll();
    box->del();
    QTest::keyClicks(box, text);
}

void ClickItem(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

// The reference catalogue with the window started and the dialog opened from its menu.
struct OptionsSession {
    UiFixture f;
    QPointer<ui::frmArmatureOptions> dialog;

    void Open() {
        auto& w = f.Main();
        w.show();
        w.findChild<QAction*>("mnuOptions")->trigger();
        dialog = w.OptionsDialog();
    }
    template <typename T>
    T* Get(const char* name) {
        return dialog ? dialog->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    }
    void Ok() { QTest::mouseClick(Get<QPushButton>("Command1_2"), Qt::LeftButton); }
};

}  // namespace

class OptionsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void OpeningFillsTheListsAndHidesTheMainWindow();
    void OkStraightAfterOpeningSavesWithoutAskingAgain();
    void ChangingTheOperatorRefillsTheHappeningListAndAsksForASecondOk();
    void ChangingTheDsnRefillsBothListsAndTheMainWindowsLocations();
    void EmptyReportsFolderSavesAsTheHomeFolder();
    void OperatorWithoutHappeningLocationsIsRefused();
    void MissingValueMovesTheFocusToItsBox();
    void CancelEscapeAndCloseLeaveTheSettingsAlone();
    void AllLibrariesBoxDisablesTheListAndSavesEveryLibrary();
    void BrowseButtonsUseTheirTitlesFoldersAndFilters();

private:
    void Start(OptionsSession& s) {
        s.f.UseDatabase();
        s.f.StartMainWindow();
        s.Open();
    }
};

void OptionsWindowTest::OpeningFillsTheListsAndHidesTheMainWindow() {
    OptionsSession s;
    s.f.UseDatabase();
    s.f.Set("Miscellaneous", "OwningLibraryString", "1");
    s.f.Set("Miscellaneous", "Happening", "11");
    s.f.StartMainWindow();
    s.Open();
    QVERIFY(s.dialog);
    QVERIFY(s.dialog->isVisible());
    QCOMPARE(s.dialog->windowTitle(), QString("Linkmend program - Options"));
    QVERIFY(!s.f.Main().isVisible());
    QVERIFY(!s.f.Main().isEnabled());
    QVERIFY(QApplication::overrideCursor() == nullptr);  // the busy pointer is gone again
    QCOMPARE(s.Get<QLineEdit>("txtDSN")->text(), QString::fromStdString(s.f.Db().ReadOnlyDsn()));
    QCOMPARE(s.Get<QLineEdit>("txtTNP")->text(), QString("main."));
    QCOMPARE(s.Get<QLineEdit>("txtReadUID")->text(), QString("reader"));
    QCOMPARE(s.Get<QLineEdit>("txtReadPWD")->echoMode(), QLineEdit::Normal);  // shown as typed
    QCOMPARE(s.Get<QLineEdit>("txtWriteUID")->text(), QString("cat"));
    QCOMPARE(s.Get<QLineEdit>("txtFolderForReports")->text(), QString::fromStdString(s.f.Reports()));
    auto* libraries = s.Get<QListWidget>("lstOwningLibrary");
    QVERIFY(libraries);
    QCOMPARE(libraries->selectionMode(), QAbstractItemView::MultiSelection);
    QCOMPARE(Items(libraries), (QStringList{"Law Library", "Main Library"}));
    QCOMPARE(Items(libraries, true), QStringList{"Main Library"});
    QVERIFY(libraries->isEnabled());
    QVERIFY(!s.Get<QCheckBox>("chkAllOwningLibraries")->isChecked());
    auto* happening = s.Get<QComboBox>("cmbHappening");
    QCOMPARE(Items(happening), (QStringList{"LAW Law stacks", "MAIN Main stacks"}));
    QCOMPARE(happening->currentText(), QString("LAW Law stacks"));
    QVERIFY(!happening->isEditable());
    QVERIFY(s.f.messages.empty());
    for (const char* name : {"Command1_0", "Command1_1", "Command1_2", "Command1_3"})
        QVERIFY2(s.Get<QPushButton>(name), name);
    const Accelerators keys = AcceleratorsOf(s.dialog);
    QVERIFY2(keys.clashes.isEmpty(), qPrintable(keys.clashes.join("; ")));
    QVERIFY(keys.count >= 13);
}

void OptionsWindowTest::OkStraightAfterOpeningSavesWithoutAskingAgain() {
    OptionsSession s;
    Start(s);
    s.Ok();
    QVERIFY(s.f.messages.empty());
    QTRY_VERIFY(s.dialog.isNull());  // unloaded
    QVERIFY(s.f.Main().isVisible());
    QVERIFY(s.f.Main().isEnabled());
    QCOMPARE(s.f.Saved("Connection", "DSN"), s.f.Db().ReadOnlyDsn());
    // Saved in list order (by name: Law, Main), whatever the order in the file before.
    QCOMPARE(s.f.Saved("Miscellaneous", "OwningLibraryString"), std::string("2 1"));
    QCOMPARE(s.f.Saved("Miscellaneous", "Happening"), std::string("10"));
    QCOMPARE(s.f.Saved("Write", "UID"), std::string("cat"));
    QVERIFY(s.f.Saved("Write", "PWD") != "cat-pw");
    QCOMPARE(UnscramblePassword(s.f.Saved("Write", "PWD")), std::string("cat-pw"));
    // The location list still shows the same database.
    QCOMPARE(s.f.Main().findChild<QComboBox*>("cmbLocation")->count(), 3);
}

void OptionsWindowTest::ChangingTheOperatorRefillsTheHappeningListAndAsksForASecondOk() {
    OptionsSession s;
    Start(s);
    s.f.Catalog().Exec("INSERT INTO main.LIBRARY (LIBRARY_ID, LIBRARY_NAME) VALUES (3, 'Art Library')");
    const std::string before = ReadWholeFile(s.f.SettingsPath());
    Retype(s.Get<QLineEdit>("txtWriteUID"), "bibonly");
    Retype(s.Get<QLineEdit>("txtWritePWD"), "bibonly-pw");
    s.Ok();
    QCOMPARE(s.f.MessageTexts(), std::vector<std::string>{kListsChanged});
    QCOMPARE(s.f.messages[0].title, std::string("Linkmend program"));
    QVERIFY(s.f.messages[0].twoButtons);
    QCOMPARE(s.f.messages[0].buttons, MessageButtons::OkCancel);
    QVERIFY(s.dialog && s.dialog->isVisible());
    QCOMPARE(Items(s.Get<QListWidget>("lstOwningLibrary")), (QStringList{"Law Library", "Main Library"}));
    QCOMPARE(Items(s.Get<QComboBox>("cmbHappening")), QStringList{"MAIN Main stacks"});
    QCOMPARE(ReadWholeFile(s.f.SettingsPath()), before);

    s.Ok();
    QCOMPARE(s.f.messages.size(), std::size_t{1});
    QTRY_VERIFY(s.dialog.isNull());
    QCOMPARE(s.f.Saved("Write", "UID"), std::string("bibonly"));
}

void OptionsWindowTest::ChangingTheDsnRefillsBothListsAndTheMainWindowsLocations() {
    // A second catalogue with one more library and one more cataloguing location for "cat".
    auto other = testdb::CreateDatabase(testdb::DbKind::Sqlite);
    odbc::Connection writer;
    writer.Connect(other->Dsn(), other->Uid(), other->Pwd());
    test::TestCatalog catalog(writer, other->Prefix());
    catalog.Basics();
    catalog.Exec("INSERT INTO main.LIBRARY (LIBRARY_ID, LIBRARY_NAME) VALUES (3, 'Art Library')");
    catalog.Exec(
        "INSERT INTO main.LOCATION (LOCATION_ID, LOCATION_CODE, LOCATION_NAME, LOCATION_DISPLAY_NAME, "
        "LIBRARY_ID) VALUES (13, 'ART', 'Art room', 'Art room', 3)");
    catalog.Exec("INSERT INTO main.CAT_POLICY_LOCS (LOCATION_ID, CATALOGING_LOCATION) VALUES (13, 'Y')");
    catalog.Exec("INSERT INTO main.CAT_SECURITY_LOCS (CAT_PROFILE_ID, LOCATION_ID) VALUES (1, 13)");

    OptionsSession s;
    Start(s);
    Retype(s.Get<QLineEdit>("txtDSN"), QString::fromStdString(other->ReadOnlyDsn()));
    s.Ok();
    QCOMPARE(s.f.MessageTexts(), std::vector<std::string>{kListsChanged});
    auto* libraries = s.Get<QListWidget>("lstOwningLibrary");
    QCOMPARE(Items(libraries), (QStringList{"Art Library", "Law Library", "Main Library"}));
    QCOMPARE(Items(libraries, true), QStringList{});
    QCOMPARE(Items(s.Get<QComboBox>("cmbHappening")),
             (QStringList{"ART Art room", "LAW Law stacks", "MAIN Main stacks"}));

    s.Ok();  // no library chosen in the new list
    QCOMPARE(s.f.messages.size(), std::size_t{2});
    QCOMPARE(s.f.messages[1].text, std::string("Select one or more owning libraries from the list, or check the "
                                               "'all owning libraries' box"));
    QVERIFY(!s.f.messages[1].twoButtons);

    ClickItem(libraries, 0);
    s.Ok();
    QCOMPARE(s.f.messages.size(), std::size_t{2});
    QTRY_VERIFY(s.dialog.isNull());
    QCOMPARE(s.f.Saved("Connection", "DSN"), other->ReadOnlyDsn());
    QCOMPARE(s.f.Saved("Miscellaneous", "OwningLibraryString"), std::string("3"));
    auto* locations = s.f.Main().findChild<QComboBox*>("cmbLocation");
    QCOMPARE(Items(locations),
             (QStringList{"ART // Art room", "LAW // Law stacks", "MAIN // Main stacks", "STORE // Store"}));
}

void OptionsWindowTest::EmptyReportsFolderSavesAsTheHomeFolder() {
    TempFolder home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(home.Path()));
    OptionsSession s;
    Start(s);
    s.Get<QLineEdit>("txtFolderForReports")->clear();
    s.Ok();
    qputenv("HOME", oldHome);
    QTRY_VERIFY(s.dialog.isNull());
    QCOMPARE(s.f.Saved("Folders", "FolderForReports"), home.Path() + "/");
}

void OptionsWindowTest::OperatorWithoutHappeningLocationsIsRefused() {
    OptionsSession s;
    s.f.UseDatabase();
    s.f.Catalog().Exec("INSERT INTO main.CAT_OPERATOR (OPERATOR_ID, CAT_PROFILE_ID) VALUES ('storeonly', 7)");
    s.f.Catalog().Exec("INSERT INTO main.CAT_SECURITY_LOCS (CAT_PROFILE_ID, LOCATION_ID) VALUES (7, 12)");
    s.f.StartMainWindow();
    s.Open();
    const std::string before = ReadWholeFile(s.f.SettingsPath());
    Retype(s.Get<QLineEdit>("txtWriteUID"), "storeonly");
    s.Ok();
    QCOMPARE(
        s.f.MessageTexts(),
        std::vector<std::string>{"There don't seem to be any Voyager happening locations defined for this operator."});
    QVERIFY(s.dialog && s.dialog->isVisible());
    QCOMPARE(s.Get<QComboBox>("cmbHappening")->count(), 0);
    QCOMPARE(ReadWholeFile(s.f.SettingsPath()), before);
}

void OptionsWindowTest::MissingValueMovesTheFocusToItsBox() {
    OptionsSession s;
    Start(s);
    QVERIFY(QTest::qWaitForWindowActive(s.dialog));
    s.Get<QLineEdit>("txtTNP")->setText("   ");
    s.Get<QLineEdit>("txtDSN")->setFocus();
    s.Ok();
    QCOMPARE(s.f.MessageTexts(), std::vector<std::string>{"You must supply a table name prefix."});
    QCOMPARE(s.dialog->focusWidget(), s.Get<QLineEdit>("txtTNP"));

    // The prefix is taken with its dot; the Voyager.INI folder is required.
    s.Get<QLineEdit>("txtTNP")->setText("main");
    s.Get<QLineEdit>("txtVoyagerPath")->clear();
    s.Ok();
    QCOMPARE(s.f.messages.back().text, std::string("You must supply a path to Voyager.INI."));
    QCOMPARE(s.dialog->focusWidget(), s.Get<QLineEdit>("txtVoyagerPath"));
    QCOMPARE(s.Get<QLineEdit>("txtTNP")->text(), QString("main."));

    // The boxes select their whole text when they get the focus; the validation folder does not.
    auto* dsn = s.Get<QLineEdit>("txtDSN");
    dsn->deselect();
    dsn->setFocus(Qt::OtherFocusReason);
    QTest::qWait(20);
    QCOMPARE(dsn->selectedText(), dsn->text());
    auto* validation = s.Get<QLineEdit>("txtValidationPath");
    validation->setText("/opt/cfg/");
    validation->deselect();
    validation->setFocus(Qt::OtherFocusReason);
    QTest::qWait(20);
    QVERIFY(!validation->hasSelectedText());
}

void OptionsWindowTest::CancelEscapeAndCloseLeaveTheSettingsAlone() {
    OptionsSession s;
    Start(s);
    const std::string before = ReadWholeFile(s.f.SettingsPath());
    Retype(s.Get<QLineEdit>("txtWriteUID"), "bibonly");
    QTest::mouseClick(s.Get<QPushButton>("Command1_1"), Qt::LeftButton);
    QTRY_VERIFY(s.dialog.isNull());
    QVERIFY(s.f.Main().isVisible() && s.f.Main().isEnabled());
    QCOMPARE(ReadWholeFile(s.f.SettingsPath()), before);

    s.Open();
    QVERIFY(s.dialog);
    QCOMPARE(s.Get<QLineEdit>("txtWriteUID")->text(), QString("cat"));  // opened afresh from the profile
    QTest::keyClick(s.dialog, Qt::Key_Escape);
    QTRY_VERIFY(s.dialog.isNull());

    s.Open();
    s.dialog->close();
    QTRY_VERIFY(s.dialog.isNull());
    QVERIFY(s.f.Main().isVisible());
    QCOMPARE(ReadWholeFile(s.f.SettingsPath()), before);
}

void OptionsWindowTest::AllLibrariesBoxDisablesTheListAndSavesEveryLibrary() {
    OptionsSession s;
    s.f.UseDatabase();
    s.f.Set("Miscellaneous", "OwningLibraryString", "1");
    s.f.StartMainWindow();
    s.Open();
    auto* all = s.Get<QCheckBox>("chkAllOwningLibraries");
    auto* libraries = s.Get<QListWidget>("lstOwningLibrary");
    QTest::mouseClick(all, Qt::LeftButton, {}, QPoint(6, all->height() / 2));
    QVERIFY(all->isChecked());
    QVERIFY(!libraries->isEnabled());
    QCOMPARE(Items(libraries, true), QStringList{"Main Library"});  // the selection stays
    s.Ok();
    QTRY_VERIFY(s.dialog.isNull());
    QCOMPARE(s.f.Saved("Miscellaneous", "OwningLibraryString"), std::string("2 1"));
    QCOMPARE(s.f.Saved("Miscellaneous", "BooleansDefaultTrue"), std::string("TTTTTTTTTT"));

    s.Open();
    all = s.Get<QCheckBox>("chkAllOwningLibraries");
    QVERIFY(all->isChecked());
    QVERIFY(!s.Get<QListWidget>("lstOwningLibrary")->isEnabled());
    QTest::mouseClick(all, Qt::LeftButton, {}, QPoint(6, all->height() / 2));
    QVERIFY(s.Get<QListWidget>("lstOwningLibrary")->isEnabled());
}

void OptionsWindowTest::BrowseButtonsUseTheirTitlesFoldersAndFilters() {
    OptionsSession s;
    Start(s);
    std::vector<std::string> asked;
    std::string answer;
    s.dialog->SetFileChooser([&](const std::string& title, const std::string& folder, const std::string& filter) {
        asked = {title, folder, filter};
        return answer;
    });
    auto* voyager = s.Get<QLineEdit>("txtVoyagerPath");
    answer = "/opt/voyager/other.ini";
    QTest::mouseClick(s.Get<QPushButton>("Command1_0"), Qt::LeftButton);
    QCOMPARE(asked, (std::vector<std::string>{"Find Voyager.INI", s.f.Folder(), ".INI files (*.ini *.INI)"}));
    QCOMPARE(voyager->text(), QString::fromStdString(s.f.Folder()));  // not Voyager.INI: ignored
    answer = "/opt/voyager/Voyager.ini";
    QTest::mouseClick(s.Get<QPushButton>("Command1_0"), Qt::LeftButton);
    QCOMPARE(voyager->text(), QString("/opt/voyager/"));
    answer = "";
    QTest::mouseClick(s.Get<QPushButton>("Command1_0"), Qt::LeftButton);
    QCOMPARE(voyager->text(), QString("/opt/voyager/"));

    answer = "/srv/cfg/bibsup.cfg";
    QTest::mouseClick(s.Get<QPushButton>("Command1_3"), Qt::LeftButton);
    QCOMPARE(asked, (std::vector<std::string>{"Find validation files", "", ".cfg files (*.cfg)"}));
    QCOMPARE(s.Get<QLineEdit>("txtValidationPath")->text(), QString("/srv/cfg/"));
    s.Ok();
    QTRY_VERIFY(s.dialog.isNull());
    QCOMPARE(s.f.Saved("Connection", "VoyagerPath"), std::string("/opt/voyager/"));
    QCOMPARE(s.f.Saved("Folders", "ValidationPath"), std::string("/srv/cfg/"));
}

LINKMEND_UI_TEST_MAIN(OptionsWindowTest)
#include "OptionsWindowTest.moc"
