#pragma once

#include "core/record.h"
#include "core/speaker_type.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace pa {

// What a report takes from the window at the moment of the command, beside the record.
struct ReportSources {
    QString model; // text of the model field
    QString room;  // text of the room-type field
    SpeakerType type = SpeakerType::Ceiling;
};

// The 26 lines of one report, Windows-1251 encoded, each ending with CR LF. Numbers are written
// with the given decimal separator; characters the code page lacks become "?".
QByteArray formatReport(const CalculationRecord& record, const ReportSources& sources,
                        const QString& decimalSeparator);

// A report line that carries a value: its caption with runs of blanks made single, and the
// value with its unit as the report writes it. Results are the lines under the output heading.
struct ReportEntry {
    QString caption;
    QString value;
    bool result = false;
};

// The lines of formatReport that carry a value, in its order, as text.
QList<ReportEntry> reportEntries(const CalculationRecord& record, const ReportSources& sources,
                                 const QString& decimalSeparator);

} // namespace pa
