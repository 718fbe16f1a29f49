#pragma once

#include "project/project.h"
#include "project/project_figures.h"
#include "ui/dialogs.h"

#include <QMainWindow>
#include <QString>
#include <QUndoStack>

#include <functional>
#include <optional>
#include <string>

class QLineEdit;
class QPlainTextEdit;
class QTableWidget;

namespace pa {

// The room the main window's last successful calculation describes; nothing before one.
using LastCalculation = std::function<std::optional<project::Room>()>;

// The window of a project: a building's rooms and the lines that feed them, their figures from
// the project core, and the project's file. Every change of the project can be undone; the
// window asks before unsaved changes are lost.
class ProjectWindow final : public QMainWindow {
    Q_OBJECT
public:
    // decimalSeparator gives the separator the main window writes numbers with; workingFolder is
    // where the file dialogs open first.
    ProjectWindow(Dialogs& dialogs, LastCalculation lastCalculation,
                  std::function<std::string()> decimalSeparator, QString workingFolder,
                  QWidget* parent = nullptr);

    const project::Project& project() const { return project_; }
    // The file the project was last opened from or saved to; empty for a new one.
    const QString& fileName() const { return fileName_; }

    // The file commands as the menu runs them. The save commands say whether the project was
    // saved; the others ask about unsaved changes first and leave all as it was on Отмена.
    void newProject();
    void openFile();
    bool save();
    bool saveAs();
    // Adds the main window's last calculation as a new room, or says there is none.
    void addFromCalculation();
    // Removes the room of the current row of the rooms table.
    void removeSelectedRoom();
    // A new line with the usual voltage and cable; and the removal of the current one, its
    // rooms left without a line.
    void addLine();
    void removeSelectedLine();

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
    void showTitle();
    void headerEdited();
    void roomRenamed(int row, const QString& name);
    void roomWired(int row, const QString& lineId);
    void lineEdited(int row, int column, const QString& text);
    // Whether the work may go on: nothing unsaved, or saved, or dropped on the user's word.
    bool settleChanges();
    bool saveTo(const QString& path);
    // A project opened from a file or started anew, with nothing to undo.
    void replace(const project::Project& project, const QString& fileName);
    QString shownName() const;

    Dialogs& dialogs_;
    LastCalculation lastCalculation_;
    std::function<std::string()> decimalSeparator_;
    QString workingFolder_;
    project::Project project_;
    QString fileName_;
    QUndoStack undo_;
    project::FiguresCache cache_;
    bool filling_ = false; // the tables are being filled, not edited

    QLineEdit* nameField_ = nullptr;
    QLineEdit* objectField_ = nullptr;
    QLineEdit* addressField_ = nullptr;
    QLineEdit* authorField_ = nullptr;
    QTableWidget* roomTable_ = nullptr;
    QTableWidget* lineTable_ = nullptr;
    QPlainTextEdit* totals_ = nullptr;
};

} // namespace pa
