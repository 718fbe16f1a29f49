#include "ui/project/project_window.h"

#include "core/numbers.h"
#include "core/speaker_type.h"
#include "plan/plan.h"
#include "project/project_file.h"
#include "ui/artwork.h"
#include "ui/project/figures_job.h"
#include "ui/project/project_recovery.h"
#include "ui/project/room_table.h"
#include "ui/qt_text.h"
#include "ui/table_style.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QUndoCommand>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <string_view>
#include <utility>

namespace pa {

namespace {

constexpr std::array<std::string_view, 8> kLineColumns{
    "Линия",     "Напряжение, В", "Длина кабеля, м", "Сечение, мм²",
    "Помещений", "Мощность, Вт",  "Потери, дБ",      "Усилитель, Вт"};

// The line's own fields, which the user edits in place; the figures after them are read-only.
enum class LineField { Name, Voltage, CableLength, CrossSection };
constexpr int kEditableLineColumns = 4;
constexpr int kLossColumn = 6;

const QString kFileFilter =
    QStringLiteral("Проект (*") + qs(project::kExtension) + QStringLiteral(")");
const QString kCalculateFirst = QStringLiteral("Сначала выполните расчет в главном окне.");

QTableWidgetItem* readOnlyItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QTableWidget* table(std::span<const std::string_view> captions, QWidget* parent) {
    auto* t = new QTableWidget(0, static_cast<int>(captions.size()), parent);
    QStringList headers;
    for (std::string_view caption : captions)
        headers.append(qs(caption));
    t->setHorizontalHeaderLabels(headers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return t;
}

// The checks a room's layout fails, by the plan's own verdicts; the cell marks a failure.
struct ChecksCell {
    QString text;
    QString failures; // one caption a line
    bool failed = false;
};

ChecksCell checksOf(const project::RoomFigures& room, std::string_view separator) {
    if (!room.calculated())
        return {QStringLiteral("✗ не рассчитано"), qs(room.reason), true};
    ChecksCell cell;
    int met = 0;
    QStringList failures;
    for (const plan::FigureRow& row : plan::figureRows(*room.inputs, room.figures, separator)) {
        if (row.verdict == plan::Verdict::Met)
            ++met;
        else if (row.verdict != plan::Verdict::None)
            failures.append(qs(row.caption));
    }
    cell.failed = !failures.isEmpty();
    cell.failures = failures.join(QLatin1Char('\n'));
    cell.text = cell.failed ? QStringLiteral("✗ не выполнено: %1").arg(failures.size())
                            : QStringLiteral("✓ выполнено: %1").arg(met);
    return cell;
}

QString shareOf(const project::RoomFigures& room, std::string_view separator) {
    if (room.calculated() && room.figures.mapped)
        return qs(plan::shareText(room.figures.shareAtTarget, separator));
    return QStringLiteral("—");
}

// The id a new line gets: the first "Л<n>" no line has.
std::string freeLineId(const project::Project& project) {
    for (std::size_t n = project.lines.size() + 1;; ++n) {
        std::string id = "Л" + std::to_string(n);
        if (project.line(id) == nullptr)
            return id;
    }
}

QString lineCaption(const project::Line& line) {
    return qs(line.name.empty() ? line.id : line.name);
}

// The rooms table's line cell: a list of the project's lines, the first entry none. The choice
// goes into the cell as the line's id; the window wires the room to it.
class LineDelegate final : public QStyledItemDelegate {
public:
    LineDelegate(const project::Project& project, QObject* parent)
        : QStyledItemDelegate(parent), project_(project) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                          const QModelIndex& /*index*/) const override {
        auto* list = new QComboBox(parent);
        list->addItem(QStringLiteral("(нет)"), QString());
        for (const project::Line& line : project_.lines)
            list->addItem(lineCaption(line), qs(line.id));
        return list;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* list = static_cast<QComboBox*>(editor);
        list->setCurrentIndex(std::max(0, list->findData(index.data(Qt::UserRole))));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        model->setData(index, static_cast<QComboBox*>(editor)->currentData(), Qt::UserRole);
    }

private:
    const project::Project& project_;
};

} // namespace

// One step of the project's history: the project before and after it.
class ProjectWindow::Edit final : public QUndoCommand {
public:
    Edit(ProjectWindow& window, const QString& text, project::Project before,
         project::Project after)
        : QUndoCommand(text), window_(window), before_(std::move(before)),
          after_(std::move(after)) {}
    void undo() override { window_.apply(before_); }
    void redo() override { window_.apply(after_); }

private:
    ProjectWindow& window_;
    project::Project before_;
    project::Project after_;
};

ProjectWindow::ProjectWindow(Dialogs& dialogs, CalculationLink link, QString workingFolder,
                             SheetSource sheets, QSettings* settings, QWidget* parent)
    : QMainWindow(parent, Qt::Window), dialogs_(dialogs), link_(std::move(link)),
      workingFolder_(std::move(workingFolder)), recent_(settings),
      exporter_(dialogs, std::move(sheets), link_.decimalSeparator, workingFolder_) {
    setObjectName(QStringLiteral("projectWindow"));
    setWindowIcon(artwork::windowIcon());
    // The room table's ten columns want the width of a page, not of the widest field.
    resize(1000, 680);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(buildHeader());

    roomTable_ = new RoomTable(central);
    roomTable_->setObjectName(QStringLiteral("roomTable"));
    connect(roomTable_, &RoomTable::renamed, this, &ProjectWindow::roomRenamed);
    connect(roomTable_, &RoomTable::floorTyped, this, &ProjectWindow::roomFloor);
    connect(roomTable_, &RoomTable::wired, this, &ProjectWindow::roomWired);
    connect(roomTable_, &RoomTable::moved, this, &ProjectWindow::moveRoom);
    connect(roomTable_, &QTableWidget::currentCellChanged, this, &ProjectWindow::showSelection);
    roomTable_->setItemDelegateForColumn(RoomTable::kLineColumn,
                                         new LineDelegate(project_, roomTable_));
    const auto button = [&](const QString& text, const char* name, auto slot) {
        auto* b = new QPushButton(text, central);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(button(QStringLiteral("Добавить из расчета"), "addFromCalculationButton",
                              &ProjectWindow::addFromCalculation));
    openInButton_ = button(QStringLiteral("Открыть в расчете"), "openInCalculationButton",
                           &ProjectWindow::openInCalculation);
    openInButton_->setToolTip(
        QStringLiteral("Исходные данные помещения — в главное окно, расстановка — в план"));
    buttons->addWidget(openInButton_);
    updateButton_ = button(QStringLiteral("Обновить из расчета"), "updateFromCalculationButton",
                           &ProjectWindow::updateFromCalculation);
    updateButton_->setToolTip(
        QStringLiteral("Записать в помещение последний расчет главного окна и расстановку плана"));
    buttons->addWidget(updateButton_);
    buttons->addWidget(button(QStringLiteral("Удалить помещение"), "removeRoomButton",
                              &ProjectWindow::removeSelectedRoom));
    buttons->addStretch();

    auto* rooms = new QGroupBox(QStringLiteral("Помещения"), central);
    auto* roomsLayout = new QVBoxLayout(rooms);
    roomsLayout->addWidget(roomTable_);
    roomsLayout->addLayout(buttons);

    auto* lines = new QGroupBox(QStringLiteral("Линии и итоги"), central);
    auto* linesLayout = new QVBoxLayout(lines);
    lineTable_ = table(kLineColumns, lines);
    lineTable_->setObjectName(QStringLiteral("lineTable"));
    connect(lineTable_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!filling_)
            QTimer::singleShot(0, this,
                               [this, row = item->row(), column = item->column(),
                                text = item->text()] { lineEdited(row, column, text); });
    });
    auto* addLine = new QPushButton(QStringLiteral("Добавить линию"), lines);
    addLine->setObjectName(QStringLiteral("addLineButton"));
    connect(addLine, &QPushButton::clicked, this, &ProjectWindow::addLine);
    auto* removeLine = new QPushButton(QStringLiteral("Удалить линию"), lines);
    removeLine->setObjectName(QStringLiteral("removeLineButton"));
    connect(removeLine, &QPushButton::clicked, this, &ProjectWindow::removeSelectedLine);
    auto* lineButtons = new QHBoxLayout;
    lineButtons->addWidget(addLine);
    lineButtons->addWidget(removeLine);
    lineButtons->addStretch();
    totals_ = new QPlainTextEdit(lines);
    totals_->setObjectName(QStringLiteral("totals"));
    totals_->setReadOnly(true);
    linesLayout->addWidget(lineTable_);
    linesLayout->addLayout(lineButtons);
    linesLayout->addWidget(totals_);

