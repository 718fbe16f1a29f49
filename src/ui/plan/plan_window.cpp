#include "ui/plan/plan_window.h"
#include "ui/qt_text.h"

#include "ui/artwork.h"
#include "ui/plan/plan_help.h"
#include "ui/table_style.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTableWidget>

#include <algorithm>
#include <cmath>

namespace pa {

namespace {

const QString kWindowTitle = QStringLiteral("План помещения");
const QString kBeforeCalculation = QStringLiteral("Нажмите «РАСЧИТАТЬ», чтобы построить план");
const QString kStaleLine = QStringLiteral("Исходные данные изменились — нажмите «РАСЧИТАТЬ»");
const QString kEditHint = QStringLiteral(
    "Перетащите громкоговоритель мышью; двойной щелчок на полу — добавить, Delete — удалить");
const QString kWorstRowTip = QStringLiteral("Выберите строку, чтобы найти худшую точку на плане");

// A check's value in the colour of its verdict: met green, not met red, one that could not be
// made in a neutral brown; dark enough to read on the light rows.
QBrush verdictBrush(plan::Verdict verdict) {
    switch (verdict) {
    case plan::Verdict::Met:
        return QColor(0, 115, 0);
    case plan::Verdict::NotMet:
        return QColor(190, 0, 0);
    case plan::Verdict::NoSpeakers:
        return QColor(110, 80, 20);
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

PlanWindow::PlanWindow(Dialogs& dialogs, std::function<std::string()> decimalSeparator,
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
    connect(reset_, &QPushButton::clicked, this, &PlanWindow::layOutAnew);
    connect(methods_, &QComboBox::activated, this, [this](int index) {
        method_ = static_cast<plan::Method>(methods_->itemData(index).toInt());
        layOutAnew();
    });
    connect(view_, &PlanView::edited, this, &PlanWindow::showFigures);

    state_->setText(kBeforeCalculation);
    methods_->setEnabled(false);
    reset_->setEnabled(false);
    export_->setEnabled(false);
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
    view_->setAccessibleDescription(kEditHint);
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
    for (QPushButton* button : {reset_, export_, help_}) {
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

    QGroupBox* layoutBox = frame(QStringLiteral("Размещение"));
    auto* layoutColumn = new QVBoxLayout(layoutBox);
    layoutColumn->addWidget(methodCaption);
    layoutColumn->addWidget(methods_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(reset_, 1);
    buttons->addWidget(export_, 1);
    buttons->addWidget(help_);
    layoutColumn->addLayout(buttons);
    for (QWidget* w : std::initializer_list<QWidget*>{methods_, reset_, export_, help_})
        w->setFont(tableFont(layout::Font::F3));

    QGroupBox* figuresBox = frame(QStringLiteral("Показатели"));
    auto* figuresColumn = new QVBoxLayout(figuresBox);
    figuresColumn->addWidget(figures_);

    auto* side = new QVBoxLayout;
    side->addWidget(layoutBox);
    side->addWidget(figuresBox, 1);

    auto* pictureColumn = new QVBoxLayout;
    pictureColumn->addWidget(state_);
    pictureColumn->addWidget(view_, 1);

    auto* row = new QHBoxLayout(this);
    row->addLayout(pictureColumn, 1);
    row->addLayout(side);
    layoutBox->setFixedWidth(380);
    figuresBox->setFixedWidth(380);

    setTabOrder(view_, methods_);
    setTabOrder(methods_, reset_);
    setTabOrder(reset_, export_);
    setTabOrder(export_, help_);
    setTabOrder(help_, figures_);
    setMinimumSize(800, 500);
    resize(1100, 660);
}

void PlanWindow::fillMethods(SpeakerType type) {
    methods_->clear();
    for (const plan::Method method : plan::methodsFor(type))
        methods_->addItem(qs(plan::methodName(method)), static_cast<int>(method));
    methods_->setCurrentIndex(0);
    method_ = static_cast<plan::Method>(methods_->itemData(0).toInt());
}

void PlanWindow::showCalculation(const plan::PlanInputs& in, QList<ReportEntry> entries) {
    if (!inputs_ || inputs_->type != in.type)
        fillMethods(in.type);
    inputs_ = in;
    entries_ = std::move(entries);
    stale_ = false;
    methods_->setEnabled(true);
    reset_->setEnabled(true);
    export_->setEnabled(true);
    layOutAnew();
}

void PlanWindow::markStale() {
    if (!inputs_ || stale_)
        return;
    stale_ = true;
    view_->setStale(true);
    methods_->setEnabled(false);
    reset_->setEnabled(false);
    export_->setEnabled(false);
    state_->setText(kStaleLine);
}

const PlanScene* PlanWindow::scene() const {
    return inputs_ ? &view_->scene() : nullptr;
}

void PlanWindow::layOutAnew() {
    if (!inputs_ || stale_)
        return;
    PlanScene scene = makeScene(*inputs_, plan::layOut(*inputs_, method_));
    scene.decimalSeparator = QString::fromStdString(decimalSeparator_());
    view_->setScene(std::move(scene));
    showFigures();
    // A layout too large to draw says so above the picture, in the figures' own words.
    const bool drawn = view_->scene().speakers.size() <= plan::kMaxDrawnSpeakers;
    state_->setText(drawn ? kEditHint : figureLine(0));
}

void PlanWindow::showFigures() {
    const std::vector<plan::FigureRow> rows =
        plan::figureRows(*inputs_, view_->scene().figures, decimalSeparator_());
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
            value += QStringLiteral(" — ") + qs(plan::verdictWord(row.verdict));
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

QString PlanWindow::figureLine(int row) const {
    const QTableWidgetItem* caption = figures_->item(row, 0);
    const QTableWidgetItem* value = figures_->item(row, 1);
    if (!caption)
        return {};
    if (!value || value->text().isEmpty())
        return caption->text();
    return caption->text() + QStringLiteral(": ") + value->text();
}

PlanDocument PlanWindow::document() const {
    return {entries_, view_->scene(), QDate::currentDate()};
}

void PlanWindow::showHelp() {
    if (!helpWindow_)
        helpWindow_ = new PlanHelp(this);
    helpWindow_->showText(helpText(QString::fromStdString(decimalSeparator_())));
}

} // namespace pa
