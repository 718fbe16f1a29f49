#include "ui/plan/plan_window.h"
#include "ui/qt_text.h"

#include "ui/artwork.h"
#include "ui/plan/plan_help.h"
#include "ui/table_style.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStringList>
#include <QTabWidget>
#include <QTableWidget>

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <utility>

namespace pa {

namespace {

const QString kWindowTitle = QStringLiteral("План помещения");
const QString kBeforeCalculation = QStringLiteral("Нажмите «РАСЧИТАТЬ», чтобы построить план");
const QString kNoPlan = QStringLiteral("План не построен. ");
const QString kStaleLine = QStringLiteral("Исходные данные изменились — нажмите «РАСЧИТАТЬ»");
const QString kLayOutAnewQuestion =
    QStringLiteral("Расстановка изменена вручную. Расставить громкоговорители заново?");
const QString kUndo = QStringLiteral("Отменить");
const QString kRedo = QStringLiteral("Повторить");
// Undo steps kept; a step holds two whole layouts.
constexpr int kUndoSteps = 100;
constexpr int kJoinableStep = 1;

// What the user can do to the drawn plan now.
QString editHint(std::size_t count, bool selected) {
    QStringList keys;
    if (count < plan::kMaxDrawnSpeakers)
        keys.append(QStringLiteral("двойной щелчок на полу — добавить"));
    if (selected)
        keys.append(QStringLiteral("Delete — удалить"));
    QString hint = keys.join(QStringLiteral(", "));
    if (count > 0)
        hint.prepend(QStringLiteral("перетащите громкоговоритель мышью") +
                     (hint.isEmpty() ? QString() : QStringLiteral("; ")));
    if (!hint.isEmpty())
        hint[0] = hint[0].toUpper();
    return hint;
}

// Positions kept from another room: inside this one, wall loudspeakers on their walls.
std::vector<plan::Speaker> fitted(std::vector<plan::Speaker> speakers, const plan::PlanInputs& in) {
    for (plan::Speaker& s : speakers)
        s = plan::inRoom(in, s);
    return speakers;
}

// The spin boxes read and write numbers with the figures' separator.
QLocale localeWith(const QString& separator) {
    QLocale locale = separator == QStringLiteral(",") ? QLocale(QLocale::Russian, QLocale::Russia)
                                                      : QLocale::c();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

template <typename T> int indexOf(const std::vector<T>& entries, const T& entry) {
    const auto found = std::find(entries.begin(), entries.end(), entry);
    return found == entries.end() ? -1 : static_cast<int>(found - entries.begin());
}

// The snapping offered while dragging, in the list's order; the tiles of a 0.6 m ceiling grid
// take their loudspeakers in the middle of each tile.
struct SnapChoice {
    std::string_view prefix;
    Snap snap;
    int decimals;
};
constexpr std::array kSnaps{
    SnapChoice{"", {}, 0},       SnapChoice{"", {0.05, 0}, 2},         SnapChoice{"", {0.1, 0}, 1},
    SnapChoice{"", {0.5, 0}, 1}, SnapChoice{"плитка ", {0.6, 0.3}, 1},
};

// The maps offered, in the list's order.
struct MapChoice {
    const char* name;
    MapKind kind;
};
constexpr std::array kMaps{MapChoice{"Прямой звук", MapKind::Direct},
                           MapChoice{"Полный уровень", MapKind::Total},
                           MapChoice{"Разборчивость (STI)", MapKind::Sti}};

const QString kWorstRowTip = QStringLiteral("Выберите строку, чтобы найти худшую точку на плане");

// A check's value in the colour of its verdict: met green, not met red, one that could not be
// made in a neutral brown; dark enough to read on the light rows.
QBrush verdictBrush(plan::Verdict verdict) {
    switch (verdict) {
    case plan::Verdict::Met:
        return kMetColour;
    case plan::Verdict::NotMet:
        return kFailureColour;
    case plan::Verdict::NoSpeakers:
        return kUnmadeColour;
    case plan::Verdict::None:
        break;
    }
    return {};
}

// Sets a cell only where it changed: a drag rewrites the figures many times a second.
void setCell(QTableWidget& table, int row, int column, const QString& text, const QBrush& brush,
             const QString& tip) {
    QTableWidgetItem* item = table.item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        table.setItem(row, column, item);
    }
    item->setText(text);
    item->setForeground(brush);
    item->setToolTip(tip);
    QFont font = table.font();
    font.setBold(brush.style() != Qt::NoBrush);
    item->setFont(font);
}

} // namespace

// One change of the layout. The change is shown before the step is pushed, so the stack's first
// redo has nothing to do.
class PlanWindow::LayoutStep final : public QUndoCommand {
public:
    LayoutStep(PlanWindow& window, Layout before, Layout after, const QString& name, bool joinable)
        : QUndoCommand(name), window_(window), before_(std::move(before)), after_(std::move(after)),
          joinable_(joinable) {}

