// The main window driven by object name: start-up, captions, the action boxes, the stem boxes, the
// up-down control, and every message Perform and the settings check can give, in their order.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSpinBox>
#include <map>

#include "UiTestSupport.h"
#include "base/INI.h"

using namespace linkmend;
using namespace linkmend::uitest;

namespace {

// Clicks a check box or option button on its indicator, as a user would.
void ClickIndicator(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

std::array<bool, 6> Boxes(QWidget* root) {
    std::array<bool, 6> checked{};
    for (int i = 0; i < 6; ++i) {
        auto* box = root->findChild<QCheckBox*>(QString("chkThingToChange_%1").arg(i));
        checked[static_cast<std::size_t>(i)] = box && box->isChecked();
    }
    return checked;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void StartUpWithEmptySettingsShowsTheDefaultsCentred();
    void EveryControlCarriesItsCaption();
    void AcceleratorsAreUniqueAndTabOrderFollowsTheForm();
    void UrlActionsDeleteOnlyLoadsWithOnlyTheDeleteBoxChecked();
    void ActionBoxesKeepOneActionAndDeleteExcludesTheOthers();
    void StemBoxesSelectTheirWholeTextOnFocus();
    void UpDownControlDrivesTheBibLimitText();
    void PerformAndTheSettingsCheckGiveEveryMessageInOrder();
    void SettingsFileWithBlanksInItsPathIsTheOneLoaded();
    void LocationListComesFromTheDatabaseWithTheSavedCodeSelected();
    void ExitEndsTheProgramWithoutSaving();
    void WindowIsResizableAndItsBoxesGrow();
};

void MainWindowTest::StartUpWithEmptySettingsShowsTheDefaultsCentred() {
    UiFixture f;
    auto& w = f.StartMainWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.windowTitle(), QString("Linkmend program"));
    const QRect area = w.screen()->availableGeometry();
    // Centred as far as the window frame, which the platform adds later, allows.
    QVERIFY2(std::abs(w.frameGeometry().center().x() - area.center().x()) <= 4, "not centred across");
    QVERIFY2(std::abs(w.frameGeometry().center().y() - area.center().y()) <= 4, "not centred down");

    FIND(limit, QLineEdit, &w, "txtBibLimit");
    FIND(updown, QSpinBox, &w, "updBibLimit");
    QCOMPARE(limit->text(), QString("20000"));
    QCOMPARE(updown->value(), 20000);
    FIND(left, QRadioButton, &w, "optWorkingEnd_0");
    QVERIFY(left->isChecked());
    FIND(changeStem, QRadioButton, &w, "optUrlAction_0");
    QVERIFY(changeStem->isChecked());
    QCOMPARE(Boxes(&w), (std::array<bool, 6>{true, false, false, false, false, false}));
    FIND(byLocation, QCheckBox, &w, "chkLimitByLocation");
    QVERIFY(!byLocation->isChecked());
    FIND(locations, QComboBox, &w, "cmbLocation");
    QCOMPARE(locations->count(), 0);  // no connection values: the list stays empty, without a message
    FIND(oldStem, QLineEdit, &w, "txtOldUrlStem");
    QVERIFY(oldStem->text().isEmpty());
    QVERIFY(f.messages.empty());
    // The sub-options of unchecked boxes wait for their box.
    FIND(replaceX, QRadioButton, &w, "optSubfieldX_1");
    QVERIFY(!replaceX->isEnabled());
    QVERIFY(changeStem->isEnabled());
}

void MainWindowTest::EveryControlCarriesItsCaption() {
    UiFixture f;
    auto& w = f.StartMainWindow();
    const std::map<std::string, std::string> captions = {
        {"lblOldUrlStem", "Old URL stem"},
        {"optWorkingEnd_0", "Match from left"},
        {"optWorkingEnd_1", "Match from right"},
        {"chkThingToChange_0", "Change the URL (subfield $u)"},
        {"optUrlAction_0", "Change URL stem as shown below"},
        {"optUrlAction_1", "Add suffix given below to URL, without other changes"},
        {"chkThingToChange_1", "Change the non-public note (subfield $x)"},
        {"chkThingToChange_2", "Change the link text (subfield $y)"},
        {"chkThingToChange_3", "Change the materials specified note (subfield $3)"},
        {"chkThingToChange_4", "Change the public note (subfield $z)"},
        {"chkThingToChange_5", "Delete the matching 856 field"},
        {"lblOtherFieldsUntouched", "Other 856 fields in the record will remain untouched"},
        {"optSubfieldX_0", "Delete all occurrences of subfield $x"},
        {"optSubfieldX_1", "Replace all occurrences of subfield $x (if any) with a new subfield $x:"},
        {"optSubfieldY_0", "Delete all occurrences of subfield $y"},
        {"optSubfieldY_1", "Replace all occurrences of subfield $y (if any) with a new subfield $y:"},
        {"optSubfield3_0", "Delete all occurrences of subfield $3"},
        {"optSubfield3_1", "Replace all occurrences of subfield $3 (if any) with a new subfield $3:"},
        {"optSubfieldZ_0", "Delete all occurrences of subfield $z"},
        {"optSubfieldZ_1", "Replace all occurrences of subfield $z (if any) with a new subfield $z:"},
        {"chkLimitByLocation", "Limit by location (852 $b)"},
        {"lblLocation", "Only change URL if holdings record has this single location:"},
        {"lblBibLimit", "Max bib records to change (has no effect on holdings records; 0=no limit)"},
        {"chkProductionRun", "Production run"},
        {"chkListChangedRecords", "List changed records"},
    };
    for (const auto& [name, caption] : captions) {
        QObject* control = w.findChild<QObject*>(QString::fromStdString(name));
        QVERIFY2(control, name.c_str());
        const QString text = control->property("text").toString();
        QCOMPARE(Caption(text), QString::fromStdString(caption));
    }
    FIND(identify, QGroupBox, &w, "fraIdentify");
    QCOMPARE(identify->title(), QString("Identify records to be changed"));
    // The text boxes the captions belong to.
    for (const char* box : {"txtOldUrlStem", "txtNewUrlStem", "txtSubfieldX", "txtSubfieldY", "txtSubfieldZ",
                            "txtSubfield3", "txtBibLimit"}) {
        QVERIFY2(w.findChild<QLineEdit*>(box), box);
    }
    FIND(limitLabel, QLabel, &w, "lblBibLimit");
    QCOMPARE(limitLabel->buddy(), w.findChild<QWidget*>("updBibLimit"));
    // The three menu commands stand on the menu bar.
    const QList<QAction*> menu = w.menuBar()->actions();
    QCOMPARE(menu.size(), 3);
    QCOMPARE(menu[0]->objectName(), QString("mnuPerformMenu"));
    QCOMPARE(menu[0]->text(), QString("&Perform"));
    QCOMPARE(menu[1]->objectName(), QString("mnuOptions"));
    QCOMPARE(menu[1]->text(), QString("&Options"));
    QCOMPARE(menu[2]->objectName(), QString("mnuExit"));
    QCOMPARE(menu[2]->text(), QString("E&xit"));
}

void MainWindowTest::AcceleratorsAreUniqueAndTabOrderFollowsTheForm() {
    UiFixture f;
    auto& w = f.StartMainWindow();
    const Accelerators keys = AcceleratorsOf(&w);
    QVERIFY2(keys.clashes.isEmpty(), qPrintable(keys.clashes.join("; ")));
    QVERIFY(keys.count >= 20);

    // Tab goes down the form: each of these comes after the one before it in the focus chain.
    const QStringList order = {"txtOldUrlStem", "optWorkingEnd_0",    "chkThingToChange_0",   "optUrlAction_0",
                               "txtNewUrlStem", "chkThingToChange_1", "txtSubfieldX",         "chkThingToChange_2",
                               "txtSubfieldY",  "chkThingToChange_3", "txtSubfield3",         "chkThingToChange_4",
                               "txtSubfieldZ",  "chkThingToChange_5", "chkLimitByLocation",   "cmbLocation",
                               "txtBibLimit",   "chkProductionRun",   "chkListChangedRecords"};
    QStringList chain;
    QWidget* start = w.findChild<QWidget*>("txtOldUrlStem");
    QVERIFY(start);
    for (QWidget* at = start; chain.size() < 200; at = at->nextInFocusChain()) {
        chain << at->objectName();
        if (at->nextInFocusChain() == start) break;
    }
    int last = -1;
    for (const QString& name : order) {
        const int pos = static_cast<int>(chain.indexOf(name));
        QVERIFY2(pos > last, qPrintable(name + " is out of the tab order"));
        last = pos;
    }
}

void MainWindowTest::UrlActionsDeleteOnlyLoadsWithOnlyTheDeleteBoxChecked() {
    UiFixture f;
    f.Set("UrlStem", "UrlActions", "000003");
    f.Set("UrlStem", "NewSubfieldZ", "kept text");
    auto& w = f.StartMainWindow();
    QCOMPARE(Boxes(&w), (std::array<bool, 6>{false, false, false, false, false, true}));
    FIND(changeStem, QRadioButton, &w, "optUrlAction_0");
    QVERIFY(changeStem->isChecked());
    QVERIFY(!changeStem->isEnabled());
    FIND(zText, QLineEdit, &w, "txtSubfieldZ");
    QCOMPARE(zText->text(), QString("kept text"));  // the boxes are filled even for unused actions

    UiFixture g;
    g.Set("UrlStem", "UrlActions", "240340");
    auto& v = g.StartMainWindow();
    QCOMPARE(Boxes(&v), (std::array<bool, 6>{true, true, false, true, true, false}));
    FIND(suffix, QRadioButton, &v, "optUrlAction_1");
    QVERIFY(suffix->isChecked());
    FIND(replaceX, QRadioButton, &v, "optSubfieldX_1");
    QVERIFY(replaceX->isChecked());
    FIND(replace3, QRadioButton, &v, "optSubfield3_1");
    QVERIFY(replace3->isChecked());
    FIND(deleteZ, QRadioButton, &v, "optSubfieldZ_0");
    QVERIFY(deleteZ->isChecked());
}

void MainWindowTest::ActionBoxesKeepOneActionAndDeleteExcludesTheOthers() {
    UiFixture f;
    auto& w = f.StartMainWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    FIND(url, QCheckBox, &w, "chkThingToChange_0");
    FIND(x, QCheckBox, &w, "chkThingToChange_1");
    FIND(y, QCheckBox, &w, "chkThingToChange_2");
    FIND(remove, QCheckBox, &w, "chkThingToChange_5");
    FIND(replaceX, QRadioButton, &w, "optSubfieldX_1");

    ClickIndicator(x);
    QCOMPARE(Boxes(&w), (std::array<bool, 6>{true, true, false, false, false, false}));
    QVERIFY(replaceX->isEnabled());

    // Clearing the URL box leaves $x: one action remains, nothing is added.
    ClickIndicator(url);
    QCOMPARE(Boxes(&w), (std::array<bool, 6>{false, true, false, false, false, false}));

    // Clearing the last one brings back the URL box.
    ClickIndicator(x);
    QCOMPARE(Boxes(&w), (std::array<bool, 6>{true, false, false, false, false, false}));
    ClickIndicator(url);
    QCOMPARE(Boxes(&w), (std::array<bool, 6>{true, false, false, false, false, false}));

    // Deleting the field clears every other box, and no other box can be checked beside it.
    ClickIndicator(y);
    QSignalSpy urlToggles(url, &QCheckBox::toggled);
    ClickIndicator(remove);
    QCOMPARE(Boxes(&w), (std::array<bool, 6>{false, false, false, false, false, true}));
    QCOMPARE(urlToggles.count(), 1);
    QVERIFY(!replaceX->isEnabled());
    ClickIndicator(y);
    QCOMPARE(Boxes(&w), (std::array<bool, 6>{false, false, false, false, false, true}));

    // Clearing the delete box with nothing else checked checks the URL box; the keyboard works too.
    remove->setFocus();
    QTest::keyClick(remove, Qt::Key_Space);
    QCOMPARE(Boxes(&w), (std::array<bool, 6>{true, false, false, false, false, false}));
}

void MainWindowTest::StemBoxesSelectTheirWholeTextOnFocus() {
    UiFixture f;
    f.Set("UrlStem", "Old", "http://old.example/");
    auto& w = f.StartMainWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    FIND(oldStem, QLineEdit, &w, "txtOldUrlStem");
    FIND(newStem, QLineEdit, &w, "txtNewUrlStem");
    FIND(zText, QLineEdit, &w, "txtSubfieldZ");

    // Focus given other than by Tab (which selects by itself): only our rule selects.
    newStem->setFocus(Qt::OtherFocusReason);
    QTest::qWait(20);
    QVERIFY(newStem->hasFocus());
    QVERIFY(!newStem->hasSelectedText());  // empty: nothing to select

    // A click into the box gives the focus: the whole stem is selected all the same.
    QTest::mouseClick(oldStem, Qt::LeftButton, {}, QPoint(5, oldStem->height() / 2));
    QTest::qWait(20);
    QVERIFY(oldStem->hasFocus());
    QCOMPARE(oldStem->selectedText(), QString("http://old.example/"));

    newStem->setText("https://new.example/");
    newStem->deselect();
    newStem->setFocus(Qt::OtherFocusReason);
    QTest::qWait(20);
    QCOMPARE(newStem->selectedText(), QString("https://new.example/"));

    // Other boxes keep the platform's behaviour.
    FIND(z, QCheckBox, &w, "chkThingToChange_4");
    ClickIndicator(z);
    zText->setText("note");
    zText->deselect();
    zText->setFocus(Qt::OtherFocusReason);
    QTest::qWait(20);
    QVERIFY(zText->hasFocus());
    QVERIFY(!zText->hasSelectedText());
}

void MainWindowTest::UpDownControlDrivesTheBibLimitText() {
    UiFixture f;
    f.Set("UrlStem", "Old", "http://old.example/");
    f.Set("UrlStem", "New", "https://new.example/");
    f.Set("UrlStem", "BibLimit", "7");
    auto& w = f.StartMainWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    FIND(limit, QLineEdit, &w, "txtBibLimit");
    FIND(updown, QSpinBox, &w, "updBibLimit");
    QCOMPARE(limit->text(), QString("7"));
    updown->setValue(123);
    QCOMPARE(limit->text(), QString("123"));
    updown->setFocus();
    QTest::keyClick(updown, Qt::Key_Up);
    QCOMPARE(limit->text(), QString("124"));
    QCOMPARE(updown->value(), 124);
    updown->setValue(0);
    QTest::keyClick(updown, Qt::Key_Down);
    QCOMPARE(updown->value(), 0);  // no negative limits

    // A number typed into the box is what Perform saves (a missing $z text then stops it).
    limit->selectAll();
    QTest::keyClicks(limit, "250");
    ClickIndicator(w.findChild<QCheckBox*>("chkThingToChange_4"));
    w.findChild<QRadioButton*>("optSubfieldZ_1")->click();
    w.findChild<QAction*>("mnuPerform")->trigger();
    QCOMPARE(f.MessageTexts(), std::vector<std::string>{"You must supply the new text for subfield $z"});
    QCOMPARE(f.Saved("UrlStem", "BibLimit"), std::string("250"));
    QCOMPARE(f.TheProgram().job.BibLimit, 250);
}

void MainWindowTest::PerformAndTheSettingsCheckGiveEveryMessageInOrder() {
    UiFixture f;
    auto& w = f.StartMainWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QSignalSpy ended(&w, &ui::frmArmatureMain::ProgramEnded);
    QAction* perform = w.findChild<QAction*>("mnuPerform");
    QVERIFY(perform);
    FIND(oldStem, QLineEdit, &w, "txtOldUrlStem");
    FIND(newStem, QLineEdit, &w, "txtNewUrlStem");
    FIND(byLocation, QCheckBox, &w, "chkLimitByLocation");
    FIND(right, QRadioButton, &w, "optWorkingEnd_1");
    FIND(suffix, QRadioButton, &w, "optUrlAction_1");
    FIND(limit, QLineEdit, &w, "txtBibLimit");

    // Each step: what to put right, then Perform, then the one message expected.
    struct Step {
        std::function<void()> change;
        std::string title, text;
    };
    const std::string program = "Linkmend program", settings = "Linkmend";
    auto subfield = [&w](const char* box, const char* replace) {
        return [&w, box, replace] {
            ClickIndicator(w.findChild<QCheckBox*>(box));
            w.findChild<QRadioButton*>(replace)->click();
        };
    };
    auto type = [&w](const char* box, const char* text) {
        return [&w, box, text] { QTest::keyClicks(w.findChild<QLineEdit*>(box), text); };
    };
    const std::vector<Step> steps = {
        {[] {}, program, "Please supply an 'old' URL stem"},
        {[&] { QTest::keyClicks(oldStem, "  http://old.example/ "); }, program, "Please supply a 'new' URL stem"},
        {[&] { QTest::keyClicks(newStem, "http://old.example/"); }, program,
         "The 'old' and 'new' URL stems must be different"},
        {[&] {
             newStem->clear();
             QTest::keyClicks(newStem, "HTTP://OLD.EXAMPLE/");  // differs in case only: accepted
             ClickIndicator(byLocation);
         },
         settings, "If you want to limit by location, then you need to select a location"},
        {[&] {
             ClickIndicator(byLocation);
             newStem->clear();
             right->click();
             limit->selectAll();
             QTest::keyClicks(limit, "42");
         },
         settings, "You must supply the subfield $u stem to which the program should change matching URLs"},
        {[&] { suffix->click(); }, settings, "You must supply the subfield $u suffix the program should add"},
        {[&] {
             QTest::keyClicks(newStem, ".old");
             subfield("chkThingToChange_1", "optSubfieldX_1")();
         },
         settings, "You must supply the new text for subfield $x"},
        {[&] {
             type("txtSubfieldX", "staff note")();
             subfield("chkThingToChange_2", "optSubfieldY_1")();
         },
         settings, "You must supply the new text for subfield $y"},
        {[&] {
             type("txtSubfieldY", "Full text")();
             subfield("chkThingToChange_3", "optSubfield3_1")();
         },
         settings, "You must supply the new text for subfield $3"},
        {[&] {
             type("txtSubfield3", "v. 1")();
             subfield("chkThingToChange_4", "optSubfieldZ_1")();
             w.findChild<QLineEdit*>("txtSubfieldZ")->setText("   ");
         },
         settings, "You must supply the new text for subfield $z"},
    };
    // "You must select some kind of action" cannot be reached here: the action boxes always keep one.
    for (std::size_t i = 0; i < steps.size(); ++i) {
        steps[i].change();
        f.messages.clear();
        perform->trigger();
        QCOMPARE(f.messages.size(), std::size_t{1});
        QCOMPARE(f.messages[0].text, steps[i].text);
        QCOMPARE(f.messages[0].title, steps[i].title);
        QVERIFY(!f.messages[0].twoButtons);
        QVERIFY(w.isVisible());
        if (i == 3) QCOMPARE(f.Saved("General", "LimitByLocation"), std::string("True"));
    }
    QCOMPARE(ended.count(), 0);
    // By the last message the stems, limit and match end are written; the actions are not.
    QCOMPARE(f.Saved("UrlStem", "Old"), std::string("http://old.example/"));
    QCOMPARE(f.Saved("UrlStem", "New"), std::string(".old"));
    QCOMPARE(f.Saved("UrlStem", "BibLimit"), std::string("42"));
    QCOMPARE(f.Saved("UrlStem", "MatchEnd"), std::string("1"));
    QCOMPARE(f.Saved("General", "LimitByLocation"), std::string("False"));
    QCOMPARE(f.Saved("UrlStem", "UrlActions"), std::string("<missing>"));
}

void MainWindowTest::SettingsFileWithBlanksInItsPathIsTheOneLoaded() {
    UiFixture f;
    TempFolder other;
    const std::string folder = other.Path() + "/My Settings";
    QVERIFY(QDir().mkpath(QString::fromStdString(folder)));
    const std::string file = folder + "/job one.ini";
    WriteIniValue(file, "UrlStem", "Old", "http://from.other.file/", 0);
    WriteIniValue(file, "UrlStem", "MatchEnd", "1", 0);
    f.Set("UrlStem", "Old", "http://from.default.file/");
    auto& w = f.StartMainWindow(file);
    FIND(oldStem, QLineEdit, &w, "txtOldUrlStem");
    QCOMPARE(oldStem->text(), QString("http://from.other.file/"));
    FIND(right, QRadioButton, &w, "optWorkingEnd_1");
    QVERIFY(right->isChecked());
}

void MainWindowTest::LocationListComesFromTheDatabaseWithTheSavedCodeSelected() {
    UiFixture f;
    f.UseDatabase();
    f.Set("General", "LimitingLocation", "MAIN");
    f.Set("General", "LimitByLocation", "True");
    f.Set("UrlStem", "Old", "http://old.example/");
    f.Set("UrlStem", "New", "https://new.example/");
    auto& w = f.StartMainWindow();
    FIND(locations, QComboBox, &w, "cmbLocation");
    QCOMPARE(locations->count(), 3);
    QCOMPARE(locations->itemText(0), QString("LAW // Law stacks"));
    QCOMPARE(locations->itemText(1), QString("MAIN // Main stacks"));
    QCOMPARE(locations->itemText(2), QString("STORE // Store"));
    QCOMPARE(locations->currentIndex(), 1);
    FIND(byLocation, QCheckBox, &w, "chkLimitByLocation");
    QVERIFY(byLocation->isChecked());
    QVERIFY(f.messages.empty());
}

void MainWindowTest::ExitEndsTheProgramWithoutSaving() {
    UiFixture f;
    f.Set("UrlStem", "Old", "http://old.example/");
    auto& w = f.StartMainWindow();
    const std::string before = ReadWholeFile(f.SettingsPath());
    FIND(oldStem, QLineEdit, &w, "txtOldUrlStem");
    oldStem->setText("http://changed.example/");
    QSignalSpy ended(&w, &ui::frmArmatureMain::ProgramEnded);
    w.findChild<QAction*>("mnuExit")->trigger();
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended[0][0].toInt(), 0);
    QCOMPARE(ReadWholeFile(f.SettingsPath()), before);
}

void MainWindowTest::WindowIsResizableAndItsBoxesGrow() {
    UiFixture f;
    auto& w = f.StartMainWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.minimumSize() != w.maximumSize());
    FIND(oldStem, QLineEdit, &w, "txtOldUrlStem");
    w.resize(1000, 700);
    QTest::qWait(20);
    const int before = oldStem->width();
    w.resize(1200, 800);
    QTest::qWait(20);
    QVERIFY2(oldStem->width() >= before + 150, "the stem box does not grow with the window");
    // On any screen the window starts inside it; the form scrolls rather than being cut.
    UiFixture g;
    auto& v = g.StartMainWindow();
    QVERIFY(v.screen()->availableGeometry().contains(v.frameGeometry()));
    QVERIFY(v.minimumSizeHint().width() <= 400);
}

LINKMEND_UI_TEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
