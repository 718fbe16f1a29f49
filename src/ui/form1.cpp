#include "ui/form1.h"

#include "core/messages.h"
#include "core/numbers.h"
#include "core/parameters.h"
#include "data/catalogue.h"
#include "data/presets.h"
#include "ui/artwork.h"
#include "ui/help_about.h"
#include "ui/input_widgets.h"
#include "ui/layout_table.h"
#include "ui/report_command.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace pa {

namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string str(const QString& text) {
    return text.toStdString();
}

// Which results a user's change to a numeric field makes stale.
enum class Stale { Coverage, Attenuation };

struct NumericField {
    std::string_view name;
    bool pointAllowed;
    Stale stale;
    bool startsAreaTimer;
    Field field;
    std::string_view startText;
};

constexpr std::array<NumericField, 7> kNumericFields{{
    {"TxtPv", true, Stale::Coverage, false, Field::Power, "3"},
    {"TxtPd", false, Stale::Coverage, false, Field::Sensitivity, "90"},
    {"TxtN", false, Stale::Coverage, false, Field::Noise, "70"},
    {"TxtH", true, Stale::Coverage, false, Field::Height, "3"},
    {"TxtL", true, Stale::Coverage, true, Field::Length, "6"},
    {"TxtW", true, Stale::Coverage, true, Field::Width, "6"},
    {"TxtDln", true, Stale::Attenuation, false, Field::Distance, "10"},
}};

// Fields and lists are announced by a screen reader with the caption beside them.
struct CaptionOf {
    std::string_view control;
    std::string_view label;
};

constexpr std::array<CaptionOf, 12> kCaptions{{
    {"CmbD", "Label10"},
    {"TxtPv", "Label1"},
    {"TxtPd", "Label2"},
    {"CmbOn", "Label4"},
    {"TxtN", "Label4"},
    {"TxtH", "Label3"},
    {"TxtL", "Label19"},
    {"TxtW", "Label21"},
    {"TxtDln", "Label22"},
    {"CmbDn", "Label23"},
    {"CmbUPS", "Label25"},
    {"CmbVP", "Label26"},
}};

struct TypeOption {
    std::string_view name;
    SpeakerType type;
};

constexpr std::array<TypeOption, 3> kTypeOptions{{
    {"Opt1", SpeakerType::Ceiling},
    {"Opt2", SpeakerType::Wall},
    {"Opt3", SpeakerType::Horn},
}};

struct GradationMember {
    std::string_view name;
    int id;
};

constexpr std::array<GradationMember, 3> kGradation{{
    {"Opt_1_1", 1},
    {"Opt_1_2", 2},
    {"Opt_1_3", 3},
}};

constexpr std::array<std::string_view, 4> kCoverageResults{"LblPd", "LblD", "LblS", "LblKs"};

constexpr std::array<std::string_view, 3> kPresetFields{"TxtPv", "TxtPd", "TxtN"};

struct ListContents {
    std::string_view startText;
    std::vector<std::string_view> items;
};

ListContents listContents(std::string_view name) {
    ListContents list;
    if (name == "CmbOn") {
        list.startText = kStartRoom;
        for (const RoomPreset& room : kRoomPresets)
            list.items.push_back(room.name);
    } else if (name == "CmbD") {
        list.startText = kStartModel;
        for (const CatalogueEntry& entry : kCatalogue)
            list.items.push_back(entry.code);
    } else if (name == "CmbDn") {
        list.startText = kStartDirectivity;
        list.items.assign(kDirectivityItems.begin(), kDirectivityItems.end());
    } else if (name == "CmbUPS") {
        list.startText = kStartOverlap;
        list.items.assign(kOverlapItems.begin(), kOverlapItems.end());
    } else if (name == "CmbVP") {
        list.startText = kStartListenHeight;
        list.items.assign(kListenHeightItems.begin(), kListenHeightItems.end());
    }
    return list;
}

SpeakerType typeOfLetter(const QString& letter) {
    if (letter == QStringLiteral("Н"))
        return SpeakerType::Wall;
    if (letter == QStringLiteral("Р"))
        return SpeakerType::Horn;
    return SpeakerType::Ceiling;
}