    // A layout by method also chooses the method.
    void setMethods(Arrangement before, Arrangement after) {
        methodBefore_ = before;
        methodAfter_ = after;
    }

    void undo() override { window_.apply(before_, methodBefore_); }
    void redo() override {
        if (!std::exchange(shown_, false))
            window_.apply(after_, methodAfter_);
    }
    int id() const override { return joinable_ ? kJoinableStep : -1; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = dynamic_cast<const LayoutStep*>(other);
        if (!next || next->text() != text())
            return false;
        after_ = next->after_;
        setObsolete(after_.speakers == before_.speakers);
        return true;
    }

private:
    PlanWindow& window_;
    Layout before_;
    Layout after_;
    std::optional<Arrangement> methodBefore_;
    std::optional<Arrangement> methodAfter_;
    bool joinable_ = false;
    bool shown_ = true;
};

PlanWindow::PlanWindow(PlanDialogs& dialogs, std::function<std::string()> decimalSeparator,
                       QWidget* parent)
    : QWidget(parent, Qt::Window), dialogs_(dialogs),
      decimalSeparator_(std::move(decimalSeparator)), exporter_(dialogs, QString()) {
    setObjectName(QStringLiteral("PlanWindow"));
    setWindowTitle(kWindowTitle);
    setWindowIcon(artwork::windowIcon());
    // Dark green titles and dark blue labels, as in the main window, need its light colours.
    setPalette(lightPalette());
    setFont(tableFont(layout::Font::F4));
    buildControls();
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &PlanWindow::showHelp);
    connect(help_, &QPushButton::clicked, this, &PlanWindow::showHelp);
    // Picking the worst point's row shows the point; a click on the picked row shows it again.
    auto pickRow = [this](int row) {
        if (row >= 0 && row == worstRow_)
            view_->flashWorstPoint();
    };
    connect(figures_, &QTableWidget::currentCellChanged, this, pickRow);
    connect(figures_, &QTableWidget::cellClicked, this, pickRow);
    auto saveAs = [this] {
        if (export_->isEnabled())
            exporter_.saveAs(document());
    };
    auto print = [this] {
        if (export_->isEnabled())
            exporter_.print(document());
    };
    connect(export_, &QPushButton::clicked, this, saveAs);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, saveAs);
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this, print);
    connect(reset_, &QPushButton::clicked, this, [this] {
        if (inputs_ && !stale_)
            layOutAnew(QStringLiteral("сброс расстановки"), method_, current());
    });
    connect(methods_, &QComboBox::activated, this, &PlanWindow::chooseMethod);
    connect(view_, &PlanView::edited, this, [this] {
        showFigures();
        showSelected();
    });
    connect(view_, &PlanView::stepDone, this, &PlanWindow::userStep);
    connect(view_, &PlanView::selectionChanged, this, [this] {
        notice_.clear();
        showSelected();
        showState();
    });
    connect(view_, &PlanView::addRefused, this, [this] {
        notice_ = QStringLiteral("Не больше %1 громкоговорителей на плане — новый не добавлен")
                      .arg(plan::kMaxDrawnSpeakers);
        showState();
    });
    connect(fit_, &QPushButton::clicked, view_, &PlanView::fitRoom);
    connect(snaps_, &QComboBox::activated, this,
            [this](int index) { view_->setSnap(kSnaps.at(static_cast<std::size_t>(index)).snap); });

    connect(selectedX_, &QDoubleSpinBox::valueChanged, this, [this](double x) {
        if (std::optional<plan::Speaker> s = selectedSpeaker()) {
            s->x = x;
            replaceSelected(*s, PlanView::moveStepName(view_->scene().selected));
        }
    });
    connect(selectedY_, &QDoubleSpinBox::valueChanged, this, [this](double y) {
        std::optional<plan::Speaker> s = selectedSpeaker();
        if (s && s->wall == plan::Wall::None) {
            s->y = y;
            replaceSelected(*s, PlanView::moveStepName(view_->scene().selected));
        }
    });
    connect(selectedWall_, &QComboBox::activated, this, [this](int index) {
        std::optional<plan::Speaker> s = selectedSpeaker();
        if (!s || s->wall == plan::Wall::None)
            return;
        s->wall = static_cast<plan::Wall>(selectedWall_->itemData(index).toInt());
        const bool far = s->wall == plan::Wall::Far;
        s->y = far ? inputs_->width : 0;
        replaceSelected(*s, QStringLiteral("перенос громкоговорителя %1 на %2 стену")
                                .arg(view_->scene().selected + 1)
                                .arg(far ? QStringLiteral("дальнюю") : QStringLiteral("ближнюю")));
    });

    connect(maps_, &QComboBox::activated, this, &PlanWindow::chooseMap);
    connect(roomPanel_, &RoomPanel::changed, this, &PlanWindow::readRoom);

    undo_.setUndoLimit(kUndoSteps);
    connect(&undo_, &QUndoStack::indexChanged, this, &PlanWindow::showUndoButtons);
    connect(undoButton_, &QPushButton::clicked, this, &PlanWindow::undo);
    connect(redoButton_, &QPushButton::clicked, this, &PlanWindow::redo);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this), &QShortcut::activated, this,
            &PlanWindow::undo);
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &PlanWindow::redo);

    methods_->setEnabled(false);
    reset_->setEnabled(false);
    export_->setEnabled(false);
    refresh();
    showUndoButtons();
    fit_->setEnabled(false);
}

