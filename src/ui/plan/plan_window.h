#pragma once

#include "plan/acoustics.h"
#include "plan/plan.h"
#include "report/report_format.h"
#include "ui/plan/plan_dialogs.h"
#include "ui/plan/plan_export.h"
#include "ui/plan/plan_help.h"
#include "ui/plan/plan_view.h"
#include "ui/plan/room_panel.h"
#include "ui/plan_port.h"

#include <QUndoStack>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace pa {

// The window of the room plan. It follows the main window's calculation: a successful
// calculation with new inputs lays the loudspeakers out anew (asking first when the user has
// moved them), emptied results grey the plan. It never changes the calculation. Every change of
// the layout can be undone.
class PlanWindow final : public QWidget {
    Q_OBJECT
public:
    // decimalSeparator gives the separator the main window writes numbers with.
    PlanWindow(PlanDialogs& dialogs, std::function<std::string()> decimalSeparator,
               QWidget* parent = nullptr);

    // A calculation succeeded: lays out anew with the chosen method (kept while the type stays);
    // the same inputs keep the layout as it is. The entries are the calculation as the report
    // words it, for the exported sheet.
    void showCalculation(const plan::PlanInputs& in, QList<ReportEntry> entries = {});
    // The same with the layout a room brings: its method, then its hand positions as a step of
    // their own, so that «Сбросить» and undo lead back to the method's layout. Nothing is asked.
    void showCalculation(const plan::PlanInputs& in, QList<ReportEntry> entries,
                         const PlanLayout& layout);
    // The method and, once moved by hand, the positions shown; nothing before a calculation.
    std::optional<PlanLayout> layout() const;
    // The main window emptied its results, or calculated inputs the plan cannot draw (the reason
    // says which and why): the plan stays, greyed, until the next calculation.
    void markStale(const QString& reason = {});

    // The layout shown now, with the user's changes; nothing before the first calculation.
    const PlanScene* scene() const;
    // The sheet and the exports of the layout shown now.
    PlanDocument document() const;

    // The room's acoustics as the «Акустика» tab holds them (its last values that could be
    // read), for keeping with a room; setting them shows them and remakes the maps.
    plan::RoomSetup acoustics() const;
    void setAcoustics(const plan::RoomSetup& setup);

private:
    class LayoutStep;
    // A method, and for «Одна стена» the wall it hangs on.
    struct Arrangement {
        plan::Method method = plan::Method::ByCount;
        plan::Wall wall = plan::Wall::Near;
        friend bool operator==(const Arrangement&, const Arrangement&) = default;
    };
    // What an undo step returns to.
    struct Layout {
        std::vector<plan::Speaker> speakers;
        int selected = -1;
    };

    void showInputs(const plan::PlanInputs& in, QList<ReportEntry> entries, bool askFirst);
    void buildControls();
    void fillMethods(SpeakerType type);
    void chooseMethod(int index);
    bool handEdited() const;
    bool askLayOutAnew();
    // The room of the inputs, empty, for the layout that follows.
    void showRoom();
    // Lays out with the chosen method as one undo step from `before`; the result counts as
    // untouched by hand.
    void layOutAnew(const QString& stepName, Arrangement methodBefore, Layout before);
    Layout current() const;
    // The picked loudspeaker of a live plan.
    std::optional<plan::Speaker> selectedSpeaker() const;
    // Shows a layout fitted into the room; with a method, that method is chosen again.
    void apply(const Layout& layout, std::optional<Arrangement> method);
    QString arrangementName(Arrangement arrangement) const;
    std::vector<plan::Speaker> laidOut() const;
    void userStep(const std::vector<plan::Speaker>& before, int selectedBefore, const QString& name,
                  bool joinable);
    void replaceSelected(const plan::Speaker& changed, const QString& stepName);
    void undo();
    void redo();
    void refresh();
    void showFigures();
    void showSelected();
    void showState();
    void showUndoButtons();
    void showHelp();
    QString separator() const;
    void nameSnaps();
    // The room as the panel gives it, for new inputs or an edit: a room with an error keeps the
    // last good one's map and says why in red.
    void readRoom();
    void showRoomFigures();
    void chooseMap(int index);

    PlanDialogs& dialogs_;
    std::function<std::string()> decimalSeparator_;
    std::optional<plan::PlanInputs> inputs_;
    Arrangement method_;
    std::vector<Arrangement> arrangements_; // the method list's entries
    bool stale_ = false;
    QList<ReportEntry> entries_;
    PlanExporter exporter_;
    QUndoStack undo_;
    QString notice_;      // a refusal the state line shows until the next change
    QString staleReason_; // why the last calculation has no plan

    PlanView* view_ = nullptr;
    QLabel* state_ = nullptr;
    QComboBox* methods_ = nullptr;
    QPushButton* reset_ = nullptr;
    QPushButton* help_ = nullptr;
    QPushButton* export_ = nullptr;
    QTableWidget* figures_ = nullptr;
    int worstRow_ = -1; // the figures' row of the worst point, -1 for none
    PlanHelp* helpWindow_ = nullptr;
    QPushButton* undoButton_ = nullptr;
    QPushButton* redoButton_ = nullptr;
    QGroupBox* selectedBox_ = nullptr;
    QFormLayout* selectedForm_ = nullptr;
    QLabel* selectedNumber_ = nullptr;
    QDoubleSpinBox* selectedX_ = nullptr;
    QDoubleSpinBox* selectedY_ = nullptr;
    QComboBox* selectedWall_ = nullptr;
    QLabel* selectedLevel_ = nullptr;
    QComboBox* snaps_ = nullptr;
    QPushButton* fit_ = nullptr;
    QComboBox* maps_ = nullptr;
    RoomPanel* roomPanel_ = nullptr;
    plan::RoomSetup setup_;                   // the panel as last read
    std::optional<plan::RoomAcoustics> room_; // the last good room
    plan::RoomSetup goodSetup_;               // and the setup it came from
};

} // namespace pa
