#pragma once

#include "ui/plan/plan_document.h"
#include "ui/sheet_style.h"

#include <QByteArray>
#include <QString>

#include <optional>

class QPagedPaintDevice;
class QPainter;
class QPrinter;

namespace pa {

class Progress;

inline const QString kSheetTitle = QStringLiteral("План размещения громкоговорителей");

// The sheet on a paged device (a PDF writer or a printer) that the painter is active on: title,
// date, input data and results, the plan with its legend, the figures and checks, and the table
// of positions. What does not fit on the first page continues on further pages. Reports to the
// progress, when there is one, a step per page and per few dozen rows; false when it was
// cancelled, and the sheet stops where it was.
bool paintSheet(QPainter& painter, QPagedPaintDevice& device, const PlanDocument& document,
                Progress* progress = nullptr);

// A room's sheet in a project's document: the plan module's painter (kSheetPainterEntry).
bool paintRoomSheet(QPainter& painter, QPagedPaintDevice& device, const RoomSheet& sheet,
                    Progress* progress);

// The sheet on a printer: A4 landscape unless the printer was set otherwise. False when the
// printer could not be started.
bool printSheet(QPrinter& printer, const PlanDocument& document);

// The sheet as a PDF file's bytes; empty when it could not be produced, nothing when the
// progress was cancelled.
std::optional<QByteArray> sheetPdf(const PlanDocument& document, Progress* progress = nullptr);

} // namespace pa
