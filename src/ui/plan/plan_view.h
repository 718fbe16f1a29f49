#pragma once

#include "ui/plan/plan_painter.h"

#include <QWidget>

class QTimer;

namespace pa {

// Steps of the arrow keys, metres: plain and with Shift.
inline constexpr double kFineStep = 0.1;
inline constexpr double kCoarseStep = 1.0;

// The picture of the plan. The user picks a loudspeaker with the mouse, drags it (a ceiling one
// anywhere in the room, a wall or horn one along its wall), moves the picked one with the arrow
// keys, adds one with a double click on the floor and removes the picked one with Delete.
class PlanView final : public QWidget {
    Q_OBJECT
public:
    explicit PlanView(QWidget* parent = nullptr);

    // Shows a layout, nothing picked.
    void setScene(PlanScene scene);
    // Greys the picture and takes no more changes, or the other way round.
    void setStale(bool stale);
    const PlanScene& scene() const { return scene_; }
    bool hasScene() const { return hasScene_; }
    // Where the room lies in the view now.
    PlanMapping mapping() const;
    // Draws the worst point larger for a moment, so that the eye finds it.
    void flashWorstPoint();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The user changed the layout or the pick; scene() holds the new figures.
    void edited();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool editable() const;
    int speakerAt(QPointF point) const;
    // Puts a loudspeaker at a point, kept inside the room (or on its wall), and recomputes.
    void place(int index, double x, double y);
    void select(int index);
    void recompute();

    PlanScene scene_;
    bool hasScene_ = false;
    int dragging_ = -1;
    QPointF grab_;            // metres from the loudspeaker to where the mouse took it
    QTimer* flash_ = nullptr; // ends the worst point's flash
};

} // namespace pa
