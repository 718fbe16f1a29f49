#include "ui/plan/plan_view.h"

#include "ui/table_style.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <utility>

namespace pa {

namespace {

// Space around the picture inside the view, logical pixels.
constexpr double kViewMargin = 8;
// Zoom: a notch of the wheel or a press of + or -; the deepest zoom over the fitted room, or
// deeper for a large room until a metre spans kDeepestPixelsPerMetre, the room's longer side
// never beyond kLongestRoomPixels (the painter's coordinates stay exact far below that).
constexpr double kZoomStep = 1.25;
constexpr double kMaxZoom = 50;
constexpr double kDeepestPixelsPerMetre = 2000;
constexpr double kLongestRoomPixels = 1e6;
constexpr double kWheelNotch = 120; // angleDelta of one notch

// offset + k * step nearest to value within [0, side]; value itself without a step, and side
// or 0 when no such place lies within (a room narrower than a tile).
double snapped(double value, double side, Snap snap) {
    if (!(snap.step > 0))
        return value;
    const double inside = std::clamp(value, 0.0, side);
    double at = snap.offset + std::round((inside - snap.offset) / snap.step) * snap.step;
    // A place on the wall itself stays, whatever the sums round it to.
    constexpr double kSlack = 1e-9;
    if (at > side + kSlack)
        at -= snap.step;
    if (at < -kSlack)
        at += snap.step;
    return std::clamp(at, 0.0, side);
}
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
    dragTimer_.setSingleShot(true);
    dragTimer_.setInterval(0);
    connect(&dragTimer_, &QTimer::timeout, this, &PlanView::dragStep);
}

QSize PlanView::sizeHint() const {
    return {620, 520};
}

QSize PlanView::minimumSizeHint() const {
    return {360, 300};
}

void PlanView::setScene(PlanScene scene) {
    // Another layout of the same room keeps the zoom; another room is shown whole.
    const bool sameRoom = hasScene_ && scene.inputs.length == scene_.inputs.length &&
                          scene.inputs.width == scene_.inputs.width;
    scene_ = std::move(scene);
    scene_.selected = -1;
    hasScene_ = true;
    dragging_ = -1;
    dragTimer_.stop();
    dragMap_.reset();
    headDragMap_.reset();
    if (sameRoom)
        keepCentreInRoom();
    else
        fitRoom();
    update();
}

void PlanView::setSpeakers(std::vector<plan::Speaker> speakers, int selected) {
    const bool stale = scene_.stale;
    scene_.speakers = std::move(speakers);
    scene_.selected = selected < static_cast<int>(scene_.speakers.size()) ? selected : -1;
    dragging_ = -1;
    recompute();
    scene_.stale = stale;
}

QString PlanView::moveStepName(int index) {
    return QStringLiteral("перемещение громкоговорителя %1").arg(index + 1);
}

void PlanView::setStale(bool stale) {
    // A drag cut short keeps where it got to, with its figures, as one step.
    if (dragging_ >= 0)
        finishDrag();
    scene_.stale = stale;
    update();
}

void PlanView::setMap(MapKind map, std::optional<plan::RoomAcoustics> room, plan::RoomSetup setup) {
    if (!hasScene_)
        return;
    scene_.map = map;
    scene_.room = std::move(room);
    scene_.setup = std::move(setup);
    const bool stale = scene_.stale;
    recompute();
    scene_.stale = stale;
}

void PlanView::setSnap(Snap snap) {
    snap_ = snap;
}

bool PlanView::editable() const {
    return hasScene_ && !scene_.stale && scene_.speakers.size() <= plan::kMaxDrawnSpeakers;
}

QRectF PlanView::pictureRect() const {
    return QRectF(rect()).adjusted(kViewMargin, kViewMargin, -kViewMargin, -kViewMargin);
}

PlanMapping PlanView::fitMapping() const {
    return planMapping(pictureRect(), scene_);
}

PlanMapping PlanView::mapping() const {
    const PlanMapping fit = fitMapping();
    if (zoom_ <= 1)
        return fit;
    // The point centre_ stays where the fitted room's centre is, so a resized view keeps it
    // in the middle of the picture.
    const double ppm = fit.pixelsPerMetre * std::min(zoom_, maxZoom());
    const QPointF anchor = fit.toScreen(scene_.inputs.length / 2, scene_.inputs.width / 2);
    return {anchor - QPointF(centre_.x() * ppm, -centre_.y() * ppm), ppm};
}

double PlanView::maxZoom() const {
    const double fit = fitMapping().pixelsPerMetre;
    const double longer = std::max(scene_.inputs.length, scene_.inputs.width);
    const double deepest =
        std::max(kMaxZoom * fit, std::min(kDeepestPixelsPerMetre, kLongestRoomPixels / longer));
    const double zoom = deepest / fit;
    return std::isfinite(zoom) ? std::max(zoom, 1.0) : 1.0;
}

void PlanView::fitRoom() {
    zoom_ = 1;
    centre_ = QPointF(scene_.inputs.length / 2, scene_.inputs.width / 2);
    update();
}

void PlanView::keepCentreInRoom() {
    zoom_ = std::min(zoom_, maxZoom());
    if (zoom_ <= 1) {
        fitRoom();
        return;
    }
    centre_ = QPointF(std::clamp(centre_.x(), 0.0, scene_.inputs.length),
                      std::clamp(centre_.y(), 0.0, scene_.inputs.width));
}

void PlanView::zoomAbout(QPointF point, double factor) {
    if (!hasScene_)
        return;
    const QPointF held = mapping().toRoom(point);
    const double zoom = std::clamp(zoom_ * factor, 1.0, maxZoom());
    if (!std::isfinite(zoom) || !std::isfinite(held.x()) || !std::isfinite(held.y()))
        return;
    if (zoom <= 1) {
        fitRoom();
        return;
    }
    const PlanMapping fit = fitMapping();
    const double ppm = fit.pixelsPerMetre * zoom;
    const PlanMapping after{point - QPointF(held.x() * ppm, -held.y() * ppm), ppm};
    zoom_ = zoom;
    centre_ = after.toRoom(fit.toScreen(scene_.inputs.length / 2, scene_.inputs.width / 2));
    keepCentreInRoom();
    update();
}

bool PlanView::zoomOrPanPress(const QMouseEvent* event) {
    const bool pan =
        event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && spaceHeld_);
    if (panning_)
        return true;
    if (!pan || !hasScene_ || dragging_ >= 0)
        return false;
    panning_ = true;
    panFrom_ = event->position();
    setCursor(Qt::ClosedHandCursor);
    return true;
}

