#pragma once

#include "plan/plan.h"
#include "report/report_format.h"
#include "ui/dialogs.h"
#include "ui/plan_export.h"
#include "ui/plan_painter.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QPushButton;
class QTextEdit;

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
    // Greys the picture and takes no more changes, or the other way round.
    void setStale(bool stale);
    const PlanScene& scene() const { return scene_; }
    bool hasScene() const { return hasScene_; }
    // Where the room lies in the view now.
    PlanMapping mapping() const;

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
    QPointF grab_; // metres from the loudspeaker to where the mouse took it
};

// The window of the room plan. It follows the main window's calculation: each successful
// calculation lays the loudspeakers out anew, emptied results grey the plan. It never changes
// the calculation.
class PlanWindow final : public QWidget {
    Q_OBJECT
public:
    // decimalSeparator gives the separator the main window writes numbers with.
    PlanWindow(Dialogs& dialogs, std::function<std::string()> decimalSeparator,
               QWidget* parent = nullptr);

    // A calculation succeeded: lays out anew with the chosen method (kept while the type stays).
    // The entries are the calculation as the report words it, for the exported sheet.
    void showCalculation(const plan::PlanInputs& in, QList<ReportEntry> entries = {});
    // The main window emptied its results: the plan stays, greyed, until the next calculation.
    void markStale();

    // The layout shown now, with the user's changes; nothing before the first calculation.
    const PlanScene* scene() const;
    // The sheet and the exports of the layout shown now.
    PlanDocument document() const;

private:
    void buildControls();
    void fillMethods(SpeakerType type);
    void layOutAnew();
    void showFigures();
    void showHelp();

    Dialogs& dialogs_;
    std::function<std::string()> decimalSeparator_;
    std::optional<plan::PlanInputs> inputs_;
    plan::Method method_ = plan::Method::ByCount;
    bool stale_ = false;
    QList<ReportEntry> entries_;
    PlanExporter exporter_;

    PlanView* view_ = nullptr;
    QLabel* state_ = nullptr;
    QComboBox* methods_ = nullptr;
    QPushButton* reset_ = nullptr;
    QPushButton* help_ = nullptr;
    QPushButton* export_ = nullptr;
    QTextEdit* figures_ = nullptr;
};

} // namespace pa