void PlanWindow::buildControls() {
    auto frame = [](const QString& title) {
        auto* box = new QGroupBox(title);
        box->setFont(tableFont(layout::Font::F7));
        QPalette palette = box->palette();
        palette.setColor(QPalette::WindowText, tableColour(layout::Colour::DarkGreen));
        box->setPalette(palette);
        return box;
    };
    auto caption = [](const QString& text) {
        auto* label = new QLabel(text);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setFont(tableFont(layout::Font::F1));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, tableColour(layout::Colour::DarkBlue));
        label->setPalette(palette);
        return label;
    };

    view_ = new PlanView;
    view_->setAccessibleName(kWindowTitle);
    state_ = caption(QString());
    state_->setObjectName(QStringLiteral("LblPlanState"));
    state_->setFont(tableFont(layout::Font::F3));

    methods_ = new QComboBox;
    methods_->setObjectName(QStringLiteral("CmbMethod"));
    methods_->setFont(tableFont(layout::Font::F3));
    QLabel* methodCaption = caption(QStringLiteral("Способ размещения"));
    methodCaption->setBuddy(methods_);
    methods_->setAccessibleName(methodCaption->text());

    reset_ = new QPushButton(QStringLiteral("Сбросить"));
    reset_->setObjectName(QStringLiteral("BtnReset"));
    reset_->setToolTip(QStringLiteral("Разместить громкоговорители заново выбранным способом"));
    help_ = new QPushButton(QStringLiteral("?"));
    help_->setObjectName(QStringLiteral("BtnHelp"));
    help_->setToolTip(helpTitle() + QStringLiteral(" (F1)"));
    help_->setAccessibleName(helpTitle());
    export_ = new QPushButton(QStringLiteral("Экспорт…"));
    export_->setObjectName(QStringLiteral("BtnExport"));
    export_->setToolTip(
        QStringLiteral("Сохранить план в PDF, SVG, PNG, DXF или CSV (Ctrl+S); печать — Ctrl+P"));
    undoButton_ = new QPushButton(kUndo);
    undoButton_->setObjectName(QStringLiteral("undoButton"));
    redoButton_ = new QPushButton(kRedo);
    redoButton_->setObjectName(QStringLiteral("redoButton"));
    for (QPushButton* button : {reset_, export_, help_, undoButton_, redoButton_}) {
        button->setAutoDefault(false);
        button->setFont(tableFont(layout::Font::F3));
    }

    // Caption and value side by side, both wrapped, rows as tall as their text.
    figures_ = new QTableWidget(0, 2);
    figures_->setObjectName(QStringLiteral("figureTable"));
    figures_->horizontalHeader()->hide();
    figures_->verticalHeader()->hide();
    figures_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    figures_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    figures_->setShowGrid(false);
    figures_->setWordWrap(true);
    figures_->setAlternatingRowColors(true);
    figures_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    figures_->setSelectionBehavior(QAbstractItemView::SelectRows);
    figures_->setSelectionMode(QAbstractItemView::SingleSelection);
    figures_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    figures_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    figures_->setTabKeyNavigation(false);
    figures_->setFont(tableFont(layout::Font::F2));
    figures_->setAccessibleName(QStringLiteral("Показатели плана"));

    snaps_ = new QComboBox;
    snaps_->setObjectName(QStringLiteral("snapList"));
    for (std::size_t i = 0; i < kSnaps.size(); ++i)
        snaps_->addItem(QString());
    nameSnaps();
    QLabel* snapCaption = caption(QStringLiteral("Привязка"));
    snapCaption->setBuddy(snaps_);
    snaps_->setAccessibleName(snapCaption->text());
    snaps_->setToolTip(
        QStringLiteral("Шаг, по которому ставится перетаскиваемый громкоговоритель"));
    fit_ = new QPushButton(QStringLiteral("Вписать"));
    fit_->setObjectName(QStringLiteral("fitButton"));
    fit_->setAutoDefault(false);
    fit_->setToolTip(QStringLiteral("Показать всё помещение (0); колесо мыши, + и − — масштаб, "
                                    "средняя кнопка или пробел с левой — сдвиг"));

    QGroupBox* layoutBox = frame(QStringLiteral("Размещение"));
    auto* layoutColumn = new QVBoxLayout(layoutBox);
    layoutColumn->addWidget(methodCaption);
    layoutColumn->addWidget(methods_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(reset_, 1);
    buttons->addWidget(export_, 1);
    buttons->addWidget(help_);
    layoutColumn->addLayout(buttons);
    auto* steps = new QHBoxLayout;
    steps->addWidget(undoButton_, 1);
    steps->addWidget(redoButton_, 1);
    layoutColumn->addLayout(steps);
    auto* viewRow = new QHBoxLayout;
    viewRow->addWidget(snapCaption);
    viewRow->addWidget(snaps_, 1);
    viewRow->addWidget(fit_);
    layoutColumn->addLayout(viewRow);
    maps_ = new QComboBox;
    maps_->setObjectName(QStringLiteral("mapList"));
    for (const MapChoice& choice : kMaps)
        maps_->addItem(QString::fromUtf8(choice.name));
    QLabel* mapCaption = caption(QStringLiteral("Карта"));
    mapCaption->setBuddy(maps_);
    maps_->setAccessibleName(mapCaption->text());
    maps_->setFont(tableFont(layout::Font::F3));
    auto* mapRow = new QHBoxLayout;
    mapRow->addWidget(mapCaption);
    mapRow->addWidget(maps_, 1);
    layoutColumn->addLayout(mapRow);
    for (QWidget* w :
         std::initializer_list<QWidget*>{methods_, reset_, export_, help_, snaps_, fit_})
        w->setFont(tableFont(layout::Font::F3));

    selectedBox_ = frame(QStringLiteral("Выбранный громкоговоритель"));
    selectedBox_->setObjectName(QStringLiteral("selectedBox"));
    selectedForm_ = new QFormLayout(selectedBox_);
    selectedNumber_ = caption(QString());
    selectedNumber_->setObjectName(QStringLiteral("selectedNumber"));
    selectedForm_->addRow(selectedNumber_);
    auto coordinate = [&](const char* name, const QString& axis) {
        auto* spin = new QDoubleSpinBox;
        spin->setObjectName(QLatin1String(name));
        spin->setDecimals(2);
        spin->setSingleStep(0.1);
        spin->setSuffix(QStringLiteral(" м"));
        // One step per typed value, not one per keystroke.
        spin->setKeyboardTracking(false);
        spin->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
        spin->setFont(tableFont(layout::Font::F3));
        QLabel* label = caption(axis);
        label->setBuddy(spin);
        spin->setAccessibleName(axis);
        selectedForm_->addRow(label, spin);
        return spin;
    };
    selectedX_ = coordinate("selectedX", QStringLiteral("X"));
    selectedY_ = coordinate("selectedY", QStringLiteral("Y"));
    selectedWall_ = new QComboBox;
    selectedWall_->setObjectName(QStringLiteral("selectedWall"));
    selectedWall_->setFont(tableFont(layout::Font::F3));
    selectedWall_->addItem(QStringLiteral("ближняя (Y = 0)"), static_cast<int>(plan::Wall::Near));
    selectedWall_->addItem(QStringLiteral("дальняя (Y = W)"), static_cast<int>(plan::Wall::Far));
    QLabel* wallCaption = caption(QStringLiteral("Стена"));
    wallCaption->setBuddy(selectedWall_);
    selectedWall_->setAccessibleName(wallCaption->text());
    selectedForm_->addRow(wallCaption, selectedWall_);
    selectedLevel_ = caption(QString());
    selectedLevel_->setObjectName(QStringLiteral("selectedLevel"));
    selectedForm_->addRow(selectedLevel_);

    // The room's acoustics share the figures' place: each is read on its own.
    auto* figuresBox = new QTabWidget;
    figuresBox->setFont(tableFont(layout::Font::F3));
    figuresBox->addTab(figures_, QStringLiteral("Показатели"));
    QGroupBox* roomBox = frame(QStringLiteral("Акустика помещения"));
    roomBox->setObjectName(QStringLiteral("roomBox"));
    roomPanel_ = new RoomPanel;
    (new QVBoxLayout(roomBox))->addWidget(roomPanel_);
    auto* roomScroll = new QScrollArea;
    roomScroll->setWidget(roomBox);
    roomScroll->setWidgetResizable(true);
    roomScroll->setFrameShape(QFrame::NoFrame);
    roomScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    figuresBox->addTab(roomScroll, QStringLiteral("Акустика"));

    auto* side = new QVBoxLayout;
    side->addWidget(layoutBox);
    side->addWidget(selectedBox_);
    side->addWidget(figuresBox, 1);

    auto* pictureColumn = new QVBoxLayout;
    pictureColumn->addWidget(state_);
    pictureColumn->addWidget(view_, 1);

    auto* row = new QHBoxLayout(this);
    row->addLayout(pictureColumn, 1);
    row->addLayout(side);
    layoutBox->setFixedWidth(380);
    selectedBox_->setFixedWidth(380);
    figuresBox->setFixedWidth(380);

    setTabOrder(view_, methods_);
    setTabOrder(methods_, reset_);
    setTabOrder(reset_, export_);
    setTabOrder(export_, help_);
    setTabOrder(help_, snaps_);
    setTabOrder(snaps_, fit_);
    setTabOrder(fit_, undoButton_);
    setTabOrder(undoButton_, redoButton_);
    setTabOrder(redoButton_, selectedX_);
    setTabOrder(selectedX_, selectedY_);
    setTabOrder(selectedY_, selectedWall_);
    setTabOrder(selectedWall_, figures_);
    setTabOrder(fit_, maps_);
    setMinimumSize(800, 500);
    resize(1100, 660);
}

