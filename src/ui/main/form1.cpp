#include "ui/main/form1.h"
#include "ui/qt_text.h"

#include "core/messages.h"
#include "core/numbers.h"
#include "core/parameters.h"
#include "ui/artwork.h"
#include "ui/main/help_about.h"
#include "ui/main/input_widgets.h"
#include "ui/main/layout_engine.h"
#include "ui/main/report_command.h"
#include "ui/project/project_window.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QLocale>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <utility>
#include <vector>

namespace pa {

namespace {

// Which results a user's change to a numeric field makes stale.
enum class Stale { Coverage, Attenuation };

using C = Form1Controls;

struct NumericField {
    QLineEdit* C::*edit;
    bool pointAllowed;
    Stale stale;
    bool startsAreaTimer;
    Field field;
};

constexpr std::array<NumericField, 7> kNumericFields{{
    {&C::TxtPv, true, Stale::Coverage, false, Field::Power},
    {&C::TxtPd, false, Stale::Coverage, false, Field::Sensitivity},
    {&C::TxtN, false, Stale::Coverage, false, Field::Noise},
    {&C::TxtH, true, Stale::Coverage, false, Field::Height},
    {&C::TxtL, true, Stale::Coverage, true, Field::Length},
    {&C::TxtW, true, Stale::Coverage, true, Field::Width},
    {&C::TxtDln, true, Stale::Attenuation, false, Field::Distance},
}};

// The worked example the window opens with. Power, sensitivity and noise are the start model's
// and the start room's own values; the room is the start size.
constexpr std::string_view kStartHeight = "3";
constexpr std::string_view kStartLength = "6";
constexpr std::string_view kStartWidth = "6";
constexpr std::string_view kStartDistance = "10";

struct TypeOption {
    QRadioButton* C::*button;
    SpeakerType type;
};

constexpr std::array<TypeOption, 3> kTypeOptions{{
    {&C::Opt1, SpeakerType::Ceiling},
    {&C::Opt2, SpeakerType::Wall},
    {&C::Opt3, SpeakerType::Horn},
}};

struct GradationMember {
    QRadioButton* C::*button;
    int id;
};

constexpr std::array<GradationMember, 3> kGradation{{
    {&C::Opt_1_1, 1},
    {&C::Opt_1_2, 2},
    {&C::Opt_1_3, 3},
}};

constexpr std::array<ResultLabel * C::*, 4> kCoverageResults{&C::LblPd, &C::LblD, &C::LblS,
                                                             &C::LblKs};

constexpr std::array<QLineEdit * C::*, 3> kPresetFields{&C::TxtPv, &C::TxtPd, &C::TxtN};

// The parameter lists offer fixed values only: a typed value would be shown but never used.
constexpr std::array<PickComboBox * C::*, 3> kParameterLists{&C::CmbDn, &C::CmbUPS, &C::CmbVP};

const QColor kPresetGrey(192, 192, 192);

void fill(PickComboBox* list, const QStringList& items, std::string_view startText) {
    list->addItems(items);
    // Filling makes the first item current; the lists start with no item picked.
    list->setCurrentIndex(-1);
    list->setEditText(qs(startText));
}

template <class Items> QStringList itemTexts(const Items& items) {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(items.size()));
    for (std::string_view item : items)
        texts.append(qs(item));
    return texts;
}

} // namespace

Form1::Form1(Dialogs& dialogs, PlanFactory openPlan, SheetSource sheets, QString workingFolder,
             QSettings* settings, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), workingFolder_(std::move(workingFolder)),
      openPlan_(std::move(openPlan)), sheets_(std::move(sheets)), settings_(settings) {
    setObjectName(qs(layout::kWindowName));
    setWindowTitle(qs(layout::kWindowCaption));
    setWindowIcon(artwork::windowIcon());
    // Fixed size: no resizing, and the title bar offers only the close button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);

    ui_ = layout::buildWindow(*this);

    areaTimer_ = new QTimer(this);
    areaTimer_->setObjectName(qs(layout::kTimerName));
    areaTimer_->setInterval(layout::kTimerIntervalMs);
    areaTimer_->setSingleShot(true);

    connectBehaviour();
    startUp();
}