bool PlanView::zoomOrPanMove(const QMouseEvent* event) {
    if (!panning_)
        return false;
    const QPointF delta = event->position() - panFrom_;
    panFrom_ = event->position();
    // The whole room needs no moving; a zoomed one moves until its edge reaches the middle.
    if (zoom_ > 1) {
        const double ppm = mapping().pixelsPerMetre;
        centre_ -= QPointF(delta.x() / ppm, -delta.y() / ppm);
        keepCentreInRoom();
        update();
    }
    return true;
}

bool PlanView::zoomOrPanRelease(const QMouseEvent* event) {
    if (!panning_ || (event->buttons() & (Qt::MiddleButton | Qt::LeftButton)))
        return panning_;
    panning_ = false;
    setCursor(spaceHeld_ ? Qt::OpenHandCursor : Qt::ArrowCursor);
    return true;
}

bool PlanView::zoomOrPanKey(const QKeyEvent* event) {
    const QPointF centre = fitMapping().toScreen(scene_.inputs.length / 2, scene_.inputs.width / 2);
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomAbout(centre, kZoomStep);
        return true;
    case Qt::Key_Minus:
        zoomAbout(centre, 1 / kZoomStep);
        return true;
    case Qt::Key_0:
        fitRoom();
        return true;
    case Qt::Key_Space:
        spaceHeld_ = true;
        if (!panning_ && dragging_ < 0)
            setCursor(Qt::OpenHandCursor);
        return true;
    default:
        return false;
    }
}

void PlanView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / kWheelNotch;
    if (notches == 0 || !hasScene_) {
        QWidget::wheelEvent(event);
        return;
    }
    zoomAbout(event->position(), std::pow(kZoomStep, notches));
    event->accept();
}