// One font per code of the table, shared by every control that uses it. The family is settled
// here once: a font that names a missing family sends every later look-up through the toolkit's
// fallback search.
std::array<QFont, layout::kFontCount> tableFonts() {
    const bool designed = QFontDatabase::hasFamily(qs(layout::kFontFamily));
    const QString family = qs(designed ? layout::kFontFamily : layout::kFallbackFontFamily);
    std::array<QFont, layout::kFontCount> fonts;
    for (std::size_t i = 0; i < layout::kFontCount; ++i) {
        const layout::FontStyle style = layout::fontStyle(static_cast<layout::Font>(i));
        QFont& font = fonts.at(i);
        font.setFamily(family);
        font.setPointSizeF(style.pointSize);
        font.setBold(style.bold);
        if (!designed)
            font.setStretch(layout::kFallbackStretch);
    }
    return fonts;
}

static_assert(static_cast<std::size_t>(layout::Font::F8) + 1 == layout::kFontCount);

const QFont& fontOf(const std::array<QFont, layout::kFontCount>& fonts, layout::Font code) {
    return fonts.at(static_cast<std::size_t>(code));
}

QColor colourFor(layout::Colour colour) {
    const QPalette system = QApplication::palette();
    switch (colour) {
    case layout::Colour::Black:
        return {0, 0, 0};
    case layout::Colour::DarkBlue:
        return {0, 0, 128};
    case layout::Colour::DarkGreen:
        return {0, 64, 0};
    case layout::Colour::Highlight:
        return system.color(QPalette::Highlight);
    case layout::Colour::System:
    case layout::Colour::LightGreyFace:
        break;
    }
    return system.color(QPalette::WindowText);
}

const QColor kPresetGrey(192, 192, 192);
const QColor kButtonFace(224, 224, 224);

constexpr std::size_t kColourCount = 6;
static_assert(static_cast<std::size_t>(layout::Colour::LightGreyFace) + 1 == kColourCount);

// Every control states its own text colour, so a frame's caption colour stays its own. One
// palette per colour of the table, shared like the fonts.
std::array<QPalette, kColourCount> tablePalettes() {
    std::array<QPalette, kColourCount> palettes;
    for (std::size_t i = 0; i < kColourCount; ++i) {
        const auto colour = static_cast<layout::Colour>(i);
        QPalette& palette = palettes.at(i);
        palette.setColor(QPalette::WindowText, colourFor(colour));
        if (colour == layout::Colour::LightGreyFace)
            palette.setColor(QPalette::Button, kButtonFace);
    }
    return palettes;
}

QWidget* createControl(const layout::Control& c, QWidget* parent) {
    switch (c.kind) {
    case layout::Kind::Frame:
        return new QGroupBox(qs(c.caption), parent);
    case layout::Kind::Label:
    case layout::Kind::ResultLabel: {
        auto* label = new QLabel(qs(c.caption), parent);
        label->setTextFormat(Qt::PlainText);
        if (c.kind == layout::Kind::ResultLabel) {
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            label->setLineWidth(1);
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        } else {
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        }
        return label;
    }
    case layout::Kind::TextBox:
        return new QuietLineEdit(parent);
    case layout::Kind::ComboBox:
        return new PickComboBox(parent);
    case layout::Kind::Option:
        return new QRadioButton(qs(c.caption), parent);
    case layout::Kind::Button:
        return new QPushButton(qs(c.caption), parent);
    case layout::Kind::Picture: {
        auto* picture = new QLabel(parent);
        picture->setPixmap(artwork::emblem(picture->devicePixelRatio()));
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return picture;
    }
    }
    return nullptr;
}

} // namespace

Form1::Form1(Dialogs& dialogs, QString workingFolder, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), workingFolder_(std::move(workingFolder)) {
    setObjectName(qs(layout::kWindowName));
    setWindowTitle(qs(layout::kWindowCaption));
    setWindowIcon(artwork::windowIcon());
    const std::array<QFont, layout::kFontCount> fonts = tableFonts();
    setFont(fontOf(fonts, layout::kWindowFont));
    // Fixed size: no resizing, and the title bar offers only the close button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);

    buildControls(fonts);
    buildMenu();
    buildTabChain();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    areaTimer_ = new QTimer(this);
    areaTimer_->setObjectName(qs(layout::kTimerName));
    areaTimer_->setInterval(layout::kTimerIntervalMs);
    areaTimer_->setSingleShot(true);

    connectBehaviour();
    startUp();
}