void Form1::connectBehaviour() {
    struct ListPick {
        PickComboBox* C::*list;
        void (Form1::*pick)(int);
    };
    static constexpr std::array<ListPick, 5> kPicks{{
        {&C::CmbD, &Form1::pickModel},
        {&C::CmbDn, &Form1::pickDirectivity},
        {&C::CmbOn, &Form1::pickRoom},
        {&C::CmbUPS, &Form1::pickOverlap},
        {&C::CmbVP, &Form1::pickListenHeight},
    }};
    for (const ListPick& list : kPicks) {
        connect(ui_.*list.list, &PickComboBox::picked, this, [this, pick = list.pick](int index) {
            (this->*pick)(index);
            emptyCoverageResults();
        });
    }

    for (const NumericField& f : kNumericFields) {
        QLineEdit* edit = ui_.*f.edit;
        edit->setValidator(new CharacterFilter(f.pointAllowed, edit));
        // textEdited comes from the user's edits only, never from texts set here.
        connect(edit, &QLineEdit::textEdited, this, [this, &f] {
            if (f.startsAreaTimer)
                areaTimer_->start();
            if (f.stale == Stale::Coverage)
                emptyCoverageResults();
            else
                ui_.LblZat->clear();
        });
    }

    for (const TypeOption& option : kTypeOptions) {
        connect(ui_.*option.button, &QRadioButton::toggled, this,
                [this, type = option.type](bool checked) {
                    if (checked)
                        typeChanged(type);
                });
    }

    gradation_ = new QButtonGroup(this);
    gradation_->setObjectName(QStringLiteral("Opt_1"));
    for (const GradationMember& member : kGradation)
        gradation_->addButton(ui_.*member.button, member.id);
    connect(gradation_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            emptyAllResults();
    });

    connect(areaTimer_, &QTimer::timeout, this, &Form1::showRoomArea);
    connect(ui_.Command1, &QPushButton::clicked, this, &Form1::calculate);
    connect(ui_.Command2, &QPushButton::clicked, this, &Form1::showAttenuation);
    connect(ui_.Mppech, &QAction::triggered, this, &Form1::printReport);
    connect(ui_.Mplan, &QAction::triggered, this, &Form1::showPlan);
    connect(ui_.Mproject, &QAction::triggered, this, &Form1::showProject);
    connect(ui_.Mspr, &QAction::triggered, this, &Form1::showHelp);
    connect(ui_.Mopr, &QAction::triggered, this, &Form1::showAbout);
}

