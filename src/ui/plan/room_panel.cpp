#include "ui/plan/room_panel.h"

#include "core/numbers.h"
#include "plan/materials.h"
#include "ui/qt_text.h"
#include "ui/table_style.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

#include <algorithm>

namespace pa {

namespace {

constexpr int kMostPeople = 100000;
// A head above the loudspeakers is refused with a message; the field itself takes any height a
// room may have.
constexpr double kHighestHead = 10; // m
const QString kNoiseRow = QStringLiteral("Шум, дБ");
const QString kMeasuredRow = QStringLiteral("T изм., с");

QString bandName(std::size_t band) {
    const int hz = plan::kBandHz.at(band);
    return hz >= 1000 ? QStringLiteral("%1k").arg(hz / 1000) : QString::number(hz);
}

// A row of octave fields: all empty is none, all filled is the row, anything else says why not.
std::optional<plan::Bands> octaves(const std::array<QLineEdit*, plan::kBands>& fields,
                                   const QString& row, const QString& separator, QString& error) {
    const bool anyFilled = std::ranges::any_of(
        fields, [](const QLineEdit* f) { return !f->text().trimmed().isEmpty(); });
    if (!anyFilled)
        return std::nullopt;
    plan::Bands values{};
    for (std::size_t k = 0; k < plan::kBands; ++k) {
        const QString text = fields.at(k)->text().trimmed();
        if (text.isEmpty()) {
            error =
                QStringLiteral("Заполните все семь октав в строке «%1» или очистите её.").arg(row);
            return std::nullopt;
        }
        const std::optional<double> value =
            parseNumber(text.toStdString(), separator.toStdString());
        if (!value) {
            error = QStringLiteral("В строке «%1» в октаве %2 Гц «%3» — не число.")
                        .arg(row, QString::number(plan::kBandHz.at(k)), text);
            return std::nullopt;
        }
        values.at(k) = *value;
    }
    return values;
}

void showOctaves(const std::array<QLineEdit*, plan::kBands>& fields,
                 const std::optional<plan::Bands>& values, const QString& separator) {
    for (std::size_t k = 0; k < plan::kBands; ++k)
        fields.at(k)->setText(values ? qs(numberText(values->at(k), separator.toStdString()))
                                     : QString());
}

// Picks a finish by its id; one the table no longer has stays listed under its id, so that
// reading the panel gives it back and the room says what is wrong.
void pickFinish(QComboBox& list, const std::string& id) {
    int index = list.findData(qs(id));
    if (index < 0) {
        list.addItem(QStringLiteral("«%1» — нет в таблице").arg(qs(id)), qs(id));
        index = list.count() - 1;
    }
    list.setCurrentIndex(index);
}

} // namespace

RoomPanel::RoomPanel(QWidget* parent) : QWidget(parent) {
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    auto label = [](const QString& name) {
        auto* l = new QLabel(name);
        l->setFont(tableFont(layout::Font::F1));
        return l;
    };
    auto add = [&](const QString& name, QWidget* field) {
        QLabel* l = label(name);
        l->setBuddy(field);
        field->setAccessibleName(name);
        field->setFont(tableFont(layout::Font::F3));
        form->addRow(l, field);
    };
    height_ = new QDoubleSpinBox;
    height_->setObjectName(QStringLiteral("roomHeight"));
    height_->setDecimals(2);
    height_->setSingleStep(0.1);
    height_->setRange(0.1, plan::kMaxRoomHeight);
    height_->setSuffix(QStringLiteral(" м"));
    height_->setKeyboardTracking(false);
    height_->setToolTip(
        QStringLiteral("Не меньше высоты подвеса; у потолочных по умолчанию равна ей"));
    add(QStringLiteral("Высота"), height_);
    auto finish = [&](const char* name, const QString& title, std::string_view start) {
        auto* list = new QComboBox;
        list->setObjectName(QLatin1String(name));
        // The long names of the finishes wrap into the list, not the narrow column.
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(12);
        for (const plan::Material& m : plan::materials()) {
            list->addItem(qs(m.name), qs(m.id));
            list->setItemData(list->count() - 1, qs(m.name), Qt::ToolTipRole);
        }
        list->setCurrentIndex(list->findData(qs(start)));
        add(title, list);
        return list;
    };
    floor_ = finish("floorList", QStringLiteral("Пол"), plan::kStartFloor);
    ceiling_ = finish("ceilingList", QStringLiteral("Потолок"), plan::kStartCeiling);
    walls_ = finish("wallList", QStringLiteral("Стены"), plan::kStartWalls);
    people_ = new QSpinBox;
    people_->setObjectName(QStringLiteral("peopleCount"));
    people_->setRange(0, kMostPeople);
    people_->setKeyboardTracking(false);
    add(QStringLiteral("Слушателей"), people_);

    // The octave values: the noise as measured, and reverberation times that replace the
    // finishes and the listeners.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(2);
    for (std::size_t k = 0; k < plan::kBands; ++k)
        grid->addWidget(label(bandName(k)), 0, static_cast<int>(k) + 1, Qt::AlignCenter);
    auto row = [&](int at, const QString& name, const char* prefix, const QString& tip,
                   OctaveFields& fields) {
        grid->addWidget(label(name), at, 0);
        for (std::size_t k = 0; k < plan::kBands; ++k) {
            auto* field = new QLineEdit;
            field->setObjectName(QLatin1String(prefix) + QString::number(plan::kBandHz.at(k)));
            field->setAccessibleName(name + QStringLiteral(", ") +
                                     QString::number(plan::kBandHz.at(k)) + QStringLiteral(" Гц"));
            field->setToolTip(tip);
            field->setFont(tableFont(layout::Font::F1));
            field->setMinimumWidth(10);
            grid->addWidget(field, at, static_cast<int>(k) + 1);
            fields.at(k) = field;
            connect(field, &QLineEdit::editingFinished, this, [this, field] {
                if (field->isModified()) {
                    field->setModified(false);
                    emit changed();
                }
            });
        }
    };
    row(1, kNoiseRow, "noise",
        QStringLiteral("Уровни шума по октавам; пусто — шум помещения из расчета, розовый"),
        noise_);
    row(2, kMeasuredRow, "measured",
        QStringLiteral("Измеренные времена реверберации; заменяют отделку и слушателей"),
        measured_);
    form->addRow(grid);

    sleeping_ = new QCheckBox(QStringLiteral("Помещение для сна"));
    sleeping_->setObjectName(QStringLiteral("sleepingRoom"));
    sleeping_->setFont(tableFont(layout::Font::F3));
    sleeping_->setToolTip(
        QStringLiteral("Уровень над шумом проверяется на высоте головы спящего и не ниже 70 дБ"));
    form->addRow(sleeping_);
    head_ = new QDoubleSpinBox;
    head_->setObjectName(QStringLiteral("headHeight"));
    head_->setDecimals(2);
    head_->setSingleStep(0.1);
    head_->setRange(0, kHighestHead);
    head_->setSuffix(QStringLiteral(" м"));
    head_->setKeyboardTracking(false);
    head_->setValue(plan::kSleeperHead);
    add(QStringLiteral("Высота головы спящего"), head_);
    showHead();

    error_ = new QLabel;
    error_->setObjectName(QStringLiteral("roomError"));
    error_->setWordWrap(true);
    error_->setTextFormat(Qt::PlainText);
    error_->setFont(tableFont(layout::Font::F1));
    QPalette red = error_->palette();
    red.setColor(QPalette::WindowText, kFailureColour);
    error_->setPalette(red);
    error_->hide();
    form->addRow(error_);
    figures_ = new QLabel;
    figures_->setObjectName(QStringLiteral("roomFigures"));
    figures_->setTextFormat(Qt::RichText);
    figures_->setFont(tableFont(layout::Font::F1));
    figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette blue = figures_->palette();
    blue.setColor(QPalette::WindowText, tableColour(layout::Colour::DarkBlue));
    figures_->setPalette(blue);
    form->addRow(figures_);

    connect(height_, &QDoubleSpinBox::valueChanged, this, [this] {
        heightTyped_ = true;
        emit changed();
    });
    for (QComboBox* list : {floor_, ceiling_, walls_})
        connect(list, &QComboBox::activated, this, &RoomPanel::changed);
    connect(people_, &QSpinBox::valueChanged, this, &RoomPanel::changed);
    connect(sleeping_, &QCheckBox::toggled, this, [this] {
        showHead();
        emit changed();
    });
    connect(head_, &QDoubleSpinBox::valueChanged, this, &RoomPanel::changed);
}

void RoomPanel::showHead() {
    head_->setEnabled(sleeping_->isChecked());
}

RoomPanel::Reading RoomPanel::read(const QString& separator) const {
    Reading r;
    plan::RoomSetup& s = r.setup;
    if (heightTyped_)
        s.height = height_->value();
    s.floor = floor_->currentData().toString().toStdString();
    s.ceiling = ceiling_->currentData().toString().toStdString();
    s.walls = walls_->currentData().toString().toStdString();
    s.people = people_->value();
    s.noise = octaves(noise_, kNoiseRow, separator, r.error);
    if (r.error.isEmpty())
        s.measured = octaves(measured_, kMeasuredRow, separator, r.error);
    s.sleeping = sleeping_->isChecked();
    s.headHeight = head_->value();
    return r;
}

void RoomPanel::setSetup(const plan::RoomSetup& setup) {
    const QSignalBlocker quietHeight(height_);
    const QSignalBlocker quietPeople(people_);
    const QSignalBlocker quietSleeping(sleeping_);
    const QSignalBlocker quietHead(head_);
    heightTyped_ = setup.height.has_value();
    if (setup.height)
        height_->setValue(*setup.height);
    pickFinish(*floor_, setup.floor);
    pickFinish(*ceiling_, setup.ceiling);
    pickFinish(*walls_, setup.walls);
    people_->setValue(setup.people);
    const QString separator = height_->locale().decimalPoint();
    showOctaves(noise_, setup.noise, separator);
    showOctaves(measured_, setup.measured, separator);
    sleeping_->setChecked(setup.sleeping);
    head_->setValue(setup.headHeight);
    showHead();
}

void RoomPanel::followCalculation(double mountHeight, const QString& separator) {
    QLocale locale = separator == QStringLiteral(",") ? QLocale(QLocale::Russian, QLocale::Russia)
                                                      : QLocale::c();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    for (QDoubleSpinBox* spin : {height_, head_})
        spin->setLocale(locale);
    if (!heightTyped_) {
        const QSignalBlocker quiet(height_);
        height_->setValue(mountHeight);
    }
}

void RoomPanel::showError(const QString& error) {
    error_->setText(error);
    error_->setVisible(!error.isEmpty());
}

void RoomPanel::clearRoom() {
    figures_->clear();
}

void RoomPanel::showRoom(const plan::RoomAcoustics& room, const plan::SoundField& field,
                         const std::string& mapError, const std::string& separator) {
    auto row = [&](const QString& name, const plan::Bands& values, int decimals) {
        QString line = QStringLiteral("<tr><td>") + name + QStringLiteral("</td>");
        for (const double v : values)
            line += QStringLiteral("<td align=right>") +
                    qs(plan::fixedText(v, decimals, separator)) + QStringLiteral("</td>");
        return line + QStringLiteral("</tr>");
    };
    QString text = QStringLiteral("V = ") + qs(plan::fixedText(room.volume, 0, separator)) +
                   QStringLiteral(" м³, S = ") + qs(plan::fixedText(room.surface, 0, separator)) +
                   QStringLiteral(" м²<table cellspacing=0 cellpadding=1><tr><td>Гц</td>");
    for (std::size_t k = 0; k < plan::kBands; ++k)
        text += QStringLiteral("<td align=right>") + bandName(k) + QStringLiteral("</td>");
    text += QStringLiteral("</tr>") + row(QStringLiteral("ᾱ"), room.meanAlpha, 2) +
            row(QStringLiteral("T Сэбин, с"), room.sabine, 2) +
            row(QStringLiteral("T Эйринг, с"), room.eyring, 2);
    if (field.ok())
        text += row(QStringLiteral("r<sub>кр</sub>, м"), field.criticalDistance, 1);
    text += room.measured ? QStringLiteral("</table>Расчёт ведётся по измеренному времени.")
                          : QStringLiteral("</table>Расчёт ведётся по времени Эйринга.");
    if (!mapError.empty())
        text += QStringLiteral("<br><font color=#be0000>") + qs(mapError).toHtmlEscaped() +
                QStringLiteral("</font>");
    figures_->setText(text);
}

} // namespace pa