template <class T> T* Form1::control(std::string_view name) const {
    return qobject_cast<T*>(controls_.value(qs(name)));
}

QLineEdit* Form1::field(std::string_view name) const {
    return control<QLineEdit>(name);
}
QLabel* Form1::label(std::string_view name) const {
    return control<QLabel>(name);
}
QString Form1::text(std::string_view name) const {
    return field(name)->text();
}

void Form1::buildControls(const std::array<QFont, layout::kFontCount>& fonts) {
    const std::array<QPalette, kColourCount> palettes = tablePalettes();
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(layout::pixels(layout::kClientWidth),
                         layout::pixels(layout::kClientHeight));
    setCentralWidget(client);

    for (const layout::Control& c : layout::kControls) {
        QWidget* parent = c.parent.empty() ? client : controls_.value(qs(c.parent));
        QWidget* widget = createControl(c, parent);
        widget->setObjectName(qs(c.name));
        widget->setGeometry(layout::pixels(c.left), layout::pixels(c.top), layout::pixels(c.width),
                            layout::pixels(c.height));
        widget->setFont(fontOf(fonts, c.font));
        widget->setPalette(palettes.at(static_cast<std::size_t>(c.colour)));
        controls_.insert(widget->objectName(), widget);
    }

    for (const CaptionOf& caption : kCaptions)
        controls_.value(qs(caption.control))
            ->setAccessibleName(label(caption.label)->text().simplified());

    auto* command1 = control<QPushButton>("Command1");
    command1->setAutoDefault(false);
    control<QPushButton>("Command2")->setAutoDefault(false);
}

void Form1::buildMenu() {
    QMenuBar* bar = menuBar();
    for (const layout::MenuItem& item : layout::kMenu) {
        QAction* action = bar->addAction(qs(item.caption));
        action->setObjectName(qs(item.name));
    }
}

void Form1::buildTabChain() {
    std::vector<const layout::Control*> chain;
    for (const layout::Control& c : layout::kControls) {
        const bool takesFocus = c.kind == layout::Kind::TextBox ||
                                c.kind == layout::Kind::ComboBox ||
                                c.kind == layout::Kind::Option || c.kind == layout::Kind::Button;
        if (takesFocus && c.tab >= 0)
            chain.push_back(&c);
    }
    std::sort(chain.begin(), chain.end(),
              [](const layout::Control* a, const layout::Control* b) { return a->tab < b->tab; });
    for (std::size_t i = 1; i < chain.size(); ++i)
        setTabOrder(controls_.value(qs(chain[i - 1]->name)), controls_.value(qs(chain[i]->name)));
}

void Form1::connectBehaviour() {
    struct ListPick {
        std::string_view name;
        void (Form1::*pick)(int);
    };
    static constexpr std::array<ListPick, 5> kPicks{{
        {"CmbD", &Form1::pickModel},
        {"CmbDn", &Form1::pickDirectivity},
        {"CmbOn", &Form1::pickRoom},
        {"CmbUPS", &Form1::pickOverlap},
        {"CmbVP", &Form1::pickListenHeight},
    }};
    for (const ListPick& list : kPicks) {
        connect(control<PickComboBox>(list.name), &PickComboBox::picked, this,
                [this, pick = list.pick](int index) {
                    (this->*pick)(index);
                    emptyCoverageResults();
                });
    }

    for (const NumericField& f : kNumericFields) {
        QLineEdit* edit = field(f.name);
        edit->setValidator(new CharacterFilter(f.pointAllowed, edit));
        // textEdited comes from the user's edits only, never from texts set here.
        connect(edit, &QLineEdit::textEdited, this, [this, &f] {
            if (f.startsAreaTimer)
                areaTimer_->start();
            if (f.stale == Stale::Coverage)
                emptyCoverageResults();
            else
                emptyLabels({"LblZat"});
        });
    }

    for (const TypeOption& option : kTypeOptions) {
        connect(control<QRadioButton>(option.name), &QRadioButton::toggled, this,
                [this, type = option.type](bool checked) {
                    if (checked)
                        typeChanged(type);
                });
    }
    keepTabOnChecked("Frame3");

    gradation_ = new QButtonGroup(this);
    gradation_->setObjectName(QStringLiteral("Opt_1"));
    for (const GradationMember& member : kGradation)
        gradation_->addButton(control<QRadioButton>(member.name), member.id);
    connect(gradation_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            emptyAllResults();
    });
    keepTabOnChecked("Frame6");

    connect(areaTimer_, &QTimer::timeout, this, &Form1::showRoomArea);
    connect(control<QPushButton>("Command1"), &QPushButton::clicked, this, &Form1::calculate);
    connect(control<QPushButton>("Command2"), &QPushButton::clicked, this, &Form1::showAttenuation);

    struct MenuCommand {
        std::string_view name;
        void (Form1::*run)();
    };
    static constexpr std::array<MenuCommand, 3> kCommands{{
        {"Mppech", &Form1::printReport},
        {"Mspr", &Form1::showHelp},
        {"Mopr", &Form1::showAbout},
    }};
    for (const MenuCommand& command : kCommands) {
        auto* action = findChild<QAction*>(qs(command.name));
        connect(action, &QAction::triggered, this, [this, run = command.run] { (this->*run)(); });
    }
}

