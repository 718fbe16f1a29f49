#include "report_file.h"

#include <QFile>
#include <QSaveFile>

namespace pa {

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
    if (mode == WriteMode::Replace) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return file.errorString();
        if (!writeAll(file, report)) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return reason;
        }
        if (!file.commit())
            return file.errorString();
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return file.errorString();
    const qint64 oldSize = file.size();
    if (!writeAll(file, report)) {
        const QString reason = file.errorString();
        file.close();
        QFile::resize(path, oldSize);
        return reason;
    }
    file.close();
    return {};
}

} // namespace pa
