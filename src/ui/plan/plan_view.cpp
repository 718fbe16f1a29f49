#include "ui/plan/plan_view.h"

#include "ui/table_style.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTimer>

#include <algorithm>

namespace pa {

namespace {

// Space around the picture inside the view, logical pixels.
constexpr double kViewMargin = 8;
// How long a picked worst point stands out, ms.
constexpr int kFlashTime = 1000;

} // namespace

PlanView::PlanView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PlanView"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, QColor(255, 255, 255));
    setPalette(white);
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

void PlanView::flashWorstPoint() {
    if (!hasScene_ || !scene_.figures.mapped)
        return;
    if (!flash_) {
        flash_ = new QTimer(this);
        flash_->setSingleShot(true);
        connect(flash_, &QTimer::timeout, this, [this] {
            scene_.worstFlash = false;
            update();
        });
    }
    scene_.worstFlash = true;
    flash_->start(kFlashTime);
    update();
}

int PlanView::speakerAt(QPointF point) const {
    if (!editable())
        return -1;
    const double reach = 0.8 * QFontMetricsF(tableFont(layout::Font::F1)).height();
    return pa::speakerAt(scene_, mapping(), point, reach);
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

} // namespace pa