void Form1::startUp() {
    const CatalogueEntry& startModel =
        *std::find_if(kCatalogue.begin(), kCatalogue.end(),
                      [](const CatalogueEntry& e) { return e.code == kStartModel; });
    const RoomPreset& startRoom =
        *std::find_if(kRoomPresets.begin(), kRoomPresets.end(),
                      [](const RoomPreset& r) { return r.name == kStartRoom; });
    ui_.LblSr->setFixedToolTip(QStringLiteral("Площадь помещения"));
    ui_.TxtPv->setText(QString::number(startModel.power.value_or(0)));
    ui_.TxtPd->setText(QString::number(startModel.spl.value_or(0)));
    ui_.TxtN->setText(QString::number(startRoom.noiseDb));
    ui_.TxtH->setText(qs(kStartHeight));
    ui_.TxtL->setText(qs(kStartLength));
    ui_.TxtW->setText(qs(kStartWidth));
    ui_.TxtDln->setText(qs(kStartDistance));
    ui_.LblSr->setText(
        QString::fromStdString(roomAreaText(kStartLength, kStartWidth, decimalSeparator())));

    ui_.Opt_1_1->setChecked(true);
    switchTypeOn(startModel.type);

    const QColor lockedFace = palette().color(QPalette::Window);
    for (QLineEdit* C::*name : kPresetFields) {
        QLineEdit* edit = ui_.*name;
        edit->setReadOnly(true);
        QPalette fieldPalette = edit->palette();
        fieldPalette.setColor(QPalette::Base, lockedFace);
        edit->setPalette(fieldPalette);
    }

    QStringList rooms;
    for (const RoomPreset& room : kRoomPresets)
        rooms.append(qs(room.name));
    fill(ui_.CmbOn, rooms, kStartRoom);
    QStringList models;
    for (const CatalogueEntry& entry : kCatalogue)
        models.append(qs(entry.code));
    fill(ui_.CmbD, models, kStartModel);
    fill(ui_.CmbDn, itemTexts(kDirectivityItems), typeDefaults(startModel.type).angleText);
    fill(ui_.CmbUPS, itemTexts(kOverlapItems), kStartOverlap);
    fill(ui_.CmbVP, itemTexts(kListenHeightItems), kStartListenHeight);
    for (PickComboBox* C::*list : kParameterLists)
        (ui_.*list)->lineEdit()->setReadOnly(true);

    for (std::size_t i = 0; i < kRoomPresets.size(); ++i)
        noisePreset_.at(i) = kRoomPresets.at(i).noiseDb;
    for (std::size_t i = 0; i < kCatalogue.size(); ++i)
        typeLetter_.at(i) = qs(typeLetter(kCatalogue.at(i).type));

    applyStartValues(record_);
}

void Form1::pickModel(int index) {
    const bool manualEntry = static_cast<std::size_t>(index) == kModelOtherPosition;
    if (manualEntry) {
        setUserEntry(ui_.TxtPv, true);
        ui_.TxtPv->setFocus();
        setUserEntry(ui_.TxtPd, true);
        for (const TypeOption& option : kTypeOptions)
            (ui_.*option.button)->setEnabled(true);
        return;
    }
    const std::string code = str(ui_.CmbD->itemText(index));
    if (const auto power = ModelPower(code))
        ui_.TxtPv->setText(QString::number(*power));
    if (const auto spl = ModelSpl(code))
        ui_.TxtPd->setText(QString::number(*spl));
    switchTypeOn(typeOfLetter(str(typeLetter_.at(static_cast<std::size_t>(index)))));
    setUserEntry(ui_.TxtPv, false);
    setUserEntry(ui_.TxtPd, false);
}

void Form1::pickDirectivity(int index) {
    applyDirectivity(record_, str(ui_.CmbDn->itemText(index)));
}

void Form1::pickRoom(int index) {
    const bool manualEntry = static_cast<std::size_t>(index) == kRoomOtherPosition;
    setUserEntry(ui_.TxtN, manualEntry);
    if (manualEntry)
        ui_.TxtN->setFocus();
    ui_.TxtN->setText(QString::number(noisePreset_.at(static_cast<std::size_t>(index))));
}

void Form1::pickOverlap(int index) {
    applyOverlapLevel(record_, str(ui_.CmbUPS->itemText(index)));
}

void Form1::pickListenHeight(int index) {
    applyListenHeight(record_, str(ui_.CmbVP->itemText(index)));
}

// A catalogue model fixes the type: only its own option stays enabled.
void Form1::switchTypeOn(SpeakerType type) {
    for (const TypeOption& option : kTypeOptions) {
        QRadioButton* button = ui_.*option.button;
        const bool own = option.type == type;
        button->setEnabled(own);
        if (own)
            button->setChecked(true);
    }
}

void Form1::typeChanged(SpeakerType type) {
    const TypeDefaults defaults = typeDefaults(type);
    ui_.Label3->setText(qs(defaults.heightCaption));
    ui_.TxtH->setAccessibleName(qs(defaults.heightCaption));
    emptyCoverageResults();
    ui_.CmbDn->setCurrentIndex(-1);
    ui_.CmbDn->setEditText(qs(defaults.angleText));
    applyTypeDefault(record_, type);
}

