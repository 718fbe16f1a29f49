#pragma once

#include "ui/plan/plan_document.h"

#include <QByteArray>
#include <QFont>
#include <QPageLayout>
#include <QString>

#include <optional>

class QPagedPaintDevice;
class QPainter;
class QPrinter;

namespace pa {

class Progress;

inline const QString kSheetTitle = QStringLiteral("План размещения громкоговорителей");

// The sheet's face at a size in points; exported pictures use it too.
QFont sheetFont(double points, bool bold = false);
// A4 landscape with the sheet's margins.
QPageLayout sheetLayout();

// The sheet on a paged device (a PDF writer or a printer) that the painter is active on: title,
// date, input data and results, the plan with its legend, the figures and checks, and the table
// of positions. What does not fit on the first page continues on further pages. Reports to the
// progress, when there is one, a step per page and per few dozen rows; false when it was
// cancelled, and the sheet stops where it was.
bool paintSheet(QPainter& painter, QPagedPaintDevice& device, const PlanDocument& document,
                Progress* progress = nullptr);

// The sheet on a printer: A4 landscape unless the printer was set otherwise. False when the
// printer could not be started.
bool printSheet(QPrinter& printer, const PlanDocument& document);

// The sheet as a PDF file's bytes; empty when it could not be produced, nothing when the
// progress was cancelled.
std::optional<QByteArray> sheetPdf(const PlanDocument& document, Progress* progress = nullptr);

} // namespace pa
