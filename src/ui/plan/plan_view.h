#pragma once

#include "plan/energy_map.h"
#include "ui/plan/plan_painter.h"

#include <QTimer>
#include <QWidget>

#include <optional>

namespace pa {

// Steps of the arrow keys, metres: plain and with Shift.
inline constexpr double kFineStep = 0.1;
inline constexpr double kCoarseStep = 1.0;

// The places a dragged loudspeaker keeps to: offset + k * step metres along each side of the
// room; a step of 0 leaves it where the mouse puts it.
struct Snap {
    double step = 0;
    double offset = 0;
};

// The picture of the plan. The user picks a loudspeaker with the mouse, drags it (a ceiling one
// anywhere in the room, a wall or horn one along its wall), moves the picked one with the arrow
// keys, adds one with a double click on the floor and removes the picked one with Delete.
// The wheel, + and - zoom, a drag with the middle button (or the left one while Space is held)
// moves the zoomed room, 0 fits it again.
class PlanView final : public QWidget {
    Q_OBJECT
public:
    explicit PlanView(QWidget* parent = nullptr);

    // Shows a layout, nothing picked.
    void setScene(PlanScene scene);
    // Shows other positions in the same room, the loudspeaker `selected` picked (-1 for none).
    void setSpeakers(std::vector<plan::Speaker> speakers, int selected);
    // Greys the picture and takes no more changes, or the other way round.
    void setStale(bool stale);
    const PlanScene& scene() const { return scene_; }
    bool hasScene() const { return hasScene_; }
    // Where the room lies in the view now, zoomed and moved.
    PlanMapping mapping() const;
    // Where the whole room fits the view.
    PlanMapping fitMapping() const;
    // Shows the whole room again.
    void fitRoom();
    // Draws another map, made from the room given (none leaves the direct map) as it is set.
    void setMap(MapKind map, std::optional<plan::RoomAcoustics> room, plan::RoomSetup setup);
    // The places dragged loudspeakers keep to from now on; arrow keys keep their own steps.
    void setSnap(Snap snap);

    // The name the undo buttons give to moving loudspeaker `index` (from 0).
    static QString moveStepName(int index);
    // Draws the worst point larger for a moment, so that the eye finds it.
    void flashWorstPoint();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The user changed the layout or the pick; scene() holds the new figures.
    void edited();
    // One change of the user's is complete (a drag when the mouse lets go): the loudspeakers and
    // the pick before it, and its name for the undo buttons. A joinable step (an arrow key) may
    // merge with a joinable step of the same name before it.
    void stepDone(const std::vector<plan::Speaker>& before, int selectedBefore, const QString& name,
                  bool joinable);
    // The pick changed, the layout did not.
    void selectionChanged();
    // A double click asked for a loudspeaker beyond the most the plan draws; none was added.
    void addRefused();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Zoom and pan; each takes the event when it is theirs.
    bool zoomOrPanPress(const QMouseEvent* event);
    bool zoomOrPanMove(const QMouseEvent* event);
    bool zoomOrPanRelease(const QMouseEvent* event);
    bool zoomOrPanKey(const QKeyEvent* event);
    QRectF pictureRect() const;
    double maxZoom() const;
    // Zooms by factor keeping the room's point under a device point where it is.
    void zoomAbout(QPointF point, double factor);
    void keepCentreInRoom();

    // A drag step: the loudspeaker at a place kept inside the room, recomputed at most once
    // per turn of the event loop however many moves come in.
    void dragTo(int index, QPointF at);
    void dragStep();
    // A drag step's map and figures: the moved loudspeaker's share of the map only.
    void dragRecompute(int index);
    // The drag's end: the whole map once more, so the figures rest on no approximation.
    void endDrag();
    // Ends a drag as one step of the layout.
    void finishDrag();
    plan::Speaker kept(const plan::Speaker& s, double x, double y) const;

    bool editable() const;
    int speakerAt(QPointF point) const;
    // Puts a loudspeaker at a point, kept inside the room (or on its wall), and recomputes.
    void place(int index, double x, double y);
    void select(int index);
    void recompute();

    PlanScene scene_;
    bool hasScene_ = false;
    int dragging_ = -1;
    QPointF grab_; // metres from the loudspeaker to where the mouse took it
    std::vector<plan::Speaker> dragStart_;
    bool dragMoved_ = false;
    // The level map a drag keeps up to date, made at its first step.
    std::optional<plan::EnergyMap> dragMap_;
    std::optional<plan::EnergyMap> headDragMap_; // a room for sleep: the map at the head
    QTimer dragTimer_;
    Snap snap_;

    double zoom_ = 1; // over the fitted scale; 1 shows the whole room
    QPointF centre_;  // the room's point shown where the fitted room's centre is
    bool panning_ = false;
    QPointF panFrom_; // device point of the last pan step
    bool spaceHeld_ = false;
    QTimer* flash_ = nullptr; // ends the worst point's flash
};

} // namespace pa
