#include "ui/project/project_recovery.h"

#include "io/atomic_file.h"
#include "project/project_file.h"
#include "ui/dialogs.h"
#include "ui/qt_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QUuid>

#include <utility>

namespace pa {

namespace {

const char* const kCopySuffix = ".pacov";
const char* const kSourceSuffix = ".source";
const char* const kLockSuffix = ".lock";

} // namespace

ProjectRecovery::ProjectRecovery(QString folder)
    : folder_(std::move(folder)), id_(QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

ProjectRecovery::~ProjectRecovery() {
    // A program that ends in order has asked about its changes; nothing is left to recover.
    drop();
}

QString ProjectRecovery::path(const QString& id, const char* suffix) const {
    return QDir(folder_).filePath(id + QLatin1String(suffix));
}

std::string ProjectRecovery::keep(const project::Project& project, const QString& fileName) {
    if (!QDir().mkpath(folder_))
        return "не удалось создать папку " + str(folder_);
    if (!lock_) {
        auto lock = std::make_unique<QLockFile>(path(id_, kLockSuffix));
        // The lock lives as long as the program: only a dead owner makes it stale.
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0))
            return "не удалось занять файл " + str(lock->fileName());
        lock_ = std::move(lock);
    }
    // The name first: a copy is never found without the file it belongs to.
    const io::WriteResult source =
        io::writeFileAtomically(str(path(id_, kSourceSuffix)), str(fileName));
    if (!source.ok() && source.status != io::WriteStatus::FolderNotSynced)
        return io::describe(source);
    return project::saveProject(str(path(id_, kCopySuffix)), project);
}

void ProjectRecovery::drop() {
    if (!lock_)
        return;
    QFile::remove(path(id_, kCopySuffix));
    QFile::remove(path(id_, kSourceSuffix));
    lock_.reset();
}

std::vector<ProjectRecovery::Orphan> ProjectRecovery::orphans() {
    std::vector<Orphan> found;
    const QFileInfoList copies = QDir(folder_).entryInfoList(
        {QStringLiteral("*") + QLatin1String(kCopySuffix)}, QDir::Files, QDir::Time);
    for (const QFileInfo& copy : copies) {
        const QString id = copy.completeBaseName();
        if (id == id_)
            continue;
        auto lock = std::make_unique<QLockFile>(path(id, kLockSuffix));
        lock->setStaleLockTime(0);
        // A lock still held is a program still running, or one that this program already offers.
        if (!lock->tryLock(0))
            continue;
        project::ReadOutcome read = project::openProject(str(copy.filePath()));
        if (!read.project)
            continue;
        QFile source(path(id, kSourceSuffix));
        QString fileName;
        if (source.open(QIODevice::ReadOnly))
            fileName = QString::fromUtf8(source.readAll());
        found.push_back({copy.filePath(), fileName, copy.lastModified(), std::move(*read.project)});
        orphanLocks_.push_back(std::move(lock));
    }
    return found;
}

void ProjectRecovery::remove(const Orphan& orphan) {
    const QString id = QFileInfo(orphan.copyPath).completeBaseName();
    QFile::remove(orphan.copyPath);
    QFile::remove(path(id, kSourceSuffix));
    const QString lockName = path(id, kLockSuffix);
    std::erase_if(orphanLocks_, [&](const std::unique_ptr<QLockFile>& lock) {
        return lock->fileName() == lockName;
    });
}

void offerRecovery(
    ProjectRecovery& recovery, Dialogs& dialogs,
    const std::function<void(const project::Project&, const QString& fileName)>& restore) {
    for (const ProjectRecovery::Orphan& orphan : recovery.orphans()) {
        const QString name =
            !orphan.project.name.empty()
                ? qs(orphan.project.name)
                : (orphan.fileName.isEmpty() ? QStringLiteral("Новый проект")
                                             : QFileInfo(orphan.fileName).completeBaseName());
        QString text = QStringLiteral("Программа завершилась, не сохранив изменения в проекте ") +
                       quoted(name);
        if (!orphan.fileName.isEmpty())
            text += QStringLiteral(" (файл ") + quoted(orphan.fileName) + QStringLiteral(")");
        text +=
            QStringLiteral(". Восстановить проект по копии от ") +
            QLocale(QLocale::Russian).toString(orphan.written, QStringLiteral("dd.MM.yyyy HH:mm")) +
            QStringLiteral("?");
        if (dialogs.yesNoQuestion(kProgramTitle, text) == Dialogs::Answer::Yes)
            restore(orphan.project, orphan.fileName);
        recovery.remove(orphan);
    }
}

} // namespace pa
