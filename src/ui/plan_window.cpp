#include "ui/plan_window.h"
#include "ui/qt_text.h"

#include "ui/artwork.h"
#include "ui/table_style.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
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

// Steps of the arrow keys, metres.
constexpr double kFineStep = 0.1;
constexpr double kCoarseStep = 1.0;
// Space around the picture inside the view, logical pixels.
constexpr double kViewMargin = 8;

QString helpText(const QString& separator) {
    auto d = [&separator](const char* number) {
        return QString::fromLatin1(number).replace(QLatin1Char('.'), separator);
    };
    return QStringLiteral(
               "План показывает помещение сверху в масштабе: сетку с шагом в метр (на больших "
               "помещениях крупнее), громкоговорители с номерами, зону покрытия каждого тонкой "
               "линией (круг радиуса R у потолочного, сектор с эффективной дальностью и углом "
               "диаграммы направленности у настенного и рупорного), цветную карту уровня на "
               "высоте точки прослушивания, линию целевого уровня T, худшую точку (крестик) и "
               "шаг установки по ряду и по столбцу.\n\n"
               "Способы размещения потолочных громкоговорителей (R — радиус зоны покрытия на "
               "высоте прослушивания):\n"
               "• «По расчету» — рассчитанное количество на самой равномерной сетке, крайние в "
               "половине шага от стен;\n"
               "• «Край к краю» — шаг не больше 2R, зоны касаются друг друга;\n"
               "• «Минимальное перекрытие» — шаг не больше √2·R, на полу нет точки вне всех "
               "зон;\n"
               "• «Край к центру» — шаг не больше R.\n"
               "Настенные и рупорные громкоговорители висят на длинных стенах на высоте "
               "установки и направлены поперек помещения: «По расчету» — на обеих стенах в "
               "шахматном порядке, «Одна стена» — все на одной.\n\n"
               "Модель уровня: от каждого громкоговорителя — его общее звуковое давление минус "
               "20·lg расстояния до точки (м) плюс поправка направленности; вклады всех "
               "громкоговорителей складываются по энергии. Поправка равна −6·(θ/θ½)² дБ, где θ — "
               "угол от оси громкоговорителя, θ½ — половина угла диаграммы направленности: на "
               "краю диаграммы уровень на 6 дБ ниже, чем на оси; поправка не бывает меньше "
               "−30 дБ.\n"
               "Ограничения: учитывается только прямой звук в свободном поле — без отражений, "
               "без реверберации; индекс разборчивости речи не рассчитывается.\n\n"
               "Показатели считаются по точкам пола с шагом не больше %1 м (или 400 точек по "
               "стороне), включая края и углы, и не зависят от размера окна.\n"
               "• T — целевой уровень: шум помещения плюс уровень перекрытия шума, как в "
               "расчете; доля площади — часть пола с уровнем не ниже T.\n"
               "• Уровень не менее чем на 15 дБ выше шума во всех точках на высоте %2 м (СП "
               "3.13130.2009, п. 4.2); при другой высоте прослушивания проверка сделана на "
               "выбранной высоте.\n"
               "• Уровень громкоговорителей вместе с шумом нигде не выше 120 дБ, и каждый "
               "громкоговоритель дает не менее 75 дБ в 3 м по оси (п. 4.1).\n"
               "• Мощность — сумма мощностей громкоговорителей, как в расчете, и усилитель с "
               "запасом 20 %.\n\n"
               "Щелчок выбирает громкоговоритель, мышь перетаскивает его (настенный и рупорный — "
               "вдоль своей стены). Стрелки сдвигают выбранный на %3 м, с Shift — на 1 м; Page "
               "Up и Page Down выбирают предыдущий и следующий. Двойной щелчок на полу добавляет "
               "громкоговоритель (настенный и рупорный — на ближайшей длинной стене), Delete "
               "удаляет выбранный. Карта и показатели следуют сразу. «Сбросить» и смена способа "
               "размещают заново; каждый успешный расчет в главном окне — тоже. Esc закрывает "
               "окно.")
        .arg(d("0.05"), d("1.5"), d("0.1"));
}

} // namespace

PlanView::PlanView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PlanView"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, QColor(255, 255, 255));
    setPalette(white);
    setAccessibleName(kWindowTitle);
    setAccessibleDescription(kEditHint);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize PlanView::sizeHint() const {
    return {620, 520};
}

QSize PlanView::minimumSizeHint() const {
    return {360, 300};
}

void PlanView::setScene(PlanScene scene) {
    scene_ = std::move(scene);
    scene_.selected = -1;
    hasScene_ = true;
    dragging_ = -1;
    update();
}

void PlanView::setStale(bool stale) {
    scene_.stale = stale;
    dragging_ = -1;
    update();
}

bool PlanView::editable() const {
    return hasScene_ && !scene_.stale && scene_.speakers.size() <= plan::kMaxDrawnSpeakers;
}

PlanMapping PlanView::mapping() const {
    return planMapping(
        QRectF(rect()).adjusted(kViewMargin, kViewMargin, -kViewMargin, -kViewMargin), scene_);
}