void PlanWindow::fillMethods(SpeakerType type) {
    methods_->clear();
    arrangements_.clear();
    for (const plan::Method method : plan::methodsFor(type)) {
        if (method == plan::Method::OneWall) {
            arrangements_.push_back({method, plan::Wall::Near});
            arrangements_.push_back({method, plan::Wall::Far});
        } else {
            arrangements_.push_back({method, plan::Wall::Near});
        }
    }
    for (const Arrangement& arrangement : arrangements_)
        methods_->addItem(arrangementName(arrangement));
    methods_->setCurrentIndex(0);
    method_ = arrangements_.front();
}

void PlanWindow::showCalculation(const plan::PlanInputs& in, QList<ReportEntry> entries) {
    showInputs(in, std::move(entries), true);
}

void PlanWindow::showCalculation(const plan::PlanInputs& in, QList<ReportEntry> entries,
                                 const PlanLayout& layout) {
    showInputs(in, std::move(entries), false);
    // After the inputs: the room's height is checked against their mounting height.
    if (layout.acoustics)
        setAcoustics(*layout.acoustics);
    Arrangement chosen{layout.method,
                       layout.method == plan::Method::OneWall ? layout.oneWall : plan::Wall::Near};
    // A method the type does not offer lays out as the type's first one, as layOut does.
    if (indexOf(arrangements_, chosen) < 0)
        chosen = arrangements_.front();
    const Arrangement methodBefore = method_;
    method_ = chosen;
    layOutAnew(QStringLiteral("расстановка способом «%1»").arg(arrangementName(chosen)),
               methodBefore, current());
    if (layout.positions) {
        Layout before = current();
        Layout moved{*layout.positions, -1};
        apply(moved, std::nullopt);
        moved = current();
        if (moved.speakers != before.speakers)
            undo_.push(new LayoutStep(*this, std::move(before), std::move(moved),
                                      QStringLiteral("расстановка помещения проекта"), false));
    }
    showUndoButtons();
}