    auto* split = new QSplitter(Qt::Vertical, central);
    split->addWidget(rooms);
    split->addWidget(lines);
    // A building has many more rooms than lines.
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);
    setCentralWidget(central);

    figuresJob_ = std::make_unique<FiguresJob>(
        cache_, [this](const project::ProjectFigures& figures) { showFigures(figures); },
        [this](std::size_t done, std::size_t total) {
            progress_->setMaximum(static_cast<int>(total));
            progress_->setValue(static_cast<int>(done));
        });
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("figuresProgress"));
    progress_->setFormat(QStringLiteral("Расчет уровней: %v из %m"));
    progress_->hide();
    statusBar()->addPermanentWidget(progress_);

    buildMenu();
    connect(&undo_, &QUndoStack::cleanChanged, this, &ProjectWindow::showTitle);
    connect(&undo_, &QUndoStack::cleanChanged, this, &ProjectWindow::unsavedChanged);
    recoveryTimer_.setInterval(ProjectRecovery::kInterval);
    connect(&recoveryTimer_, &QTimer::timeout, this, &ProjectWindow::writeRecoveryCopy);
    apply(project_);
}

ProjectWindow::~ProjectWindow() = default;

QWidget* ProjectWindow::buildHeader() {
    auto* header = new QWidget(this);
    auto* form = new QFormLayout(header);
    const auto field = [&](const char* name, const QString& caption) {
        auto* edit = new QLineEdit(header);
        edit->setObjectName(QString::fromLatin1(name));
        form->addRow(caption, edit);
        connect(edit, &QLineEdit::editingFinished, this, &ProjectWindow::headerEdited);
        return edit;
    };
    nameField_ = field("projectName", QStringLiteral("&Название:"));
    objectField_ = field("objectName", QStringLiteral("&Объект:"));
    addressField_ = field("address", QStringLiteral("&Адрес:"));
    authorField_ = field("author", QStringLiteral("А&втор:"));
    return header;
}

