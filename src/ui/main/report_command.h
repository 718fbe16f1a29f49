#pragma once

#include "core/record.h"
#include "report/report_format.h"
#include "ui/dialogs.h"

#include <QString>

namespace pa {

// The "print to file" menu command: asks whether to append when the report file exists, writes
// the report into the folder and tells the user where it is, or why it could not be written.
void runReportCommand(Dialogs& dialogs, const QString& folder, CalculationRecord& record,
                      const ReportSources& sources, const QString& decimalSeparator);

} // namespace pa