std::optional<PlanLayout> PlanWindow::layout() const {
    if (!inputs_)
        return std::nullopt;
    PlanLayout shown{method_.method, method_.wall, std::nullopt, acoustics()};
    if (handEdited())
        shown.positions = current().speakers;
    return shown;
}

void PlanWindow::showInputs(const plan::PlanInputs& in, QList<ReportEntry> entries, bool askFirst) {
    entries_ = std::move(entries);
    staleReason_.clear();
    const bool sameType = inputs_ && inputs_->type == in.type;
    const bool sameInputs = inputs_ && *inputs_ == in;
    // Asked while the old plan still shows, so the user sees what the answer keeps.
    const bool keep = sameType && (sameInputs || (askFirst && handEdited() && !askLayOutAnew()));
    Layout before = current();
    inputs_ = in;
    stale_ = false;
    roomPanel_->followCalculation(in.mountHeight, separator());
    room_.reset();
    readRoom();
    methods_->setEnabled(true);
    reset_->setEnabled(true);
    export_->setEnabled(true);
    fit_->setEnabled(true);
    nameSnaps();
    showRoom();
    if (!sameType) {
        // Positions of another kind of loudspeaker mean nothing here: the steps start over.
        fillMethods(in.type);
        undo_.clear();
        apply({laidOut(), -1}, std::nullopt);
    } else if (keep) {
        apply(before, std::nullopt);
    } else {
        layOutAnew(QStringLiteral("расстановка по новому расчету"), method_, std::move(before));
    }
    showUndoButtons();
}