void ProjectWindow::buildMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Файл"));
    const auto command = [&](QMenu* menu, const QString& text, const QKeySequence& keys,
                             const char* name, auto slot) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    command(file, QStringLiteral("&Создать"), QKeySequence::New, "newAction",
            &ProjectWindow::newProject);
    command(file, QStringLiteral("&Открыть…"), QKeySequence::Open, "openAction",
            &ProjectWindow::openFile);
    recentMenu_ = file->addMenu(QStringLiteral("&Последние проекты"));
    recentMenu_->setObjectName(QStringLiteral("recentMenu"));
    showRecent();
    command(file, QStringLiteral("С&охранить"), QKeySequence::Save, "saveAction",
            &ProjectWindow::save);
    command(file, QStringLiteral("Сохранить &как…"), QKeySequence(QStringLiteral("Ctrl+Shift+S")),
            "saveAsAction", &ProjectWindow::saveAs);
    file->addSeparator();
    command(file, QStringLiteral("&Экспорт в PDF…"), QKeySequence(), "pdfAction",
            [this] { exporter_.savePdf(project_, shownName(), fileName_, &cache_); });
    command(file, QStringLiteral("Спецификация &CSV…"), QKeySequence(), "billAction",
            [this] { exporter_.saveBill(project_, fileName_); });

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Правка"));
    QAction* undo = undo_.createUndoAction(this, QStringLiteral("&Отменить"));
    undo->setObjectName(QStringLiteral("undoAction"));
    undo->setShortcut(QKeySequence::Undo);
    edit->addAction(undo);
    QAction* redo = undo_.createRedoAction(this, QStringLiteral("&Повторить"));
    redo->setObjectName(QStringLiteral("redoAction"));
    redo->setShortcut(QKeySequence::Redo);
    edit->addAction(redo);
    edit->addSeparator();
    command(edit, QStringLiteral("&Добавить из расчета"), QKeySequence(), "addAction",
            &ProjectWindow::addFromCalculation);
    command(edit, QStringLiteral("Открыть в &расчете"), QKeySequence(), "openInCalculationAction",
            &ProjectWindow::openInCalculation);
    command(edit, QStringLiteral("О&бновить из расчета"), QKeySequence(),
            "updateFromCalculationAction", &ProjectWindow::updateFromCalculation);
    // Delete belongs to the rooms table only: in a field it deletes text.
    QAction* remove = command(edit, QStringLiteral("&Удалить помещение"), QKeySequence::Delete,
                              "removeAction", &ProjectWindow::removeSelectedRoom);
    remove->setShortcutContext(Qt::WidgetShortcut);
    roomTable_->addAction(remove);
}

