#include "report/report_file.h"

#include <QFile>
#include <QSaveFile>

namespace pa {

namespace {

// An empty reason means success to the caller, so a failure must never come back empty.
QString reasonOf(const QFileDevice& file) {
    const QString reason = file.errorString();
    return reason.isEmpty() ? QStringLiteral("Unknown error") : reason;
}

// The new file is swapped in by rename only once every byte is on disk; until then the old
// report stays as it was, and a failure leaves no temporary file behind.
QString replaceFile(const QString& path, const QByteArray& report) {
    QSaveFile file(path);
    // Unbuffered, so a short write shows at write() with the system's reason; a buffered
    // write that fails at the last flush would still let commit() succeed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return reasonOf(file);
    if (!writeAll(file, report)) {
        QString reason = reasonOf(file);
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return reasonOf(file);
    return {};
}

// The report goes in with one write; if any of it fails the file is cut back to its old size,
// so the earlier reports are left byte for byte as they were.
QString appendToFile(const QString& path, const QByteArray& report) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return reasonOf(file);
    const qint64 oldSize = file.size();
    if (!writeAll(file, report)) {
        QString reason = reasonOf(file);
        // A handle whose write failed cannot be trusted to resize, so cut back by path.
        file.close();
        QFile::resize(path, oldSize);
        return reason;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        QString reason = reasonOf(file);
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
    return mode == WriteMode::Replace ? replaceFile(path, report) : appendToFile(path, report);
}

} // namespace pa
