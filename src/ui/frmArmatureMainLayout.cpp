// The main window's menus, frames and controls. Each control's object name is its name in the job's
// form; control arrays carry their index after an underscore.
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/FormSupport.h"
#include "ui/frmArmatureMain.h"

namespace linkmend::ui {
namespace {

QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QRadioButton* Option(QButtonGroup* group, const QString& name, int index, const QString& caption, QWidget* parent) {
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(QString("%1_%2").arg(name).arg(index));
    group->addButton(button, index);
    return button;
}

QButtonGroup* OptionGroup(const char* name, QObject* parent) {
    auto* group = new QButtonGroup(parent);
    group->setObjectName(name);
    return group;
}

QLineEdit* TextBox(const char* name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

// The left margin that puts a sub-option under its check box's caption.
int SubOptionIndent(const QWidget* w) {
    return w->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
           w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
}

}  // namespace

void frmArmatureMain::BuildMenus() {
    auto action = [this](const char* name, const char* caption, QWidget* where) {
        auto* a = new QAction(caption, this);
        a->setObjectName(name);
        where->addAction(a);
        return a;
    };
    // Perform is a menu: the run on the database, and the same run on a MARC file. The menu takes
    // the key P; every other letter of the two commands is the key of a control of the form.
    QMenu* perform = menuBar()->addMenu("&Perform");
    perform->setObjectName("mnuPerformMenu");
    perform->menuAction()->setObjectName("mnuPerformMenu");
    mnuPerform_ = action("mnuPerform", "Perform", perform);
    mnuPerformOnFile_ = action("mnuPerformOnFile", "Perform on a MARC file\u2026", perform);
    mnuOptions_ = action("mnuOptions", "&Options", menuBar());
    mnuExit_ = action("mnuExit", "E&xit", menuBar());
    connect(mnuPerform_, &QAction::triggered, this, &frmArmatureMain::Perform);
    connect(mnuPerformOnFile_, &QAction::triggered, this, &frmArmatureMain::PerformOnFile);
    connect(mnuOptions_, &QAction::triggered, this, &frmArmatureMain::OpenOptions);
    connect(mnuExit_, &QAction::triggered, this, &frmArmatureMain::Exit);
}

void frmArmatureMain::BuildControls() {
    // The form scrolls on a screen too small for it, rather than being cut.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("scrForm");
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* central = new QWidget(scroll);
    central->setObjectName("pnlForm");
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(BuildIdentifyFrame());
    layout->addWidget(BuildChangesFrame());
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(BuildLimitsFrame(), 3);
    bottom->addWidget(BuildRunTypeFrame(), 1);
    layout->addLayout(bottom);
    layout->addStretch();
    scroll->setWidget(central);
    setCentralWidget(scroll);
    SetTabOrder();
}

QWidget* frmArmatureMain::BuildIdentifyFrame() {
    auto* frame = new QGroupBox("Identify records to be changed", this);
    frame->setObjectName("fraIdentify");
    txtOldUrlStem_ = TextBox("txtOldUrlStem", frame);
    SelectAllOnFocus(txtOldUrlStem_);
    auto* label = NamedLabel("lblOldUrlStem", "Old URL st&em", frame);
    label->setBuddy(txtOldUrlStem_);

    optWorkingEnd_ = OptionGroup("optWorkingEnd", this);
    auto* ends = new QHBoxLayout;
    ends->addWidget(Option(optWorkingEnd_, "optWorkingEnd", 0, "Match from &left", frame));
    ends->addWidget(Option(optWorkingEnd_, "optWorkingEnd", 1, "Match from &right", frame));
    ends->addStretch();

    auto* form = new QFormLayout(frame);
    form->addRow(label, txtOldUrlStem_);
    form->addRow(QString(), ends);
    return frame;
}

QWidget* frmArmatureMain::SubfieldBlock(std::size_t row) {
    const SubfieldActionRow& action = kSubfieldActions[row];
    const std::size_t box = SubfieldBox(row);
    auto* block = new QWidget(this);
    auto* check = new QCheckBox(action.boxCaption, block);
    check->setObjectName(QString("chkThingToChange_%1").arg(box));
    chkThingToChange_[box] = check;

    auto* sub = new QWidget(block);
    // Control names carry the code in capitals: optSubfieldX, txtSubfieldX.
    const QString code = QChar(action.code), letter = code.toUpper();
    const QString name = "optSubfield" + letter;
    QButtonGroup* group = optSubfield_[row] = OptionGroup(name.toLatin1().constData(), this);
    auto* remove = Option(group, name, 0, QString("Delete all occurrences of subfield $%1").arg(code), sub);
    auto* replace =
        Option(group, name, 1,
               QString("Replace all occurrences of subfield $%1 (if any) with a new subfield $%1:").arg(code), sub);
    QLineEdit* text = txtSubfield_[row] = TextBox(("txtSubfield" + letter).toLatin1().constData(), sub);
    auto* textRow = new QHBoxLayout;
    textRow->setContentsMargins(SubOptionIndent(this), 0, 0, 0);
    textRow->addWidget(text);
    auto* subLayout = new QVBoxLayout(sub);
    subLayout->setContentsMargins(SubOptionIndent(this), 0, 0, 0);
    subLayout->addWidget(remove);
    subLayout->addWidget(replace);
    subLayout->addLayout(textRow);
    subOptions_[box] = sub;

    auto* layout = new QVBoxLayout(block);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(check);
    layout->addWidget(sub);
    layout->addStretch();
    return block;
}

QWidget* frmArmatureMain::BuildChangesFrame() {
    auto* frame = new QGroupBox("Changes to make in each matching 856 field", this);
    frame->setObjectName("fraChanges");

    auto* url = new QWidget(frame);
    chkThingToChange_[kUrlBox] = new QCheckBox("Change the &URL (subfield $u)", url);
    chkThingToChange_[kUrlBox]->setObjectName(QString("chkThingToChange_%1").arg(kUrlBox));
    auto* urlSub = new QWidget(url);
    optUrlAction_ = OptionGroup("optUrlAction", this);
    auto* urlOptions = new QHBoxLayout;
    urlOptions->addWidget(Option(optUrlAction_, "optUrlAction", 0, "Change URL &stem as shown below", urlSub));
    urlOptions->addWidget(
        Option(optUrlAction_, "optUrlAction", 1, "Add su&ffix given below to URL, without other changes", urlSub));
    urlOptions->addStretch();
    auto* urlSubLayout = new QVBoxLayout(urlSub);
    urlSubLayout->setContentsMargins(SubOptionIndent(this), 0, 0, 0);
    urlSubLayout->addLayout(urlOptions);
    subOptions_[kUrlBox] = urlSub;
    // The new stem also serves the site's own rewriting, so it stays editable with the box cleared.
    txtNewUrlStem_ = TextBox("txtNewUrlStem", url);
    SelectAllOnFocus(txtNewUrlStem_);
    auto* newLabel = NamedLabel("lblNewUrlStem", "Ne&w stem or suffix:", url);
    newLabel->setBuddy(txtNewUrlStem_);
    auto* newRow = new QHBoxLayout;
    newRow->setContentsMargins(SubOptionIndent(this), 0, 0, 0);
    newRow->addWidget(newLabel);
    newRow->addWidget(txtNewUrlStem_, 1);
    auto* urlLayout = new QVBoxLayout(url);
    urlLayout->setContentsMargins(0, 0, 0, 0);
    urlLayout->addWidget(chkThingToChange_[kUrlBox]);
    urlLayout->addWidget(urlSub);
    urlLayout->addLayout(newRow);

    auto* remove = new QWidget(frame);
    QCheckBox*& removeBox = chkThingToChange_[kDeleteFieldBox];
    removeBox = new QCheckBox("&Delete the matching 856 field", remove);
    removeBox->setObjectName(QString("chkThingToChange_%1").arg(kDeleteFieldBox));
    auto* untouched =
        NamedLabel("lblOtherFieldsUntouched", "Other 856 fields in the record will remain untouched", remove);
    untouched->setContentsMargins(SubOptionIndent(this), 0, 0, 0);
    auto* removeLayout = new QVBoxLayout(remove);
    removeLayout->setContentsMargins(0, 0, 0, 0);
    removeLayout->addWidget(removeBox);
    removeLayout->addWidget(untouched);

    auto* grid = new QGridLayout(frame);
    grid->setVerticalSpacing(12);
    grid->setHorizontalSpacing(24);
    grid->addWidget(url, 0, 0, 1, 2);
    // The subfield blocks two to a line, in table order, between the URL and the delete box.
    for (std::size_t row = 0; row < kSubfieldActionCount; ++row) {
        grid->addWidget(SubfieldBlock(row), static_cast<int>(1 + row / 2), static_cast<int>(row % 2));
    }
    grid->addWidget(remove, static_cast<int>(1 + (kSubfieldActionCount + 1) / 2), 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    for (std::size_t i = 0; i < kActionBoxCount; ++i) {
        connect(chkThingToChange_[i], &QCheckBox::toggled, this, [this, i] { ActionBoxToggled(static_cast<int>(i)); });
    }
    return frame;
}

QWidget* frmArmatureMain::BuildLimitsFrame() {
    auto* frame = new QGroupBox("Limits", this);
    frame->setObjectName("fraLimits");
    chkLimitByLocation_ = new QCheckBox("Limit by lo&cation (852 $b)", frame);
    chkLimitByLocation_->setObjectName("chkLimitByLocation");
    cmbLocation_ = new QComboBox(frame);
    cmbLocation_->setObjectName("cmbLocation");
    cmbLocation_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* locationLabel =
        NamedLabel("lblLocation", "Only change URL if holdings record has this single locat&ion:", frame);
    locationLabel->setBuddy(cmbLocation_);

    updBibLimit_ = new UpDownBox(frame);
    updBibLimit_->setObjectName("updBibLimit");
    updBibLimit_->TextBox()->setObjectName("txtBibLimit");
    updBibLimit_->setValue(20000);
    auto* limitLabel =
        NamedLabel("lblBibLimit", "M&ax bib records to change (has no effect on holdings records; 0=no limit)", frame);
    limitLabel->setBuddy(updBibLimit_);
    limitLabel->setWordWrap(true);

    auto* grid = new QGridLayout(frame);
    grid->addWidget(chkLimitByLocation_, 0, 0, 1, 2);
    grid->addWidget(locationLabel, 1, 0);
    grid->addWidget(cmbLocation_, 1, 1);
    grid->addWidget(limitLabel, 2, 0);
    grid->addWidget(updBibLimit_, 2, 1, Qt::AlignLeft);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    return frame;
}

QWidget* frmArmatureMain::BuildRunTypeFrame() {
    auto* frame = new QGroupBox("Run type", this);
    frame->setObjectName("fraRunType");
    chkProductionRun_ = new QCheckBox("Productio&n run", frame);
    chkProductionRun_->setObjectName("chkProductionRun");
    chkListChangedRecords_ = new QCheckBox("List c&hanged records", frame);
    chkListChangedRecords_->setObjectName("chkListChangedRecords");
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(chkProductionRun_);
    layout->addWidget(chkListChangedRecords_);
    layout->addStretch();
    return frame;
}

void frmArmatureMain::SetTabOrder() {
    QList<QWidget*> order = {txtOldUrlStem_,
                             optWorkingEnd_->button(0),
                             optWorkingEnd_->button(1),
                             chkThingToChange_[kUrlBox],
                             optUrlAction_->button(0),
                             optUrlAction_->button(1),
                             txtNewUrlStem_};
    for (std::size_t row = 0; row < kSubfieldActionCount; ++row) {
        order << chkThingToChange_[SubfieldBox(row)] << optSubfield_[row]->button(0) << optSubfield_[row]->button(1)
              << txtSubfield_[row];
    }
    order << chkThingToChange_[kDeleteFieldBox] << chkLimitByLocation_ << cmbLocation_ << updBibLimit_
          << chkProductionRun_ << chkListChangedRecords_;
    for (int i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

}  // namespace linkmend::ui