// An option group is one stop of the Tab key, at its selected button, as on other desktops.
void Form1::keepTabOnChecked(std::string_view group) {
    std::vector<QRadioButton*> members;
    for (const layout::Control& c : layout::kControls)
        if (c.kind == layout::Kind::Option && c.parent == group)
            members.push_back(control<QRadioButton>(c.name));
    auto update = [members] {
        for (QRadioButton* button : members)
            button->setFocusPolicy(button->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    };
    for (QRadioButton* button : members)
        connect(button, &QRadioButton::toggled, this, update);
    update();
}

void Form1::startUp() {
    label("LblSr")->setToolTip(QStringLiteral("Площадь помещения"));
    for (const NumericField& f : kNumericFields)
        field(f.name)->setText(qs(f.startText));
    label("LblSr")->setText(QStringLiteral("36"));

    control<QRadioButton>("Opt_1_1")->setChecked(true);
    control<QRadioButton>("Opt1")->setChecked(true);
    control<QRadioButton>("Opt2")->setEnabled(false);
    control<QRadioButton>("Opt3")->setEnabled(false);

    for (std::string_view name : kPresetFields) {
        QLineEdit* edit = field(name);
        edit->setReadOnly(true);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, QApplication::palette().color(QPalette::Window));
        edit->setPalette(palette);
    }

    for (std::string_view name : {"CmbOn", "CmbD", "CmbDn", "CmbUPS", "CmbVP"}) {
        auto* combo = control<PickComboBox>(name);
        const ListContents list = listContents(name);
        QStringList items;
        items.reserve(static_cast<qsizetype>(list.items.size()));
        for (std::string_view item : list.items)
            items.append(qs(item));
        combo->addItems(items);
        // Filling makes the first item current; the lists start with no item picked.
        combo->setCurrentIndex(-1);
        combo->setEditText(qs(list.startText));
    }
    for (std::size_t i = 0; i < kRoomPresets.size(); ++i)
        noisePreset_[i] = kRoomPresets[i].noiseDb;
    for (std::size_t i = 0; i < kCatalogue.size(); ++i)
        typeLetter_[i] = qs(kCatalogue[i].letter);

    applyStartValues(record_);
}

void Form1::pickModel(int index) {
    auto* models = control<PickComboBox>("CmbD");
    const bool manualEntry = index == models->count() - 1;
    if (manualEntry) {
        setUserEntry(field("TxtPv"), true);
        field("TxtPv")->setFocus();
        setUserEntry(field("TxtPd"), true);
        for (const TypeOption& option : kTypeOptions)
            control<QRadioButton>(option.name)->setEnabled(true);
        return;
    }
    const std::string code = str(models->itemText(index));
    if (const auto power = ModelPower(code))
        field("TxtPv")->setText(QString::number(*power));
    if (const auto spl = ModelSpl(code))
        field("TxtPd")->setText(QString::number(*spl));
    switchTypeOn(typeOfLetter(typeLetter_.at(static_cast<std::size_t>(index))));
    setUserEntry(field("TxtPv"), false);
    setUserEntry(field("TxtPd"), false);
}

void Form1::pickDirectivity(int index) {
    applyDirectivity(record_, str(control<PickComboBox>("CmbDn")->itemText(index)));
}

void Form1::pickRoom(int index) {
    const bool manualEntry = static_cast<std::size_t>(index) == kRoomOtherPosition;
    setUserEntry(field("TxtN"), manualEntry);
    if (manualEntry)
        field("TxtN")->setFocus();
    field("TxtN")->setText(QString::number(noisePreset_.at(static_cast<std::size_t>(index))));
}