SpeakerType Form1::selectedType() const {
    for (const TypeOption& option : kTypeOptions)
        if ((ui_.*option.button)->isChecked())
            return option.type;
    return SpeakerType::Ceiling;
}

void Form1::calculate() {
    calculateWith(std::nullopt);
}

void Form1::calculateWith(std::optional<PlanLayout> layout) {
    CoverageInputs inputs;
    inputs.power = str(ui_.TxtPv->text());
    inputs.sensitivity = str(ui_.TxtPd->text());
    inputs.noise = str(ui_.TxtN->text());
    inputs.height = str(ui_.TxtH->text());
    inputs.length = str(ui_.TxtL->text());
    inputs.width = str(ui_.TxtW->text());
    inputs.gradation = std::max(gradation_->checkedId(), 0);
    inputs.ceiling = ui_.Opt1->isChecked();

    const CoverageOutcome outcome = calculateCoverage(inputs, record_, decimalSeparator());
    if (outcome.area)
        ui_.LblSr->setText(QString::fromStdString(*outcome.area));
    if (outcome.stop) {
        showStop(*outcome.stop);
        emptyAllResults();
        return;
    }
    for (std::size_t i = 0; i < kCoverageResults.size(); ++i)
        (ui_.*kCoverageResults.at(i))->setText(QString::fromStdString(outcome.results[i]));
    lastRoom_ = calculatedRoom();
    const plan::PlanCheck check =
        plan::planInputsOrReason(record_, selectedType(), decimalSeparator());
    planInputs_ = check.inputs;
    planRefusal_ = planInputs_ ? QString() : QString::fromStdString(check.reason);
    planEntries_ =
        reportEntries(record_, reportSources(), QString::fromStdString(decimalSeparator()));
    planStale_ = !planInputs_;
    planLayout_ = std::move(layout);
    if (plan_ && planInputs_ && planLayout_)
        plan_->showRoom(*planInputs_, planEntries_, *planLayout_);
    else if (plan_ && planInputs_)
        plan_->showCalculation(*planInputs_, planEntries_);
    else if (plan_)
        plan_->markStale(planRefusal_);
}

void Form1::showAttenuation() {
    const AttenuationOutcome outcome =
        calculateAttenuation(str(ui_.TxtDln->text()), decimalSeparator());
    if (outcome.stop) {
        showStop(*outcome.stop);
        ui_.LblZat->clear();
        return;
    }
    ui_.LblZat->setText(QString::fromStdString(outcome.caption));
}

void Form1::showRoomArea() {
    ui_.LblSr->setText(QString::fromStdString(
        roomAreaText(str(ui_.TxtL->text()), str(ui_.TxtW->text()), decimalSeparator())));
    areaTimer_->stop();
}

void Form1::printReport() {
    runReportCommand(dialogs_, workingFolder_, record_, reportSources(),
                     QString::fromStdString(decimalSeparator()));
}

// The window's texts the report and the plan's sheet take as they stand.
ReportSources Form1::reportSources() const {
    return {ui_.CmbD->currentText(), ui_.CmbOn->currentText(), selectedType()};
}

void Form1::showPlan() {
    if (!plan_) {
        PlanOpening opened = openPlan_(
            dialogs_, [this] { return decimalSeparator(); }, this);
        if (!opened.port) {
            // The main window works on without the plan; the next click tries again.
            dialogs_.information(kProgramTitle,
                                 QStringLiteral("Не удалось загрузить план помещения: ") +
                                     opened.failure);
            return;
        }
        plan_ = std::move(opened.port);
        if (roomAcoustics_)
            plan_->setAcoustics(*roomAcoustics_);
        if (planInputs_ && planLayout_)
            plan_->showRoom(*planInputs_, planEntries_, *planLayout_);
        else if (planInputs_)
            plan_->showCalculation(*planInputs_, planEntries_);
        if (planStale_)
            plan_->markStale(planRefusal_);
    }
    plan_->showWindow();
}

