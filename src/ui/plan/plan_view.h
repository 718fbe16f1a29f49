#pragma once

#include "ui/plan/plan_painter.h"

#include <QWidget>

namespace pa {

// The picture of the plan. The user picks a loudspeaker with the mouse, drags it (a ceiling one
// anywhere in the room, a wall or horn one along its wall), moves the picked one with the arrow
// keys, adds one with a double click on the floor and removes the picked one with Delete.
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
    // Where the room lies in the view now.
    PlanMapping mapping() const;

    // The name the undo buttons give to moving loudspeaker `index` (from 0).
    static QString moveStepName(int index);

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
    QPointF grab_; // metres from the loudspeaker to where the mouse took it
    std::vector<plan::Speaker> dragStart_;
};

} // namespace pa