void ProjectWindow::change(const QString& text, project::Project changed) {
    if (changed == project_)
        return;
    undo_.push(new Edit(*this, text, project_, std::move(changed)));
}

void ProjectWindow::apply(const project::Project& project) {
    project_ = project;
    const std::array<std::pair<QLineEdit*, const std::string*>, 4> fields{{
        {nameField_, &project_.name},
        {objectField_, &project_.objectName},
        {addressField_, &project_.address},
        {authorField_, &project_.author},
    }};
    for (const auto& [edit, text] : fields)
        if (edit->text() != qs(*text))
            edit->setText(qs(*text));
    showFigures();
    showTitle();
}

void ProjectWindow::showFigures() {
    showFigures(figuresJob_->start(project_, link_.decimalSeparator()));
}

// Rooms whose levels are still being computed show «…» where the levels go.
void ProjectWindow::showFigures(const project::ProjectFigures& figures) {
    const std::string separator = link_.decimalSeparator();
    progress_->setVisible(!figures.pending.empty());
    if (!figures.pending.empty()) {
        progress_->setMaximum(static_cast<int>(project_.rooms.size()));
        progress_->setValue(0);
    }
    const auto number = [&](double value, int decimals) {
        return qs(plan::fixedText(value, decimals, separator));
    };

    std::vector<RoomTable::Row> rows(project_.rooms.size());
    for (std::size_t i = 0; i < project_.rooms.size(); ++i) {
        const project::Room& room = project_.rooms[i];
        const project::RoomFigures& f = figures.rooms[i];
        const project::Line* line = project_.line(room.line);
        const bool pending = std::binary_search(figures.pending.begin(), figures.pending.end(), i);
        const ChecksCell checks =
            pending ? ChecksCell{QStringLiteral("…"), {}, false} : checksOf(f, separator);
        const bool levels = f.calculated() && f.figures.mapped;
        RoomTable::Row& row = rows[i];
        row.cells = {
            qs(room.name),
            qs(room.floor),
            qs(room.length) + QStringLiteral(" × ") + qs(room.width) + QStringLiteral(" × ") +
                qs(room.height),
            qs(typeWord(room.type)),
            qs(room.model),
            f.calculated() ? QString::number(f.speakers.size()) : QStringLiteral("—"),
            pending  ? QStringLiteral("…")
            : levels ? number(f.figures.minLevel, 1) + QStringLiteral(" дБ")
                     : QStringLiteral("—"),
            pending ? QStringLiteral("…") : shareOf(f, separator),
            checks.text,
            line ? lineCaption(*line) : QString(),
        };
        // The size sorts by the floor's area; the checks by how many fail.
        const std::optional<double> length = parseNumber(room.length, separator);
        const std::optional<double> width = parseNumber(room.width, separator);
        if (length && width)
            row.numbers[RoomTable::kSizeColumn] = *length * *width;
        if (f.calculated()) {
            row.numbers[RoomTable::kCountColumn] = static_cast<double>(f.speakers.size());
            row.numbers[RoomTable::kChecksColumn] =
                checks.failures.isEmpty() ? 0.0 : 1.0 + checks.failures.count(QLatin1Char('\n'));
        }
        if (levels) {
            row.numbers[RoomTable::kLevelColumn] = f.figures.minLevel;
            row.numbers[RoomTable::kShareColumn] = f.figures.shareAtTarget;
        }
        row.lineId = qs(room.line);
        row.checksTip = checks.failures;
        row.failed = checks.failed;
    }
    roomTable_->setRooms(std::move(rows));
    showSelection();

    filling_ = true;
    lineTable_->setRowCount(static_cast<int>(project_.lines.size()));
    for (std::size_t i = 0; i < project_.lines.size(); ++i) {
        const project::Line& line = project_.lines[i];
        const project::LineFigures& f = figures.lines[i];
        const std::array<QString, kLineColumns.size()> cells{
            lineCaption(line),
            QString::number(line.voltage),
            number(line.cableLength, 1),
            number(line.crossSection, 2),
            QString::number(f.rooms),
            number(f.totalWatts, 1),
            f.lossDb ? number(*f.lossDb, 2) : QStringLiteral("—"),
            number(f.amplifierWatts, 1),
        };
        for (std::size_t c = 0; c < cells.size(); ++c)
            lineTable_->setItem(static_cast<int>(i), static_cast<int>(c),
                                c < kEditableLineColumns ? new QTableWidgetItem(cells[c])
                                                         : readOnlyItem(cells[c]));
        if (f.check == project::LossCheck::Failure || f.check == project::LossCheck::Warning)
            lineTable_->item(static_cast<int>(i), kLossColumn)
                ->setForeground(f.check == project::LossCheck::Failure ? kFailureColour
                                                                       : kWarningColour);
    }
    filling_ = false;

    QStringList text{QStringLiteral("Спецификация громкоговорителей:")};
    for (const project::BillRow& row : figures.bill)
        text.append(QStringLiteral("  ") + qs(row.model) + QStringLiteral(" — ") +
                    QString::number(row.count) + QStringLiteral(" шт."));
    text.append(QStringLiteral("Суммарная мощность громкоговорителей: ") +
                number(figures.totalWatts, 1) + QStringLiteral(" Вт"));
    for (const project::LineFigures& line : figures.lines)
        for (const std::string& note : line.notes)
            text.append(qs(note));
    for (const std::string& note : figures.notes)
        text.append(qs(note));
    totals_->setPlainText(text.join(QLatin1Char('\n')));
}