void Form1::showProject() {
    ProjectWindow* window = projectWindow(true);
    window->show();
    window->raise();
    window->activateWindow();
}

void Form1::openProject(const QString& path) {
    projectWindow(false)->open(path);
    showProject();
}

// Built on first use; a window built for the menu opens the project it last held.
ProjectWindow* Form1::projectWindow(bool openLast) {
    if (project_ == nullptr) {
        CalculationLink link{[this] { return lastCalculation(); },
                             [this](const project::Room& room) { return openRoom(room); },
                             [this] { return decimalSeparator(); }};
        project_ =
            new ProjectWindow(dialogs_, std::move(link), workingFolder_, sheets_, settings_, this);
        if (recovery_ != nullptr)
            project_->keepRecoveryCopies(*recovery_);
        if (openLast)
            project_->openLast();
    }
    return project_;
}

std::optional<project::Room> Form1::lastCalculation() const {
    if (!lastRoom_)
        return std::nullopt;
    project::Room room = *lastRoom_;
    // A calculation the plan refused has no layout of its own.
    const std::optional<PlanLayout> layout = !planInputs_ ? std::nullopt
                                             : plan_      ? plan_->layout()
                                                          : planLayout_;
    if (layout) {
        room.method = layout->method;
        room.oneWall = layout->oneWall;
        room.positions = layout->positions;
    }
    // Not the layout's: a calculation the plan refused still belongs to a room with acoustics.
    room.acoustics = plan_ ? std::optional(plan_->acoustics()) : roomAcoustics_;
    return room;
}

// What a user would do to give the window these inputs, in the order the window's own rules need
// it: a model fixes the type and the type resets the directivity, so the model comes first.
QString Form1::openRoom(const project::Room& room) {
    QStringList notes;
    const auto choose = [](PickComboBox* list, int index) {
        list->setCurrentIndex(index);
        emit list->picked(index);
    };
    const auto type = [](QLineEdit* edit, const std::string& text) {
        edit->setText(qs(text));
        emit edit->textEdited(edit->text());
    };
    const int model = ui_.CmbD->findText(qs(room.model), Qt::MatchExactly);
    if (model >= 0 && static_cast<std::size_t>(model) != kModelOtherPosition) {
        choose(ui_.CmbD, model);
    } else {
        if (room.model != kOtherItem)
            notes.append(QStringLiteral("Модели «%1» нет в списке громкоговорителей: выбрано "
                                        "«%2», мощность и чувствительность взяты из проекта.")
                             .arg(qs(room.model), qs(kOtherItem)));
        choose(ui_.CmbD, static_cast<int>(kModelOtherPosition));
        type(ui_.TxtPv, room.power);
        type(ui_.TxtPd, room.sensitivity);
        for (const TypeOption& option : kTypeOptions)
            if (option.type == room.type)
                (ui_.*option.button)->setChecked(true);
    }
    if (const int angle = ui_.CmbDn->findText(qs(room.directivity), Qt::MatchExactly); angle >= 0)
        choose(ui_.CmbDn, angle);
    const int roomType = ui_.CmbOn->findText(qs(room.roomType), Qt::MatchExactly);
    if (roomType >= 0 && static_cast<std::size_t>(roomType) != kRoomOtherPosition) {
        choose(ui_.CmbOn, roomType);
    } else {
        if (room.roomType != kOtherItem)
            notes.append(QStringLiteral("Типа помещения «%1» нет в списке: выбрано «%2», "
                                        "уровень шума взят из проекта.")
                             .arg(qs(room.roomType), qs(kOtherItem)));
        choose(ui_.CmbOn, static_cast<int>(kRoomOtherPosition));
        type(ui_.TxtN, room.noise);
    }
    // The record keeps these two lists' picks as numbers: the item that gives the number.
    for (const auto& [list, value] :
         {std::pair{ui_.CmbUPS, room.overlap}, std::pair{ui_.CmbVP, room.listenHeight}})
        for (int i = 0; i < list->count(); ++i)
            if (leadingNumber(str(list->itemText(i))) == value)
                choose(list, i);
    if (QAbstractButton* step = gradation_->button(room.gradation)) {
        step->setChecked(true);
    } else if (QAbstractButton* checked = gradation_->checkedButton()) {
        // A room without a gradation: the group lets go of its button only when not exclusive.
        gradation_->setExclusive(false);
        checked->setChecked(false);
        gradation_->setExclusive(true);
        emptyAllResults();
    }
    type(ui_.TxtH, room.height);
    type(ui_.TxtL, room.length);
    type(ui_.TxtW, room.width);
    // A room kept without them has the acoustics a new plan starts with, not the last room's.
    const plan::RoomSetup acoustics = room.acoustics.value_or(plan::RoomSetup{});
    if (!plan_)
        roomAcoustics_ = acoustics;
    calculateWith(PlanLayout{room.method, room.oneWall, room.positions, acoustics});
    raise();
    activateWindow();
    return notes.join(QLatin1Char('\n'));
}

