#pragma once

#include "core/coverage.h"
#include "core/record.h"
#include "core/speaker_type.h"
#include "data/catalogue.h"
#include "data/presets.h"
#include "plan/plan.h"
#include "plan/room_setup.h"
#include "project/project.h"
#include "report/report_format.h"
#include "ui/dialogs.h"
#include "ui/main/form1_controls.h"
#include "ui/plan_port.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <string>

class QButtonGroup;
class QSettings;
class QTimer;

namespace pa {

class ProjectRecovery;
class ProjectWindow;

// The program's one window: the inputs, the five lists, the type and gradation options, the
// two calculations and the menu. Every number it shows comes from the calculation core.
class Form1 final : public QMainWindow {
    Q_OBJECT
public:
    // openPlan builds the room plan window when the user first asks for it; sheets draws the
    // rooms' plans in the project's document; settings keep what the project window remembers
    // between runs (none: nothing is kept).
    Form1(Dialogs& dialogs, PlanFactory openPlan, SheetSource sheets, QString workingFolder,
          QSettings* settings = nullptr, QWidget* parent = nullptr);

    const CalculationRecord& record() const { return record_; }
    // The inputs of the last successful calculation as a project keeps a room, with the layout
    // the plan shows for it; nothing before one.
    std::optional<project::Room> lastCalculation() const;
    // Gives the room's inputs to the window as the user would: every pick and typed text runs
    // the window's own behaviour, then the calculation; the room's layout goes to the plan.
    // Returns what could not be given as the room keeps it (empty when all could).
    QString openRoom(const project::Room& room);
    // Opens the project window with the file, as the command line asks.
    void openProject(const QString& path);
    // Type letter of each entry of the model list, and noise level of each room of the room list.
    const std::array<QString, kCatalogue.size()>& TypeLetter() const { return typeLetter_; }
    const std::array<int, kRoomPresets.size()>& NoisePreset() const { return noisePreset_; }

    // Where the project window keeps copies of unsaved changes, from its first opening on.
    void keepRecoveryCopies(ProjectRecovery& recovery);
    // Opens the project window on a project a crash left unsaved.
    void restoreProject(const project::Project& project, const QString& fileName);

protected:
    // The program ends with this window: unsaved changes of the project are asked about first.
    void closeEvent(QCloseEvent* event) override;

private:
    void connectBehaviour();
    void startUp();

    void pickModel(int index);
    void pickDirectivity(int index);
    void pickRoom(int index);
    void pickOverlap(int index);
    void pickListenHeight(int index);

    void switchTypeOn(SpeakerType type);
    void typeChanged(SpeakerType type);
    SpeakerType selectedType() const;

    void calculate();
    // With a layout, the plan shows that rather than laying out anew.
    void calculateWith(std::optional<PlanLayout> layout);
    void showAttenuation();
    void showRoomArea();
    void printReport();
    ReportSources reportSources() const;
    void showPlan();
    void showProject();
    ProjectWindow* projectWindow(bool openLast);
    project::Room calculatedRoom() const;
    void showHelp();
    void showAbout();

    void setUserEntry(QLineEdit* edit, bool userEntry);
    void emptyCoverageResults();
    void emptyAllResults();
    void showStop(const Stop& stop);
    std::string decimalSeparator() const;

    Dialogs& dialogs_;
    QString workingFolder_;
    Form1Controls ui_{};
    CalculationRecord record_;
    std::array<QString, kCatalogue.size()> typeLetter_;
    std::array<int, kRoomPresets.size()> noisePreset_{};
    QButtonGroup* gradation_ = nullptr;
    QTimer* areaTimer_ = nullptr;

    // The plan is built on first use only; it follows the last successful calculation, greyed
    // once its results are emptied.
    PlanFactory openPlan_;
    SheetSource sheets_;
    std::unique_ptr<PlanPort> plan_;
    std::optional<plan::PlanInputs> planInputs_;
    QList<ReportEntry> planEntries_; // the sheet's input data and results
    bool planStale_ = false;
    QString planRefusal_; // why the last calculation has no plan
    // The layout a project's room brought to the last calculation, for a plan built later.
    std::optional<PlanLayout> planLayout_;
    // The acoustics of the room opened last before the plan was built: the room's until the plan
    // takes them, through any calculation in between.
    std::optional<plan::RoomSetup> roomAcoustics_;

    std::optional<project::Room> lastRoom_;
    QSettings* settings_;
    ProjectWindow* project_ = nullptr; // built on first use, owned as a child
    ProjectRecovery* recovery_ = nullptr;
};

} // namespace pa