QString ProjectWindow::shownName() const {
    if (!project_.name.empty())
        return qs(project_.name);
    if (!fileName_.isEmpty())
        return QFileInfo(fileName_).completeBaseName();
    return QStringLiteral("Новый проект");
}

void ProjectWindow::showTitle() {
    QString title = QStringLiteral("Проект ") + quoted(shownName());
    if (!fileName_.isEmpty())
        title += QStringLiteral(" — ") + QFileInfo(fileName_).fileName();
    setWindowTitle(title + QStringLiteral("[*]"));
    setWindowModified(!undo_.isClean());
}

std::string ProjectWindow::typedName(const QString& text) {
    QString kept;
    for (const QChar c : text)
        if (c.category() != QChar::Other_Control)
            kept.append(c);
    if (kept.size() != text.size())
        dialogs_.information(
            kProgramTitle, QStringLiteral("Управляющие символы в имени удалены: ") + quoted(kept));
    return str(kept);
}

void ProjectWindow::headerEdited() {
    project::Project changed = project_;
    changed.name = typedName(nameField_->text());
    changed.objectName = typedName(objectField_->text());
    changed.address = typedName(addressField_->text());
    changed.author = typedName(authorField_->text());
    change(QStringLiteral("Данные проекта"), std::move(changed));
}

void ProjectWindow::roomRenamed(int room, const QString& name) {
    if (room < 0 || static_cast<std::size_t>(room) >= project_.rooms.size())
        return;
    project::Project changed = project_;
    changed.rooms[static_cast<std::size_t>(room)].name = typedName(name);
    change(QStringLiteral("Имя помещения"), std::move(changed));
}

void ProjectWindow::roomFloor(int room, const QString& floor) {
    if (room < 0 || static_cast<std::size_t>(room) >= project_.rooms.size())
        return;
    project::Project changed = project_;
    changed.rooms[static_cast<std::size_t>(room)].floor = typedName(floor);
    change(QStringLiteral("Этаж помещения"), std::move(changed));
    // A room that changed its floor may stand elsewhere now; it stays the current one.
    roomTable_->setCurrentRoom(room);
}