void PlanView::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        spaceHeld_ = false;
        if (!panning_ && dragging_ < 0)
            setCursor(Qt::ArrowCursor);
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void PlanView::focusOutEvent(QFocusEvent* event) {
    // A Space let go elsewhere is never seen here.
    spaceHeld_ = false;
    QWidget::focusOutEvent(event);
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

plan::Speaker PlanView::kept(const plan::Speaker& s, double x, double y) const {
    plan::Speaker to = s;
    to.x = x;
    to.y = y;
    return plan::inRoom(scene_.inputs, to);
}

void PlanView::place(int index, double x, double y) {
    plan::Speaker& s = scene_.speakers.at(static_cast<std::size_t>(index));
    const plan::Speaker to = kept(s, x, y);
    if (s == to)
        return;
    s = to;
    recompute();
    emit edited();
}

void PlanView::dragTo(int index, QPointF at) {
    plan::Speaker& s = scene_.speakers.at(static_cast<std::size_t>(index));
    const plan::Speaker to = kept(s, snapped(at.x(), scene_.inputs.length, snap_),
                                  snapped(at.y(), scene_.inputs.width, snap_));
    if (s == to)
        return;
    s = to;
    dragMoved_ = true;
    dragTimer_.start();
}

void PlanView::dragStep() {
    if (dragging_ < 0)
        return;
    dragRecompute(dragging_);
    emit edited();
}

void PlanView::dragRecompute(int index) {
    const auto moved = static_cast<std::size_t>(index);
    if (!dragMap_)
        dragMap_.emplace(scene_.inputs, scene_.speakers);
    else
        dragMap_->move(moved, scene_.speakers.at(moved));
    scene_.levels = dragMap_->levels();
    const plan::RoomChecks checks = checksOf(scene_);
    if (checks.sleeping) {
        if (!headDragMap_)
            headDragMap_.emplace(plan::atHead(scene_.inputs, checks), scene_.speakers);
        else
            headDragMap_->move(moved, scene_.speakers.at(moved));
        scene_.headLevels = headDragMap_->levels();
    }
    scene_.figures = plan::figuresFromMap(scene_.inputs, scene_.speakers, scene_.levels, checks,
                                          &scene_.headLevels);
    deriveMap(scene_);
    update();
}

void PlanView::finishDrag() {
    const int dragged = dragging_;
    endDrag();
    if (dragged >= 0 && scene_.speakers != dragStart_)
        emit stepDone(std::exchange(dragStart_, {}), dragged, moveStepName(dragged), false);
}

void PlanView::endDrag() {
    const bool moved = dragMoved_;
    dragging_ = -1;
    dragMoved_ = false;
    if (moved) {
        recompute();
        emit edited();
    }
}

void PlanView::select(int index) {
    if (scene_.selected == index)
        return;
    scene_.selected = index;
    update();
    emit selectionChanged();
}

void PlanView::recompute() {
    // Any other change ends a drag: the drag's map and loudspeaker numbers no longer hold.
    dragging_ = -1;
    dragTimer_.stop();
    dragMap_.reset();
    headDragMap_.reset();
    const int selected = scene_.selected;
    QString separator = scene_.decimalSeparator;
    const MapKind map = scene_.map;
    const plan::RoomChecks checks = checksOf(scene_);
    std::optional<plan::RoomAcoustics> room = std::move(scene_.room);
    plan::RoomSetup setup = std::move(scene_.setup);
    scene_ = makeScene(scene_.inputs, std::move(scene_.speakers), checks);
    scene_.selected = selected;
    scene_.decimalSeparator = std::move(separator);
    scene_.map = map;
    scene_.room = std::move(room);
    scene_.setup = std::move(setup);
    deriveMap(scene_);
    update();
}

void PlanView::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    if (hasScene_) {
        // The whole room is drawn as the sheet draws it; a zoomed one by the view's mapping.
        const PlanMapping view = mapping();
        paintPlan(painter, pictureRect(), scene_, zoom_ > 1 ? &view : nullptr);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(2, 2, -2, -2);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    }
}

void PlanView::mousePressEvent(QMouseEvent* event) {
    if (zoomOrPanPress(event))
        return;
    if (event->button() != Qt::LeftButton || !editable())
        return;
    const int hit = speakerAt(event->position());
    select(hit);
    if (hit < 0)
        return;
    dragging_ = hit;
    dragStart_ = scene_.speakers;
    dragMoved_ = false;
    const plan::Speaker& s = scene_.speakers.at(static_cast<std::size_t>(hit));
    grab_ = mapping().toRoom(event->position()) - QPointF(s.x, s.y);
    setCursor(Qt::ClosedHandCursor);
}

void PlanView::mouseMoveEvent(QMouseEvent* event) {
    if (zoomOrPanMove(event))
        return;
    if (dragging_ >= 0 && (event->buttons() & Qt::LeftButton) && editable()) {
        dragTo(dragging_, mapping().toRoom(event->position()) - grab_);
        return;
    }
    if (spaceHeld_)
        return;
    setCursor(speakerAt(event->position()) >= 0 ? Qt::OpenHandCursor : Qt::ArrowCursor);
}

void PlanView::mouseReleaseEvent(QMouseEvent* event) {
    if (zoomOrPanRelease(event))
        return;
    if (event->button() == Qt::LeftButton && dragging_ >= 0) {
        finishDrag();
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
    if (scene_.speakers.size() >= plan::kMaxDrawnSpeakers) {
        emit addRefused();
        return;
    }
    const int selectedBefore = scene_.selected;
    std::vector<plan::Speaker> before = scene_.speakers;
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
    emit stepDone(before, selectedBefore,
                  QStringLiteral("добавление громкоговорителя %1").arg(scene_.speakers.size()),
                  false);
}

void PlanView::keyPressEvent(QKeyEvent* event) {
    if (zoomOrPanKey(event))
        return;
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
            std::vector<plan::Speaker> before = scene_.speakers;
            scene_.speakers.erase(scene_.speakers.begin() + selected);
            scene_.selected = -1;
            recompute();
            emit edited();
            emit stepDone(before, selected,
                          QStringLiteral("удаление громкоговорителя %1").arg(selected + 1), false);
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
    std::vector<plan::Speaker> before = scene_.speakers;
    const plan::Speaker& s = scene_.speakers.at(static_cast<std::size_t>(selected));
    place(selected, s.x + dx, s.y + dy);
    if (scene_.speakers != before)
        emit stepDone(before, selected, moveStepName(selected), true);
}

} // namespace pa
