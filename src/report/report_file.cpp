#include "report/report_file.h"

#include "io/atomic_file.h"
#include "report/failure_reason.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace pa {

namespace {

// The reason for the failure the device reports. The error number left by the failing call is
// used only when the device's text names that same error: the device may fail for reasons of
// its own, after other calls have overwritten errno.
QString reasonOf(const QFileDevice& file, int errnoValue) {
    const QString systemText = file.errorString();
    const bool fromErrno = errnoValue != 0 && systemText.contains(qt_error_string(errnoValue));
    return failureReason(fromErrno ? errnoValue : 0, systemText);
}

// Writes everything, keeping the errno of a failing write.
bool writeAllKeepingErrno(QFileDevice& file, const QByteArray& data, int& errnoValue) {
    errno = 0;
    const bool done = writeAll(file, data);
    errnoValue = errno;
    return done;
}

// A folder, a fifo, a socket or a device under the report's name takes no report; opening a fifo
// for writing would even wait for a reader.
QString notARegularFile(bool folder) {
    return folder ? failureReason(EISDIR, QString())
                  : QStringLiteral("Под этим именем находится не обычный файл");
}

// The same file is overwritten, so it keeps its owner, its hard links and its place in a
// folder that takes no new files. The old content stays in memory and is put back when any of
// the new one fails to go in.
QString rewriteInPlace(const QString& path, const QByteArray& report) {
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return reasonOf(file, errno);
    const QByteArray old = file.readAll();
    int errnoValue = 0;
    // Written over the old bytes before cutting, so the file never stands empty.
    bool done = file.seek(0) && writeAllKeepingErrno(file, report, errnoValue);
    if (done) {
        errno = 0;
        done = file.resize(report.size());
        errnoValue = errno;
    }
    if (done)
        return {};
    QString reason = reasonOf(file, errnoValue);
    file.close();
    // A handle whose write failed cannot be trusted, so the old content goes back by a new one.
    QFile restore(path);
    if (restore.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        int ignored = 0;
        writeAllKeepingErrno(restore, old, ignored);
        restore.resize(old.size());
    }
    return reason;
}

// The report goes in with one write; if any of it fails the file is cut back to its old size,
// so the earlier reports are left byte for byte as they were.
QString appendToFile(const QString& path, const QByteArray& report) {
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return reasonOf(file, errno);
    const qint64 oldSize = file.size();
    int errnoValue = 0;
    if (!writeAllKeepingErrno(file, report, errnoValue)) {
        QString reason = reasonOf(file, errnoValue);
        // A handle whose write failed cannot be trusted to resize, so cut back by path.
        file.close();
        QFile::resize(path, oldSize);
        return reason;
    }
    errno = 0;
    file.close();
    if (file.error() != QFileDevice::NoError) {
        QString reason = reasonOf(file, errno);
        QFile::resize(path, oldSize);
        return reason;
    }
    return {};
}

} // namespace

bool writeAll(QIODevice& device, const QByteArray& data) {
    qint64 done = 0;
    while (done < data.size()) {
        const qint64 written = device.write(data.constData() + done, data.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    if (auto* file = qobject_cast<QFileDevice*>(&device))
        return file->flush();
    return true;
}

QString writeReportFile(const QString& path, const QByteArray& report, WriteMode mode) {
    // A symbolic link stands for what it points to, also when that does not exist yet.
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : path;
    struct stat status {};
    const bool exists = ::stat(QFile::encodeName(target).constData(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode))
        return notARegularFile(S_ISDIR(status.st_mode));
    if (mode == WriteMode::Append)
        return appendToFile(target, report);
    // The new file is swapped in only once every byte is on disk; until then the old report
    // stays as it was, and a failure leaves no temporary file behind.
    const io::WriteResult result =
        io::writeFileAtomically(QFile::encodeName(target).toStdString(),
                                std::string_view(report.constData(), report.size()));
    switch (result.status) {
    case io::WriteStatus::Written:
    case io::WriteStatus::FolderNotSynced: // the new report is in place all the same
        return {};
    case io::WriteStatus::ReadOnly:
        // Only the file itself can say whether it takes new content.
    case io::WriteStatus::KeepsIdentity:
        // A new file in its place would belong to us alone and lose the other names it has.
        return rewriteInPlace(target, report);
    case io::WriteStatus::FolderClosed:
    case io::WriteStatus::NoTemporaryFile:
        // A folder that takes no new files may still hold a report that takes new content.
        if (result.existed)
            return rewriteInPlace(target, report);
        break;
    case io::WriteStatus::NotRegularFile:
        // Put there since the look above.
        return notARegularFile(result.errnoValue == EISDIR);
    case io::WriteStatus::WriteFailed:
    case io::WriteStatus::BadPath:
        break;
    }
    return failureReason(result.errnoValue,
                         QString::fromLocal8Bit(std::strerror(result.errnoValue)));
}

} // namespace pa