void ProjectWindow::roomWired(int room, const QString& lineId) {
    if (room < 0 || static_cast<std::size_t>(room) >= project_.rooms.size())
        return;
    project::Project changed = project_;
    changed.rooms[static_cast<std::size_t>(room)].line = lineId.toStdString();
    change(QStringLiteral("Линия помещения"), std::move(changed));
}

void ProjectWindow::moveRoom(int room, int target, bool after) {
    const auto count = static_cast<int>(project_.rooms.size());
    if (room < 0 || room >= count || target < 0 || target >= count || room == target)
        return;
    project::Project changed = project_;
    project::Room moved = std::move(changed.rooms[static_cast<std::size_t>(room)]);
    moved.floor = changed.rooms[static_cast<std::size_t>(target)].floor;
    changed.rooms.erase(changed.rooms.begin() + room);
    const int place = (target > room ? target - 1 : target) + (after ? 1 : 0);
    changed.rooms.insert(changed.rooms.begin() + place, std::move(moved));
    change(QStringLiteral("Перемещение помещения"), std::move(changed));
    roomTable_->setCurrentRoom(place);
}

void ProjectWindow::addLine() {
    project::Project changed = project_;
    project::Line line;
    line.id = freeLineId(changed);
    line.name = "Линия " + std::to_string(changed.lines.size() + 1);
    changed.lines.push_back(std::move(line));
    change(QStringLiteral("Добавление линии"), std::move(changed));
}

// A line that goes takes its rooms' wiring with it: a room never names a line that is not there.
void ProjectWindow::removeSelectedLine() {
    const int row = lineTable_->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= project_.lines.size())
        return;
    project::Project changed = project_;
    const std::string id = changed.lines[static_cast<std::size_t>(row)].id;
    changed.lines.erase(changed.lines.begin() + row);
    for (project::Room& room : changed.rooms)
        if (room.line == id)
            room.line.clear();
    change(QStringLiteral("Удаление линии"), std::move(changed));
}

// A typed value the file could not hold is refused with the file's own reason.
void ProjectWindow::lineEdited(int row, int column, const QString& text) {
    if (row < 0 || static_cast<std::size_t>(row) >= project_.lines.size() ||
        column >= kEditableLineColumns)
        return;
    project::Project changed = project_;
    project::Line& line = changed.lines[static_cast<std::size_t>(row)];
    const std::string typed = text.trimmed().toStdString();
    const std::optional<double> number = parseNumber(typed, link_.decimalSeparator());
    switch (static_cast<LineField>(column)) {
    case LineField::Name:
        line.name = typedName(text.trimmed());
        break;
    case LineField::Voltage:
        // Anything but a whole number of volts stands as 0, which the check refuses.
        line.voltage = number && *number == std::round(*number) && std::abs(*number) < 1e6
                           ? static_cast<int>(*number)
                           : 0;
        break;
    case LineField::CableLength:
        line.cableLength = number.value_or(-1);
        break;
    case LineField::CrossSection:
        line.crossSection = number.value_or(-1);
        break;
    }
    const std::string fault = project::checkProject(changed);
    if (!fault.empty()) {
        dialogs_.information(kProgramTitle, QStringLiteral("Значение «") + text +
                                                QStringLiteral("» не подходит: ") + qs(fault));
        showFigures();
        return;
    }
    change(QStringLiteral("Данные линии"), std::move(changed));
}

// A room added while another is current goes onto that one's floor: floors are filled one at a
// time.
void ProjectWindow::addFromCalculation() {
    std::optional<project::Room> room = link_.lastCalculation();
    if (!room) {
        dialogs_.information(kProgramTitle, kCalculateFirst);
        return;
    }
    const int current = roomTable_->currentRoom();
    if (current >= 0)
        room->floor = project_.rooms[static_cast<std::size_t>(current)].floor;
    project::Project changed = project_;
    changed.rooms.push_back(std::move(*room));
    change(QStringLiteral("Добавление помещения"), std::move(changed));
    roomTable_->setCurrentRoom(static_cast<int>(project_.rooms.size()) - 1);
}

