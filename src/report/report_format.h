#pragma once

#include "core/record.h"
#include "core/speaker_type.h"

#include <QByteArray>
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

} // namespace pa