void Form1::keepRecoveryCopies(ProjectRecovery& recovery) {
    recovery_ = &recovery;
    if (project_ != nullptr)
        project_->keepRecoveryCopies(recovery);
}

// Not the last project first: the one taken back is what the user was working on.
void Form1::restoreProject(const project::Project& project, const QString& fileName) {
    projectWindow(false)->restore(project, fileName);
    showProject();
}

void Form1::closeEvent(QCloseEvent* event) {
    if (project_ != nullptr && !project_->mayClose())
        event->ignore();
    else
        event->accept();
}

// The window's inputs as they stand, the way a project keeps a room: texts as typed or picked,
// the lists' picks as the record holds them.
project::Room Form1::calculatedRoom() const {
    project::Room room;
    room.name = str(ui_.CmbOn->currentText());
    room.model = str(ui_.CmbD->currentText());
    room.power = str(ui_.TxtPv->text());
    room.sensitivity = str(ui_.TxtPd->text());
    room.type = selectedType();
    room.directivity = str(ui_.CmbDn->currentText());
    room.roomType = str(ui_.CmbOn->currentText());
    room.noise = str(ui_.TxtN->text());
    room.length = str(ui_.TxtL->text());
    room.width = str(ui_.TxtW->text());
    room.height = str(ui_.TxtH->text());
    room.listenHeight = record_.ListenHeight.number();
    room.gradation = std::max(gradation_->checkedId(), 0);
    room.overlap = record_.OverlapLevel.number();
    return room;
}

void Form1::showHelp() {
    dialogs_.information(kHelpTitle, helpText());
    record_.MsgAnswer = 1.0;
}

void Form1::showAbout() {
    dialogs_.information(kAboutTitle, aboutText());
    record_.MsgAnswer = 1.0;
}

// A field the user types into has the ordinary field colour; a field filled from a table is
// grey and takes no typing.
void Form1::setUserEntry(QLineEdit* edit, bool userEntry) {
    edit->setReadOnly(!userEntry);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base,
                     userEntry ? this->palette().color(QPalette::Base) : kPresetGrey);
    edit->setPalette(palette);
}

void Form1::emptyCoverageResults() {
    for (ResultLabel* C::*result : kCoverageResults)
        (ui_.*result)->clear();
    planStale_ = true;
    planRefusal_.clear();
    if (plan_)
        plan_->markStale({});
}

void Form1::emptyAllResults() {
    emptyCoverageResults();
    ui_.LblZat->clear();
}

// A stopped calculation tells why and puts the focus on the field to mend, if there is one.
void Form1::showStop(const Stop& stop) {
    dialogs_.information(kProgramTitle, QString::fromStdString(stop.message));
    for (const NumericField& f : kNumericFields)
        if (f.field == stop.focus)
            (ui_.*f.edit)->setFocus();
}

std::string Form1::decimalSeparator() const {
    return str(QLocale().decimalPoint());
}

} // namespace pa