void ProjectWindow::removeSelectedRoom() {
    const int room = roomTable_->currentRoom();
    if (room < 0 || static_cast<std::size_t>(room) >= project_.rooms.size())
        return;
    project::Project changed = project_;
    changed.rooms.erase(changed.rooms.begin() + room);
    change(QStringLiteral("Удаление помещения"), std::move(changed));
}

void ProjectWindow::openInCalculation() {
    const int room = roomTable_->currentRoom();
    if (room < 0)
        return;
    const QString notes = link_.openRoom(project_.rooms[static_cast<std::size_t>(room)]);
    if (!notes.isEmpty())
        dialogs_.information(kProgramTitle, notes);
}

// The room keeps what the main window does not hold: its name, floor, line and unknown keys.
void ProjectWindow::updateFromCalculation() {
    const int room = roomTable_->currentRoom();
    if (room < 0)
        return;
    std::optional<project::Room> calculated = link_.lastCalculation();
    if (!calculated) {
        dialogs_.information(kProgramTitle, kCalculateFirst);
        return;
    }
    project::Project changed = project_;
    project::Room& kept = changed.rooms[static_cast<std::size_t>(room)];
    calculated->name = std::move(kept.name);
    calculated->floor = std::move(kept.floor);
    calculated->line = std::move(kept.line);
    calculated->unknown = std::move(kept.unknown);
    kept = std::move(*calculated);
    change(QStringLiteral("Обновление помещения из расчета"), std::move(changed));
}

void ProjectWindow::showSelection() {
    const bool chosen = roomTable_->currentRoom() >= 0;
    openInButton_->setEnabled(chosen);
    updateButton_->setEnabled(chosen);
}

bool ProjectWindow::settleChanges() {
    if (undo_.isClean())
        return true;
    switch (dialogs_.question(kProgramTitle, QStringLiteral("Сохранить изменения в проекте ") +
                                                 quoted(shownName()) + QStringLiteral("?"))) {
    case Dialogs::Answer::Yes:
        return save();
    case Dialogs::Answer::No:
        return true;
    case Dialogs::Answer::Cancel:
        break;
    }
    return false;
}

void ProjectWindow::replace(const project::Project& project, const QString& fileName) {
    fileName_ = fileName;
    stampFile();
    undo_.clear();
    apply(project);
}

void ProjectWindow::newProject() {
    if (!settleChanges())
        return;
    replace({}, {});
    recent_.setLast({});
}

void ProjectWindow::openFile() {
    if (!settleChanges())
        return;
    const QString folder = fileName_.isEmpty() ? workingFolder_ : QFileInfo(fileName_).path();
    const QString path =
        dialogs_.openFileName(QStringLiteral("Открыть проект"), folder, kFileFilter);
    if (!path.isEmpty())
        load(path);
}

void ProjectWindow::open(const QString& path) {
    if (settleChanges())
        load(path);
}

void ProjectWindow::openLast() {
    const QString last = recent_.last();
    if (last.isEmpty())
        return;
    if (QFileInfo::exists(last)) {
        load(last);
        return;
    }
    recent_.remove(last);
    showRecent();
    dialogs_.information(kProgramTitle, QStringLiteral("Последний проект ") + quoted(last) +
                                            QStringLiteral(" не найден и убран из списка "
                                                           "последних проектов."));
}

void ProjectWindow::load(const QString& path) {
    project::ReadOutcome read = project::openProject(path.toStdString());
    if (!read.project) {
        dialogs_.information(kProgramTitle, QStringLiteral("Не удалось открыть файл ") +
                                                quoted(path) + QStringLiteral(": ") +
                                                qs(read.error));
        return;
    }
    replace(*read.project, path);
    recent_.add(path);
    recent_.setLast(path);
    showRecent();
}

void ProjectWindow::showRecent() {
    recentMenu_->clear();
    const QStringList files = recent_.files();
    for (int i = 0; i < files.size(); ++i) {
        // The number is the key that picks the file from the open menu.
        QAction* action = recentMenu_->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(files[i])));
        action->setData(files[i]);
        connect(action, &QAction::triggered, this, [this, path = files[i]] { openRecent(path); });
    }
    recentMenu_->setEnabled(!files.isEmpty());
}

