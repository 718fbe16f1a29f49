#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

namespace pa {

inline const QString kReportFileName = QStringLiteral("Расчет.txt");

enum class WriteMode { Append, Replace };

// Writes one report to the file at path. Append adds it after the present end, and cuts the file
// back to its old size when the write fails; Replace swaps in the new file only once it is
// complete. Returns the system's reason on failure, an empty string on success.
QString writeReportFile(const QString& path, const QByteArray& report, WriteMode mode);

// Writes every byte of data and flushes; false when any of it did not reach the device.
bool writeAll(QIODevice& device, const QByteArray& data);

} // namespace pa
