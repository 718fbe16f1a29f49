#pragma once

#include "project/project.h"

#include <QDateTime>
#include <QLockFile>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pa {

// Copies of a project with unsaved changes, written now and then while the program runs, so that
// a crash or a power cut loses minutes of work, not hours. Each running program owns its copy
// through a lock file; a copy whose owner is gone is what the next start offers back.
class ProjectRecovery {
public:
    // How often a project with unsaved changes is copied.
    static constexpr std::chrono::minutes kInterval{1};

    // folder is created on the first copy; it is shared by every running program.
    explicit ProjectRecovery(QString folder);
    ~ProjectRecovery();
    ProjectRecovery(const ProjectRecovery&) = delete;
    ProjectRecovery& operator=(const ProjectRecovery&) = delete;

    // Writes this program's copy of the project and the file it belongs to (empty for one never
    // saved). Returns why it could not, in Russian, or empty.
    std::string keep(const project::Project& project, const QString& fileName);
    // This program's copy goes: its project was saved or its changes given up.
    void drop();

    // A copy left by a program that is no longer running.
    struct Orphan {
        QString copyPath;
        QString fileName; // the file the project belongs to; empty for one never saved
        QDateTime written;
        project::Project project;
    };
    // The copies of programs no longer running that still read; each stays until removed.
    std::vector<Orphan> orphans();
    // Deletes an orphan's copy once it was taken back or declined.
    void remove(const Orphan& orphan);

private:
    QString path(const QString& id, const char* suffix) const;

    QString folder_;
    QString id_; // this program's copies are named by it
    std::unique_ptr<QLockFile> lock_;
    // Locks of orphans taken over until they are removed, so that two programs starting together
    // do not both offer one copy.
    std::vector<std::unique_ptr<QLockFile>> orphanLocks_;
};

class Dialogs;

// Offers each copy a crashed program left, one question each; restore takes one back. A copy is
// deleted once it was taken back (the window then keeps its own) or declined.
void offerRecovery(
    ProjectRecovery& recovery, Dialogs& dialogs,
    const std::function<void(const project::Project&, const QString& fileName)>& restore);

} // namespace pa