void PlanWindow::markStale(const QString& reason) {
    staleReason_ = reason;
    if (!inputs_ || stale_) {
        showState();
        return;
    }
    stale_ = true;
    view_->setStale(true);
    methods_->setEnabled(false);
    reset_->setEnabled(false);
    export_->setEnabled(false);
    refresh();
    showUndoButtons();
}

const PlanScene* PlanWindow::scene() const {
    return inputs_ ? &view_->scene() : nullptr;
}

void PlanWindow::chooseMethod(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= arrangements_.size())
        return;
    const Arrangement chosen = arrangements_[static_cast<std::size_t>(index)];
    if (!inputs_ || stale_ || chosen == method_)
        return;
    if (handEdited() && !askLayOutAnew()) {
        // The method is chosen for «Сбросить»; the positions stay as the user left them.
        method_ = chosen;
        return;
    }
    const Arrangement before = method_;
    method_ = chosen;
    layOutAnew(QStringLiteral("расстановка способом «%1»").arg(arrangementName(chosen)), before,
               current());
}

bool PlanWindow::handEdited() const {
    return !undo_.isClean();
}

bool PlanWindow::askLayOutAnew() {
    // Closing the box keeps the positions.
    return dialogs_.yesNoQuestion(kWindowTitle, kLayOutAnewQuestion) == Dialogs::Answer::Yes;
}

void PlanWindow::showRoom() {
    PlanScene scene = makeScene(*inputs_, {});
    scene.decimalSeparator = separator();
    scene.map = kMaps.at(static_cast<std::size_t>(maps_->currentIndex())).kind;
    scene.room = room_;
    scene.setup = goodSetup_;
    view_->setScene(std::move(scene));
}

void PlanWindow::layOutAnew(const QString& stepName, Arrangement methodBefore, Layout before) {
    Layout after{laidOut(), -1};
    apply(after, method_);
    if (after.speakers != before.speakers || methodBefore != method_) {
        auto* step = new LayoutStep(*this, std::move(before), std::move(after), stepName, false);
        step->setMethods(methodBefore, method_);
        undo_.push(step);
    }
    undo_.setClean();
}

PlanWindow::Layout PlanWindow::current() const {
    return {view_->scene().speakers, view_->scene().selected};
}

std::optional<plan::Speaker> PlanWindow::selectedSpeaker() const {
    const PlanScene& scene = view_->scene();
    if (!inputs_ || stale_ || scene.selected < 0 ||
        static_cast<std::size_t>(scene.selected) >= scene.speakers.size())
        return std::nullopt;
    return scene.speakers[static_cast<std::size_t>(scene.selected)];
}

void PlanWindow::apply(const Layout& layout, std::optional<Arrangement> method) {
    if (method) {
        method_ = *method;
        methods_->setCurrentIndex(indexOf(arrangements_, *method));
    }
    view_->setSpeakers(fitted(layout.speakers, *inputs_), layout.selected);
    notice_.clear();
    refresh();
}

