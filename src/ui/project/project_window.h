#pragma once

#include "project/project.h"
#include "project/project_figures.h"
#include "ui/dialogs.h"
#include "ui/plan_port.h"
#include "ui/project/project_export.h"
#include "ui/project/recent_projects.h"

#include <QDateTime>
#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <QUndoStack>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QLineEdit;
class QMenu;
class QProgressBar;
class QPlainTextEdit;
class QPushButton;
class QSettings;
class QTableWidget;

namespace pa {

class FiguresJob;
class ProjectRecovery;
class RoomTable;

// What the project window asks of the main window and its plan.
struct CalculationLink {
    // The room the main window's last successful calculation describes, laid out as the plan
    // shows it; nothing before one.
    std::function<std::optional<project::Room>()> lastCalculation;
    // Gives the room's inputs to the main window as the user would, calculates, and shows the
    // room's layout in the plan. Returns what the user is to be told (empty for nothing).
    std::function<QString(const project::Room&)> openRoom;
    // The separator the main window writes numbers with.
    std::function<std::string()> decimalSeparator;
};

// The window of a project: a building's rooms and the lines that feed them, their figures from
// the project core, and the project's file. Every change of the project can be undone; the
// window asks before unsaved changes are lost.
class ProjectWindow final : public QMainWindow {
    Q_OBJECT
public:
    // workingFolder is where the file dialogs open first; sheets draws the rooms' plans in the
    // project's document; settings keep the recent files and the last project (none: nothing is
    // kept).
    ProjectWindow(Dialogs& dialogs, CalculationLink link, QString workingFolder, SheetSource sheets,
                  QSettings* settings, QWidget* parent = nullptr);
    ~ProjectWindow() override;

    const project::Project& project() const { return project_; }
    // The file the project was last opened from or saved to; empty for a new one.
    const QString& fileName() const { return fileName_; }

    // The file commands as the menu runs them. The save commands say whether the project was
    // saved; the others ask about unsaved changes first and leave all as it was on Отмена.
    void newProject();
    void openFile();
    // Opens the file given, as the command line and the recent files do.
    void open(const QString& path);
    // Opens the project open when the window last held a file, if it is still there.
    void openLast();
    bool save();
    bool saveAs();
    // Adds the main window's last calculation as a new room, or says there is none.
    void addFromCalculation();
    // Removes the room of the current row of the rooms table.
    void removeSelectedRoom();
    // The current room into the main window and its plan; and their state back into the room.
    void openInCalculation();
    void updateFromCalculation();
    // Moves a room right before (or after) the target room, onto the target's floor.
    void moveRoom(int room, int target, bool after);
    // A new line with the usual voltage and cable; and the removal of the current one, its
    // rooms left without a line.
    void addLine();
    void removeSelectedLine();

    // Copies the project to recovery every ProjectRecovery::kInterval while it has unsaved
    // changes; the copy goes once they are saved or given up.
    void keepRecoveryCopies(ProjectRecovery& recovery);
    // Writes the recovery copy now, as the timer does.
    void writeRecoveryCopy();
    // Takes back a project a crash left unsaved: shown with unsaved changes, to be saved into
    // fileName (empty for one never saved).
    void restore(const project::Project& project, const QString& fileName);
    // Whether the program may end: asks about unsaved changes as closing the window does.
    bool mayClose();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class Edit;

    void buildMenu();
    QWidget* buildHeader();
    // A change of the project, as one undo step.
    void change(const QString& text, project::Project changed);
    // Shows the project as it is now: fields, rooms, lines, totals and title.
    void apply(const project::Project& project);
    void showFigures();
    void showFigures(const project::ProjectFigures& figures);
    void showTitle();
    // A typed name without control characters, which a file or a table cannot show; says so
    // when there were some.
    std::string typedName(const QString& text);
    void headerEdited();
    void roomRenamed(int room, const QString& name);
    void roomFloor(int room, const QString& floor);
    void roomWired(int room, const QString& lineId);
    void showRecent();
    void openRecent(const QString& path);
    // Reads and shows the file, or says why not; unsaved changes are settled before.
    void load(const QString& path);
    void showSelection();
    void lineEdited(int row, int column, const QString& text);
    // Whether the work may go on: nothing unsaved, or saved, or dropped on the user's word.
    bool settleChanges();
    bool saveTo(const QString& path);
    // Notes the file's state after reading or writing it; saving asks before it replaces a file
    // that another program changed since.
    void stampFile();
    bool fileChangedElsewhere() const;
    void unsavedChanged(bool clean);
    // A project opened from a file or started anew, with nothing to undo.
    void replace(const project::Project& project, const QString& fileName);
    QString shownName() const;

    Dialogs& dialogs_;
    CalculationLink link_;
    QString workingFolder_;
    RecentProjects recent_;
    project::Project project_;
    QString fileName_;
    QUndoStack undo_;
    project::FiguresCache cache_;
    std::unique_ptr<FiguresJob> figuresJob_; // stopped before the cache goes
    QProgressBar* progress_ = nullptr;
    ProjectExporter exporter_;
    bool filling_ = false; // the lines table is being filled, not edited
    ProjectRecovery* recovery_ = nullptr;
    QTimer recoveryTimer_;
    QDateTime fileModified_; // of fileName_ when last read or written
    qint64 fileSize_ = -1;

    QLineEdit* nameField_ = nullptr;
    QLineEdit* objectField_ = nullptr;
    QLineEdit* addressField_ = nullptr;
    QLineEdit* authorField_ = nullptr;
    RoomTable* roomTable_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QPushButton* openInButton_ = nullptr;
    QPushButton* updateButton_ = nullptr;
    QTableWidget* lineTable_ = nullptr;
    QPlainTextEdit* totals_ = nullptr;
};

} // namespace pa
