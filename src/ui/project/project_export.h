#pragma once

#include "project/project.h"
#include "project/project_figures.h"
#include "ui/plan_port.h"

#include <QString>

#include <functional>
#include <string>

class QByteArray;

namespace pa {

class Dialogs;

// The project window's documents: the project as a PDF and its bill of materials as CSV. The
// last folder is remembered while the program runs; the first is the project file's, or the
// working folder for a project never saved.
class ProjectExporter {
public:
    ProjectExporter(Dialogs& dialogs, SheetSource sheets,
                    std::function<std::string()> decimalSeparator, QString workingFolder);

    // Asks for a name, whether to replace a file under a name completed here with ".pdf", and
    // builds the document with a progress the user can cancel, the rooms' plans drawn by the
    // plan module; a failure is shown with its reason. name is the project's as its window
    // shows it; cache holds the rooms' figures as the window last computed them. The saved
    // path, or nothing when the user cancelled or the save failed.
    QString savePdf(const project::Project& project, const QString& name,
                    const QString& projectFile, project::FiguresCache* cache);
    // The bill of materials the same way, with ".csv".
    QString saveBill(const project::Project& project, const QString& projectFile);

private:
    // The chosen path, its extension added when it has none; empty when the user cancelled.
    QString choosePath(const QString& title, const QString& projectFile, const QString& filter,
                       const QString& extension);
    // Writes the bytes whole or not at all; false, the reason shown, when it did not.
    bool write(const QString& path, const QByteArray& bytes);

    Dialogs& dialogs_;
    SheetSource sheets_;
    std::function<std::string()> decimalSeparator_;
    QString workingFolder_;
    QString folder_; // the last one used; none before the first document
};

} // namespace pa