void PlanWindow::userStep(const std::vector<plan::Speaker>& before, int selectedBefore,
                          const QString& name, bool joinable) {
    undo_.push(new LayoutStep(*this, {before, selectedBefore}, current(), name, joinable));
    notice_.clear();
    showSelected();
    showState();
}

void PlanWindow::replaceSelected(const plan::Speaker& changed, const QString& stepName) {
    Layout before = current();
    Layout after = before;
    after.speakers.at(static_cast<std::size_t>(after.selected)) = changed;
    if (after.speakers == before.speakers)
        return;
    apply(after, std::nullopt);
    undo_.push(new LayoutStep(*this, std::move(before), std::move(after), stepName, false));
}

void PlanWindow::undo() {
    if (inputs_ && !stale_)
        undo_.undo();
}

void PlanWindow::redo() {
    if (inputs_ && !stale_)
        undo_.redo();
}

void PlanWindow::refresh() {
    showFigures();
    showSelected();
    showState();
}

void PlanWindow::showFigures() {
    if (!inputs_)
        return;
    const std::vector<plan::FigureRow> rows = sceneRows(view_->scene());
    showRoomFigures();
    // Rewriting the rows picks none of them; the reader's place in the table stays.
    const QSignalBlocker quiet(figures_);
    QScrollBar* bar = figures_->verticalScrollBar();
    const int scrolled = bar->value();
    const int count = static_cast<int>(rows.size());
    if (figures_->rowCount() != count)
        figures_->setRowCount(count);
    worstRow_ = -1;
    for (int r = 0; r < count; ++r) {
        const plan::FigureRow& row = rows[static_cast<std::size_t>(r)];
        QString value = qs(row.value);
        if (row.verdict != plan::Verdict::None)
            value += (value.isEmpty() ? QString() : QStringLiteral(" — ")) +
                     qs(plan::verdictWord(row.verdict));
        if (row.worstPoint)
            worstRow_ = r;
        const QString tip = row.worstPoint ? kWorstRowTip : QString();
        setCell(*figures_, r, 0, qs(row.caption), QBrush(), tip);
        setCell(*figures_, r, 1, value, verdictBrush(row.verdict), tip);
        // A line without a value spans both columns.
        const int span = value.isEmpty() ? 2 : 1;
        if (figures_->columnSpan(r, 0) != span)
            figures_->setSpan(r, 0, 1, span);
    }
    bar->setValue(scrolled);
}

void PlanWindow::showSelected() {
    const std::optional<plan::Speaker> speaker = selectedSpeaker();
    const PlanScene& scene = view_->scene();
    const bool shown = speaker && scene.speakers.size() <= plan::kMaxDrawnSpeakers;
    const bool onWall = inputs_ && inputs_->type != SpeakerType::Ceiling;
    selectedBox_->setEnabled(shown);
    selectedForm_->setRowVisible(selectedWall_, onWall);
    // The wall fixes Y; the wall list moves the loudspeaker to the other one.
    selectedY_->setReadOnly(onWall);
    const QSignalBlocker blockX(selectedX_);
    const QSignalBlocker blockY(selectedY_);
    const QSignalBlocker blockWall(selectedWall_);
    if (!shown) {
        selectedNumber_->setText(QStringLiteral("Номер: —"));
        selectedX_->clear();
        selectedY_->clear();
        selectedWall_->setCurrentIndex(-1);
        selectedLevel_->clear();
        return;
    }
    const QLocale locale = localeWith(scene.decimalSeparator);
    for (QDoubleSpinBox* spin : {selectedX_, selectedY_})
        if (spin->locale() != locale)
            spin->setLocale(locale);
    selectedX_->setRange(0, inputs_->length);
    selectedY_->setRange(0, inputs_->width);
    selectedX_->setValue(speaker->x);
    selectedY_->setValue(speaker->y);
    selectedWall_->setCurrentIndex(selectedWall_->findData(static_cast<int>(speaker->wall)));
    selectedNumber_->setText(QStringLiteral("Номер: %1").arg(scene.selected + 1));
    const double level = plan::levelAt(*inputs_, scene.speakers, speaker->x, speaker->y);
    selectedLevel_->setText(QStringLiteral("Уровень под громкоговорителем: ") +
                            qs(plan::fixedText(level, 1, scene.decimalSeparator.toStdString())) +
                            QStringLiteral(" дБ"));
}