// A file gone since is dropped from the list with a word, rather than failing every time.
void ProjectWindow::openRecent(const QString& path) {
    if (!QFileInfo::exists(path)) {
        recent_.remove(path);
        showRecent();
        dialogs_.information(kProgramTitle, QStringLiteral("Файл ") + quoted(path) +
                                                QStringLiteral(" не найден и убран из списка "
                                                               "последних проектов."));
        return;
    }
    open(path);
}

bool ProjectWindow::save() {
    return fileName_.isEmpty() ? saveAs() : saveTo(fileName_);
}

bool ProjectWindow::saveAs() {
    QString filter = kFileFilter;
    const QString folder = fileName_.isEmpty() ? workingFolder_ : QFileInfo(fileName_).path();
    const QString path =
        dialogs_.saveFileName(QStringLiteral("Сохранить проект"), folder, kFileFilter, &filter);
    return !path.isEmpty() && saveTo(path);
}

bool ProjectWindow::saveTo(const QString& path) {
    if (path == fileName_ && fileChangedElsewhere() &&
        dialogs_.yesNoQuestion(kProgramTitle,
                               QStringLiteral("Файл ") + quoted(path) +
                                   QStringLiteral(" изменен другой программой после того, как "
                                                  "проект был открыт или сохранен. Заменить его "
                                                  "текущим проектом?")) != Dialogs::Answer::Yes)
        return false;
    const std::string failure = project::saveProject(path.toStdString(), project_);
    if (!failure.empty()) {
        dialogs_.information(kProgramTitle, QStringLiteral("Не удалось сохранить проект в файл ") +
                                                quoted(path) + QStringLiteral(": ") + qs(failure));
        return false;
    }
    fileName_ = path;
    stampFile();
    undo_.setClean();
    showTitle();
    recent_.add(path);
    recent_.setLast(path);
    showRecent();
    return true;
}

void ProjectWindow::stampFile() {
    const QFileInfo file(fileName_);
    fileModified_ = file.exists() ? file.lastModified() : QDateTime();
    fileSize_ = file.exists() ? file.size() : -1;
}

// A file that is gone is not another program's work to keep: saving makes it anew.
bool ProjectWindow::fileChangedElsewhere() const {
    const QFileInfo file(fileName_);
    return !fileName_.isEmpty() && file.exists() &&
           (file.lastModified() != fileModified_ || file.size() != fileSize_);
}

void ProjectWindow::keepRecoveryCopies(ProjectRecovery& recovery) {
    recovery_ = &recovery;
    unsavedChanged(undo_.isClean());
}

void ProjectWindow::unsavedChanged(bool clean) {
    if (recovery_ == nullptr)
        return;
    if (clean) {
        recoveryTimer_.stop();
        recovery_->drop();
    } else if (!recoveryTimer_.isActive()) {
        recoveryTimer_.start();
    }
}

// A copy that cannot be written is not worth a box every minute: the status bar says it.
void ProjectWindow::writeRecoveryCopy() {
    if (recovery_ == nullptr || undo_.isClean())
        return;
    const std::string failure = recovery_->keep(project_, fileName_);
    if (failure.empty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(QStringLiteral("Не удалось записать копию для восстановления: ") +
                                 qs(failure));
}

void ProjectWindow::restore(const project::Project& project, const QString& fileName) {
    replace(project, fileName);
    // Never clean again until saved: the changes are the crash's, not on disk.
    undo_.resetClean();
    showTitle();
    unsavedChanged(false);
    writeRecoveryCopy();
}

bool ProjectWindow::mayClose() {
    return settleChanges();
}

// Closing on «Нет» gives the changes up: the window opens next time as the project was saved.
void ProjectWindow::closeEvent(QCloseEvent* event) {
    if (!settleChanges()) {
        event->ignore();
        return;
    }
    if (!undo_.isClean()) {
        if (undo_.cleanIndex() >= 0) {
            undo_.setIndex(undo_.cleanIndex());
        } else {
            // Taken back after a crash: as saved is what the file holds, if it still reads.
            const project::ReadOutcome read =
                fileName_.isEmpty() ? project::ReadOutcome{} : project::openProject(str(fileName_));
            if (read.project)
                replace(*read.project, fileName_);
            else
                replace({}, {});
        }
    }
    event->accept();
}

} // namespace pa