int PlanView::speakerAt(QPointF point) const {
    if (!editable())
        return -1;
    const PlanMapping m = mapping();
    const double reach = 0.8 * QFontMetricsF(tableFont(layout::Font::F1)).height();
    int nearest = -1;
    double best = reach * reach;
    for (std::size_t i = 0; i < scene_.speakers.size(); ++i) {
        const QPointF d = m.toScreen(scene_.speakers[i].x, scene_.speakers[i].y) - point;
        const double distance = QPointF::dotProduct(d, d);
        if (distance <= best) {
            best = distance;
            nearest = static_cast<int>(i);
        }
    }
    return nearest;
}

void PlanView::place(int index, double x, double y) {
    plan::Speaker& s = scene_.speakers.at(static_cast<std::size_t>(index));
    const plan::Speaker before = s;
    s.x = std::clamp(x, 0.0, scene_.inputs.length);
    if (s.wall == plan::Wall::None)
        s.y = std::clamp(y, 0.0, scene_.inputs.width);
    if (s == before)
        return;
    recompute();
    emit edited();
}

void PlanView::select(int index) {
    if (scene_.selected == index)
        return;
    scene_.selected = index;
    update();
}

void PlanView::recompute() {
    const int selected = scene_.selected;
    QString separator = scene_.decimalSeparator;
    scene_ = makeScene(scene_.inputs, std::move(scene_.speakers));
    scene_.selected = selected;
    scene_.decimalSeparator = std::move(separator);
    update();
}

void PlanView::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    if (hasScene_)
        paintPlan(painter,
                  QRectF(rect()).adjusted(kViewMargin, kViewMargin, -kViewMargin, -kViewMargin),
                  scene_);
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(2, 2, -2, -2);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    }
}

void PlanView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !editable())
        return;
    const int hit = speakerAt(event->position());
    select(hit);
    if (hit < 0)
        return;
    dragging_ = hit;
    const plan::Speaker& s = scene_.speakers.at(static_cast<std::size_t>(hit));
    grab_ = mapping().toRoom(event->position()) - QPointF(s.x, s.y);
    setCursor(Qt::ClosedHandCursor);
}

void PlanView::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ >= 0 && (event->buttons() & Qt::LeftButton) && editable()) {
        const QPointF at = mapping().toRoom(event->position()) - grab_;
        place(dragging_, at.x(), at.y());
        return;
    }
    setCursor(speakerAt(event->position()) >= 0 ? Qt::OpenHandCursor : Qt::ArrowCursor);
}

void PlanView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragging_ >= 0) {
        dragging_ = -1;
        setCursor(Qt::OpenHandCursor);
    }
}

void PlanView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !editable() || speakerAt(event->position()) >= 0)
        return;
    const QPointF at = mapping().toRoom(event->position());
    const double length = scene_.inputs.length;
    const double width = scene_.inputs.width;
    if (at.x() < 0 || at.x() > length || at.y() < 0 || at.y() > width)
        return;
    plan::Speaker added{at.x(), at.y(), plan::Wall::None};
    if (scene_.inputs.type != SpeakerType::Ceiling) {
        const bool near = at.y() < width / 2;
        added.wall = near ? plan::Wall::Near : plan::Wall::Far;
        added.y = near ? 0 : width;
    }
    scene_.speakers.push_back(added);
    scene_.selected = static_cast<int>(scene_.speakers.size()) - 1;
    recompute();
    emit edited();
}

void PlanView::keyPressEvent(QKeyEvent* event) {
    const int count = static_cast<int>(scene_.speakers.size());
    if (!editable() || count == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int selected = scene_.selected;
    const double step = event->modifiers() & Qt::ShiftModifier ? kCoarseStep : kFineStep;
    double dx = 0;
    double dy = 0;
    switch (event->key()) {
    case Qt::Key_Delete:
        if (selected >= 0) {
            scene_.speakers.erase(scene_.speakers.begin() + selected);
            scene_.selected = -1;
            recompute();
            emit edited();
        }
        return;
    case Qt::Key_PageDown:
        select(selected < 0 ? 0 : (selected + 1) % count);
        return;
    case Qt::Key_PageUp:
        select(selected <= 0 ? count - 1 : selected - 1);
        return;
    case Qt::Key_Left:
        dx = -step;
        break;
    case Qt::Key_Right:
        dx = step;
        break;
    case Qt::Key_Up:
        dy = step; // the room's y runs up the picture
        break;
    case Qt::Key_Down:
        dy = -step;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (selected < 0) {
        select(0);
        return;
    }
    const plan::Speaker& s = scene_.speakers.at(static_cast<std::size_t>(selected));
    place(selected, s.x + dx, s.y + dy);
}

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
    return {entries_, view_->scene(), QString::fromStdString(decimalSeparator_()),
            QDate::currentDate()};
}

void PlanWindow::showHelp() {
    dialogs_.information(kHelpTitle, helpText(QString::fromStdString(decimalSeparator_())));
}

} // namespace pa