void Form1::pickOverlap(int index) {
    applyOverlapLevel(record_, str(control<PickComboBox>("CmbUPS")->itemText(index)));
}

void Form1::pickListenHeight(int index) {
    applyListenHeight(record_, str(control<PickComboBox>("CmbVP")->itemText(index)));
}

// A catalogue model fixes the type: only its own option stays enabled.
void Form1::switchTypeOn(SpeakerType type) {
    for (const TypeOption& option : kTypeOptions) {
        auto* button = control<QRadioButton>(option.name);
        const bool own = option.type == type;
        button->setEnabled(own);
        if (own)
            button->setChecked(true);
    }
}

void Form1::typeChanged(SpeakerType type) {
    const TypeDefaults defaults = typeDefaults(type);
    label("Label3")->setText(qs(defaults.heightCaption));
    field("TxtH")->setAccessibleName(qs(defaults.heightCaption));
    emptyCoverageResults();
    auto* directivity = control<PickComboBox>("CmbDn");
    directivity->setCurrentIndex(-1);
    directivity->setEditText(qs(defaults.angleText));
    applyTypeDefault(record_, type);
}

SpeakerType Form1::selectedType() const {
    for (const TypeOption& option : kTypeOptions)
        if (control<QRadioButton>(option.name)->isChecked())
            return option.type;
    return SpeakerType::Ceiling;
}

void Form1::calculate() {
    CoverageInputs inputs;
    inputs.power = str(text("TxtPv"));
    inputs.sensitivity = str(text("TxtPd"));
    inputs.noise = str(text("TxtN"));
    inputs.height = str(text("TxtH"));
    inputs.length = str(text("TxtL"));
    inputs.width = str(text("TxtW"));
    inputs.gradation = std::max(gradation_->checkedId(), 0);
    inputs.ceiling = control<QRadioButton>("Opt1")->isChecked();

    const CoverageOutcome outcome = calculateCoverage(inputs, record_, decimalSeparator());
    if (outcome.area)
        label("LblSr")->setText(QString::fromStdString(*outcome.area));
    if (outcome.stop) {
        showStop(*outcome.stop);
        emptyAllResults();
        return;
    }
    for (std::size_t i = 0; i < kCoverageResults.size(); ++i)
        label(kCoverageResults[i])->setText(QString::fromStdString(outcome.results[i]));
}

void Form1::showAttenuation() {
    const AttenuationOutcome outcome =
        calculateAttenuation(str(text("TxtDln")), decimalSeparator());
    if (outcome.stop) {
        showStop(*outcome.stop);
        emptyLabels({"LblZat"});
        return;
    }
    label("LblZat")->setText(QString::fromStdString(outcome.caption));
}

void Form1::showRoomArea() {
    label("LblSr")->setText(QString::fromStdString(
        roomAreaText(str(text("TxtL")), str(text("TxtW")), decimalSeparator())));
    areaTimer_->stop();
}

void Form1::printReport() {
    const ReportSources sources{control<PickComboBox>("CmbD")->currentText(),
                                control<PickComboBox>("CmbOn")->currentText(), selectedType()};
    runReportCommand(dialogs_, workingFolder_, record_, sources,
                     QString::fromStdString(decimalSeparator()));
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
                     userEntry ? QApplication::palette().color(QPalette::Base) : kPresetGrey);
    edit->setPalette(palette);
}

void Form1::emptyLabels(std::initializer_list<std::string_view> names) {
    for (std::string_view name : names)
        label(name)->clear();
}

void Form1::emptyCoverageResults() {
    for (std::string_view name : kCoverageResults)
        label(name)->clear();
}

void Form1::emptyAllResults() {
    emptyCoverageResults();
    emptyLabels({"LblZat"});
}

// A stopped calculation tells why and puts the focus on the field to mend, if there is one.
void Form1::showStop(const Stop& stop) {
    dialogs_.information(kProgramTitle, QString::fromStdString(stop.message));
    for (const NumericField& f : kNumericFields)
        if (f.field == stop.focus)
            field(f.name)->setFocus();
}

std::string Form1::decimalSeparator() const {
    return str(QLocale().decimalPoint());
}

} // namespace pa
