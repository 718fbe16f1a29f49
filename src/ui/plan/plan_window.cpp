#include "ui/plan/plan_window.h"
#include "ui/qt_text.h"

#include "ui/artwork.h"
#include "ui/plan/plan_help.h"
#include "ui/table_style.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <cmath>

namespace pa {

namespace {

const QString kWindowTitle = QStringLiteral("План помещения");
const QString kHelpTitle = QStringLiteral("Справка по плану");
const QString kBeforeCalculation = QStringLiteral("Нажмите «РАСЧИТАТЬ», чтобы построить план");
const QString kStaleLine = QStringLiteral("Исходные данные изменились — нажмите «РАСЧИТАТЬ»");
const QString kEditHint = QStringLiteral(
    "Перетащите громкоговоритель мышью; двойной щелчок на полу — добавить, Delete — удалить");

} // namespace

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
    help_->setToolTip(kHelpTitle + QStringLiteral(" (F1)"));
    help_->setAccessibleName(kHelpTitle);
    export_ = new QPushButton(QStringLiteral("Экспорт…"));
    export_->setObjectName(QStringLiteral("BtnExport"));
    export_->setToolTip(
        QStringLiteral("Сохранить план в PDF, SVG, PNG, DXF или CSV (Ctrl+S); печать — Ctrl+P"));
    for (QPushButton* button : {reset_, export_, help_}) {
        button->setAutoDefault(false);
        button->setFont(tableFont(layout::Font::F3));
    }

    figures_ = new QTextEdit;
    figures_->setObjectName(QStringLiteral("TxtFigures"));
    figures_->setReadOnly(true);
    figures_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    figures_->setTabChangesFocus(true);
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
    state_->setText(drawn ? kEditHint : figures_->document()->firstBlock().text());
}

void PlanWindow::showFigures() {
    QString text;
    for (const std::string& line :
         plan::figureLines(*inputs_, view_->scene().figures, decimalSeparator_()))
        text += QString::fromStdString(line) + QLatin1Char('\n');
    text.chop(1);
    // Dragging rewrites the text many times a second; the reader's place in it stays.
    QScrollBar* bar = figures_->verticalScrollBar();
    const int scrolled = bar->value();
    figures_->setPlainText(text);
    bar->setValue(scrolled);
}

PlanDocument PlanWindow::document() const {
    return {entries_, view_->scene(), QDate::currentDate()};
}

void PlanWindow::showHelp() {
    dialogs_.information(kHelpTitle, helpText(QString::fromStdString(decimalSeparator_())));
}

} // namespace pa
