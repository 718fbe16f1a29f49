#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

namespace pa {

inline const QString kReportFileName = QStringLiteral("Расчет.txt");

enum class WriteMode { Append, Replace };

// Writes one report to the file at path, or where the symbolic link at path points. Append adds
// it after the present end, and cuts the file back to its old size when the write fails. Replace
// swaps in the new file only once it is complete, or, where a new file could not be made or
// would lose the old one's owner or hard links, overwrites the old one and puts its content back
// when the write fails. Anything but a regular file under that name is left alone. Returns the
// reason (failureReason) on failure, an empty string on success.
QString writeReportFile(const QString& path, const QByteArray& report, WriteMode mode);

// Writes every byte of data and flushes; false when any of it did not reach the device.
bool writeAll(QIODevice& device, const QByteArray& data);

} // namespace pa
