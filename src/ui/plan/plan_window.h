#pragma once

#include "plan/plan.h"
#include "report/report_format.h"
#include "ui/plan/plan_dialogs.h"
#include "ui/plan/plan_export.h"
#include "ui/plan/plan_view.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QPushButton;
class QTextEdit;

namespace pa {

// The window of the room plan. It follows the main window's calculation: each successful
// calculation lays the loudspeakers out anew, emptied results grey the plan. It never changes
// the calculation.
class PlanWindow final : public QWidget {
    Q_OBJECT
public:
    // decimalSeparator gives the separator the main window writes numbers with.
    PlanWindow(PlanDialogs& dialogs, std::function<std::string()> decimalSeparator,
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

    PlanDialogs& dialogs_;
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
