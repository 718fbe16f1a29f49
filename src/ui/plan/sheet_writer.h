#pragma once

#include "ui/plan/plan_document.h"

#include <QByteArray>
#include <QFont>
#include <QPageLayout>
#include <QString>

class QPagedPaintDevice;
class QPainter;
class QPrinter;

namespace pa {

inline const QString kSheetTitle = QStringLiteral("План размещения громкоговорителей");

// The sheet's face at a size in points; exported pictures use it too.
QFont sheetFont(double points, bool bold = false);
// A4 landscape with the sheet's margins.
QPageLayout sheetLayout();

// The sheet on a paged device (a PDF writer or a printer) that the painter is active on: title,
// date, input data and results, the plan with its legend, the figures and checks, and the table
// of positions. What does not fit on the first page continues on further pages.
void paintSheet(QPainter& painter, QPagedPaintDevice& device, const PlanDocument& document);

// The sheet on a printer: A4 landscape unless the printer was set otherwise. False when the
// printer could not be started.
bool printSheet(QPrinter& printer, const PlanDocument& document);

// The sheet as a PDF file's bytes; empty when it could not be produced.
QByteArray sheetPdf(const PlanDocument& document);

} // namespace pa