void PlanWindow::showState() {
    const PlanScene& scene = view_->scene();
    QString text;
    if (!staleReason_.isEmpty())
        text = kNoPlan + staleReason_;
    else if (!inputs_)
        text = kBeforeCalculation;
    else if (stale_)
        text = kStaleLine;
    else if (scene.speakers.size() > plan::kMaxDrawnSpeakers)
        // A layout too large to draw says so above the picture, in the figures' own words.
        text = qs(plan::figureLines(*inputs_, scene.figures, decimalSeparator_()).front());
    else if (!notice_.isEmpty())
        text = notice_;
    else
        text = editHint(scene.speakers.size(), scene.selected >= 0);
    state_->setText(text);
    view_->setAccessibleDescription(text);
}

void PlanWindow::showUndoButtons() {
    const bool live = inputs_ && !stale_;
    undoButton_->setEnabled(live && undo_.canUndo());
    redoButton_->setEnabled(live && undo_.canRedo());
    undoButton_->setToolTip(undo_.canUndo() ? kUndo + QStringLiteral(": ") + undo_.undoText()
                                            : kUndo);
    redoButton_->setToolTip(undo_.canRedo() ? kRedo + QStringLiteral(": ") + undo_.redoText()
                                            : kRedo);
}

PlanDocument PlanWindow::document() const {
    PlanDocument document{entries_, view_->scene(), QDate::currentDate()};
    document.method = arrangementName(method_);
    document.handEdited = handEdited();
    return document;
}

QString PlanWindow::arrangementName(Arrangement arrangement) const {
    return methodCaption(arrangement.method, arrangement.wall);
}

std::vector<plan::Speaker> PlanWindow::laidOut() const {
    return plan::layOut(*inputs_, method_.method, method_.wall);
}

// The steps in the main window's numbers, which may change between calculations.
void PlanWindow::nameSnaps() {
    const std::string separator = decimalSeparator_();
    for (std::size_t i = 0; i < kSnaps.size(); ++i) {
        const SnapChoice& choice = kSnaps.at(i);
        snaps_->setItemText(
            static_cast<int>(i),
            choice.snap.step > 0
                ? qs(choice.prefix) +
                      qs(plan::fixedText(choice.snap.step, choice.decimals, separator)) +
                      QStringLiteral(" м")
                : QStringLiteral("нет"));
    }
}

void PlanWindow::showHelp() {
    if (!helpWindow_)
        helpWindow_ = new PlanHelp(this);
    helpWindow_->showText(helpText(separator()));
}

QString PlanWindow::separator() const {
    return QString::fromStdString(decimalSeparator_());
}

void PlanWindow::readRoom() {
    const RoomPanel::Reading reading = roomPanel_->read(separator());
    if (reading.error.isEmpty())
        setup_ = reading.setup;
    if (!inputs_) {
        roomPanel_->showError(reading.error);
        return;
    }
    plan::RoomAcoustics room;
    if (reading.error.isEmpty()) {
        plan::RoomSetup shown = setup_;
        // A height nobody typed is the mounting height the panel shows.
        if (!shown.height)
            shown.height = inputs_->mountHeight;
        room = plan::roomAcoustics(*inputs_, shown, decimalSeparator_());
    }
    const QString error = reading.error.isEmpty() ? qs(room.error) : reading.error;
    roomPanel_->showError(error);
    if (!error.isEmpty())
        return;
    room_ = std::move(room);
    goodSetup_ = setup_;
    if (view_->hasScene() && view_->scene().inputs == *inputs_) {
        view_->setMap(view_->scene().map, room_, goodSetup_);
        showFigures();
    } else {
        showRoomFigures();
    }
}

plan::RoomSetup PlanWindow::acoustics() const {
    return setup_;
}

void PlanWindow::setAcoustics(const plan::RoomSetup& setup) {
    roomPanel_->setSetup(setup);
    readRoom();
}

void PlanWindow::chooseMap(int index) {
    if (index < 0 || !inputs_)
        return;
    view_->setMap(kMaps.at(static_cast<std::size_t>(index)).kind, room_, goodSetup_);
    showFigures();
}

void PlanWindow::showRoomFigures() {
    if (!room_ || !inputs_) {
        roomPanel_->clearRoom();
        return;
    }
    const plan::SoundField field = plan::soundField(
        *inputs_, std::max<std::size_t>(view_->scene().speakers.size(), 1), *room_);
    roomPanel_->showRoom(*room_, field, view_->scene().mapError, decimalSeparator_());
}

} // namespace pa
